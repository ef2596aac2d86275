#include "platform/TesseractPhoneScanner.h"

#include <malloc.h>

#include "platform/ocr/TesseractRecognizer.h"
#include "recognition/PhoneScan.h"

namespace vv {

namespace {

std::unique_ptr<TextRecognizer> startRecognizer() {
  try {
    return TesseractRecognizer::create();
  } catch (const RecognitionError&) {
    // Reported by every scan instead: the roads that never scan must still run.
    return nullptr;
  }
}

// Wraps pixels the recogniser reads directly; other formats are converted first.
ImageView viewOf(const QImage& image) {
  const auto layout =
      image.format() == QImage::Format_RGBA8888 ? PixelLayout::Rgba : PixelLayout::Bgrx;
  return ImageView{image.constBits(), image.width(), image.height(),
                   static_cast<std::ptrdiff_t>(image.bytesPerLine()), layout};
}

}  // namespace

TesseractPhoneScanner::TesseractPhoneScanner()
    : recognizer_(startRecognizer()), detector_(LibPhoneNumberDetector::defaultRegion()) {}

TesseractPhoneScanner::~TesseractPhoneScanner() = default;

PhoneMatches TesseractPhoneScanner::phoneMatches(const QImage& image) {
  if (!recognizer_) {
    throw RecognitionError("the recogniser could not start");
  }
  PhoneMatches matches;
  if (image.format() == QImage::Format_RGB32 || image.format() == QImage::Format_RGBA8888) {
    matches = vv::phoneMatches(viewOf(image), *recognizer_, detector_);
  } else {
    const QImage converted = image.convertToFormat(QImage::Format_RGB32);
    matches = vv::phoneMatches(viewOf(converted), *recognizer_, detector_);
  }
  // The recogniser's working images are freed by now, but the allocator keeps the pages. The
  // picker that follows needs its own large blocks (a full-screen window's pixels), so they
  // go back to the system first.
  malloc_trim(0);
  return matches;
}

}  // namespace vv
