#include "platform/ocr/TesseractRecognizer.h"

#include <fcntl.h>
#include <leptonica/allheaders.h>
#include <tesseract/baseapi.h>
#include <tesseract/resultiterator.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "platform/ocr/OpenMpThreads.h"
#include "platform/ocr/OwnedPix.h"

namespace vv {

namespace {

// Automatic layout keeps a screen's blocks and columns apart; the API's default, a single
// block, merges columns into one line.
constexpr auto kLayoutSegmentation = tesseract::PSM_AUTO;
// The page reader settles a strip's polarity and contrast and thresholds the page for the
// layout, so the engine's own choice stays on its plain global threshold. Given a page already
// thresholded, this is also the one setting under which Tesseract takes it as it is.
constexpr int kOtsuThresholding = 0;
constexpr auto kLineSegmentation = tesseract::PSM_SINGLE_LINE;
// Recognition runs on this many threads at most, each with its own engine (an engine is not
// thread-safe, and each costs its own copy of the model).
constexpr unsigned kMaxThreads = 2;

// Holds the process's stderr on /dev/null for its lifetime. Tesseract's start-up reports a
// missing or damaged model on stderr before any of its own settings can redirect it.
class SilencedStderr {
 public:
  SilencedStderr() : saved_(::dup(STDERR_FILENO)) {
    const int devNull = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (saved_ >= 0 && devNull >= 0) {
      ::dup2(devNull, STDERR_FILENO);
    }
    if (devNull >= 0) {
      ::close(devNull);
    }
  }
  ~SilencedStderr() {
    if (saved_ >= 0) {
      ::dup2(saved_, STDERR_FILENO);
      ::close(saved_);
    }
  }
  SilencedStderr(const SilencedStderr&) = delete;
  SilencedStderr& operator=(const SilencedStderr&) = delete;

 private:
  int saved_;
};

// Drops the image and the results from an engine when its work on them ends, however it ends.
class ClearOnExit {
 public:
  explicit ClearOnExit(tesseract::TessBaseAPI& api) : api_(api) {}
  ~ClearOnExit() { api_.Clear(); }
  ClearOnExit(const ClearOnExit&) = delete;
  ClearOnExit& operator=(const ClearOnExit&) = delete;

 private:
  tesseract::TessBaseAPI& api_;
};

PixelBox boxAt(const tesseract::PageIterator& it, tesseract::PageIteratorLevel level) {
  PixelBox b;
  it.BoundingBox(level, &b.left, &b.top, &b.right, &b.bottom);
  return b;
}

PixPtr pixFrom(const InkMask& mask) {
  PixPtr pix(pixCreateNoInit(mask.width, mask.height, 1));
  if (!pix || pixGetWpl(pix.get()) != mask.wordsPerRow) {
    throw RecognitionError("cannot make room for the page's ink");
  }
  std::copy(mask.words.begin(), mask.words.end(), pixGetData(pix.get()));
  return pix;
}

// Tesseract as the page reader's line engine.
class TesseractLineEngine final : public LineEngine {
 public:
  explicit TesseractLineEngine(std::unique_ptr<tesseract::TessBaseAPI> api)
      : api_(std::move(api)) {}

  std::vector<LayoutWord> layOut(const InkMask& ink) override {
    ClearOnExit clear(*api_);
    api_->SetPageSegMode(kLayoutSegmentation);
    api_->SetVariable("thresholding_method", std::to_string(kOtsuThresholding).c_str());
    // Table detection costs more than the rest of the layout on a spreadsheet and changes
    // nothing: cells come out as lines either way, and ReadingLines joins a row's cells.
    api_->SetVariable("textord_tabfind_find_tables", "0");
    const PixPtr pix = pixFrom(ink);
    api_->SetImage(pix.get());
    api_->SetSourceResolution(kScreenPixelsPerInch);
    std::unique_ptr<tesseract::PageIterator> it(api_->AnalyseLayout());
    std::vector<LayoutWord> words;
    if (!it) {
      return words;
    }
    using tesseract::RIL_TEXTLINE;
    using tesseract::RIL_WORD;
    it->Begin();
    do {
      if (!it->Empty(RIL_WORD) && PTIsTextType(it->BlockType())) {
        words.push_back(LayoutWord{boxAt(*it, RIL_WORD), it->IsAtBeginningOf(RIL_TEXTLINE)});
      }
    } while (it->Next(RIL_WORD));
    return words;
  }

