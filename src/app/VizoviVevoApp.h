#pragma once

#include <QImage>
#include <QObject>
#include <QTimer>
#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "capture/DisplaySnapshotter.h"
#include "recognition/PhoneMatch.h"
#include "services/PlatformServices.h"
#include "services/Screen.h"
#include "services/WindowPlacement.h"

namespace vv {

class ScanWindow;

struct AppServices {
  ScreenLocator& screens;
  DemoSetting& demoSetting;
  ScreenCapturePermission& permission;
  StatusOutput& output;
  Terminator& terminator;
  PhoneScanner& scanner;
  DisplaySnapshotter& snapshotter;
  WindowPlacement& placement;
  std::chrono::milliseconds dismissalInterval{std::chrono::seconds(60)};
};

// The application delegate: owns all run state, chooses the road at launch and ends every run
// through the `finished` latch. Lives on the main thread; its fields are touched nowhere else.
class VizoviVevoApp : public QObject {
  Q_OBJECT

 public:
  VizoviVevoApp(std::vector<std::string> arguments, AppServices services);
  ~VizoviVevoApp() override;

  // Called once, on the main thread, when the event loop is up.
  void applicationDidFinishLaunching();
  // Called when the program stops being the active application.
  void applicationDidResignActive();

  // Action methods of the picker.
  void cancel();
  void selectNumber(int tag);

  // Writes one status line; does not look at the latch.
  void emit(std::string_view status, std::optional<std::string_view> number = std::nullopt);
  // The one way a run ends: the first call writes its line and terminates, later calls do nothing.
  void finish(std::string_view status, std::optional<std::string_view> number = std::nullopt);
  // Tears the picker down and ends the run with "cancelled".
  void dismiss();

  // Starts the capture pipeline for the screen, unless a window is up or the run has ended.
  void capture(const ScreenInfo& screen);
  // Builds and presents the picker for the current matches.
  void show(const QImage& image, const ScreenInfo& screen);

  // Read access for tests and for the picker.
  bool isFinished() const { return finished; }
  const PhoneMatches& currentMatches() const { return matches; }
  ScanWindow* currentWindow() const { return window.get(); }
  QTimer* currentDismissalTimer() const { return dismissalTimer.get(); }

 private:
  bool hasSwitch(std::string_view name) const;
  std::optional<ScreenInfo> screenUnderPointer() const;
  void runSyntheticRoad(const ScreenInfo& screen, bool selfTest);
  void installDismissalTimer();
  void installKeyMonitor();
  void observeScreenChanges();
  // The capture pipeline after each of its waits, on the main thread.
  void snapshotTaken(SnapshotOutcome outcome);
  void recognised(PhoneMatches list, const QImage& image, const ScreenInfo& screen);
  void captureFailed();

  std::vector<std::string> arguments_;
  AppServices services_;

  std::unique_ptr<ScanWindow> window;
  PhoneMatches matches;
  bool finished = false;
  std::unique_ptr<QObject> monitor;
  std::unique_ptr<QTimer> dismissalTimer;
};

}  // namespace vv
