#include "app/Application.h"

#include <QApplication>
#include <QTimer>
#include <algorithm>
#include <csignal>
#include <memory>
#include <string>
#include <vector>

#include "app/BackendChoice.h"
#include "app/VizoviVevoApp.h"
#include "capture/ServiceSnapshotter.h"
#include "platform/DisplayProbe.h"
#include "platform/FdStatusOutput.h"
#include "platform/FullScreenPlacement.h"
#include "platform/LostDisplay.h"
#include "platform/NullServices.h"
#include "platform/PlistDemoSetting.h"
#include "platform/ProcessTerminator.h"
#include "platform/QuietMessages.h"
#include "platform/StopRequests.h"
#include "platform/TesseractPhoneScanner.h"
#include "platform/ToolkitEnvironment.h"
#include "platform/UncapturableBackend.h"
#include "platform/UngatedCapturePermission.h"
#include "platform/kwin/KWinBackend.h"
#include "platform/portal/PortalBackend.h"
#include "platform/wlroots/WlrootsBackend.h"
#include "platform/x11/X11Backend.h"

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
  FullScreenPlacement placement;
  VizoviVevoApp delegate(std::move(arguments),
                         AppServices{screens, demoSetting, permission, output, terminator, scanner,
                                     snapshotter, placement});
  delegate.applicationDidFinishLaunching();
  return 0;
}

// The one place where the desktop's display back end is chosen. In a Wayland session the ways
// of capturing are tried from the one that asks the user least to the one that asks most.
DisplayBackend displayBackendFor(Session session) {
  if (session == Session::X11) {
    return makeX11Backend();
  }
  const std::vector<BackendProber> waylandProbes{probeWlrootsBackend, probeKWinBackend,
                                                 probePortalBackend};
  return chooseDisplayBackend(waylandProbes, makeUncapturableBackend);
}

}  // namespace

int runApplication(int argc, char** argv) {
  // A companion that closed its end of the pipe must not kill the run.
  std::signal(SIGPIPE, SIG_IGN);
  catchStopSignals();
  silenceToolkitMessages();
  prepareToolkitEnvironment();

  std::vector<std::string> arguments(argv, argv + argc);
  FdStatusOutput output;
  ProcessTerminator terminator;

  const Session session = sessionOf(qEnvironmentVariable("WAYLAND_DISPLAY").toStdString());
  if (session == Session::Wayland && !qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) {
    // A Wayland session sets no platform for Qt, and Qt would otherwise come up on Xwayland,
    // where the picker could neither go full screen on the right output nor take the keyboard.
    qputenv("QT_QPA_PLATFORM", "wayland");
  }

  const bool watch = std::find(arguments.begin(), arguments.end(), "--watch") != arguments.end();
  if (watch || !displayAvailable()) {
    return runWithoutDisplay(std::move(arguments), output, terminator);
  }

  // Nothing of the run needs the model before the snapshot has arrived: it loads while the
  // toolkit starts, the screen is chosen and the snapshot is taken.
  TesseractPhoneScanner scanner;
  // The display may go away while the toolkit connects, before there is a delegate to end the
  // run: the run then ends as one without a display would.
  const LostDisplayGuard lostWhileStarting(
      [arguments, &output, &terminator] { runWithoutDisplay(arguments, output, terminator); });
  QApplication application(argc, argv);
  QApplication::setQuitOnLastWindowClosed(false);

  const DisplayBackend backend = displayBackendFor(session);
  PlistDemoSetting demoSetting(locateInfoPlist(QCoreApplication::applicationDirPath()));
  ServiceSnapshotter snapshotter(*backend.capture);
  VizoviVevoApp delegate(std::move(arguments),
                         AppServices{*backend.screens, demoSetting, *backend.permission, output,
                                     terminator, scanner, snapshotter, *backend.placement});
  const StopRequests stopRequests([&delegate] { delegate.dismiss(); });
  const LostDisplayGuard lostDisplay([&delegate] { delegate.finish("failed"); });
  QTimer::singleShot(0, &delegate, [&delegate] {
    // A request to stop that came while the toolkit was starting ends the run before it begins.
    if (StopRequests::pending()) {
      delegate.dismiss();
      return;
    }
    delegate.applicationDidFinishLaunching();
  });
  return application.exec();
}

}  // namespace vv
