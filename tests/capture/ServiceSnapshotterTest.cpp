#include "capture/ServiceSnapshotter.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "capture/FakeCaptureService.h"

namespace vv {
namespace {

using testing::FakeCaptureService;

DisplayRecord display(DisplayId id, QString name = {}, QRect pixels = QRect(0, 0, 100, 100)) {
  return DisplayRecord{id, std::move(name), pixels};
}

TEST(MatchingDisplay, PicksTheFirstRecordWithTheScreenNumber) {
  const std::vector<DisplayRecord> displays = {display(7, "a"), display(9, "b"), display(9, "c")};
  const std::optional<DisplayRecord> found = matchingDisplay(9, displays);
  ASSERT_TRUE(found);
  EXPECT_EQ(found->name, "b");
}

TEST(MatchingDisplay, FindsNothingWithoutAnEqualIdentifierOrAScreenNumber) {
  EXPECT_FALSE(matchingDisplay(8, {display(7), display(9)}));
  EXPECT_FALSE(matchingDisplay(7, {}));
  EXPECT_FALSE(matchingDisplay(std::nullopt, {display(0), display(7)}));
}

TEST(MatchingDisplay, ComparesTheWholeUnsignedRange) {
  EXPECT_TRUE(matchingDisplay(0xFFFFFFFFu, {display(0xFFFFFFFFu)}));
  EXPECT_FALSE(matchingDisplay(0xFFFFFFFFu, {display(0x7FFFFFFFu)}));
}

class ServiceSnapshotterTest : public ::testing::Test {
 protected:
  void take() {
    snapshotter.snapshot(screen, [this](SnapshotOutcome outcome) {
      ++completions;
      result = std::move(outcome);
    });
  }

  FakeCaptureService service;
  ServiceSnapshotter snapshotter{service};
  ScreenInfo screen = [] {
    ScreenInfo s;
    s.name = "RIGHT";
    s.frame = QRectF(1440, 0, 1440, 900);
    s.backingScale = 2;
    return s;
  }();
  int completions = 0;
  std::optional<SnapshotOutcome> result;
};

TEST_F(ServiceSnapshotterTest, FailedContentEndsTheSnapshotBeforeTheScreenIsExamined) {
  service.number = 7;
  take();
  ASSERT_EQ(service.contentRequests.size(), 1u);
  EXPECT_EQ(completions, 0);

  service.answerContent(CaptureFailure{});

  EXPECT_EQ(completions, 1);
  EXPECT_TRUE(std::holds_alternative<CaptureFailure>(*result));
  EXPECT_EQ(service.screenNumberReads, 0);
  EXPECT_TRUE(service.screenshotRequests.empty());
}

TEST_F(ServiceSnapshotterTest, ScreenWithoutNumberOrDisplayIsNoMatchNotFailure) {
  for (const std::optional<DisplayId> number : {std::optional<DisplayId>(), std::optional(8u)}) {
    FakeCaptureService fresh;
    fresh.number = number;
    ServiceSnapshotter other(fresh);
    std::optional<SnapshotOutcome> outcome;
    other.snapshot(screen, [&](SnapshotOutcome o) { outcome = std::move(o); });
    fresh.answerContent(std::vector<DisplayRecord>{display(7), display(9)});
    ASSERT_TRUE(outcome);
    EXPECT_TRUE(std::holds_alternative<NoMatchingDisplay>(*outcome));
    EXPECT_TRUE(fresh.screenshotRequests.empty());
  }
}

TEST_F(ServiceSnapshotterTest, EmptyDisplayListIsNoMatch) {
  service.number = 7;
  take();
  service.answerContent(std::vector<DisplayRecord>{});
  EXPECT_TRUE(std::holds_alternative<NoMatchingDisplay>(*result));
}

TEST_F(ServiceSnapshotterTest, AsksForTheFirstMatchingDisplayAtTheScreensOwnSize) {
  service.number = 9;
  take();
  // The display's own pixel size plays no part in the requested size.
  service.answerContent(std::vector<DisplayRecord>{
      display(7, "other"), display(9, "first", QRect(0, 0, 640, 480)), display(9, "second")});
  ASSERT_EQ(service.screenshotRequests.size(), 1u);
  EXPECT_EQ(service.screenshotRequests[0].display.name, "first");
  EXPECT_EQ(service.screenshotRequests[0].size, QSize(2880, 1800));
  EXPECT_EQ(completions, 0);

  QImage image(2880, 1800, QImage::Format_RGB32);
  image.fill(Qt::green);
  service.answerScreenshot(image);

  EXPECT_EQ(completions, 1);
  const Snapshot* taken = std::get_if<Snapshot>(&*result);
  ASSERT_TRUE(taken);
  EXPECT_EQ(taken->image, image);
  EXPECT_EQ(taken->screen.name, "RIGHT");
}

TEST_F(ServiceSnapshotterTest, AScreenTheServiceChoseSizesTheImageAndTravelsWithIt) {
  ScreenInfo chosen;
  chosen.name = "LEFT";
  chosen.frame = QRectF(0, 0, 1280, 1024);
  chosen.backingScale = 1;
  service.number = 9;
  service.shown = chosen;
  take();
  service.answerContent(std::vector<DisplayRecord>{display(9)});
  ASSERT_EQ(service.screenshotRequests.size(), 1u);
  EXPECT_EQ(service.screenshotRequests[0].size, QSize(1280, 1024));

  service.answerScreenshot(QImage(1280, 1024, QImage::Format_RGB32));
  const Snapshot* taken = std::get_if<Snapshot>(&*result);
  ASSERT_TRUE(taken);
  EXPECT_EQ(taken->screen.name, "LEFT");
}

TEST_F(ServiceSnapshotterTest, FailedScreenshotIsFailure) {
  service.number = 9;
  take();
  service.answerContent(std::vector<DisplayRecord>{display(9)});
  service.answerScreenshot(CaptureFailure{});
  EXPECT_EQ(completions, 1);
  EXPECT_TRUE(std::holds_alternative<CaptureFailure>(*result));
}

}  // namespace
}  // namespace vv
