#pragma once

#include <future>
#include <memory>
#include <optional>

#include "platform/ocr/LibPhoneNumberDetector.h"
#include "recognition/TextRecognizer.h"
#include "services/PlatformServices.h"

namespace vv {

// The phone-number scan with Tesseract and libphonenumber, detector region from the user's
// locale. The recogniser and the detector start loading at construction, on a thread of their
// own, so that the toolkit, the screen choice and the capture need not wait for the model; the
// first scan waits for them if they are not ready yet. When the recogniser cannot start, every
// scan throws RecognitionError. Destruction waits for the loading to end.
class TesseractPhoneScanner final : public PhoneScanner {
 public:
  TesseractPhoneScanner();
  ~TesseractPhoneScanner() override;

  PhoneMatches phoneMatches(const QImage& image) override;

 private:
  struct Engines {
    std::unique_ptr<TextRecognizer> recognizer;  // none when the model could not be loaded
    std::unique_ptr<LibPhoneNumberDetector> detector;
  };
  Engines& engines();

  std::future<Engines> loading_;
  std::optional<Engines> engines_;
};

}  // namespace vv