  LineReading read(const Strip& strip) override {
    ClearOnExit clear(*api_);
    api_->SetPageSegMode(kLineSegmentation);
    api_->SetVariable("thresholding_method", std::to_string(kOtsuThresholding).c_str());
    const GreyImage& image = strip.image;
    api_->SetImage(image.pixels.data(), image.width, image.height, 1, image.width);
    api_->SetSourceResolution(strip.pixelsPerInch());
    if (api_->Recognize(nullptr) != 0) {
      throw RecognitionError("the recogniser failed on the image");
    }
    LineReading reading;
    std::unique_ptr<tesseract::ResultIterator> it(api_->GetIterator());
    if (!it) {
      return reading;
    }
    using tesseract::RIL_SYMBOL;
    using tesseract::RIL_TEXTLINE;
    using tesseract::RIL_WORD;
    // A single-line strip still yields several lines now and then (a stray mark above the
    // text); their confidences are weighted by their symbols.
    double weightedConfidence = 0;
    float lineConfidence = 0;
    it->Begin();
    do {
      if (it->Empty(RIL_SYMBOL)) {
        continue;
      }
      if (it->IsAtBeginningOf(RIL_TEXTLINE)) {
        lineConfidence = it->Confidence(RIL_TEXTLINE) / 100.0f;
      }
      const std::unique_ptr<const char[]> symbol(it->GetUTF8Text(RIL_SYMBOL));
      if (!symbol || *symbol.get() == '\0') {
        continue;
      }
      if (!reading.text.empty() && it->IsAtBeginningOf(RIL_WORD)) {
        reading.text += ' ';
      }
      const std::size_t begin = reading.text.size();
      reading.text += symbol.get();
      reading.symbols.push_back(Symbol{begin, reading.text.size(), boxAt(*it, RIL_SYMBOL)});
      weightedConfidence += lineConfidence;
    } while (it->Next(RIL_SYMBOL));
    if (!reading.symbols.empty()) {
      reading.confidence = static_cast<float>(weightedConfidence / double(reading.symbols.size()));
    }
    return reading;
  }

 private:
  std::unique_ptr<tesseract::TessBaseAPI> api_;
};

// Call with stderr silenced: a missing or damaged model is reported there. Engines may start
// side by side: what they set is their own, apart from the process-wide debug_file, which
// create() sets beforehand.
void startEngine(tesseract::TessBaseAPI& api, const char* prefix) {
  // Dictionaries off: recognised text must not be corrected towards dictionary words. The
  // engine's own inversion of doubtful lines is off too: every strip it sees is already
  // dark-on-light, and the second pass would cost time on every low-confidence line.
  const std::vector<std::string> names{"load_system_dawg",  "load_freq_dawg",   "load_unambig_dawg",
                                       "load_punc_dawg",    "load_number_dawg", "load_bigram_dawg",
                                       "tessedit_do_invert"};
  const std::vector<std::string> values{"0", "0", "0", "0", "0", "0", "0"};
  if (api.Init(prefix, "eng", tesseract::OEM_LSTM_ONLY, nullptr, 0, &names, &values, false) != 0) {
    throw RecognitionError("the recogniser cannot load its English model");
  }
}

}  // namespace

TesseractRecognizer::TesseractRecognizer(PageReader reader) : reader_(std::move(reader)) {}

std::unique_ptr<TesseractRecognizer> TesseractRecognizer::create(ReadingScope scope) {
  // Leptonica's messages go to stderr unless turned off; the setting is process-wide.
  setMsgSeverity(L_SEVERITY_NONE);

  const char* prefix = std::getenv("TESSDATA_PREFIX");
  const bool hasPrefix = prefix != nullptr && *prefix != '\0';
  if (hasPrefix) {
    std::error_code ignored;
    if (!std::filesystem::is_regular_file(std::filesystem::path(prefix) / "eng.traineddata",
                                          ignored)) {
      throw RecognitionError("no English model for the recogniser in TESSDATA_PREFIX");
    }
  }
  const unsigned threads = std::clamp(std::thread::hardware_concurrency(), 1u, kMaxThreads);
  std::vector<std::unique_ptr<tesseract::TessBaseAPI>> apis(threads);
  for (auto& api : apis) {
    api = std::make_unique<tesseract::TessBaseAPI>();
  }
  // Tesseract's diagnostics go to stderr unless this process-wide setting names a file.
  apis.front()->SetVariable("debug_file", "/dev/null");
  // Also process-wide: every line is taken as proportional text, which skips the search for a
  // fixed character pitch that each layout would otherwise run. Words still part at their gaps,
  // which in monospaced text are as plain as in any other.
  apis.front()->SetVariable("textord_all_prop", "1");
  {
    // Loading the model is most of a process's start-up; the engines load theirs in parallel.
    SilencedStderr quiet;
    runOnThreads(
        threads, [&](std::size_t t) { startEngine(*apis[t], hasPrefix ? prefix : nullptr); },
        serialiseOpenMpOnThisThread);
  }
  std::vector<std::unique_ptr<LineEngine>> engines;
  for (auto& api : apis) {
    engines.push_back(std::make_unique<TesseractLineEngine>(std::move(api)));
  }
  return std::unique_ptr<TesseractRecognizer>(new TesseractRecognizer(
      PageReader(std::move(engines), scope, kScanRules, serialiseOpenMpOnThisThread)));
}

RecognitionResult TesseractRecognizer::recognize(const ImageView& image) {
  return reader_.read(image);
}

}  // namespace vv
