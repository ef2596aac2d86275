#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

namespace vv::testing {

// A private Xvfb on a free display number, for the lifetime of the object. It runs with
// -noreset, so that what short-lived clients set up (monitors, drawings) stays.
class XvfbServer {
 public:
  XvfbServer(int width, int height);
  ~XvfbServer();
  XvfbServer(const XvfbServer&) = delete;
  XvfbServer& operator=(const XvfbServer&) = delete;

  bool running() const { return !display_.isEmpty(); }
  const QString& display() const { return display_; }
  // Runs an X client against this server; true when it exits with status 0.
  bool run(const QString& program, const QStringList& arguments) const;

 private:
  QProcess server_;
  QString display_;
};

}  // namespace vv::testing
