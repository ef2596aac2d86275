#include "FakeKWin.h"

#include <sys/prctl.h>
#include <unistd.h>

#include <csignal>

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusUnixFileDescriptor>
#include <QDBusVirtualObject>
#include <QFile>
#include <QMutexLocker>
#include <utility>

#include "platform/kwin/PipeRead.h"

namespace vv {
namespace {

const QString screenShotPath = QStringLiteral("/org/kde/KWin/ScreenShot2");

int connections = 0;

void writeAll(int fd, const QByteArray& bytes) {
  qsizetype done = 0;
  while (done < bytes.size()) {
    const ssize_t wrote = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
    if (wrote <= 0) {
      return;
    }
    done += wrote;
  }
}

}  // namespace

class FakeKWin::Service : public QDBusVirtualObject {
 public:
  QString introspect(const QString&) const override { return {}; }

  bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override {
    QDBusConnection bus(connection);
    if (message.path() == QStringLiteral("/KWin") &&
        message.member() == QStringLiteral("activeOutputName")) {
      const std::optional<QString> name = activeOutput();
      bus.send(name ? message.createReply(*name)
                    : message.createErrorReply(QDBusError::UnknownMethod, QString()));
      return true;
    }
    if (message.path() != screenShotPath || !offersScreenShot()) {
      bus.send(message.createErrorReply(QDBusError::UnknownObject, QString()));
      return true;
    }
    const QVariantList arguments = message.arguments();
    Call call{message.member(), arguments.value(0).toString(),
              qdbus_cast<QVariantMap>(arguments.value(1)),
              arguments.value(2).value<QDBusUnixFileDescriptor>().isValid()};
    const Answer answer = answerFor(call.method);
    {
      const QMutexLocker lock(&mutex_);
      lastCall_ = call;
    }
    if (answer.silent) {
      return true;
    }
    if (answer.error) {
      bus.send(message.createErrorReply(*answer.error, QStringLiteral("refused")));
      return true;
    }
    bus.send(message.createReply(answer.reply));
    UniqueFd pipe(::dup(arguments.value(2).value<QDBusUnixFileDescriptor>().fileDescriptor()));
    writeAll(pipe.get(), answer.pixels);
    if (answer.keepPipeOpen) {
      heldOpen_ = std::move(pipe);
    }
    return true;
  }

  void setScreenShot(bool offered) {
    const QMutexLocker lock(&mutex_);
    screenShot_ = offered;
  }
  void setAnswer(const QString& method, Answer answer) {
    const QMutexLocker lock(&mutex_);
    (method == QStringLiteral("CaptureWindow") ? window_ : screen_) = std::move(answer);
  }
  void setActiveOutput(std::optional<QString> name) {
    const QMutexLocker lock(&mutex_);
    activeOutput_ = std::move(name);
  }
  std::optional<Call> lastCall() const {
    const QMutexLocker lock(&mutex_);
    return lastCall_;
  }

 private:
  Answer answerFor(const QString& method) const {
    const QMutexLocker lock(&mutex_);
    return method == QStringLiteral("CaptureWindow") ? window_ : screen_;
  }
  bool offersScreenShot() const {
    const QMutexLocker lock(&mutex_);
    return screenShot_;
  }
  std::optional<QString> activeOutput() const {
    const QMutexLocker lock(&mutex_);
    return activeOutput_;
  }

  mutable QMutex mutex_;
  bool screenShot_ = true;
  Answer window_;
  Answer screen_;
  std::optional<QString> activeOutput_;
  std::optional<Call> lastCall_;
  UniqueFd heldOpen_;
};

FakeKWin::FakeKWin() {
  const QString config = dir_.filePath(QStringLiteral("bus.conf"));
  QFile file(config);
  if (!file.open(QIODevice::WriteOnly)) {
    return;
  }
  file.write(
      QStringLiteral("<busconfig><type>session</type><listen>unix:dir=%1</listen>"
                     "<auth>EXTERNAL</auth><policy context=\"default\">"
                     "<allow send_destination=\"*\" eavesdrop=\"true\"/><allow eavesdrop=\"true\"/>"
                     "<allow own=\"*\"/></policy>"
                     "</busconfig>")
          .arg(dir_.path())
          .toUtf8());
  file.close();
  daemon_.setProcessChannelMode(QProcess::SeparateChannels);
  daemon_.setStandardErrorFile(QProcess::nullDevice());
  // The daemon ends with this process, also when a test aborts it.
  daemon_.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
  daemon_.start(QStringLiteral("dbus-daemon"),
                {QStringLiteral("--config-file=") + config, QStringLiteral("--nofork"),
                 QStringLiteral("--print-address=1")});
  if (!daemon_.waitForStarted(10'000)) {
    return;
  }
  while (!daemon_.canReadLine() && daemon_.waitForReadyRead(10'000)) {
  }
  address_ = QString::fromUtf8(daemon_.readLine()).trimmed();
  service_ = new Service;
  service_->moveToThread(&thread_);
  thread_.start();
}

FakeKWin::~FakeKWin() {
  if (service_) {
    QDBusConnection::disconnectFromBus(QStringLiteral("fake-kwin-%1").arg(quintptr(this)));
    QMetaObject::invokeMethod(
        service_, [this] { delete service_; }, Qt::BlockingQueuedConnection);
    thread_.quit();
    thread_.wait();
  }
  daemon_.kill();
  daemon_.waitForFinished(10'000);
}

QDBusConnection FakeKWin::connectClient(const QString& name) const {
  return QDBusConnection::connectToBus(address_, name + QString::number(++connections));
}

bool FakeKWin::appear(bool withScreenShot) {
  service_->setScreenShot(withScreenShot);
  QDBusConnection bus =
      QDBusConnection::connectToBus(address_, QStringLiteral("fake-kwin-%1").arg(quintptr(this)));
  bool registered = false;
  // Registered from the service's own thread, which the connection then delivers calls in.
  QMetaObject::invokeMethod(
      service_,
      [&] {
        registered =
            bus.registerVirtualObject(QStringLiteral("/"), service_, QDBusConnection::SubPath);
      },
      Qt::BlockingQueuedConnection);
  return registered && bus.registerService(QStringLiteral("org.kde.KWin"));
}

void FakeKWin::setCaptureWindowAnswer(Answer answer) {
  service_->setAnswer(QStringLiteral("CaptureWindow"), std::move(answer));
}

void FakeKWin::setCaptureScreenAnswer(Answer answer) {
  service_->setAnswer(QStringLiteral("CaptureScreen"), std::move(answer));
}

void FakeKWin::setActiveOutput(std::optional<QString> name) {
  service_->setActiveOutput(std::move(name));
}

std::optional<FakeKWin::Call> FakeKWin::lastCall() const { return service_->lastCall(); }

}  // namespace vv
