#pragma once

#include <QObject>
#include <QString>
#include <optional>
#include <vector>

#include "services/CaptureService.h"

namespace vv {

// The capture service on an X server, through a connection of its own: the displays are the
// RandR monitors, and a screenshot is the monitor's rectangle of the root window. Every X round
// trip runs on a pool thread; completions come back on the thread that owns the service (the
// main thread). Create, use and destroy it there.
class X11CaptureService : public CaptureService {
 public:
  enum class Transfer { SharedMemoryWhenOffered, Socket };

  // `display` names the X server the usual way; empty means $DISPLAY. `transfer` chooses how
  // pixels come back: through MIT-SHM when the server offers it, or always over the socket.
  explicit X11CaptureService(QString display = {},
                             Transfer transfer = Transfer::SharedMemoryWhenOffered);

  void shareableContent(std::function<void(ContentOutcome)> done) override;
  // Looks the screen's name up among the monitors of the latest shareable content, so that the
  // main thread never waits for the server: the first output of the monitor of that name, none
  // when there is no such monitor, when it has no outputs, or before any content has arrived.
  std::optional<DisplayId> screenNumber(const ScreenInfo& screen) override;
  void screenshot(const DisplayRecord& display, QSize size,
                  std::function<void(ScreenshotOutcome)> done) override;

  // One RandR monitor as the server lists it.
  struct Monitor {
    QString name;
    std::optional<DisplayId> firstOutput;
    QRect pixels;
  };

 private:
  QString display_;
  Transfer transfer_;
  std::vector<Monitor> monitors_;  // from the latest shareable content; main thread only
  QObject context_;                // completions are delivered in this object's thread
};

}  // namespace vv
