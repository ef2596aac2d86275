#pragma once

#include <QImage>
#include <QPointF>
#include <optional>
#include <string_view>
#include <vector>

#include "recognition/PhoneMatch.h"
#include "services/Screen.h"

namespace vv {

// The attached screens and the pointer, in the global bottom-left space of ScreenInfo::frame.
class ScreenLocator {
 public:
  virtual ~ScreenLocator() = default;
  virtual std::vector<ScreenInfo> screens() const = 0;  // in the toolkit's order; may be empty
  virtual std::optional<ScreenInfo> mainScreen() const = 0;
  virtual QPointF pointer() const = 0;
};

// The Boolean demo setting of the information property list.
class DemoSetting {
 public:
  virtual ~DemoSetting() = default;
  virtual bool isOn() const = 0;
};

// The screen-recording permission gate. Back ends without such a permission answer true.
class ScreenCapturePermission {
 public:
  virtual ~ScreenCapturePermission() = default;
  virtual bool preflight() = 0;  // never asks the user
  virtual bool request() = 0;    // may ask the user
};

// Where status lines go, byte for byte; each call is one unbuffered write.
class StatusOutput {
 public:
  virtual ~StatusOutput() = default;
  virtual void write(std::string_view bytes) = 0;
};

// Ends the process right after the terminal status line.
class Terminator {
 public:
  virtual ~Terminator() = default;
  virtual void terminate() = 0;
};

// Phone-number recognition of one image. Synchronous; callable from any thread, one call at a
// time. Throws when the recogniser fails.
class PhoneScanner {
 public:
  virtual ~PhoneScanner() = default;
  virtual PhoneMatches phoneMatches(const QImage& image) = 0;
};

}  // namespace vv
