#include "platform/ocr/TesseractRecognizer.h"

#include <fcntl.h>
#include <leptonica/allheaders.h>
#include <tesseract/baseapi.h>
#include <tesseract/resultiterator.h>
#include <unicode/brkiter.h>
#include <unicode/utext.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <limits>
#include <string>
#include <utility>
#include <vector>

namespace vv {

namespace {

// Automatic layout keeps a screen's blocks and columns together, so a number's line and the
// line above it are what the reader sees. On the screen corpus it found slightly more numbers
// than sparse-text segmentation and gave far better context, at the same processor time; sparse
// text splits every cell and label into a line of its own. The API's default, a single block,
// merges columns into one line and must not be used.
constexpr auto kPageSegmentation = tesseract::PSM_AUTO;
// Screens are around 96 pixels per inch. Telling Tesseract so also keeps it from estimating
// the resolution, which it announces on stderr.
constexpr int kSourceResolution = 96;

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

// Drops the image and the results from the engine when a recognition ends, however it ends.
class ClearOnExit {
 public:
  explicit ClearOnExit(tesseract::TessBaseAPI& api) : api_(api) {}
  ~ClearOnExit() { api_.Clear(); }
  ClearOnExit(const ClearOnExit&) = delete;
  ClearOnExit& operator=(const ClearOnExit&) = delete;

 private:
  tesseract::TessBaseAPI& api_;
};

struct PixDeleter {
  void operator()(Pix* pix) const { pixDestroy(&pix); }
};
using PixPtr = std::unique_ptr<Pix, PixDeleter>;

// Tesseract reads 4-byte pixels as R, G, B, A; a B, G, R, X image is swizzled into a Pix of
// its own first.
PixPtr rgbPixFromBgrx(const ImageView& image) {
  PixPtr pix(pixCreate(image.width, image.height, 32));
  if (!pix) {
    throw RecognitionError("cannot allocate the image for recognition");
  }
  l_uint32* data = pixGetData(pix.get());
  const int wordsPerLine = pixGetWpl(pix.get());
  for (int y = 0; y < image.height; ++y) {
    const std::uint8_t* in = image.pixels + y * image.bytesPerLine;
    l_uint32* out = data + static_cast<std::ptrdiff_t>(y) * wordsPerLine;
    for (int x = 0; x < image.width; ++x, in += 4) {
      composeRGBPixel(in[2], in[1], in[0], &out[x]);
    }
  }
  return pix;
}

struct PixelBox {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;

  void unite(const PixelBox& other) {
    left = std::min(left, other.left);
    top = std::min(top, other.top);
    right = std::max(right, other.right);
    bottom = std::max(bottom, other.bottom);
  }
};

// One recognised symbol: its bytes within the line text and its ink.
struct Symbol {
  std::size_t begin = 0;
  std::size_t end = 0;
  PixelBox box;
};

struct LineUnderConstruction {
  NormalizedRect box;
  float confidence = 0.0f;
  std::string text;
  std::vector<Symbol> symbols;
};

class Normalizer {
 public:
  Normalizer(int width, int height) : width_(width), height_(height) {}
  // Pixel boxes have their origin at the top-left, right and bottom exclusive.
  NormalizedRect operator()(const PixelBox& b) const {
    return NormalizedRect{double(b.left) / width_, 1.0 - double(b.bottom) / height_,
                          double(b.right - b.left) / width_, double(b.bottom - b.top) / height_};
  }

