#pragma once

#include <memory>
#include <vector>

#include "platform/ocr/ReadingScope.h"
#include "recognition/TextRecognizer.h"

namespace tesseract {
class TessBaseAPI;
}

namespace vv {

// Text recognition with Tesseract's LSTM engine and its English model, dictionaries off.
// The page layout is found once (in two halves at once where a quiet band allows); its lines
// are then re-formed into what a person reads as one line (see ReadingLines), and their
// pieces are recognised in parallel, each on its own strip turned dark-on-light and
// contrast-stretched. Unless told to read everything, it reads only what a phone scan needs
// (see ReadingScope), which leaves most of a page of running text unread. Lines come with
// their confidence on a 0 to 1 scale and a box for every grapheme of their text, in
// normalised bottom-left coordinates. Neither Tesseract nor Leptonica writes anything to the
// standard streams on its behalf.
class TesseractRecognizer final : public TextRecognizer {
 public:
  // A working recogniser, or RecognitionError when the engine cannot start (for one, when
  // there is no English model). The model lives in the directory named by TESSDATA_PREFIX
  // when that is set, else in the library's own data directory.
  static std::unique_ptr<TesseractRecognizer> create(
      ReadingScope scope = ReadingScope::PhoneNumbers);

  ~TesseractRecognizer() override;
  TesseractRecognizer(const TesseractRecognizer&) = delete;
  TesseractRecognizer& operator=(const TesseractRecognizer&) = delete;

  RecognitionResult recognize(const ImageView& image) override;

 private:
  using Engine = std::unique_ptr<tesseract::TessBaseAPI>;
  TesseractRecognizer(std::vector<Engine> engines, ReadingScope scope);

  // One per thread that recognises; the first also finds the layout.
  std::vector<Engine> engines_;
  ReadingScope scope_;
};

}  // namespace vv
