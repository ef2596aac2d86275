#pragma once

#include <QObject>
#include <QPointer>
#include <vector>

class QPushButton;
class QScrollArea;
class QWidget;

namespace vv {

class FocusRing;

// The controls of one number in the picker: its frame over the snapshot and its row in the list.
struct NumberControls {
  QPushButton* highlight = nullptr;
  QWidget* rowLabel = nullptr;
  QPushButton* rowButton = nullptr;
};

// Drives the picker from the keyboard. Digits 1 to 9 click the row button of the first nine
// numbers; Tab, Shift+Tab and the arrow keys move the focus round Cancel and the row buttons;
// Enter, Return and Space click the focused button. A ring shows the focus: round a number's
// frame and its row together, the list scrolling to keep the row in view, or round Cancel. Every
// other key, and a digit that picks nothing, goes on as usual. Lives as a child of the window.
class PickerKeyboard : public QObject {
  Q_OBJECT

 public:
  PickerKeyboard(QWidget* window, QPushButton* cancel, QScrollArea* list,
                 std::vector<NumberControls> numbers);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  bool handleKey(int key, Qt::KeyboardModifiers modifiers);
  void moveFocus(int step);
  int focusedNumber() const;
  void showFocus(int number);

  QPointer<QPushButton> cancel_;
  QPointer<QScrollArea> list_;
  std::vector<NumberControls> numbers_;
  FocusRing* frameRing_ = nullptr;  // round the focused number's frame, or Cancel
  FocusRing* rowRing_ = nullptr;    // round its row in the list
};

}  // namespace vv