 private:
  double width_;
  double height_;
};

PixelBox boxAt(const tesseract::ResultIterator& it, tesseract::PageIteratorLevel level) {
  PixelBox b;
  it.BoundingBox(level, &b.left, &b.top, &b.right, &b.bottom);
  return b;
}

// The box of every grapheme of the line text: the union of the boxes of the symbols whose
// bytes overlap it. Symbols are in text order and do not overlap, so one pass over both
// sequences suffices.
std::vector<std::optional<NormalizedRect>> graphemeBoxes(const LineUnderConstruction& line,
                                                         icu::BreakIterator& graphemes,
                                                         const Normalizer& normalize) {
  UErrorCode status = U_ZERO_ERROR;
  UText* text = utext_openUTF8(nullptr, line.text.data(),
                               static_cast<std::int64_t>(line.text.size()), &status);
  std::unique_ptr<UText, decltype(&utext_close)> textGuard(text, &utext_close);
  graphemes.setText(text, status);
  if (U_FAILURE(status)) {
    throw RecognitionError("cannot split recognised text into characters");
  }
  std::vector<std::optional<NormalizedRect>> boxes;
  std::size_t firstSymbol = 0;
  std::int32_t begin = graphemes.first();
  for (std::int32_t end = graphemes.next(); end != icu::BreakIterator::DONE;
       begin = end, end = graphemes.next()) {
    const auto from = static_cast<std::size_t>(begin);
    const auto to = static_cast<std::size_t>(end);
    while (firstSymbol < line.symbols.size() && line.symbols[firstSymbol].end <= from) {
      ++firstSymbol;
    }
    std::optional<PixelBox> ink;
    for (std::size_t s = firstSymbol; s < line.symbols.size() && line.symbols[s].begin < to; ++s) {
      if (ink) {
        ink->unite(line.symbols[s].box);
      } else {
        ink = line.symbols[s].box;
      }
    }
    boxes.push_back(ink ? std::optional<NormalizedRect>(normalize(*ink)) : std::nullopt);
  }
  return boxes;
}

void checkView(const ImageView& image) {
  if (image.pixels == nullptr || image.width <= 0 || image.height <= 0 ||
      image.bytesPerLine < std::ptrdiff_t{4} * image.width ||
      image.bytesPerLine > std::numeric_limits<int>::max()) {
    throw RecognitionError("the image is empty or malformed");
  }
}

}  // namespace

TesseractRecognizer::TesseractRecognizer(std::unique_ptr<tesseract::TessBaseAPI> api)
    : api_(std::move(api)) {}

TesseractRecognizer::~TesseractRecognizer() = default;

std::unique_ptr<TesseractRecognizer> TesseractRecognizer::create() {
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

  // Dictionaries off: recognised text must not be corrected towards dictionary words.
  const std::vector<std::string> names{"load_system_dawg", "load_freq_dawg",   "load_unambig_dawg",
                                       "load_punc_dawg",   "load_number_dawg", "load_bigram_dawg",
                                       "debug_file"};
  const std::vector<std::string> values{"0", "0", "0", "0", "0", "0", "/dev/null"};

  auto api = std::make_unique<tesseract::TessBaseAPI>();
  int initStatus = 0;
  {
    SilencedStderr quiet;
    initStatus = api->Init(hasPrefix ? prefix : nullptr, "eng", tesseract::OEM_LSTM_ONLY, nullptr,
                           0, &names, &values, false);
  }
  if (initStatus != 0) {
    throw RecognitionError("the recogniser cannot load its English model");
  }
  api->SetPageSegMode(kPageSegmentation);
  return std::unique_ptr<TesseractRecognizer>(new TesseractRecognizer(std::move(api)));
}

RecognitionResult TesseractRecognizer::recognize(const ImageView& image) {
  checkView(image);
  ClearOnExit clear(*api_);
  PixPtr converted;
  if (image.layout == PixelLayout::Rgba) {
    api_->SetImage(image.pixels, image.width, image.height, 4,
                   static_cast<int>(image.bytesPerLine));
  } else {
    converted = rgbPixFromBgrx(image);
    api_->SetImage(converted.get());
  }
  api_->SetSourceResolution(kSourceResolution);
  if (api_->Recognize(nullptr) != 0) {
    throw RecognitionError("the recogniser failed on the image");
  }

  UErrorCode status = U_ZERO_ERROR;
  std::unique_ptr<icu::BreakIterator> graphemes(
      icu::BreakIterator::createCharacterInstance(icu::Locale::getRoot(), status));
  if (U_FAILURE(status)) {
    throw RecognitionError("cannot split recognised text into characters");
  }

  const Normalizer normalize(image.width, image.height);
  RecognitionResult result;
  std::vector<LineUnderConstruction> lines;
  std::unique_ptr<tesseract::ResultIterator> it(api_->GetIterator());
  if (!it) {
    return result;
  }
  using tesseract::RIL_SYMBOL;
  using tesseract::RIL_TEXTLINE;
  using tesseract::RIL_WORD;
  it->Begin();
  do {
    if (it->Empty(RIL_SYMBOL)) {
      continue;
    }
    if (lines.empty() || it->IsAtBeginningOf(RIL_TEXTLINE)) {
      lines.push_back(LineUnderConstruction{
          normalize(boxAt(*it, RIL_TEXTLINE)), it->Confidence(RIL_TEXTLINE) / 100.0f, {}, {}});
    } else if (it->IsAtBeginningOf(RIL_WORD)) {
      lines.back().text += ' ';
    }
    LineUnderConstruction& line = lines.back();
    const std::unique_ptr<const char[]> symbol(it->GetUTF8Text(RIL_SYMBOL));
    if (!symbol) {
      continue;
    }
    const std::size_t begin = line.text.size();
    line.text += symbol.get();
    line.symbols.push_back(Symbol{begin, line.text.size(), boxAt(*it, RIL_SYMBOL)});
  } while (it->Next(RIL_SYMBOL));

  result.reserve(lines.size());
  for (LineUnderConstruction& line : lines) {
    std::vector<std::optional<NormalizedRect>> boxes = graphemeBoxes(line, *graphemes, normalize);
    result.push_back(RecognizedLine{
        line.box, TextCandidate{std::move(line.text), line.confidence, std::move(boxes)}});
  }
  return result;
}

}  // namespace vv
