#include "platform/ocr/TesseractRecognizer.h"

#include <fcntl.h>
#include <leptonica/allheaders.h>
#include <tesseract/baseapi.h>
#include <tesseract/resultiterator.h>
#include <unicode/brkiter.h>
#include <unicode/utext.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <functional>
#include <iterator>
#include <limits>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "platform/ocr/DigitRuns.h"
#include "platform/ocr/GreyImage.h"
#include "platform/ocr/InkMask.h"
#include "platform/ocr/OpenMpThreads.h"
#include "platform/ocr/OwnedPix.h"
#include "platform/ocr/PixelBox.h"
#include "platform/ocr/ReadingLines.h"
#include "platform/ocr/ReadingScope.h"
#include "recognition/NumberFilter.h"

namespace vv {

namespace {

// Automatic layout keeps a screen's blocks and columns apart; the API's default, a single
// block, merges columns into one line.
constexpr auto kLayoutSegmentation = tesseract::PSM_AUTO;
// Screens are around 96 pixels per inch. Telling Tesseract so also keeps it from estimating
// the resolution, which it announces on stderr.
constexpr int kSourceResolution = 96;
// A global threshold turns a coloured bubble or bar into one black blob, text and all, even
// once the page is dark-on-light; Sauvola's local threshold keeps the text there. The layout
// gets the page already thresholded (see sauvolaInk), with Tesseract's own Sauvola settings
// at screen resolution: a window a third of an inch wide, and its contrast factor.
constexpr int kInkRadius = 15;
constexpr double kInkContrast = 0.34;
// A strip's polarity and contrast are settled before the engine sees it, so the engine's own
// choice stays on its plain global threshold. Given a page already thresholded, this is also
// the one setting under which Tesseract takes it as it is.
constexpr int kOtsuThresholding = 0;
constexpr auto kLineSegmentation = tesseract::PSM_SINGLE_LINE;
// Half the side of the square that decides whether a pixel lies in a dark region: larger than
// the strokes of the largest text, smaller than a chat bubble's padding-to-text distance.
constexpr int kPolarityRadius = 24;
// A gap between two pieces of text wider than this many text heights separates two lines:
// table cells sit closer than that, neighbouring cards and columns further apart.
constexpr double kMaxGapInLine = 8.0;
// Text shorter than this (pixels of ink, ascender to descender) is enlarged twice before
// recognition: at screen scale 1 the recogniser drops spaces and misreads digits in it.
constexpr int kSmallText = 20;
// A "word" taller than this share of the page is a picture the layout took for text.
constexpr int kMaxWordHeightShare = 6;
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

// One recognised symbol: its bytes within the text it belongs to and its ink on the page.
struct Symbol {
  std::size_t begin = 0;
  std::size_t end = 0;
  PixelBox box;
};

// The reading of one fragment of a line, boxes in page pixels.
struct FragmentReading {
  std::string text;
  float confidence = 0.0f;
  std::vector<Symbol> symbols;
};

class Normalizer {
 public:
  Normalizer(int width, int height) : width_(width), height_(height) {}
  NormalizedRect operator()(const PixelBox& b) const {
    return NormalizedRect{double(b.left) / width_, 1.0 - double(b.bottom) / height_,
                          double(b.right - b.left) / width_, double(b.bottom - b.top) / height_};
  }

