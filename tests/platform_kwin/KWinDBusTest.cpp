#include "platform/kwin/KWinDBus.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDBusError>
#include <QElapsedTimer>
#include <cstring>
#include <variant>

#include "FakeKWin.h"
#include "platform/kwin/KWinBackend.h"
#include "platform/kwin/KWinCaptureService.h"

namespace vv {
namespace {

using std::chrono::milliseconds;
using Access = KWinDBus::ScreenShotAccess;

const QString invalidWindow = QStringLiteral("org.kde.KWin.ScreenShot2.Error.InvalidWindow");
const QString noAuthorized = QStringLiteral("org.kde.KWin.ScreenShot2.Error.NoAuthorized");

// A 4x2 ARGB32 frame with rows padded to 20 bytes, as KWin would describe and send it.
QVariantMap frameReply(unsigned stride = 20) {
  return {{"type", "raw"}, {"format", 5u}, {"width", 4u}, {"height", 2u}, {"stride", stride}};
}
QByteArray framePixels() {
  QByteArray bytes(40, char(0x55));
  const quint32 row[4] = {0xffc81e1e, 0xffc81e1e, 0xff1e64c8, 0xff1e64c8};
  std::memcpy(bytes.data(), row, sizeof row);
  std::memcpy(bytes.data() + 20, row, sizeof row);
  return bytes;
}

FakeKWin::Answer errorAnswer(const QString& name) {
  FakeKWin::Answer answer;
  answer.error = name;
  return answer;
}
FakeKWin::Answer frameAnswer(QVariantMap reply, QByteArray pixels = framePixels()) {
  FakeKWin::Answer answer;
  answer.reply = std::move(reply);
  answer.pixels = std::move(pixels);
  return answer;
}
FakeKWin::Answer silence() {
  FakeKWin::Answer answer;
  answer.silent = true;
  return answer;
}
FakeKWin::Answer neverClosed() {
  FakeKWin::Answer answer = frameAnswer(frameReply());
  answer.keepPipeOpen = true;
  return answer;
}

class KWinDBusTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!fake_.running()) {
      GTEST_SKIP() << "dbus-daemon did not start";
    }
    client_ = fake_.connectClient(QStringLiteral("client"));
    ASSERT_TRUE(client_.isConnected());
  }
  void TearDown() override { QDBusConnection::disconnectFromBus(client_.name()); }

  KWinDBus kwin(milliseconds timeout = milliseconds(2000)) const {
    return KWinDBus(client_, timeout);
  }

  // Runs one screenshot through the capture service and waits for its completion.
  ScreenshotOutcome shoot(QSize size, KWinCaptureTimeouts timeouts = {}) {
    KWinCaptureService service(kwin(), timeouts);
    std::optional<ScreenshotOutcome> outcome;
    service.screenshot(DisplayRecord{0, QStringLiteral("Virtual-1"), QRect(0, 0, 4, 2)}, size,
                       [&](ScreenshotOutcome shot) { outcome = std::move(shot); });
    EXPECT_FALSE(outcome) << "the completion must not run inside the request";
    QElapsedTimer waited;
    waited.start();
    while (!outcome && waited.elapsed() < 20'000) {
      QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    }
    EXPECT_TRUE(outcome) << "no completion";
    return outcome.value_or(CaptureFailure{});
  }

  FakeKWin fake_;
  QDBusConnection client_{QString()};
};

TEST_F(KWinDBusTest, AccessFollowsKWinsAnswerToTheNilWindow) {
  EXPECT_EQ(kwin().screenShotAccess(), Access::Absent) << "no KWin on the bus";
  ASSERT_TRUE(fake_.appear());
  fake_.setCaptureWindowAnswer(errorAnswer(invalidWindow));
  EXPECT_EQ(kwin().screenShotAccess(), Access::Granted);
  const auto call = fake_.lastCall();
  ASSERT_TRUE(call);
  EXPECT_EQ(call->method, QStringLiteral("CaptureWindow"));
  EXPECT_EQ(call->target, QStringLiteral("{00000000-0000-0000-0000-000000000000}"));
  EXPECT_TRUE(call->hadPipe);

  fake_.setCaptureWindowAnswer(errorAnswer(noAuthorized));
  EXPECT_EQ(kwin().screenShotAccess(), Access::Refused);
  fake_.setCaptureWindowAnswer(errorAnswer(QStringLiteral("org.freedesktop.DBus.Error.Failed")));
  EXPECT_EQ(kwin().screenShotAccess(), Access::Absent);
  fake_.setCaptureWindowAnswer(frameAnswer(frameReply(), {}));
  EXPECT_EQ(kwin().screenShotAccess(), Access::Absent) << "a window of the nil identifier";
}

TEST_F(KWinDBusTest, AKWinWithoutTheScreenshotObjectIsAbsent) {
  ASSERT_TRUE(fake_.appear(false));
  EXPECT_EQ(kwin().screenShotAccess(), Access::Absent);
}

