#include "platform/QuietMessages.h"

#include <QString>
#include <QtGlobal>
#include <cstdlib>

#include "platform/LostDisplay.h"

namespace vv {

void silenceToolkitMessages() {
  qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtFatalMsg) {
      // Qt would abort next (a display that went away while the toolkit was connecting, say).
      // Exiting instead runs the exit handlers, through which the run still ends with its line.
      std::exit(1);
    }
    if (type == QtWarningMsg && message.startsWith(QLatin1String("The Wayland connection"))) {
      // Qt's Wayland plugin says this when the compositor has gone, then calls _exit(1), which
      // runs no exit handler and would end the run without its line. Exiting instead would
      // tear the plugin down under its own locks; the run ends here, with its line.
      endForLostDisplay();
    }
  });
}

}  // namespace vv
