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
    : loading_(std::async(std::launch::async, [] {
        return Engines{startRecognizer(), std::make_unique<LibPhoneNumberDetector>(
                                              LibPhoneNumberDetector::defaultRegion())};
      })) {}

TesseractPhoneScanner::~TesseractPhoneScanner() {
  if (loading_.valid()) {
    loading_.wait();
  }
}

TesseractPhoneScanner::Engines& TesseractPhoneScanner::engines() {
  if (!engines_) {
    engines_ = loading_.get();
  }
  return *engines_;
}

PhoneMatches TesseractPhoneScanner::phoneMatches(const QImage& image) {
  Engines& ready = engines();
  if (!ready.recognizer) {
    throw RecognitionError("the recogniser could not start");
  }
  PhoneMatches matches;
  if (image.format() == QImage::Format_RGB32 || image.format() == QImage::Format_RGBA8888) {
    matches = vv::phoneMatches(viewOf(image), *ready.recognizer, *ready.detector);
  } else {
    const QImage converted = image.convertToFormat(QImage::Format_RGB32);
    matches = vv::phoneMatches(viewOf(converted), *ready.recognizer, *ready.detector);
  }
  // The recogniser's working images are freed by now, but the allocator keeps the pages. The
  // picker that follows needs its own large blocks (a full-screen window's pixels), so they
  // go back to the system first.
  malloc_trim(0);
  return matches;
}

}  // namespace vv
