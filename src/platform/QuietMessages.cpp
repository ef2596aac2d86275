#include "platform/QuietMessages.h"

#include <QtGlobal>
#include <cstdlib>

namespace vv {

void silenceToolkitMessages() {
  qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString&) {
    if (type == QtFatalMsg) {
      // Qt would abort next (a display that went away while the toolkit was connecting, say).
      // Exiting instead runs the exit handlers, through which the run still ends with its line.
      std::exit(1);
    }
  });
}

}  // namespace vv