 private:
  double width_;
  double height_;
};

PixelBox boxAt(const tesseract::PageIterator& it, tesseract::PageIteratorLevel level) {
  PixelBox b;
  it.BoundingBox(level, &b.left, &b.top, &b.right, &b.bottom);
  return b;
}

void checkView(const ImageView& image) {
  if (image.pixels == nullptr || image.width <= 0 || image.height <= 0 ||
      image.bytesPerLine < std::ptrdiff_t{4} * image.width ||
      image.bytesPerLine > std::numeric_limits<int>::max()) {
    throw RecognitionError("the image is empty or malformed");
  }
}

PixPtr pixFrom(const InkMask& mask) {
  PixPtr pix(pixCreateNoInit(mask.width, mask.height, 1));
  if (!pix || pixGetWpl(pix.get()) != mask.wordsPerRow) {
    throw RecognitionError("cannot make room for the page's ink");
  }
  std::copy(mask.words.begin(), mask.words.end(), pixGetData(pix.get()));
  return pix;
}

void setImage(tesseract::TessBaseAPI& api, const GreyImage& image, int resolution) {
  api.SetImage(image.pixels.data(), image.width, image.height, 1, image.width);
  api.SetSourceResolution(resolution);
}

// The layout's text lines in `part`, a band of the page that starts at page row `top`, each as
// its words' boxes (in page pixels) from left to right, in the layout's order. Words taller
// than `maxWordHeight` are left out.
std::vector<std::vector<PixelBox>> layoutLines(tesseract::TessBaseAPI& api, const GreyImage& part,
                                               int top, int maxWordHeight) {
  ClearOnExit clear(api);
  api.SetPageSegMode(kLayoutSegmentation);
  api.SetVariable("thresholding_method", std::to_string(kOtsuThresholding).c_str());
  // Table detection costs more than the rest of the layout on a spreadsheet and changes
  // nothing: cells come out as lines either way, and ReadingLines joins a row's cells.
  api.SetVariable("textord_tabfind_find_tables", "0");
  const PixPtr ink = pixFrom(sauvolaInk(part, kInkRadius, kInkContrast));
  api.SetImage(ink.get());
  api.SetSourceResolution(kSourceResolution);
  std::unique_ptr<tesseract::PageIterator> it(api.AnalyseLayout());
  std::vector<std::vector<PixelBox>> lines;
  if (!it) {
    return lines;
  }
  using tesseract::RIL_TEXTLINE;
  using tesseract::RIL_WORD;
  it->Begin();
  do {
    if (it->Empty(RIL_WORD) || !PTIsTextType(it->BlockType())) {
      continue;
    }
    PixelBox word = boxAt(*it, RIL_WORD);
    if (word.height() > maxWordHeight) {
      continue;
    }
    word.top += top;
    word.bottom += top;
    if (lines.empty() || it->IsAtBeginningOf(RIL_TEXTLINE)) {
      lines.emplace_back();
    }
    lines.back().push_back(word);
  } while (it->Next(RIL_WORD));
  return lines;
}

// The strip recognised for a fragment: the fragment with a margin, so that the recogniser sees
// whole glyphs and some background around them, clipped to the page.
PixelBox stripAround(const PixelBox& fragment, const GreyImage& page) {
  const int h = fragment.height();
  const int dx = std::max(2, h / 2);
  const int dy = std::max(2, h / 5);
  return PixelBox{std::max(0, fragment.left - dx), std::max(0, fragment.top - dy),
                  std::min(page.width, fragment.right + dx),
                  std::min(page.height, fragment.bottom + dy)};
}

Zoom zoomFor(const PixelBox& fragment) {
  return fragment.height() < kSmallText ? Zoom{2, 1} : Zoom{};
}

// A fragment's strip as the recogniser sees it, and where on the page it came from.
struct Strip {
  PixelBox area;
  Zoom zoom;
  GreyImage image;
};

Strip stripFor(const PixelBox& fragment, const GreyImage& page) {
  const PixelBox area = stripAround(fragment, page);
  const Zoom zoom = zoomFor(fragment);
  return Strip{area, zoom, lineStrip(page, area, zoom)};
}

FragmentReading recogniseStrip(tesseract::TessBaseAPI& api, const Strip& strip) {
  const PixelBox& area = strip.area;
  const Zoom zoom = strip.zoom;
  ClearOnExit clear(api);
  api.SetPageSegMode(kLineSegmentation);
  api.SetVariable("thresholding_method", std::to_string(kOtsuThresholding).c_str());
  setImage(api, strip.image, kSourceResolution * zoom.up / zoom.down);
  if (api.Recognize(nullptr) != 0) {
    throw RecognitionError("the recogniser failed on the image");
  }
  FragmentReading reading;
  std::unique_ptr<tesseract::ResultIterator> it(api.GetIterator());
  if (!it) {
    return reading;
  }
  using tesseract::RIL_SYMBOL;
  using tesseract::RIL_TEXTLINE;
  using tesseract::RIL_WORD;
  const auto toPage = [&](const PixelBox& b) {
    // Exclusive right and bottom edges round up, so that a box never loses a page pixel.
    const auto scaled = [&](int v, bool roundUp) {
      return (v * zoom.down + (roundUp ? zoom.up - 1 : 0)) / zoom.up;
    };
    return PixelBox{area.left + scaled(b.left, false), area.top + scaled(b.top, false),
                    area.left + scaled(b.right, true), area.top + scaled(b.bottom, true)};
  };
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
    reading.symbols.push_back(Symbol{begin, reading.text.size(), toPage(boxAt(*it, RIL_SYMBOL))});
    weightedConfidence += lineConfidence;
  } while (it->Next(RIL_SYMBOL));
  if (!reading.symbols.empty()) {
    reading.confidence = static_cast<float>(weightedConfidence / double(reading.symbols.size()));
  }
  return reading;
}

// Runs task(0) on the calling thread and task(1) to task(count - 1) on threads of their own,
// and returns once all are done; then rethrows the first failure, on whichever thread.
void runOnThreads(std::size_t count, const std::function<void(std::size_t)>& task) {
  std::vector<std::exception_ptr> failures(count);
  const auto guarded = [&](std::size_t t) {
    try {
      serialiseOpenMpOnThisThread();
      task(t);
    } catch (...) {
      failures[t] = std::current_exception();
    }
  };
  std::vector<std::thread> helpers;
  for (std::size_t t = 1; t < count; ++t) {
    helpers.emplace_back(guarded, t);
  }
  guarded(0);
  for (std::thread& helper : helpers) {
    helper.join();
  }
  for (const std::exception_ptr& failure : failures) {
    if (failure) {
      std::rethrow_exception(failure);
    }
  }
}

// Calls work(thread, item) for every item from 0 to count - 1, spread over `threads` threads;
// items are handed out in order, one at a time. After a failure the other threads stop at
// their next item.
void forEachInParallel(std::size_t threads, std::size_t count,
                       const std::function<void(std::size_t, std::size_t)>& work) {
  std::atomic<std::size_t> next{0};
  runOnThreads(threads, [&](std::size_t t) {
    try {
      for (std::size_t i = next++; i < count; i = next++) {
        work(t, i);
      }
    } catch (...) {
      next = count;
      throw;
    }
  });
}

// The strip of every fragment, and whether it may show a phone number.
struct Inspection {
  std::vector<Strip> strips;
  std::vector<bool> mayShowNumber;
};

Inspection inspect(std::size_t threads, const GreyImage& page,
                   const std::vector<PixelBox>& fragments, ReadingScope scope) {
  Inspection inspection{std::vector<Strip>(fragments.size()), std::vector<bool>(fragments.size())};
  std::vector<char> digitRun(fragments.size(), 0);
  forEachInParallel(threads, fragments.size(), [&](std::size_t, std::size_t f) {
    inspection.strips[f] = stripFor(fragments[f], page);
    digitRun[f] = scope == ReadingScope::Everything ||
                  mayShowDigitRun(inspection.strips[f].image, NumberFilter::kMinDigits);
  });
  std::copy(digitRun.begin(), digitRun.end(), inspection.mayShowNumber.begin());
  return inspection;
}

// The rows of `image` split into `count` bands of about equal height: band b runs from
// bounds[b] to bounds[b + 1].
std::vector<int> bandBounds(int height, std::size_t count) {
  std::vector<int> bounds;
  for (std::size_t b = 0; b <= count; ++b) {
    bounds.push_back(int(std::int64_t(height) * std::int64_t(b) / std::int64_t(count)));
  }
  return bounds;
}

GreyImage stacked(const std::vector<GreyImage>& bands) {
  GreyImage whole(bands.front().width, 0);
  for (const GreyImage& band : bands) {
    whole.height += band.height;
    whole.pixels.insert(whole.pixels.end(), band.pixels.begin(), band.pixels.end());
  }
  return whole;
}

// The page in grey, and turned dark-on-light, each worked out in bands of rows on `threads`
// threads. A band turned over sees `kPolarityRadius` rows beyond its edges, as the whole page
// would, so the bands join without a seam.
std::pair<GreyImage, GreyImage> preparedPage(const ImageView& image, std::size_t threads) {
  const std::vector<int> bounds = bandBounds(image.height, threads);
  std::vector<GreyImage> bands(threads);
  runOnThreads(threads, [&](std::size_t b) {
    ImageView band = image;
    band.pixels += std::ptrdiff_t(bounds[b]) * image.bytesPerLine;
    band.height = bounds[b + 1] - bounds[b];
    bands[b] = greyFrom(band);
  });
  GreyImage page = stacked(bands);
  runOnThreads(threads, [&](std::size_t b) {
    const int top = std::max(0, bounds[b] - kPolarityRadius);
    const int bottom = std::min(page.height, bounds[b + 1] + kPolarityRadius);
    const GreyImage turned = darkOnLight(rowsOf(page, top, bottom), kPolarityRadius);
    bands[b] = rowsOf(turned, bounds[b] - top, bounds[b + 1] - top);
  });
  return {std::move(page), stacked(bands)};
}

// Recognises the strips named in `wanted`, spread over the engines, one thread each. The
// longest go first, which balances the threads' work.
std::vector<FragmentReading> recogniseStrips(
    const std::vector<std::unique_ptr<tesseract::TessBaseAPI>>& engines,
    const std::vector<Strip>& strips, std::vector<std::size_t> wanted) {
  const auto cost = [&](std::size_t f) {
    return double(strips[f].image.width) / std::max(1, strips[f].image.height);
  };
  std::stable_sort(wanted.begin(), wanted.end(),
                   [&](std::size_t a, std::size_t b) { return cost(a) > cost(b); });
  std::vector<FragmentReading> readings(strips.size());
  forEachInParallel(engines.size(), wanted.size(), [&](std::size_t t, std::size_t i) {
    readings[wanted[i]] = recogniseStrip(*engines[t], strips[wanted[i]]);
  });
  return readings;
}

// The text lines of the whole page (see layoutLines). Where a quiet band runs across the page
// near its middle (see quietRowNearMiddle), the halves above and below it are laid out at once
// on two engines, and each half's lines keep their order. Should a word of either half still
// reach the cut, something did run through the band after all: the page is then laid out whole.
std::vector<std::vector<PixelBox>> pageLayout(
    const std::vector<std::unique_ptr<tesseract::TessBaseAPI>>& engines, const GreyImage& page) {
  const int maxWordHeight = page.height / kMaxWordHeightShare;
  const std::optional<int> cut =
      engines.size() > 1 ? quietRowNearMiddle(page) : std::optional<int>();
  if (!cut) {
    return layoutLines(*engines.front(), page, 0, maxWordHeight);
  }
  const std::array<int, 3> bounds{0, *cut, page.height};
  std::array<std::vector<std::vector<PixelBox>>, 2> halves;
  runOnThreads(2, [&](std::size_t h) {
    halves[h] =
        layoutLines(*engines[h], rowsOf(page, bounds[h], bounds[h + 1]), bounds[h], maxWordHeight);
  });
  const auto reaches = [&](const std::vector<std::vector<PixelBox>>& lines, auto touches) {
    return std::any_of(lines.begin(), lines.end(), [&](const std::vector<PixelBox>& words) {
      return std::any_of(words.begin(), words.end(), touches);
    });
  };
  if (reaches(halves[0], [&](const PixelBox& w) { return w.bottom >= *cut - 1; }) ||
      reaches(halves[1], [&](const PixelBox& w) { return w.top <= *cut + 1; })) {
    return layoutLines(*engines.front(), page, 0, maxWordHeight);
  }
  std::vector<std::vector<PixelBox>> lines = std::move(halves[0]);
  std::move(halves[1].begin(), halves[1].end(), std::back_inserter(lines));
  return lines;
}

// One reading line, put together from its fragments' readings.
struct AssembledLine {
  PixelBox box;
  FragmentReading reading;
};

AssembledLine assemble(const std::vector<std::size_t>& members,
                       const std::vector<PixelBox>& fragments,
                       std::vector<FragmentReading>& readings) {
  AssembledLine line{fragments[members.front()], {}};
  double weightedConfidence = 0;
  for (const std::size_t f : members) {
    line.box.unite(fragments[f]);
    FragmentReading& part = readings[f];
    if (part.text.empty()) {
      continue;
    }
    if (!line.reading.text.empty()) {
      line.reading.text += ' ';
    }
    const std::size_t offset = line.reading.text.size();
    line.reading.text += part.text;
    for (Symbol& s : part.symbols) {
      line.reading.symbols.push_back(Symbol{s.begin + offset, s.end + offset, s.box});
      // The strip's ink may reach a pixel beyond the layout's box at either end; the line
      // holds all of its characters. Its height stays the layout's: a stray mark the strip
      // caught above or below the text must not make the line taller.
      line.box.left = std::min(line.box.left, s.box.left);
      line.box.right = std::max(line.box.right, s.box.right);
    }
    weightedConfidence += double(part.confidence) * double(part.symbols.size());
  }
  if (!line.reading.symbols.empty()) {
    line.reading.confidence =
        static_cast<float>(weightedConfidence / double(line.reading.symbols.size()));
  }
  return line;
}

// Every grapheme's box spans the line's text height, widened by a quarter of it above and
// below: a character's own ink (a digit reaches neither ascender nor descender height) is far
// smaller than the text box that a reader, or a page's own layout, takes a number to occupy.
// The text height is that of the line's typical symbols: a stray mark read along with the
// text (a bubble's corner, a timestamp's edge) must not stretch it, nor may the layout's box,
// which on a small bubble may hold the bubble itself.
PixelBox textBand(const std::vector<Symbol>& symbols, int pageHeight) {
  const auto median = [&](auto measure) {
    std::vector<int> values;
    for (const Symbol& s : symbols) {
      values.push_back(measure(s.box));
    }
    std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
    return values[values.size() / 2];
  };
  const int height = median([](const PixelBox& b) { return b.height(); });
  const int centre = median([](const PixelBox& b) { return b.top + b.bottom; });
  std::optional<PixelBox> band;
  for (const Symbol& s : symbols) {
    const bool typical =
        s.box.height() <= 2 * height && std::abs(s.box.top + s.box.bottom - centre) <= 2 * height;
    if (typical && band) {
      band->unite(s.box);
    } else if (typical) {
      band = s.box;
    }
  }
  PixelBox result = band.value_or(symbols.front().box);
  const int pad = result.height() / 4;
  result.top = std::max(0, result.top - pad);
  result.bottom = std::min(pageHeight, result.bottom + pad);
  return result;
}

// The box of every grapheme of the text: the union of the boxes of the symbols whose bytes
// overlap it, stretched to the line's text band. Symbols are in text order and do not overlap,
// so one pass over both sequences suffices.
std::vector<std::optional<NormalizedRect>> graphemeBoxes(const FragmentReading& line,
                                                         icu::BreakIterator& graphemes,
                                                         const Normalizer& normalize,
                                                         int pageHeight) {
  UErrorCode status = U_ZERO_ERROR;
  UText* text = utext_openUTF8(nullptr, line.text.data(),
                               static_cast<std::int64_t>(line.text.size()), &status);
  std::unique_ptr<UText, decltype(&utext_close)> textGuard(text, &utext_close);
  graphemes.setText(text, status);
  if (U_FAILURE(status)) {
    throw RecognitionError("cannot split recognised text into characters");
  }
  const PixelBox band = textBand(line.symbols, pageHeight);
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
    if (ink) {
      ink->top = band.top;
      ink->bottom = band.bottom;
    }
    boxes.push_back(ink ? std::optional<NormalizedRect>(normalize(*ink)) : std::nullopt);
  }
  return boxes;
}

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

