#include <gtest/gtest.h>

#include <QCoreApplication>

#include <nlohmann/json.hpp>

#include "app/VizoviVevoApp.h"
#include "fakes/FakeServices.h"
#include "overlay/ScanWindow.h"

namespace vv {
namespace {

using vv::testing::FakeServices;
using vv::testing::makeScreen;
using vv::testing::match;

class Launch : public ::testing::Test {
 protected:
  Launch() {
    fakes.screens.attached = {makeScreen("A", QRectF(0, 0, 1600, 900))};
    fakes.screens.main = fakes.screens.attached.front();
    fakes.screens.pointerAt = QPointF(10, 10);
  }

  std::unique_ptr<VizoviVevoApp> launch(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), "vizovi-vevo");
    auto app = std::make_unique<VizoviVevoApp>(std::move(arguments), fakes.services());
    app->applicationDidFinishLaunching();
    QCoreApplication::processEvents();  // the capture pipeline starts from the event loop
    return app;
  }

  std::vector<std::string> statuses() const {
    std::vector<std::string> words;
    for (const std::string& line : fakes.output.lines()) {
      words.push_back(nlohmann::json::parse(line).at("status"));
    }
    return words;
  }

  using Lines = std::vector<std::string>;
  FakeServices fakes;
};

TEST_F(Launch, WatchEndsAtOnceWithCancelledAndLooksAtNothingElse) {
  fakes.demoSetting.on = true;
  launch({"--demo", "--self-test", "--watch"});
  EXPECT_EQ(fakes.output.lines(), Lines{R"({"status":"cancelled"})"});
  EXPECT_EQ(fakes.terminator.terminations, 1);
  EXPECT_EQ(fakes.screens.pointerReads, 0);
  EXPECT_EQ(fakes.demoSetting.reads, 0);
  EXPECT_EQ(fakes.permission.preflights + fakes.permission.requests, 0);
  EXPECT_EQ(fakes.scanner.calls, 0);
}

TEST_F(Launch, SwitchesMatchWholeArgumentsOnly) {
  launch({"--WATCH", "--watch=1", "-watch", "watch", "--watc", "--self-test=yes", "--Demo"});
  EXPECT_EQ(fakes.output.lines(), Lines{}) << "the capture road runs, waiting for its snapshot";
  EXPECT_EQ(fakes.snapshotter.requested.size(), 1u);
  EXPECT_EQ(fakes.scanner.calls, 0);
}

TEST_F(Launch, NoScreenAndNoMainScreenFails) {
  fakes.screens.attached.clear();
  fakes.screens.main.reset();
  launch({"--self-test"});
  EXPECT_EQ(statuses(), Lines{"failed"});
  EXPECT_EQ(fakes.scanner.calls, 0) << "no image is drawn or recognised without a screen";
}

TEST_F(Launch, ThePointerPicksTheScreenThatCaptureUses) {
  fakes.screens.attached = {makeScreen("Left", QRectF(0, 0, 960, 1080)),
                            makeScreen("Right", QRectF(960, 0, 960, 1080))};
  fakes.screens.pointerAt = QPointF(1500.5, 1079.5);
  launch({});
  ASSERT_EQ(fakes.snapshotter.requested.size(), 1u);
  EXPECT_EQ(fakes.snapshotter.requested.front().name, "Right");
}

TEST_F(Launch, SelfTestWinsOverDemoAndShowsNoWindow) {
  fakes.scanner.result = {
      match("+1 (415) 555-0142", "Sales - San Francisco", "Sales", {0.3, 0.69, 0.2, 0.04}),
      match("+44 20 7946 0958", "Support - London", "Support", {0.27, 0.57, 0.2, 0.03})};
  auto app = launch({"--demo", "--self-test"});
  EXPECT_EQ(statuses(), Lines{"self-test-passed"});
  EXPECT_EQ(app->currentWindow(), nullptr);
  EXPECT_EQ(app->currentMatches().size(), 2u);
}

TEST_F(Launch, SelfTestFailsOnAWrongResultAndOnARecogniserFailure) {
  fakes.scanner.result = {match("4155550143")};
  launch({"--self-test"});
  EXPECT_EQ(statuses(), Lines{"failed"});

  FakeServices other;
  other.screens.main = makeScreen("A", QRectF(0, 0, 800, 600));
  other.scanner.fails = true;
  VizoviVevoApp app({"vizovi-vevo", "--self-test"}, other.services());
  app.applicationDidFinishLaunching();
  EXPECT_EQ(other.output.lines(), Lines{R"({"status":"failed"})"});
  EXPECT_EQ(other.terminator.terminations, 1);
}

TEST_F(Launch, DemoFromTheSettingShowsThePickerWithoutReady) {
  fakes.demoSetting.on = true;
  fakes.scanner.result = {match("+1 (415) 555-0142")};
  auto app = launch({});
  EXPECT_EQ(statuses(), Lines{"showing"});
  EXPECT_NE(app->currentWindow(), nullptr);
  EXPECT_EQ(fakes.permission.preflights, 0);
  EXPECT_TRUE(fakes.snapshotter.requested.empty());
}

