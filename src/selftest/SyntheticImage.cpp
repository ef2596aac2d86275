#include "selftest/SyntheticImage.h"

#include <QFont>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QPainter>
#include <array>

namespace vv {

namespace {

constexpr int kWidth = 1600;
constexpr int kHeight = 900;
constexpr int kLeft = 100;
constexpr int kFontPixels = 36;

struct Line {
  int bottom;  // bottom edge of the text box, from the image's bottom edge
  const char* text;
};

constexpr std::array<Line, 5> kLines{{
    {730, "Contact our team"},
    {620, "Sales - San Francisco: +1 (415) 555-0142"},
    {510, "Support - London: +44 20 7946 0958"},
    {400, "Invoice: 4155550143"},
    {290, "Order: 1234567890"},
}};

}  // namespace

QImage syntheticImage() {
  QImage image(kWidth, kHeight, QImage::Format_RGB32);
  image.fill(Qt::white);
  QFont font = QGuiApplication::font();
  font.setPixelSize(kFontPixels);
  const QFontMetrics metrics(font);
  QPainter painter(&image);
  painter.setFont(font);
  painter.setPen(Qt::black);
  for (const Line& line : kLines) {
    // Qt draws from the baseline, with y growing downward.
    const int baseline = (kHeight - line.bottom) - metrics.descent();
    painter.drawText(QPoint(kLeft, baseline), QString::fromUtf8(line.text));
  }
  return image;
}

}  // namespace vv
