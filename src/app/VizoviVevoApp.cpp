#include "app/VizoviVevoApp.h"

#include <algorithm>
#include <utility>

#include "app/ScreenChoice.h"
#include "app/StatusLine.h"
#include "overlay/ScanWindow.h"
#include "selftest/SyntheticImage.h"
#include "selftest/Verdict.h"

namespace vv {

VizoviVevoApp::VizoviVevoApp(std::vector<std::string> arguments, AppServices services)
    : arguments_(std::move(arguments)), services_(services) {}

VizoviVevoApp::~VizoviVevoApp() = default;

bool VizoviVevoApp::hasSwitch(std::string_view name) const {
  return std::any_of(arguments_.begin(), arguments_.end(),
                     [name](const std::string& argument) { return argument == name; });
}

std::optional<ScreenInfo> VizoviVevoApp::screenUnderPointer() const {
  return chooseScreen(services_.screens.screens(), services_.screens.pointer(),
                      services_.screens.mainScreen());
}

void VizoviVevoApp::applicationDidFinishLaunching() {
  if (hasSwitch("--watch")) {
    finish("cancelled");
    return;
  }
  const std::optional<ScreenInfo> screen = screenUnderPointer();
  if (!screen) {
    finish("failed");
    return;
  }
  const bool demo = hasSwitch("--demo") || services_.demoSetting.isOn();
  const bool selfTest = hasSwitch("--self-test");
  if (demo || selfTest) {
    runSyntheticRoad(*screen, selfTest);
    return;
  }
  if (services_.permission.preflight() || services_.permission.request()) {
    capture(*screen);
    return;
  }
  finish("permission");
}

void VizoviVevoApp::runSyntheticRoad(const ScreenInfo& screen, bool selfTest) {
  const QImage image = syntheticImage();
  try {
    matches = services_.scanner.phoneMatches(image);
  } catch (const std::exception&) {
    finish("failed");
    return;
  }
  if (selfTest) {
    finish(selfTestPasses(matches) ? "self-test-passed" : "failed");
    return;
  }
  show(image, screen);
}

void VizoviVevoApp::emit(std::string_view status, std::optional<std::string_view> number) {
  const std::optional<std::string> object = statusObject(status, number, matches.size());
  if (!object) {
    return;
  }
  services_.output.write(*object);
  services_.output.write("\n");
}

void VizoviVevoApp::finish(std::string_view status, std::optional<std::string_view> number) {
  if (finished) {
    return;
  }
  finished = true;
  emit(status, number);
  services_.terminator.terminate();
}

void VizoviVevoApp::dismiss() {
  // The window may be the sender of the click that got here, so it is deleted later, by the
  // event loop, never under its own feet.
  ScanWindow* closing = window.release();
  if (closing) {
    closing->close();
    closing->deleteLater();
  }
  if (dismissalTimer) {
    dismissalTimer->stop();
  }
  monitor.reset();
  finish("cancelled");
}

void VizoviVevoApp::cancel() { dismiss(); }

void VizoviVevoApp::applicationDidResignActive() {
  if (window) {
    dismiss();
  }
}

}  // namespace vv
