#pragma once

#include <QDBusConnection>
#include <QDBusPendingCall>
#include <QString>
#include <chrono>
#include <optional>

#include "platform/kwin/PipeRead.h"

namespace vv {

// The few calls this program makes to KWin on the session bus. The synchronous ones wait at most
// `callTimeout` each; none of them starts KWin when it is not running.
class KWinDBus {
 public:
  // Whether KWin's screenshot interface serves this program. KWin grants it to an executable
  // that an installed desktop file names, and asks the user nothing.
  enum class ScreenShotAccess { Granted, Refused, Absent };

  KWinDBus(QDBusConnection bus, std::chrono::milliseconds callTimeout);

  // Answered without capturing anything: asking for the window of the nil identifier is refused
  // as unauthorised before KWin looks for the window, and as an invalid window after.
  ScreenShotAccess screenShotAccess() const;
  // The output KWin calls active: the one under the pointer with Plasma's default settings.
  std::optional<QString> activeOutputName() const;
  // Asks for the pixels of the output of that name, without the pointer, at its own resolution.
  // The reply describes them; KWin writes them to `writeEnd` after replying and then closes it.
  QDBusPendingCall captureScreen(const QString& output, UniqueFd writeEnd,
                                 std::chrono::milliseconds timeout) const;

 private:
  QDBusConnection bus_;
  std::chrono::milliseconds callTimeout_;
};

}  // namespace vv
