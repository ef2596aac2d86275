#include "capture/XvfbServer.h"

#include <QProcessEnvironment>

namespace vv::testing {

XvfbServer::XvfbServer(int width, int height) {
  // With -displayfd 1 the server picks a free display and writes its number to our pipe.
  server_.setProcessChannelMode(QProcess::SeparateChannels);
  server_.setStandardErrorFile(QProcess::nullDevice());
  server_.start("Xvfb",
                {"-displayfd", "1", "-screen", "0", QString("%1x%2x24").arg(width).arg(height),
                 "+extension", "RANDR", "-noreset", "-nolisten", "tcp"});
  if (!server_.waitForStarted(10000)) {
    return;
  }
  QByteArray number;
  while (!number.endsWith('\n') && server_.waitForReadyRead(10000)) {
    number += server_.readAllStandardOutput();
  }
  if (number.trimmed().isEmpty()) {
    return;
  }
  display_ = ":" + QString::fromLatin1(number.trimmed());
}

XvfbServer::~XvfbServer() {
  if (server_.state() != QProcess::NotRunning) {
    server_.terminate();
    if (!server_.waitForFinished(10000)) {
      server_.kill();
      server_.waitForFinished();
    }
  }
}

bool XvfbServer::run(const QString& program, const QStringList& arguments) const {
  QProcess client;
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert("DISPLAY", display_);
  client.setProcessEnvironment(environment);
  client.setStandardOutputFile(QProcess::nullDevice());
  client.setStandardErrorFile(QProcess::nullDevice());
  client.start(program, arguments);
  return client.waitForFinished(30000) && client.exitStatus() == QProcess::NormalExit &&
         client.exitCode() == 0;
}

}  // namespace vv::testing
