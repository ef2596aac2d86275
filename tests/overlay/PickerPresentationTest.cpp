#include <gtest/gtest.h>

#include <QApplication>
#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <algorithm>
#include <memory>
#include <vector>

#include "app/VizoviVevoApp.h"
#include "fakes/FakeServices.h"
#include "overlay/ScanWindow.h"

namespace vv {
namespace {

using vv::testing::FakeServices;
using vv::testing::makeScreen;
using vv::testing::match;
using Lines = std::vector<std::string>;
using namespace std::chrono_literals;

const std::string kShowing = R"({"status":"showing"})";
const std::string kCancelled = R"({"status":"cancelled"})";

QPushButton* button(const ScanWindow& window, const char* name, int tag) {
  for (QPushButton* candidate : window.findChildren<QPushButton*>(QString::fromLatin1(name))) {
    if (candidate->property("tag").toInt() == tag) {
      return candidate;
    }
  }
  return nullptr;
}

// One delegate showing the picker for three matches, with fakes around it.
class Picker : public ::testing::Test {
 protected:
  void showPicker(std::chrono::milliseconds dismissal = 60s) {
    app = std::make_unique<VizoviVevoApp>(std::vector<std::string>{"vizovi-vevo", "--demo"},
                                          fakes.services(dismissal));
    fakes.scanner.result = {match("+1 (415) 555-0142", "Sales", "Sales"),
                            match("020 7946 0018", "London office", "Office"), match("555 0199")};
    fakes.screens.attached = {makeScreen("A", QRectF(0, 0, 960, 600))};
    fakes.screens.main = fakes.screens.attached.front();
    // The demo road stores the scanner's matches and shows them on a synthetic snapshot.
    app->applicationDidFinishLaunching();
    window = app->currentWindow();
  }

  FakeServices fakes;
  std::unique_ptr<VizoviVevoApp> app;
  ScanWindow* window = nullptr;
};

TEST_F(Picker, ShowingIsReportedAndTheWindowCoversTheScreenWithCancelFocused) {
  showPicker();
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(fakes.output.lines(), Lines{kShowing});
  EXPECT_EQ(fakes.terminator.terminations, 0);
  EXPECT_TRUE(window->isVisible());
  EXPECT_EQ(window->geometry(), QRect(0, 0, 960, 600));
  ASSERT_TRUE(QTest::qWaitForWindowActive(window));
  EXPECT_EQ(QApplication::focusWidget(), window->findChild<QPushButton*>("cancel"));
  ASSERT_NE(app->currentDismissalTimer(), nullptr);
  EXPECT_TRUE(app->currentDismissalTimer()->isActive());
  EXPECT_TRUE(app->currentDismissalTimer()->isSingleShot());
  EXPECT_EQ(app->currentDismissalTimer()->intervalAsDuration(), 60s);
}

TEST_F(Picker, HighlightAndRowButtonOfAMatchGiveTheSameSelectedLine) {
  Lines written;
  for (const char* name : {"highlight", "rowButton"}) {
    fakes.output.writes.clear();
    showPicker();
    QTest::mouseClick(button(*window, name, 1), Qt::LeftButton);
    ASSERT_EQ(fakes.output.lines().size(), 2u);
    written.push_back(fakes.output.lines()[1]);
    // The window stays up until the process ends.
    EXPECT_EQ(app->currentWindow(), window);
  }
  EXPECT_EQ(written[0], R"({"status":"selected","number":"020 7946 0018"})");
  EXPECT_EQ(written[1], written[0]);
}

TEST_F(Picker, TagsOutsideTheMatchesAreIgnored) {
  showPicker();
  app->selectNumber(-1);
  app->selectNumber(3);
  EXPECT_EQ(fakes.output.lines(), Lines{kShowing});
  EXPECT_EQ(fakes.terminator.terminations, 0);
  EXPECT_EQ(app->currentWindow(), window);
  app->selectNumber(2);
  EXPECT_EQ(fakes.output.lines().back(), R"({"status":"selected","number":"555 0199"})");
}

TEST_F(Picker, EscapeCancelsOnceAndOtherKeysDoNothing) {
  showPicker();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window));
  QTest::keyClick(window->focusWidget(), Qt::Key_A);
  QTest::keyClick(window->focusWidget(), Qt::Key_Down);
  QTest::keyClick(window->focusWidget(), Qt::Key_F1);
  EXPECT_EQ(fakes.output.lines(), Lines{kShowing});

  QTest::keyClick(window->findChild<QPushButton*>("cancel"), Qt::Key_Escape);
  QTest::keyClick(window->findChild<QPushButton*>("cancel"), Qt::Key_Escape);
  EXPECT_EQ(fakes.output.lines(), (Lines{kShowing, kCancelled}));
  EXPECT_EQ(fakes.terminator.terminations, 1);
  EXPECT_EQ(app->currentWindow(), nullptr);
  EXPECT_FALSE(app->currentDismissalTimer()->isActive());
}

