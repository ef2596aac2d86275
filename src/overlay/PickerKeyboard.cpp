#include "overlay/PickerKeyboard.h"

#include <QApplication>
#include <QEvent>
#include <QKeyEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPushButton>
#include <QScrollArea>
#include <utility>

namespace vv {

namespace {

// The usual colour of keyboard focus; it reads on a white page and on the near-black window.
const QColor kFocusBlue = QColor(0x0A, 0x84, 0xFF);
constexpr int kRingWidth = 2;
constexpr int kRingOutset = 3;

bool isDigitKey(int key) { return key >= Qt::Key_1 && key <= Qt::Key_9; }

}  // namespace

// An outline drawn round a control; clicks go through it.
class FocusRing : public QWidget {
 public:
  explicit FocusRing(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("focusRing"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
    hide();
  }

  void surround(const QRect& area) {
    setGeometry(area.adjusted(-kRingOutset, -kRingOutset, kRingOutset, kRingOutset));
    show();
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(kFocusBlue, kRingWidth));
    const qreal inset = kRingWidth * 0.5;
    painter.drawRoundedRect(QRectF(rect()).adjusted(inset, inset, -inset, -inset), 5, 5);
  }
};

PickerKeyboard::PickerKeyboard(QWidget* window, QPushButton* cancel, QScrollArea* list,
                               std::vector<NumberControls> numbers)
    : QObject(window), cancel_(cancel), list_(list), numbers_(std::move(numbers)) {
  window->installEventFilter(this);
  cancel->installEventFilter(this);
  QWidget* previous = cancel;
  for (const NumberControls& number : numbers_) {
    // The row button stands for its number; the frame is for the mouse and would only make Tab
    // stop twice on the same number.
    number.highlight->setFocusPolicy(Qt::NoFocus);
    number.rowButton->installEventFilter(this);
    QWidget::setTabOrder(previous, number.rowButton);
    previous = number.rowButton;
  }
  list->setFocusPolicy(Qt::NoFocus);
  frameRing_ = new FocusRing(window);
  if (numbers_.empty()) {
    return;
  }
  // Above the snapshot and below the frames and their badges, which it only runs round.
  frameRing_->stackUnder(numbers_.front().highlight);
  rowRing_ = new FocusRing(numbers_.front().rowButton->parentWidget());
}

bool PickerKeyboard::eventFilter(QObject*, QEvent* event) {
  switch (event->type()) {
    case QEvent::KeyPress: {
      const auto* key = static_cast<QKeyEvent*>(event);
      return handleKey(key->key(), key->modifiers());
    }
    case QEvent::FocusIn:
    case QEvent::FocusOut:
      showFocus(focusedNumber());
      return false;
    default:
      return false;
  }
}

bool PickerKeyboard::handleKey(int key, Qt::KeyboardModifiers modifiers) {
  if (modifiers & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) {
    return false;
  }
  if (isDigitKey(key)) {
    const auto position = static_cast<std::size_t>(key - Qt::Key_1);
    if (position >= numbers_.size()) {
      return false;
    }
    // The same path as a click; it may end the run, so nothing of this object is touched after.
    numbers_[position].rowButton->click();
    return true;
  }
  switch (key) {
    case Qt::Key_Tab:
      moveFocus(modifiers & Qt::ShiftModifier ? -1 : 1);
      return true;
    case Qt::Key_Backtab:
    case Qt::Key_Up:
    case Qt::Key_Left:
      moveFocus(-1);
      return true;
    case Qt::Key_Down:
    case Qt::Key_Right:
      moveFocus(1);
      return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space: {
      auto* focused = qobject_cast<QPushButton*>(QApplication::focusWidget());
      if (focused == nullptr || (focused != cancel_ && focusedNumber() < 0)) {
        return false;
      }
      focused->click();
      return true;
    }
    default:
      return false;
  }
}

void PickerKeyboard::moveFocus(int step) {
  // Cancel and the numbers form one ring: Cancel first, then the numbers in the list's order.
  const int stops = static_cast<int>(numbers_.size()) + 1;
  const int next = ((focusedNumber() + 1 + step) % stops + stops) % stops;
  QWidget* target = next == 0 ? static_cast<QWidget*>(cancel_.data())
                              : numbers_[static_cast<std::size_t>(next - 1)].rowButton;
  if (target) {
    target->setFocus(step > 0 ? Qt::TabFocusReason : Qt::BacktabFocusReason);
  }
}

int PickerKeyboard::focusedNumber() const {
  for (std::size_t i = 0; i < numbers_.size(); ++i) {
    if (numbers_[i].rowButton->hasFocus()) {
      return static_cast<int>(i);
    }
  }
  return -1;
}

void PickerKeyboard::showFocus(int number) {
  if (rowRing_) {
    rowRing_->hide();
  }
  if (number < 0) {
    // Cancel shows its focus the same way, so that Enter's effect is never a surprise.
    if (cancel_ && cancel_->hasFocus()) {
      frameRing_->surround(cancel_->geometry());
    } else {
      frameRing_->hide();
    }
    return;
  }
  const NumberControls& controls = numbers_[static_cast<std::size_t>(number)];
  frameRing_->surround(controls.highlight->geometry());
  const QRect row = controls.rowLabel->geometry().united(controls.rowButton->geometry());
  rowRing_->surround(row);
  if (list_) {
    const QPoint centre = row.center();
    list_->ensureVisible(centre.x(), centre.y(), 0, row.height() / 2 + kRingOutset + kRingWidth);
  }
}

}  // namespace vv
