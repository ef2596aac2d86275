// A client for the KWin end-to-end tests, never installed.
//   show SCREEN COLOUR|IMAGE   a full-screen window of one colour or image on the named screen;
//                              prints {"shown":true} once drawn, runs until killed
//   capture [DIR]              probes the KWin back end and captures every screen through it,
//                              one JSON line per step; saves the captures as PNGs into DIR
#include <QApplication>
#include <QColor>
#include <QDir>
#include <QImage>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPainter>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <cstdio>
#include <memory>
#include <variant>

#include "platform/FullScreenPlacement.h"
#include "platform/kwin/KWinBackend.h"

namespace {

void printLine(const QJsonObject& object) {
  std::fputs(QJsonDocument(object).toJson(QJsonDocument::Compact).append('\n').constData(), stdout);
  std::fflush(stdout);
}

class Backdrop : public QWidget {
 public:
  explicit Backdrop(QImage image) : image_(std::move(image)) {}

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter(this).drawImage(rect(), image_);
    if (!shown_) {
      shown_ = true;
      QTimer::singleShot(0, [] { printLine({{"shown", true}}); });
    }
  }

 private:
  QImage image_;
  bool shown_ = false;
};

int show(const QString& screenName, const QString& content) {
  QImage image(content);
  if (image.isNull()) {
    image = QImage(1, 1, QImage::Format_RGB32);
    image.fill(QColor(content));
  }
  QScreen* chosen = nullptr;
  for (QScreen* screen : QGuiApplication::screens()) {
    if (screen->name() == screenName) {
      chosen = screen;
    }
  }
  if (!chosen) {
    return 2;
  }
  Backdrop window(image);
  vv::ScreenInfo info;
  info.qscreen = chosen;
  info.geometry = chosen->geometry();
  vv::FullScreenPlacement().present(window, info);
  return QApplication::exec();
}

// The average colour of a grid of samples: tells two pictures of a screen apart.
QString meanColour(const QImage& image) {
  double red = 0, green = 0, blue = 0;
  int samples = 0;
  for (int y = 0; y < image.height(); y += 8) {
    for (int x = 0; x < image.width(); x += 8) {
      const QRgb pixel = image.pixel(x, y);
      red += qRed(pixel);
      green += qGreen(pixel);
      blue += qBlue(pixel);
      ++samples;
    }
  }
  return QColor(qRound(red / samples), qRound(green / samples), qRound(blue / samples)).name();
}

QString screenAt(QPointF point, const std::vector<vv::ScreenInfo>& screens) {
  for (const vv::ScreenInfo& screen : screens) {
    if (screen.frame.contains(point)) {
      return screen.name;
    }
  }
  return {};
}

int capture(const QString& saveDir) {
  vv::BackendProbe probe = vv::probeKWinBackend();
  if (std::holds_alternative<vv::BackendNotAuthorised>(probe)) {
    printLine({{"probe", "refused"}});
    return 0;
  }
  if (std::holds_alternative<vv::BackendUnavailable>(probe)) {
    printLine({{"probe", "absent"}});
    return 0;
  }
  auto backend =
      std::make_shared<vv::DisplayBackend>(std::move(std::get<vv::DisplayBackend>(probe)));
  const std::vector<vv::ScreenInfo> screens = backend->screens->screens();
  printLine({{"probe", "granted"},
             {"preflight", backend->permission->preflight()},
             {"pointer", screenAt(backend->screens->pointer(), screens)}});
  backend->capture->shareableContent([backend, saveDir](vv::ContentOutcome content) {
    const auto* displays = std::get_if<std::vector<vv::DisplayRecord>>(&content);
    if (!displays) {
      printLine({{"content", "failed"}});
      QCoreApplication::exit(1);
      return;
    }
    if (displays->empty()) {
      QCoreApplication::exit(1);
      return;
    }
    auto left = std::make_shared<std::size_t>(displays->size());
    for (const vv::DisplayRecord& display : *displays) {
      backend->capture->screenshot(
          display, display.pixels.size(), [display, left, saveDir](vv::ScreenshotOutcome shot) {
            QJsonObject line{{"screen", display.name}};
            if (const auto* image = std::get_if<QImage>(&shot)) {
              line["width"] = image->width();
              line["height"] = image->height();
              line["centre"] = QColor(image->pixel(image->rect().center())).name(QColor::HexArgb);
              line["mean"] = meanColour(*image);
              if (!saveDir.isEmpty()) {
                image->save(QDir(saveDir).filePath(display.name + ".png"));
              }
            } else {
              line["failed"] = true;
            }
            printLine(line);
            if (--*left == 0) {
              QCoreApplication::quit();
            }
          });
    }
  });
  return QApplication::exec();
}

}  // namespace

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  const QStringList arguments = QCoreApplication::arguments();
  if (arguments.size() == 4 && arguments[1] == "show") {
    return show(arguments[2], arguments[3]);
  }
  if ((arguments.size() == 2 || arguments.size() == 3) && arguments[1] == "capture") {
    return capture(arguments.value(2));
  }
  return 2;
}