TEST_F(Picker, EachDigitWritesOneSelectedLineForItsNumber) {
  const Lines numbers{"+1 (415) 555-0142", "020 7946 0018", "555 0199"};
  for (int digit = 1; digit <= 3; ++digit) {
    fakes.output.writes.clear();
    showPicker();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    QTest::keyClick(window->focusWidget(), static_cast<Qt::Key>(Qt::Key_0 + digit));
    // A second key before the process ends adds nothing.
    QTest::keyClick(window->focusWidget(), Qt::Key_1);
    EXPECT_EQ(fakes.output.lines(),
              (Lines{kShowing, R"({"status":"selected","number":")" +
                                   numbers[static_cast<std::size_t>(digit - 1)] + R"("})"}));
  }
  EXPECT_EQ(fakes.terminator.terminations, 3);
}

TEST_F(Picker, ADigitBeyondTheNumbersWritesNothing) {
  showPicker();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window));
  QTest::keyClick(window->focusWidget(), Qt::Key_4);
  QTest::keyClick(window->focusWidget(), Qt::Key_9);
  EXPECT_EQ(fakes.output.lines(), Lines{kShowing});
  EXPECT_EQ(fakes.terminator.terminations, 0);
  EXPECT_EQ(app->currentWindow(), window);
}

TEST_F(Picker, EnterAtStartCancelsAndEnterOnAFocusedNumberPicksIt) {
  showPicker();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window));
  QTest::keyClick(window->focusWidget(), Qt::Key_Return);
  EXPECT_EQ(fakes.output.lines(), (Lines{kShowing, kCancelled}));

  fakes.output.writes.clear();
  showPicker();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window));
  QTest::keyClick(window->focusWidget(), Qt::Key_Tab);
  QTest::keyClick(window->focusWidget(), Qt::Key_Down);
  QTest::keyClick(window->focusWidget(), Qt::Key_Return);
  EXPECT_EQ(fakes.output.lines(),
            (Lines{kShowing, R"({"status":"selected","number":"020 7946 0018"})"}));
}

TEST_F(Picker, EscapeCancelsWhicheverWidgetItIsSentTo) {
  showPicker();
  QWidget elsewhere;
  QTest::keyClick(&elsewhere, Qt::Key_Escape);
  EXPECT_EQ(fakes.output.lines(), (Lines{kShowing, kCancelled}));
}

TEST_F(Picker, SelectionThenEscapeWritesOnlyTheSelection) {
  showPicker();
  QTest::mouseClick(button(*window, "highlight", 0), Qt::LeftButton);
  QTest::keyClick(window, Qt::Key_Escape);
  app->cancel();
  EXPECT_EQ(fakes.output.lines(),
            (Lines{kShowing, R"({"status":"selected","number":"+1 (415) 555-0142"})"}));
  EXPECT_EQ(fakes.terminator.terminations, 1);
}

TEST_F(Picker, CancelButtonDismisses) {
  showPicker();
  QTest::mouseClick(window->findChild<QPushButton*>("cancel"), Qt::LeftButton);
  EXPECT_EQ(fakes.output.lines(), (Lines{kShowing, kCancelled}));
  EXPECT_EQ(app->currentWindow(), nullptr);
}

TEST_F(Picker, DismissalTimerCancelsLater) {
  showPicker(30ms);
  EXPECT_EQ(fakes.output.lines(), Lines{kShowing});
  QTRY_COMPARE_WITH_TIMEOUT(fakes.output.lines().size(), 2u, 5000);
  EXPECT_EQ(fakes.output.lines().back(), kCancelled);
  EXPECT_EQ(fakes.terminator.terminations, 1);
}

TEST_F(Picker, DismissalTimerDoesNothingOnceTheDelegateIsGone) {
  showPicker(10ms);
  app.reset();
  QTest::qWait(100);
  EXPECT_EQ(fakes.output.lines(), Lines{kShowing});
}

TEST_F(Picker, ScreenConfigurationChangesCancel) {
  showPicker();
  Q_EMIT QGuiApplication::primaryScreen()->geometryChanged(QRect(0, 0, 800, 800));
  EXPECT_EQ(fakes.output.lines(), (Lines{kShowing, kCancelled}));

  showPicker();
  fakes.output.writes.clear();
  Q_EMIT qGuiApp->primaryScreenChanged(QGuiApplication::primaryScreen());
  EXPECT_EQ(fakes.output.lines(), Lines{kCancelled});
}

TEST_F(Picker, LosingActivationCancels) {
  showPicker();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window));
  Q_EMIT qGuiApp->applicationStateChanged(Qt::ApplicationInactive);
  EXPECT_EQ(fakes.output.lines(), (Lines{kShowing, kCancelled}));
}

TEST_F(Picker, AnOverlayThatCannotBeBuiltFailsTheRun) {
  app = std::make_unique<VizoviVevoApp>(std::vector<std::string>{"vizovi-vevo"}, fakes.services());
  app->show(QImage(), makeScreen("A", QRectF(0, 0, 960, 600)));
  EXPECT_EQ(fakes.output.lines(), Lines{R"({"status":"failed"})"});
  EXPECT_EQ(fakes.terminator.terminations, 1);
  EXPECT_EQ(app->currentWindow(), nullptr);

  app->show(QImage(), makeScreen("A", QRectF(0, 0, 960, 600)));
  EXPECT_EQ(fakes.output.lines().size(), 1u);
  EXPECT_EQ(fakes.terminator.terminations, 1);
}

}  // namespace
}  // namespace vv