TEST_F(KWinDBusTest, AKWinThatDoesNotAnswerIsGivenUpOnAtTheTimeout) {
  ASSERT_TRUE(fake_.appear());
  fake_.setCaptureWindowAnswer(silence());
  fake_.setActiveOutput(std::nullopt);
  QElapsedTimer waited;
  waited.start();
  EXPECT_EQ(kwin(milliseconds(300)).screenShotAccess(), Access::Absent);
  EXPECT_LT(waited.elapsed(), 3000);
}

TEST_F(KWinDBusTest, TheActiveOutputIsKWinsAnswerOrNone) {
  ASSERT_TRUE(fake_.appear());
  fake_.setActiveOutput(QStringLiteral("Virtual-1"));
  EXPECT_EQ(kwin().activeOutputName(), QStringLiteral("Virtual-1"));
  fake_.setActiveOutput(std::nullopt);
  EXPECT_EQ(kwin().activeOutputName(), std::nullopt);
}

TEST_F(KWinDBusTest, AScreenshotNamesTheOutputAndReadsTheFrameWithoutPointer) {
  ASSERT_TRUE(fake_.appear());
  fake_.setCaptureScreenAnswer(frameAnswer(frameReply()));
  ScreenshotOutcome shot = shoot(QSize(4, 2));
  const auto call = fake_.lastCall();
  ASSERT_TRUE(call);
  EXPECT_EQ(call->method, QStringLiteral("CaptureScreen"));
  EXPECT_EQ(call->target, QStringLiteral("Virtual-1"));
  EXPECT_EQ(call->options.value("native-resolution"), QVariant(true));
  EXPECT_EQ(call->options.value("include-cursor"), QVariant(false));
  const auto* image = std::get_if<QImage>(&shot);
  ASSERT_TRUE(image);
  EXPECT_EQ(image->size(), QSize(4, 2));
  EXPECT_EQ(image->pixel(0, 1), 0xffc81e1eu);
  EXPECT_EQ(image->pixel(3, 1), 0xff1e64c8u);
}

TEST_F(KWinDBusTest, AScreenshotOfAnotherSizeIsScaledToTheAskedSize) {
  ASSERT_TRUE(fake_.appear());
  fake_.setCaptureScreenAnswer(frameAnswer(frameReply()));
  ScreenshotOutcome shot = shoot(QSize(8, 4));
  const auto* image = std::get_if<QImage>(&shot);
  ASSERT_TRUE(image);
  EXPECT_EQ(image->size(), QSize(8, 4));
  EXPECT_EQ(image->pixel(0, 0), 0xffc81e1eu);
  EXPECT_EQ(image->pixel(7, 3), 0xff1e64c8u);
}

TEST_F(KWinDBusTest, EveryWayAScreenshotGoesWrongIsACaptureFailure) {
  ASSERT_TRUE(fake_.appear());
  const QByteArray pixels = framePixels();
  const std::vector<std::pair<const char*, FakeKWin::Answer>> answers{
      {"an error", errorAnswer(noAuthorized)},
      {"a short pipe", frameAnswer(frameReply(), pixels.left(39))},
      {"a long pipe", frameAnswer(frameReply(), pixels + "x")},
      {"no pixels", frameAnswer(frameReply(), {})},
      {"a stride too short for the width", frameAnswer(frameReply(12), pixels.left(24))},
      {"a reply without a layout", frameAnswer({{"type", "raw"}})},
      {"no reply", silence()},
      {"a pipe never closed", neverClosed()},
  };
  for (const auto& [what, answer] : answers) {
    fake_.setCaptureScreenAnswer(answer);
    QElapsedTimer waited;
    waited.start();
    const ScreenshotOutcome shot = shoot(QSize(4, 2), {milliseconds(500), milliseconds(500)});
    EXPECT_TRUE(std::holds_alternative<CaptureFailure>(shot)) << what;
    EXPECT_LT(waited.elapsed(), 5000) << what;
  }
}

// The only test of this program that uses the session bus: it is fixed at first use.
TEST_F(KWinDBusTest, TheProbeAnswersWhatKWinDoesForThisProgram) {
  qputenv("DBUS_SESSION_BUS_ADDRESS", fake_.address().toUtf8());
  EXPECT_TRUE(std::holds_alternative<BackendUnavailable>(probeKWinBackend()));
  ASSERT_TRUE(fake_.appear());
  fake_.setCaptureWindowAnswer(errorAnswer(noAuthorized));
  EXPECT_TRUE(std::holds_alternative<BackendNotAuthorised>(probeKWinBackend()));

  fake_.setCaptureWindowAnswer(errorAnswer(invalidWindow));
  BackendProbe probe = probeKWinBackend();
  auto* backend = std::get_if<DisplayBackend>(&probe);
  ASSERT_TRUE(backend);
  EXPECT_EQ(backend->name, "kwin");
  ASSERT_TRUE(backend->screens && backend->permission && backend->capture && backend->placement);
  EXPECT_TRUE(backend->permission->preflight());
  EXPECT_TRUE(backend->permission->request());
  fake_.setCaptureWindowAnswer(errorAnswer(noAuthorized));
  EXPECT_FALSE(backend->permission->preflight()) << "the permission is looked at each time";
}

}  // namespace
}  // namespace vv