TesseractRecognizer::TesseractRecognizer(std::vector<Engine> engines, ReadingScope scope)
    : engines_(std::move(engines)), scope_(scope) {}

TesseractRecognizer::~TesseractRecognizer() = default;

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
  std::vector<Engine> engines(threads);
  for (Engine& engine : engines) {
    engine = std::make_unique<tesseract::TessBaseAPI>();
  }
  // Tesseract's diagnostics go to stderr unless this process-wide setting names a file.
  engines.front()->SetVariable("debug_file", "/dev/null");
  // Also process-wide: every line is taken as proportional text, which skips the search for a
  // fixed character pitch that each layout would otherwise run. Words still part at their gaps,
  // which in monospaced text are as plain as in any other.
  engines.front()->SetVariable("textord_all_prop", "1");
  // Loading the model is most of a process's start-up; the engines load theirs in parallel.
  SilencedStderr quiet;
  runOnThreads(threads,
               [&](std::size_t t) { startEngine(*engines[t], hasPrefix ? prefix : nullptr); });
  return std::unique_ptr<TesseractRecognizer>(new TesseractRecognizer(std::move(engines), scope));
}

RecognitionResult TesseractRecognizer::recognize(const ImageView& image) {
  checkView(image);
  // The page may be laid out on this very thread; helper threads see to their own.
  serialiseOpenMpOnThisThread();
  const auto [page, turnedPage] = preparedPage(image, engines_.size());
  const ReadingLines readingLines(kMaxGapInLine);

  std::vector<PixelBox> fragments;
  for (const std::vector<PixelBox>& words : pageLayout(engines_, turnedPage)) {
    for (const PixelBox& piece : readingLines.split(words)) {
      fragments.push_back(piece);
    }
  }
  const std::vector<std::vector<std::size_t>> lines = readingLines.group(fragments);
  const Inspection inspection = inspect(engines_.size(), page, fragments, scope_);

  std::vector<PixelBox> lineBoxes;
  std::vector<bool> mayShowNumber;
  for (const std::vector<std::size_t>& members : lines) {
    PixelBox box = fragments[members.front()];
    bool digits = false;
    for (const std::size_t f : members) {
      box.unite(fragments[f]);
      digits = digits || inspection.mayShowNumber[f];
    }
    lineBoxes.push_back(box);
    mayShowNumber.push_back(digits);
  }
  const auto membersOf = [&](const std::vector<bool>& chosen) {
    std::vector<std::size_t> members;
    for (std::size_t l = 0; l < lines.size(); ++l) {
      if (chosen[l]) {
        members.insert(members.end(), lines[l].begin(), lines[l].end());
      }
    }
    return members;
  };
  std::vector<bool> wanted = mayShowNumber;
  std::vector<FragmentReading> readings =
      recogniseStrips(engines_, inspection.strips, membersOf(wanted));
  if (scope_ == ReadingScope::PhoneNumbers) {
    // Only now is it known which numbers stand alone on their lines and need the line above.
    std::vector<bool> alone(lines.size(), false);
    for (std::size_t l = 0; l < lines.size(); ++l) {
      alone[l] = wanted[l] && std::all_of(lines[l].begin(), lines[l].end(), [&](std::size_t f) {
                   return mayBeNumbersAlone(readings[f].text);
                 });
    }
    std::vector<bool> above = linesAbove(lineBoxes, alone, page.width, page.height);
    for (std::size_t l = 0; l < lines.size(); ++l) {
      above[l] = above[l] && !wanted[l];
      wanted[l] = wanted[l] || above[l];
    }
    std::vector<FragmentReading> more =
        recogniseStrips(engines_, inspection.strips, membersOf(above));
    for (const std::size_t f : membersOf(above)) {
      readings[f] = std::move(more[f]);
    }
  }

  UErrorCode status = U_ZERO_ERROR;
  std::unique_ptr<icu::BreakIterator> graphemes(
      icu::BreakIterator::createCharacterInstance(icu::Locale::getRoot(), status));
  if (U_FAILURE(status)) {
    throw RecognitionError("cannot split recognised text into characters");
  }
  const Normalizer normalize(image.width, image.height);
  RecognitionResult result;
  for (std::size_t l = 0; l < lines.size(); ++l) {
    if (!wanted[l]) {
      continue;
    }
    AssembledLine line = assemble(lines[l], fragments, readings);
    if (line.reading.symbols.empty()) {
      continue;
    }
    std::vector<std::optional<NormalizedRect>> boxes =
        graphemeBoxes(line.reading, *graphemes, normalize, image.height);
    result.push_back(RecognizedLine{
        normalize(line.box),
        TextCandidate{std::move(line.reading.text), line.reading.confidence, std::move(boxes)}});
  }
  return result;
}

}  // namespace vv
