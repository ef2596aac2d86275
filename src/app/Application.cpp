#include "app/Application.h"

#include <QApplication>
#include <QTimer>
#include <algorithm>
#include <csignal>
#include <memory>
#include <string>
#include <vector>

#include "app/VizoviVevoApp.h"
#include "capture/ServiceSnapshotter.h"
#include "platform/CaptureBackend.h"
#include "platform/DisplayProbe.h"
#include "platform/FdStatusOutput.h"
#include "platform/NullServices.h"
#include "platform/PlistDemoSetting.h"
#include "platform/ProcessTerminator.h"
#include "platform/QtScreenLocator.h"
#include "platform/QuietMessages.h"
#include "platform/TesseractPhoneScanner.h"
#include "platform/UngatedCapturePermission.h"

namespace vv {
namespace {

// A run that never reaches the window toolkit: "--watch", or no display to connect to. The
// delegate still decides the road and ends the run through its latch.
int runWithoutDisplay(std::vector<std::string> arguments, StatusOutput& output,
                      Terminator& terminator) {
  NoScreens screens;
  NoDemoSetting demoSetting;
  UngatedCapturePermission permission;
  UnavailableScanner scanner;
  UnavailableSnapshotter snapshotter;
  VizoviVevoApp delegate(std::move(arguments), AppServices{screens, demoSetting, permission, output,
                                                           terminator, scanner, snapshotter});
  delegate.applicationDidFinishLaunching();
  return 0;
}

}  // namespace

int runApplication(int argc, char** argv) {
  // A companion that closed its end of the pipe must not kill the run.
  std::signal(SIGPIPE, SIG_IGN);
  silenceToolkitMessages();

  std::vector<std::string> arguments(argv, argv + argc);
  FdStatusOutput output;
  ProcessTerminator terminator;

  const bool watch = std::find(arguments.begin(), arguments.end(), "--watch") != arguments.end();
  if (watch || !displayAvailable()) {
    return runWithoutDisplay(std::move(arguments), output, terminator);
  }

  QApplication application(argc, argv);
  QApplication::setQuitOnLastWindowClosed(false);

  QtScreenLocator screens;
  PlistDemoSetting demoSetting(locateInfoPlist(QCoreApplication::applicationDirPath()));
  UngatedCapturePermission permission;
  TesseractPhoneScanner scanner;
  const std::unique_ptr<CaptureService> captureService = makeCaptureService(
      selectCaptureBackend(qEnvironmentVariable("WAYLAND_DISPLAY").toStdString()));
  ServiceSnapshotter snapshotter(*captureService);
  VizoviVevoApp delegate(std::move(arguments), AppServices{screens, demoSetting, permission, output,
                                                           terminator, scanner, snapshotter});
  QTimer::singleShot(0, &delegate, &VizoviVevoApp::applicationDidFinishLaunching);
  return application.exec();
}

}  // namespace vv
