#pragma once

#include <memory>

#include "recognition/TextRecognizer.h"

namespace tesseract {
class TessBaseAPI;
}

namespace vv {

// Text recognition with Tesseract's LSTM engine and its English model, dictionaries off. Lines
// come in Tesseract's order with their confidence on a 0 to 1 scale and a box for every
// grapheme of their text, all in normalised bottom-left coordinates exactly as measured.
// Neither Tesseract nor Leptonica writes anything to the standard streams on its behalf.
class TesseractRecognizer final : public TextRecognizer {
 public:
  // A working recogniser, or RecognitionError when the engine cannot start (for one, when
  // there is no English model). The model lives in the directory named by TESSDATA_PREFIX
  // when that is set, else in the library's own data directory.
  static std::unique_ptr<TesseractRecognizer> create();

  ~TesseractRecognizer() override;
  TesseractRecognizer(const TesseractRecognizer&) = delete;
  TesseractRecognizer& operator=(const TesseractRecognizer&) = delete;

  RecognitionResult recognize(const ImageView& image) override;

 private:
  explicit TesseractRecognizer(std::unique_ptr<tesseract::TessBaseAPI> api);

  std::unique_ptr<tesseract::TessBaseAPI> api_;
};

}  // namespace vv
