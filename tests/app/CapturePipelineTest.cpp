#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QThread>
#include <QTimer>
#include <functional>
#include <memory>
#include <nlohmann/json.hpp>
#include <semaphore>

#include "app/VizoviVevoApp.h"
#include "fakes/FakeServices.h"

namespace vv {
namespace {

using vv::testing::FakeServices;
using vv::testing::makeScreen;
using vv::testing::match;
using Lines = std::vector<std::string>;

// Handles events until the condition holds or five seconds have passed.
bool settle(const std::function<bool()>& condition) {
  const QDeadlineTimer deadline(5000);
  while (!condition() && !deadline.hasExpired()) {
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 20);
  }
  return condition();
}

QImage snapshotImage() {
  QImage image(800, 500, QImage::Format_RGB32);
  image.fill(Qt::white);
  return image;
}

class CapturePipeline : public ::testing::Test {
 protected:
  CapturePipeline() { start(fakes.services()); }

  void start(AppServices services) {
    app = std::make_unique<VizoviVevoApp>(std::vector<std::string>{"vizovi-vevo"}, services);
  }

  // Runs capture() and lets the pipeline reach its snapshot request.
  void captureAndWaitForSnapshot() {
    app->capture(screen);
    ASSERT_TRUE(settle([&] { return fakes.snapshotter.pending.size() == 1; }));
  }

  Lines lines() const { return fakes.output.lines(); }

