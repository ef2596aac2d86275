#pragma once

#include <memory>

#include "platform/ocr/LibPhoneNumberDetector.h"
#include "recognition/TextRecognizer.h"
#include "services/PlatformServices.h"

namespace vv {

// The phone-number scan with Tesseract and libphonenumber, detector region from the user's
// locale. The recogniser starts once, at construction; when it cannot start, every scan
// throws RecognitionError.
class TesseractPhoneScanner final : public PhoneScanner {
 public:
  TesseractPhoneScanner();
  ~TesseractPhoneScanner() override;

  PhoneMatches phoneMatches(const QImage& image) override;

 private:
  std::unique_ptr<TextRecognizer> recognizer_;
  LibPhoneNumberDetector detector_;
};

}  // namespace vv
