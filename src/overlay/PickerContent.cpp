#include "overlay/PickerContent.h"

#include <QApplication>
#include <QFontMetrics>
#include <QIcon>
#include <QKeySequence>
#include <QLabel>
#include <QPainter>
#include <QPalette>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QStringList>
#include <QTextLayout>
#include <QTextOption>
#include <cmath>
#include <utility>
#include <vector>

#include "overlay/PickerKeyboard.h"
#include "overlay/PickerLayout.h"

namespace vv {

namespace {

const QColor kWhite = Qt::white;
const QColor kLightGray = QColor::fromRgbF(2.0f / 3, 2.0f / 3, 2.0f / 3);

// The system green of the platform this picker was first drawn on; this toolkit has no named
// system green, and this one reads well on the near-black window. The fill is the same green at
// alpha 0.12 (31 of 255).
const QString kHighlightStyle = QStringLiteral(
    "QPushButton { border: 2px solid #34C759; border-radius: 4px;"
    " background-color: rgba(52, 199, 89, 31); }");

const QString kSeparator = QStringLiteral(u" \u00B7 ");

// The green of the frames, so that a badge reads as belonging to them.
const QColor kBadgeGreen = QColor(0x34, 0xC7, 0x59);

QString fromUtf8(const std::string& text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// Sizes are in points, which are the toolkit's device-independent pixels here: the frames the
// text must fit are given in the same unit.
QFont systemFont(int pixelSize, QFont::Weight weight = QFont::Normal) {
  QFont font = QApplication::font();
  font.setPixelSize(pixelSize);
  font.setWeight(weight);
  return font;
}

void setTextColour(QWidget* widget, const QColor& colour) {
  QPalette palette = widget->palette();
  palette.setColor(QPalette::WindowText, colour);
  widget->setPalette(palette);
}

// Labels show recognised text, which must never be taken for markup.
QLabel* makeLabel(const QString& text, QWidget* parent, const char* name) {
  auto* label = new QLabel(parent);
  label->setObjectName(QString::fromLatin1(name));
  label->setTextFormat(Qt::PlainText);
  label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  label->setText(text);
  return label;
}

// Draws the snapshot stretched to the view's size. Shrinking is smoothly resampled once per
// size; enlarging (a snapshot capped by its pixel budget on a very large screen) is interpolated
// while painting, since a stored enlarged copy would be the largest block of the whole run.
class SnapshotView : public QWidget {
 public:
  SnapshotView(QImage image, QWidget* parent) : QWidget(parent), image_(std::move(image)) {}

 protected:
  void paintEvent(QPaintEvent*) override {
    const qreal ratio = devicePixelRatioF();
    const QSize target(static_cast<int>(std::lround(width() * ratio)),
                       static_cast<int>(std::lround(height() * ratio)));
    QPainter painter(this);
    if (target.width() >= image_.width() && target.height() >= image_.height()) {
      scaled_ = QImage();
      painter.setRenderHint(QPainter::SmoothPixmapTransform);
      painter.drawImage(QRectF(0, 0, width(), height()), image_);
      return;
    }
    if (scaled_.size() != target) {
      scaled_ = image_.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
      scaled_.setDevicePixelRatio(ratio);
    }
    painter.drawImage(QPointF(0, 0), scaled_);
  }

 private:
  QImage image_;
  QImage scaled_;
};

// A key cap with the digit that picks a number: dark on the frames' green, readable on a white
// page and on the near-black window alike.
QPixmap keyBadge(int digit, qreal ratio) {
  const int side = static_cast<int>(kBadgeSize);
  QPixmap badge(QSize(side, side) * ratio);
  badge.setDevicePixelRatio(ratio);
  badge.fill(Qt::transparent);
  QPainter painter(&badge);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(Qt::NoPen);
  painter.setBrush(kBadgeGreen);
  painter.drawRoundedRect(QRectF(0, 0, side, side), 4, 4);
  QFont font = QApplication::font();
  font.setPixelSize(13);
  font.setWeight(QFont::Bold);
  painter.setFont(font);
  painter.setPen(Qt::black);
  painter.drawText(QRectF(0, 0, side, side), Qt::AlignCenter, QString::number(digit));
  return badge;
}

// Screen readers announce the description after the name, which stays as it was.
QString keyDescription(std::size_t position) {
  return position < kDigitKeyCount
             ? QStringLiteral("Press %1 to pick this number").arg(position + 1)
             : QString();
}

QString headerText(std::size_t count) {
  if (count == 0) {
    return QStringLiteral("No numbers found. Try enlarging the text.");
  }
  return QString::number(count) + QStringLiteral(
                                      u" numbers \u00B7 current screen\n"
                                      u"Nearby text is context, not a verified identity.");
}

QString rowText(const PhoneMatch& match) {
  const QString context =
      match.context().empty() ? QStringLiteral("No nearby label") : fromUtf8(match.context());
  return fromUtf8(match.kind()) + kSeparator + context;
}

}  // namespace

QString limitToLines(const QString& text, const QFont& font, int width, int maxLines) {
  QString flowing = text;
  flowing.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
  QTextLayout layout(flowing, font);
  QTextOption option;
  option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
  layout.setTextOption(option);
  QStringList lines;
  layout.beginLayout();
  for (QTextLine line = layout.createLine(); line.isValid() && lines.size() < maxLines;
       line = layout.createLine()) {
    line.setLineWidth(width);
    if (lines.size() == maxLines - 1) {
      const QString rest = flowing.mid(line.textStart()).trimmed();
      lines << QFontMetrics(font).elidedText(rest, Qt::ElideRight, width);
    } else {
      lines << flowing.mid(line.textStart(), line.textLength()).trimmed();
    }
  }
  layout.endLayout();
  return lines.join(QLatin1Char('\n'));
}

std::unique_ptr<ScanWindow> buildPicker(const QImage& snapshot, const QSize& screenSize,
                                        const PhoneMatches& matches, const PickerActions& actions) {
  if (snapshot.isNull() || screenSize.isEmpty()) {
    return nullptr;
  }
  const double W = screenSize.width();
  const double H = screenSize.height();
  std::vector<NormalizedRect> boxes;
  boxes.reserve(matches.size());
  for (const PhoneMatch& match : matches) {
    boxes.push_back(match.box());
  }
  const PickerLayout layout = layoutPicker(W, H, snapshot.width(), snapshot.height(), boxes);

  auto window = std::make_unique<ScanWindow>();
  window->resize(screenSize);
  QWidget* content = window.get();

  QLabel* heading = makeLabel(QStringLiteral("Call from screen"), content, "heading");
  heading->setFont(systemFont(22, QFont::DemiBold));
  setTextColour(heading, kWhite);
  heading->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  heading->setGeometry(toChildGeometry(layout.heading, H));

  QLabel* instruction = makeLabel(
      QStringLiteral("Select a highlighted number, then check it in Mirvo before calling. "
                     "Esc cancels. This snapshot stays on your computer."),
      content, "instruction");
  setTextColour(instruction, kLightGray);
  instruction->setFont(systemFont(14));
  instruction->setWordWrap(true);
  instruction->setGeometry(toChildGeometry(layout.instruction, H));

  auto* cancel = new QPushButton(QStringLiteral("Cancel"), content);
  cancel->setObjectName(QStringLiteral("cancel"));
  cancel->setGeometry(toChildGeometry(layout.cancel, H));
  cancel->setShortcut(QKeySequence(Qt::Key_Escape));
  QObject::connect(cancel, &QPushButton::clicked, cancel,
                   [onCancel = actions.onCancel] { onCancel(); });
  window->setFirstResponder(cancel);

  auto* snapshotView = new SnapshotView(snapshot, content);
  snapshotView->setObjectName(QStringLiteral("snapshot"));
  snapshotView->setGeometry(toChildGeometry(layout.image, H));

  std::vector<NumberControls> controls;
  for (std::size_t i = 0; i < matches.size(); ++i) {
    const QString number = fromUtf8(matches[i].number());
    const int tag = static_cast<int>(i);
    auto* highlight = new QPushButton(content);
    highlight->setObjectName(QStringLiteral("highlight"));
    highlight->setGeometry(toChildGeometry(layout.highlights[i], H));
    highlight->setFlat(true);
    highlight->setStyleSheet(kHighlightStyle);
    highlight->setProperty("tag", tag);
    highlight->setToolTip(QStringLiteral("Open ") + number + QStringLiteral(" in Mirvo"));
    highlight->setAccessibleName(QStringLiteral("Open ") + number +
                                 QStringLiteral(" in Mirvo dialer"));
    highlight->setAccessibleDescription(keyDescription(i));
    QObject::connect(highlight, &QPushButton::clicked, highlight,
                     [onSelect = actions.onSelect, tag] { onSelect(tag); });
    controls.push_back({highlight, nullptr, nullptr});
  }

  const qreal ratio = window->devicePixelRatioF();
  for (std::size_t i = 0; i < layout.badges.size(); ++i) {
    auto* badge = new QLabel(content);
    badge->setObjectName(QStringLiteral("keyBadge"));
    badge->setProperty("tag", static_cast<int>(i));
    badge->setPixmap(keyBadge(static_cast<int>(i) + 1, ratio));
    badge->setAttribute(Qt::WA_TransparentForMouseEvents);
    badge->setGeometry(toChildGeometry(layout.badges[i], H));
  }

  const double L = layout.documentHeight;
  auto* list = new QScrollArea(content);
  list->setObjectName(QStringLiteral("numberList"));
  list->setGeometry(toChildGeometry(layout.list, H));
  list->setFrameShape(QFrame::NoFrame);
  list->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  list->viewport()->setAutoFillBackground(false);

  auto* document = new QWidget;
  document->setObjectName(QStringLiteral("listDocument"));
  document->setFixedSize(static_cast<int>(std::lround(layout.documentWidth)),
                         static_cast<int>(std::lround(L)));

  QLabel* header = makeLabel(headerText(matches.size()), document, "listHeader");
  setTextColour(header, kLightGray);
  header->setWordWrap(true);
  header->setGeometry(toChildGeometry(layout.header, L));

  const QFont rowFont = systemFont(13);
  for (std::size_t i = 0; i < matches.size(); ++i) {
    const PhoneMatch& match = matches[i];
    const QString number = fromUtf8(match.number());
    const int tag = static_cast<int>(i);
    const QRect labelGeometry = toChildGeometry(layout.rows[i].label, L);
    QLabel* rowLabel = makeLabel(limitToLines(rowText(match), rowFont, labelGeometry.width(), 2),
                                 document, "rowLabel");
    setTextColour(rowLabel, kWhite);
    rowLabel->setFont(rowFont);
    rowLabel->setProperty("tag", tag);
    rowLabel->setGeometry(labelGeometry);

    auto* rowButton = new QPushButton(number, document);
    rowButton->setObjectName(QStringLiteral("rowButton"));
    rowButton->setProperty("tag", tag);
    rowButton->setGeometry(toChildGeometry(layout.rows[i].button, L));
    rowButton->setAccessibleName(QStringLiteral("Open ") + number + QStringLiteral(" in Mirvo, ") +
                                 fromUtf8(match.context()));
    rowButton->setAccessibleDescription(keyDescription(i));
    if (i < kDigitKeyCount) {
      // An icon stands beside the title and never over it, however long the number is.
      rowButton->setIcon(QIcon(keyBadge(tag + 1, ratio)));
      rowButton->setIconSize(QSize(static_cast<int>(kBadgeSize), static_cast<int>(kBadgeSize)));
    }
    controls[i].rowLabel = rowLabel;
    controls[i].rowButton = rowButton;
    QObject::connect(rowButton, &QPushButton::clicked, rowButton,
                     [onSelect = actions.onSelect, tag] { onSelect(tag); });
  }

  list->setWidget(document);
  // The scroll area turns background filling on for its document; the window must show through.
  document->setAutoFillBackground(false);
  // Qt counts the scroll position down from the document's top; the list shows its top.
  const double hiddenBelow = layout.scrollY;
  const double hiddenAbove = L - layout.list.height - hiddenBelow;
  list->verticalScrollBar()->setValue(static_cast<int>(std::lround(hiddenAbove)));
  new PickerKeyboard(window.get(), cancel, list, std::move(controls));
  return window;
}

}  // namespace vv
