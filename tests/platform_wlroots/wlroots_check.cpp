// A test tool: the wlroots back end's pieces run one at a time against the compositor of
// WAYLAND_DISPLAY, their results printed on standard output for the end-to-end tests.
//
//   wlroots_check probe                    "wlroots" or "unavailable"
//   wlroots_check outputs                  one line per output: id name x y width height
//   wlroots_check capture NAME W H         "W H centre top-left bottom-right" as #rrggbb, or
//                                          "failed" / "permission" as the permission gate says
//   wlroots_check pointer                  the output under the pointer, or "none"
#include <QCoreApplication>
#include <QImage>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <variant>

#include "platform/wlroots/LayerShellPointerProbe.h"
#include "platform/wlroots/ScreencopyCaptureService.h"
#include "platform/wlroots/WlrootsBackend.h"

namespace {

void print(const QString& line) { std::printf("%s\n", line.toUtf8().constData()); }

QString hex(const QImage& image, int x, int y) {
  return QStringLiteral("#%1").arg(image.pixel(x, y) & 0xffffffu, 6, 16, QLatin1Char('0'));
}

// The service outlives the event loop: its completions must not own it.
void capture(QCoreApplication& app, vv::ScreencopyCaptureService& service,
             vv::ScreencopyPermission& permission, const QString& name, QSize size) {
  const auto fail = [&app, &permission] {
    print(permission.preflight() ? "failed" : "permission");
    app.exit(0);
  };
  service.shareableContent([&app, &service, fail, name, size](vv::ContentOutcome content) {
    const auto* displays = std::get_if<std::vector<vv::DisplayRecord>>(&content);
    vv::ScreenInfo screen;
    screen.name = name;
    const std::optional<vv::DisplayId> id = service.screenNumber(screen);
    if (!displays || !id) {
      fail();
      return;
    }
    for (const vv::DisplayRecord& display : *displays) {
      if (display.displayID != *id) {
        continue;
      }
      service.screenshot(display, size, [&app, fail](vv::ScreenshotOutcome shot) {
        const auto* image = std::get_if<QImage>(&shot);
        if (!image) {
          fail();
          return;
        }
        const int w = image->width();
        const int h = image->height();
        print(QStringLiteral("%1 %2 %3 %4 %5")
                  .arg(w)
                  .arg(h)
                  .arg(hex(*image, w / 2, h / 2), hex(*image, 0, 0), hex(*image, w - 1, h - 1)));
        app.exit(0);
      });
    }
  });
}

void listOutputs(QCoreApplication& app, vv::ScreencopyCaptureService& service) {
  service.shareableContent([&app](vv::ContentOutcome content) {
    if (const auto* displays = std::get_if<std::vector<vv::DisplayRecord>>(&content)) {
      for (const vv::DisplayRecord& d : *displays) {
        print(QStringLiteral("%1 %2 %3 %4 %5 %6")
                  .arg(d.displayID)
                  .arg(d.name)
                  .arg(d.pixels.x())
                  .arg(d.pixels.y())
                  .arg(d.pixels.width())
                  .arg(d.pixels.height()));
      }
    } else {
      print("failed");
    }
    app.exit(0);
  });
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const QStringList args = app.arguments().mid(1);
  const QString command = args.value(0);
  if (command == "probe") {
    print(std::holds_alternative<vv::DisplayBackend>(vv::probeWlrootsBackend()) ? "wlroots"
                                                                                : "unavailable");
    return 0;
  }
  if (command == "pointer") {
    print(vv::outputUnderPointer(std::chrono::milliseconds(150)).value_or("none"));
    return 0;
  }
  const auto refusal = std::make_shared<std::atomic<bool>>(false);
  vv::ScreencopyCaptureService service(refusal);
  vv::ScreencopyPermission permission(refusal);
  if (command == "outputs") {
    QTimer::singleShot(0, &app, [&] { listOutputs(app, service); });
  } else if (command == "capture" && args.size() == 4) {
    const QString name = args[1];
    const QSize size(args[2].toInt(), args[3].toInt());
    QTimer::singleShot(0, &app, [&, name, size] { capture(app, service, permission, name, size); });
  } else {
    std::fprintf(stderr, "usage: wlroots_check probe|outputs|pointer|capture NAME W H\n");
    return 2;
  }
  return app.exec();
}