TEST_F(Launch, DemoSwitchWinsWithoutReadingTheSetting) {
  launch({"--demo"});
  EXPECT_EQ(fakes.demoSetting.reads, 0);
  EXPECT_EQ(statuses(), Lines{"showing"}) << "zero matches still show the picker in demo";
}

TEST_F(Launch, DemoRecognitionFailureFailsWithoutAWindow) {
  fakes.scanner.fails = true;
  auto app = launch({"--demo"});
  EXPECT_EQ(statuses(), Lines{"failed"});
  EXPECT_EQ(app->currentWindow(), nullptr);
}

TEST_F(Launch, PermissionIsAskedOnlyAfterAFailedPreflight) {
  fakes.permission.preflightAnswer = true;
  launch({});
  EXPECT_EQ(fakes.permission.requests, 0);
  EXPECT_EQ(fakes.snapshotter.requested.size(), 1u);
}

TEST_F(Launch, AGrantedRequestProceedsToCaptureAndARefusalEndsWithPermission) {
  fakes.permission.preflightAnswer = false;
  launch({});
  EXPECT_EQ(fakes.permission.requests, 1);
  EXPECT_EQ(fakes.snapshotter.requested.size(), 1u);

  FakeServices refused;
  refused.screens.main = makeScreen("A", QRectF(0, 0, 800, 600));
  refused.permission.preflightAnswer = false;
  refused.permission.requestAnswer = false;
  VizoviVevoApp app({"vizovi-vevo"}, refused.services());
  app.applicationDidFinishLaunching();
  EXPECT_EQ(refused.output.lines(), Lines{R"({"status":"permission"})"});
  EXPECT_TRUE(refused.snapshotter.requested.empty());
}

class Latch : public Launch {};

TEST_F(Latch, OnlyTheFirstTerminalOutcomeWritesAndTerminates) {
  VizoviVevoApp app({"vizovi-vevo"}, fakes.services());
  app.finish("cancelled");
  app.finish("selected", "+1 (415) 555-0142");
  app.dismiss();
  EXPECT_EQ(fakes.output.lines(), Lines{R"({"status":"cancelled"})"});
  EXPECT_EQ(fakes.terminator.terminations, 1);
  EXPECT_TRUE(app.isFinished());
}

TEST_F(Latch, EachLineIsTheObjectThenItsLineFeedInTwoWrites) {
  VizoviVevoApp app({"vizovi-vevo"}, fakes.services());
  app.emit("showing");
  app.finish("failed");
  EXPECT_EQ(fakes.output.writes,
            (Lines{R"({"status":"showing"})", "\n", R"({"status":"failed"})", "\n"}));
}

TEST_F(Latch, AnUnwritableLineStillEndsTheRun) {
  VizoviVevoApp app({"vizovi-vevo"}, fakes.services());
  app.finish("selected", std::string("\xc3", 1));
  EXPECT_TRUE(fakes.output.writes.empty());
  EXPECT_EQ(fakes.terminator.terminations, 1);
}

TEST_F(Latch, DismissAfterTheEndStillTearsThePickerDown) {
  fakes.scanner.result = {match("+1 (415) 555-0142")};
  auto app = launch({"--demo"});
  ASSERT_NE(app->currentWindow(), nullptr);
  QTimer* timer = app->currentDismissalTimer();
  ASSERT_NE(timer, nullptr);
  app->finish("selected", "x");
  app->dismiss();
  EXPECT_EQ(app->currentWindow(), nullptr);
  EXPECT_FALSE(timer->isActive());
  EXPECT_EQ(statuses(), (Lines{"showing", "selected"}));
}

TEST_F(Latch, DismissWithNothingUpWritesCancelled) {
  VizoviVevoApp app({"vizovi-vevo"}, fakes.services());
  app.dismiss();
  EXPECT_EQ(statuses(), Lines{"cancelled"});
  EXPECT_EQ(fakes.terminator.terminations, 1);
}

TEST_F(Latch, LosingActivationWithoutAWindowChangesNothing) {
  VizoviVevoApp app({"vizovi-vevo"}, fakes.services());
  app.applicationDidResignActive();
  EXPECT_TRUE(fakes.output.writes.empty());
  EXPECT_FALSE(app.isFinished());
}

TEST_F(Latch, LosingActivationWithThePickerUpCancels) {
  fakes.scanner.result = {match("+1 (415) 555-0142")};
  auto app = launch({"--demo"});
  app->applicationDidResignActive();
  EXPECT_EQ(statuses(), (Lines{"showing", "cancelled"}));
  EXPECT_EQ(app->currentWindow(), nullptr);
}

}  // namespace
}  // namespace vv
