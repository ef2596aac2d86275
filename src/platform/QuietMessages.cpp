#include "platform/QuietMessages.h"

#include <QtGlobal>

namespace vv {

void silenceToolkitMessages() {
  qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
}

}  // namespace vv