  FakeServices fakes;
  ScreenInfo screen = makeScreen("screen", QRectF(0, 0, 800, 500));
  std::unique_ptr<VizoviVevoApp> app;
};

TEST_F(CapturePipeline, ReportsReadyWithTheCountBeforeThePickerShows) {
  fakes.scanner.result = {match("(415) 555-0142"), match("+44 20 7946 0958"),
                          match("01 99 00 12 34")};
  captureAndWaitForSnapshot();
  fakes.snapshotter.complete(snapshotImage());
  ASSERT_TRUE(settle([&] { return lines().size() == 2; }));

  EXPECT_EQ(nlohmann::json::parse(lines()[0]),
            nlohmann::json::parse(R"({"status":"ready","count":3})"));
  EXPECT_EQ(lines()[1], R"({"status":"showing"})");
  EXPECT_NE(app->currentWindow(), nullptr);
  EXPECT_EQ(app->currentMatches().size(), 3u);
  EXPECT_EQ(fakes.terminator.terminations, 0);
  EXPECT_EQ(fakes.permission.preflights, 0);
}

TEST_F(CapturePipeline, ThePickerOpensOnTheScreenTheSnapshotShows) {
  fakes.scanner.result = {match("(415) 555-0142")};
  captureAndWaitForSnapshot();
  const ScreenInfo chosen = makeScreen("chosen", QRectF(800, 0, 640, 400));
  QImage image(640, 400, QImage::Format_RGB32);
  image.fill(Qt::white);
  fakes.snapshotter.complete(Snapshot{image, chosen});
  ASSERT_TRUE(settle([&] { return app->currentWindow() != nullptr; }));

  EXPECT_EQ(lines(), (Lines{R"({"status":"ready","count":1})", R"({"status":"showing"})"}));
  EXPECT_EQ(fakes.placement.screens, std::vector<QString>{"chosen"});
}

TEST_F(CapturePipeline, NoNumbersEndsWithReadyZeroThenEmptyAndNoPicker) {
  captureAndWaitForSnapshot();
  fakes.snapshotter.complete(snapshotImage());
  ASSERT_TRUE(settle([&] { return fakes.terminator.terminations == 1; }));

  EXPECT_EQ(nlohmann::json::parse(lines().at(0)),
            nlohmann::json::parse(R"({"status":"ready","count":0})"));
  EXPECT_EQ(lines().at(1), R"({"status":"empty"})");
  EXPECT_EQ(lines().size(), 2u);
  EXPECT_EQ(app->currentWindow(), nullptr);
}

TEST_F(CapturePipeline, ScreenWithoutDisplayFailsWithoutAskingForThePermission) {
  captureAndWaitForSnapshot();
  fakes.snapshotter.complete(NoMatchingDisplay{});
  EXPECT_EQ(lines(), Lines{R"({"status":"failed"})"});
  EXPECT_EQ(fakes.terminator.terminations, 1);
  EXPECT_EQ(fakes.permission.preflights, 0);
  EXPECT_EQ(fakes.scanner.calls, 0);
}

TEST_F(CapturePipeline, CaptureFailureEndsByThePermissionAnswer) {
  for (const bool held : {true, false}) {
    FakeServices own;
    own.permission.preflightAnswer = held;
    VizoviVevoApp delegate({"vizovi-vevo"}, own.services());
    delegate.capture(screen);
    ASSERT_TRUE(settle([&] { return own.snapshotter.pending.size() == 1; }));
    own.snapshotter.complete(CaptureFailure{});
    EXPECT_EQ(own.output.lines(),
              Lines{held ? R"({"status":"failed"})" : R"({"status":"permission"})"});
    EXPECT_EQ(own.permission.preflights, 1);
    EXPECT_EQ(own.terminator.terminations, 1);
    EXPECT_EQ(own.scanner.calls, 0);
  }
}

TEST_F(CapturePipeline, RecognitionFailureEndsByThePermissionAnswerAndKeepsNoMatches) {
  for (const bool held : {true, false}) {
    FakeServices own;
    own.permission.preflightAnswer = held;
    own.scanner.fails = true;
    VizoviVevoApp delegate({"vizovi-vevo"}, own.services());
    delegate.capture(screen);
    ASSERT_TRUE(settle([&] { return own.snapshotter.pending.size() == 1; }));
    own.snapshotter.complete(snapshotImage());
    ASSERT_TRUE(settle([&] { return own.terminator.terminations == 1; }));
    EXPECT_EQ(own.output.lines(),
              Lines{held ? R"({"status":"failed"})" : R"({"status":"permission"})"});
    EXPECT_EQ(own.permission.preflights, 1);
    EXPECT_TRUE(delegate.currentMatches().empty());
  }
}

TEST_F(CapturePipeline, RunEndedDuringRecognitionStillStoresTheMatchesButWritesNothing) {
  fakes.scanner.result = {match("(415) 555-0142"), match("(415) 555-0143")};
  captureAndWaitForSnapshot();
  fakes.snapshotter.complete(snapshotImage());
  app->finish("cancelled");
  ASSERT_TRUE(settle([&] { return app->currentMatches().size() == 2; }));
  QCoreApplication::processEvents();

  EXPECT_EQ(lines(), Lines{R"({"status":"cancelled"})"});
  EXPECT_EQ(fakes.terminator.terminations, 1);
  EXPECT_EQ(app->currentWindow(), nullptr);
}

TEST_F(CapturePipeline, RunEndedDuringTheSnapshotStillRecognisesTheImage) {
  fakes.scanner.result = {match("(415) 555-0142")};
  captureAndWaitForSnapshot();
  app->finish("cancelled");
  fakes.snapshotter.complete(snapshotImage());
  ASSERT_TRUE(settle([&] { return app->currentMatches().size() == 1; }));
  EXPECT_EQ(fakes.scanner.calls, 1);
  EXPECT_EQ(lines(), Lines{R"({"status":"cancelled"})"});
}

TEST_F(CapturePipeline, FailureAfterTheRunEndedStillAsksForThePermissionAndWritesNothing) {
  captureAndWaitForSnapshot();
  app->finish("cancelled");
  fakes.snapshotter.complete(CaptureFailure{});
  EXPECT_EQ(fakes.permission.preflights, 1);
  EXPECT_EQ(lines(), Lines{R"({"status":"cancelled"})"});
  EXPECT_EQ(fakes.terminator.terminations, 1);
}

TEST_F(CapturePipeline, CaptureReturnsBeforeAnyStepRuns) {
  app->capture(screen);
  EXPECT_TRUE(fakes.snapshotter.requested.empty());
  ASSERT_TRUE(settle([&] { return fakes.snapshotter.requested.size() == 1; }));
  EXPECT_EQ(fakes.snapshotter.requested[0].name, "screen");
}

TEST_F(CapturePipeline, NothingStartsOnceTheRunHasEnded) {
  app->finish("cancelled");
  app->capture(screen);
  QCoreApplication::processEvents();
  EXPECT_TRUE(fakes.snapshotter.requested.empty());
  EXPECT_EQ(lines(), Lines{R"({"status":"cancelled"})"});
}

TEST_F(CapturePipeline, NothingStartsWhileThePickerIsUp) {
  fakes.scanner.result = {match("(415) 555-0142")};
  captureAndWaitForSnapshot();
  fakes.snapshotter.complete(snapshotImage());
  ASSERT_TRUE(settle([&] { return app->currentWindow() != nullptr; }));
  const std::size_t written = lines().size();

  app->capture(screen);
  QCoreApplication::processEvents();
  EXPECT_EQ(fakes.snapshotter.requested.size(), 1u);
  EXPECT_EQ(lines().size(), written);
}

// Holds recognition until the main thread lets it go, so the test can tell whether events are
// handled while it works.
class GatedScanner : public PhoneScanner {
 public:
  std::binary_semaphore started{0};
  std::binary_semaphore release{0};
  QThread* thread = nullptr;
  PhoneMatches phoneMatches(const QImage&) override {
    thread = QThread::currentThread();
    EXPECT_NE(thread, QCoreApplication::instance()->thread());
    started.release();
    release.acquire();
    return {};
  }
};

TEST_F(CapturePipeline, RecognitionRunsOffTheMainThreadWhileEventsAreHandled) {
  GatedScanner gated;
  start(AppServices{fakes.screens, fakes.demoSetting, fakes.permission, fakes.output,
                    fakes.terminator, gated, fakes.snapshotter, fakes.placement});
  captureAndWaitForSnapshot();
  fakes.snapshotter.complete(snapshotImage());
  gated.started.acquire();

  // Only an event handled on the main thread lets recognition finish.
  QTimer::singleShot(0, [&] { gated.release.release(); });
  ASSERT_TRUE(settle([&] { return fakes.terminator.terminations == 1; }));
  EXPECT_NE(gated.thread, QThread::currentThread());
  EXPECT_EQ(lines().size(), 2u);
}

}  // namespace
}  // namespace vv
