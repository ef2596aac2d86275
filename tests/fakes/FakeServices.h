#pragma once

#include <QImage>
#include <QThread>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "app/VizoviVevoApp.h"
#include "capture/DisplaySnapshotter.h"
#include "services/PlatformServices.h"
#include "services/WindowPlacement.h"

namespace vv::testing {

inline ScreenInfo makeScreen(QString name, QRectF frame, double backingScale = 1.0) {
  ScreenInfo screen;
  screen.name = std::move(name);
  screen.frame = frame;
  screen.geometry = frame.toRect();
  screen.backingScale = backingScale;
  return screen;
}

class FakeScreenLocator : public ScreenLocator {
 public:
  std::vector<ScreenInfo> attached;
  std::optional<ScreenInfo> main;
  QPointF pointerAt;
  mutable int pointerReads = 0;

  std::vector<ScreenInfo> screens() const override { return attached; }
  std::optional<ScreenInfo> mainScreen() const override { return main; }
  QPointF pointer() const override {
    ++pointerReads;
    return pointerAt;
  }
};

class FakeDemoSetting : public DemoSetting {
 public:
  bool on = false;
  mutable int reads = 0;
  bool isOn() const override {
    ++reads;
    return on;
  }
};

class FakePermission : public ScreenCapturePermission {
 public:
  bool preflightAnswer = true;
  bool requestAnswer = true;
  int preflights = 0;
  int requests = 0;
  bool preflight() override {
    ++preflights;
    return preflightAnswer;
  }
  bool request() override {
    ++requests;
    return requestAnswer;
  }
};

// Keeps every write separately, so that tests see the object and its line feed as two writes.
class RecordingOutput : public StatusOutput {
 public:
  std::vector<std::string> writes;
  void write(std::string_view bytes) override { writes.emplace_back(bytes); }
  std::string all() const {
    std::string joined;
    for (const std::string& w : writes) joined += w;
    return joined;
  }
  // The complete lines written so far, without their line feeds.
  std::vector<std::string> lines() const {
    std::vector<std::string> result;
    std::string text = all();
    std::size_t start = 0;
    for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
      result.push_back(text.substr(start, end - start));
    }
    return result;
  }
};

class RecordingTerminator : public Terminator {
 public:
  int terminations = 0;
  void terminate() override { ++terminations; }
};

class FakePhoneScanner : public PhoneScanner {
 public:
  PhoneMatches result;
  bool fails = false;
  int calls = 0;
  QThread* lastThread = nullptr;
  PhoneMatches phoneMatches(const QImage&) override {
    ++calls;
    lastThread = QThread::currentThread();
    if (fails) throw std::runtime_error("recogniser failed");
    return result;
  }
};

// Completes each snapshot when the test says so, on the test's (main) thread.
class FakeSnapshotter : public DisplaySnapshotter {
 public:
  std::vector<std::function<void(SnapshotOutcome)>> pending;
  std::vector<ScreenInfo> requested;
  void snapshot(const ScreenInfo& screen, std::function<void(SnapshotOutcome)> done) override {
    requested.push_back(screen);
    pending.push_back(std::move(done));
  }
  // The image as a snapshot of the screen the oldest pending request named.
  void complete(QImage image) {
    complete(Snapshot{std::move(image), requested.at(requested.size() - pending.size())});
  }
  void complete(SnapshotOutcome outcome) {
    auto done = std::move(pending.front());
    pending.erase(pending.begin());
    done(std::move(outcome));
  }
};

// Shows the window over the screen's rectangle the plain way, and remembers on which screens.
class RecordingPlacement : public WindowPlacement {
 public:
  std::vector<QString> screens;
  void present(QWidget& window, const ScreenInfo& screen) override {
    screens.push_back(screen.name);
    window.setGeometry(screen.geometry);
    window.show();
    window.activateWindow();
  }
};

// All fakes of one delegate, wired together.
struct FakeServices {
  FakeScreenLocator screens;
  FakeDemoSetting demoSetting;
  FakePermission permission;
  RecordingOutput output;
  RecordingTerminator terminator;
  FakePhoneScanner scanner;
  FakeSnapshotter snapshotter;
  RecordingPlacement placement;

  AppServices services(std::chrono::milliseconds dismissalInterval = std::chrono::seconds(60)) {
    return AppServices{screens, demoSetting, permission, output,           terminator,
                       scanner, snapshotter, placement,  dismissalInterval};
  }
};

inline PhoneMatch match(std::string number, std::string context = "", std::string kind = "Phone",
                        NormalizedRect box = NormalizedRect{0.1, 0.1, 0.2, 0.05}) {
  return PhoneMatch(std::move(number), std::move(context), std::move(kind), box);
}

}  // namespace vv::testing
