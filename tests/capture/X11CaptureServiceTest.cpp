#include "platform/x11/X11CaptureService.h"

#include <gtest/gtest.h>
#include <xcb/xcb.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QStandardPaths>
#include <optional>
#include <utility>
#include <vector>

#include "capture/XvfbServer.h"

namespace vv {
namespace {

using testing::XvfbServer;

constexpr QRgb orange = 0xFFFF8000;
constexpr QRgb blue = 0xFF0040C0;
constexpr QRgb white = 0xFFFFFFFF;

// Fills rectangles of the root window with solid colours, straight through the protocol.
void paintRoot(const QString& display, const std::vector<std::pair<QRect, QRgb>>& fills) {
  const QByteArray name = display.toLatin1();
  xcb_connection_t* c = xcb_connect(name.constData(), nullptr);
  ASSERT_EQ(xcb_connection_has_error(c), 0);
  const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
  const xcb_gcontext_t gc = xcb_generate_id(c);
  xcb_create_gc(c, gc, root, 0, nullptr);
  for (const auto& [rect, colour] : fills) {
    const uint32_t pixel = colour & 0xFFFFFFu;
    xcb_change_gc(c, gc, XCB_GC_FOREGROUND, &pixel);
    const xcb_rectangle_t r{static_cast<int16_t>(rect.x()), static_cast<int16_t>(rect.y()),
                            static_cast<uint16_t>(rect.width()),
                            static_cast<uint16_t>(rect.height())};
    xcb_poly_fill_rectangle(c, root, gc, 1, &r);
  }
  xcb_free_gc(c, gc);
  free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));  // all drawn
  xcb_disconnect(c);
}

// Runs a request and waits, handling events, until its completion has run.
template <typename Outcome, typename Request>
std::optional<Outcome> await(Request request) {
  std::optional<Outcome> outcome;
  request([&](Outcome o) { outcome = std::move(o); });
  const QDeadlineTimer deadline(20000);
  while (!outcome && !deadline.hasExpired()) {
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 50);
  }
  return outcome;
}

std::vector<DisplayRecord> displaysOf(X11CaptureService& service) {
  const auto content =
      await<ContentOutcome>([&](auto done) { service.shareableContent(std::move(done)); });
  if (!content || !std::holds_alternative<std::vector<DisplayRecord>>(*content)) {
    ADD_FAILURE() << "no shareable content";
    return {};
  }
  return std::get<std::vector<DisplayRecord>>(*content);
}

QImage shotOf(X11CaptureService& service, const DisplayRecord& display, QSize size) {
  const auto shot = await<ScreenshotOutcome>(
      [&](auto done) { service.screenshot(display, size, std::move(done)); });
  if (!shot || !std::holds_alternative<QImage>(*shot)) {
    ADD_FAILURE() << "no screenshot";
    return {};
  }
  return std::get<QImage>(*shot);
}

ScreenInfo screenNamed(QString name) {
  ScreenInfo screen;
  screen.name = std::move(name);
  return screen;
}

class X11CaptureServiceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (QStandardPaths::findExecutable("Xvfb").isEmpty()) {
      GTEST_SKIP() << "Xvfb is not installed";
    }
    server.emplace(640, 480);
    ASSERT_TRUE(server->running());
    // Left half orange, right half blue; a white square near the top-left corner and a one-pixel
    // white line in the left half.
    paintRoot(server->display(), {{QRect(0, 0, 320, 480), orange},
                                  {QRect(320, 0, 320, 480), blue},
                                  {QRect(8, 8, 16, 16), white},
                                  {QRect(101, 100, 1, 300), white}});
  }

  std::optional<XvfbServer> server;
};

TEST_F(X11CaptureServiceTest, ListsTheMonitorAndTiesTheScreenOfThatNameToIt) {
  X11CaptureService service(server->display());
  EXPECT_FALSE(service.screenNumber(screenNamed("screen"))) << "known before any content";

  bool answeredInsideTheCall = false;
  service.shareableContent([&](ContentOutcome) { answeredInsideTheCall = true; });
  EXPECT_FALSE(answeredInsideTheCall);

  const std::vector<DisplayRecord> displays = displaysOf(service);
  ASSERT_EQ(displays.size(), 1u);
  EXPECT_EQ(displays[0].name, "screen");
  EXPECT_EQ(displays[0].pixels, QRect(0, 0, 640, 480));
  EXPECT_NE(displays[0].displayID, 0u);
  EXPECT_EQ(service.screenNumber(screenNamed("screen")), displays[0].displayID);
  EXPECT_FALSE(service.screenNumber(screenNamed("elsewhere")));
}

