#pragma once

#include <QByteArray>
#include <QDBusConnection>
#include <QMutex>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>
#include <QThread>
#include <QVariantMap>
#include <memory>
#include <optional>

namespace vv {

// A session bus of its own (a dbus-daemon child) with a stand-in for KWin on it: the screenshot
// object and the active output, answering as the test says. The stand-in answers on a thread of
// its own, so that blocking calls from the test's thread get their replies.
class FakeKWin {
 public:
  // What the stand-in answers to a screenshot call.
  struct Answer {
    std::optional<QString> error;  // the D-Bus error name to answer with, instead of a reply
    QVariantMap reply;             // the reply's results
    QByteArray pixels;             // written to the caller's pipe after the reply
    bool silent = false;           // answer nothing at all
    bool keepPipeOpen = false;     // write the pixels but never close the pipe
  };

  FakeKWin();
  ~FakeKWin();
  FakeKWin(const FakeKWin&) = delete;
  FakeKWin& operator=(const FakeKWin&) = delete;

  bool running() const { return !address_.isEmpty(); }
  QString address() const { return address_; }
  // A new connection of a client to this bus.
  QDBusConnection connectClient(const QString& name) const;

  // Takes org.kde.KWin on the bus, with the screenshot object when `withScreenShot`.
  bool appear(bool withScreenShot = true);
  void setCaptureWindowAnswer(Answer answer);
  void setCaptureScreenAnswer(Answer answer);
  void setActiveOutput(std::optional<QString> name);

  // What the last screenshot call asked for: its method, first argument and options.
  struct Call {
    QString method;
    QString target;
    QVariantMap options;
    bool hadPipe = false;
  };
  std::optional<Call> lastCall() const;

  class Service;

 private:
  QTemporaryDir dir_;
  QProcess daemon_;
  QString address_;
  QThread thread_;
  Service* service_ = nullptr;  // lives in thread_
};

}  // namespace vv
