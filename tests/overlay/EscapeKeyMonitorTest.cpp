#include "overlay/EscapeKeyMonitor.h"

#include <gtest/gtest.h>

#include <QKeyEvent>
#include <QKeySequence>
#include <QPushButton>
#include <QTest>
#include <QWidget>
#include <memory>
#include <vector>

namespace vv {
namespace {

class KeyProbe : public QWidget {
 public:
  std::vector<int> pressed;

 protected:
  void keyPressEvent(QKeyEvent* event) override { pressed.push_back(event->key()); }
};

TEST(EscapeKeyMonitor, ConsumesEscapeAndLetsOtherKeysThrough) {
  KeyProbe probe;
  int escapes = 0;
  EscapeKeyMonitor monitor([&] { ++escapes; });

  QTest::keyClick(&probe, Qt::Key_Escape);
  EXPECT_EQ(escapes, 1);
  EXPECT_TRUE(probe.pressed.empty());

  QTest::keyClick(&probe, Qt::Key_A);
  QTest::keyClick(&probe, Qt::Key_Return);
  EXPECT_EQ(escapes, 1);
  EXPECT_EQ(probe.pressed, (std::vector<int>{Qt::Key_A, Qt::Key_Return}));
}

TEST(EscapeKeyMonitor, DestroyingItUninstallsIt) {
  KeyProbe probe;
  int escapes = 0;
  auto monitor = std::make_unique<EscapeKeyMonitor>([&] { ++escapes; });
  monitor.reset();
  QTest::keyClick(&probe, Qt::Key_Escape);
  EXPECT_EQ(escapes, 0);
  EXPECT_EQ(probe.pressed, std::vector<int>{Qt::Key_Escape});
}

TEST(EscapeKeyMonitor, CallbackMayDestroyTheMonitor) {
  KeyProbe probe;
  std::unique_ptr<EscapeKeyMonitor> monitor;
  int escapes = 0;
  monitor = std::make_unique<EscapeKeyMonitor>([&] {
    ++escapes;
    monitor.reset();
  });
  QTest::keyClick(&probe, Qt::Key_Escape);
  QTest::keyClick(&probe, Qt::Key_Escape);
  EXPECT_EQ(escapes, 1);
  EXPECT_EQ(probe.pressed, std::vector<int>{Qt::Key_Escape});
}

TEST(EscapeKeyMonitor, TakesEscapeBeforeAnyShortcutBoundToIt) {
  QWidget window;
  auto* button = new QPushButton("Cancel", &window);
  button->setShortcut(QKeySequence(Qt::Key_Escape));
  int clicks = 0;
  QObject::connect(button, &QPushButton::clicked, [&] { ++clicks; });
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  button->setFocus();

  int escapes = 0;
  EscapeKeyMonitor monitor([&] { ++escapes; });
  QTest::keyClick(button, Qt::Key_Escape);
  EXPECT_EQ(escapes, 1);
  QTest::qWait(300);
  EXPECT_EQ(clicks, 0);
}

}  // namespace
}  // namespace vv