TEST_F(X11CaptureServiceTest, GrabsTheMonitorPixelForPixelOverEitherTransfer) {
  X11CaptureService shared(server->display());
  X11CaptureService socket(server->display(), X11CaptureService::Transfer::Socket);
  const std::vector<DisplayRecord> displays = displaysOf(shared);
  ASSERT_EQ(displays.size(), 1u);

  const QImage image = shotOf(shared, displays[0], QSize(640, 480));
  ASSERT_EQ(image.size(), QSize(640, 480));
  EXPECT_EQ(image.format(), QImage::Format_RGB32);
  EXPECT_EQ(image.pixel(12, 12), white);
  EXPECT_EQ(image.pixel(30, 30), orange);
  EXPECT_EQ(image.pixel(101, 200), white);
  EXPECT_EQ(image.pixel(319, 479), orange);
  EXPECT_EQ(image.pixel(320, 0), blue);
  // The unused byte of every pixel reads as opaque.
  EXPECT_EQ(image.constBits()[3], 0xFF);

  EXPECT_EQ(shotOf(socket, displays[0], QSize(640, 480)), image);
}

TEST_F(X11CaptureServiceTest, ScalesSmoothlyToExactlyTheRequestedSize) {
  X11CaptureService service(server->display());
  const std::vector<DisplayRecord> displays = displaysOf(service);
  ASSERT_EQ(displays.size(), 1u);

  const QImage image = shotOf(service, displays[0], QSize(320, 240));
  ASSERT_EQ(image.size(), QSize(320, 240));
  EXPECT_EQ(image.pixel(80, 120), orange);
  EXPECT_EQ(image.pixel(240, 120), blue);
  // The one-pixel line shares its target pixel with orange: a filter mixes them.
  const QRgb mixed = image.pixel(50, 120);
  EXPECT_NE(mixed, orange);
  EXPECT_NE(mixed, white);
  EXPECT_EQ(qRed(mixed), 255);
}

TEST_F(X11CaptureServiceTest, OnlyMonitorsWithAnOutputAreDisplays) {
  if (QStandardPaths::findExecutable("xrandr").isEmpty()) {
    GTEST_SKIP() << "xrandr is not installed";
  }
  ASSERT_TRUE(server->run("xrandr", {"--setmonitor", "LEFT", "320/85x480/127+0+0", "none"}));
  ASSERT_TRUE(server->run("xrandr", {"--setmonitor", "RIGHT", "320/85x480/127+320+0", "screen"}));

  X11CaptureService service(server->display());
  const std::vector<DisplayRecord> displays = displaysOf(service);
  ASSERT_EQ(displays.size(), 1u);
  EXPECT_EQ(displays[0].name, "RIGHT");
  EXPECT_EQ(displays[0].pixels, QRect(320, 0, 320, 480));
  EXPECT_EQ(service.screenNumber(screenNamed("RIGHT")), displays[0].displayID);
  EXPECT_FALSE(service.screenNumber(screenNamed("LEFT")));

  const QImage image = shotOf(service, displays[0], QSize(320, 480));
  ASSERT_EQ(image.size(), QSize(320, 480));
  for (const QPoint corner : {QPoint(0, 0), QPoint(319, 0), QPoint(0, 479), QPoint(319, 479)}) {
    EXPECT_EQ(image.pixel(corner), blue);
  }
}

TEST_F(X11CaptureServiceTest, RectangleOffTheRootOrAnEmptySizeIsAFailure) {
  X11CaptureService service(server->display());
  const DisplayRecord beyond{1, "beyond", QRect(600, 0, 100, 100)};
  const DisplayRecord inside{1, "inside", QRect(0, 0, 100, 100)};
  // A zero-area frame asks for 0 x 0; there is no such image to hand on.
  for (const auto& [display, size] :
       {std::pair(beyond, QSize(100, 100)), std::pair(inside, QSize(0, 0))}) {
    const auto shot = await<ScreenshotOutcome>(
        [&](auto done) { service.screenshot(display, size, std::move(done)); });
    ASSERT_TRUE(shot);
    EXPECT_TRUE(std::holds_alternative<CaptureFailure>(*shot));
  }
}

TEST(X11CaptureServiceWithoutServer, BothRequestsFail) {
  X11CaptureService service(":65000");
  const auto content =
      await<ContentOutcome>([&](auto done) { service.shareableContent(std::move(done)); });
  ASSERT_TRUE(content);
  EXPECT_TRUE(std::holds_alternative<CaptureFailure>(*content));
  const auto shot = await<ScreenshotOutcome>([&](auto done) {
    service.screenshot(DisplayRecord{1, "screen", QRect(0, 0, 10, 10)}, QSize(10, 10),
                       std::move(done));
  });
  ASSERT_TRUE(shot);
  EXPECT_TRUE(std::holds_alternative<CaptureFailure>(*shot));
}

}  // namespace
}  // namespace vv
