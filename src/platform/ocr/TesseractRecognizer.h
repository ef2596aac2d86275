#pragma once

#include <memory>

#include "reading/PageReader.h"
#include "reading/ReadingScope.h"
#include "recognition/TextRecognizer.h"

namespace vv {

// Text recognition with Tesseract's LSTM engine and its English model, dictionaries off: a
// PageReader whose line engines are Tesseract's page layout and its single-line recogniser,
// one engine per thread. Neither Tesseract nor Leptonica writes anything to the standard
// streams on its behalf.
class TesseractRecognizer final : public TextRecognizer {
 public:
  // A working recogniser, or RecognitionError when the engine cannot start (for one, when
  // there is no English model). The model lives in the directory named by TESSDATA_PREFIX
  // when that is set, else in the library's own data directory.
  static std::unique_ptr<TesseractRecognizer> create(
      ReadingScope scope = ReadingScope::PhoneNumbers);

  RecognitionResult recognize(const ImageView& image) override;

 private:
  explicit TesseractRecognizer(PageReader reader);

  PageReader reader_;
};

}  // namespace vv
