#include "platform/ocr/TesseractRecognizer.h"

#include <gtest/gtest.h>
#include <leptonica/allheaders.h>
#include <stdlib.h>
#include <unicode/brkiter.h>
#include <unicode/unistr.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

#include "platform/ocr/LibPhoneNumberDetector.h"
#include "platform/ocr/OwnedPix.h"
#include "recognition/PhoneScan.h"

namespace vv {
namespace {

namespace fs = std::filesystem;

// A corpus image as R, G, B, A bytes (Leptonica keeps native-endian words).
PixPtr readRgba(const fs::path& path) {
  PixPtr read(pixRead(path.c_str()));
  if (!read) {
    return nullptr;
  }
  PixPtr rgba(pixConvertTo32(read.get()));
  pixEndianByteSwap(rgba.get());
  return rgba;
}

ImageView viewOf(Pix* pix) {
  return ImageView{reinterpret_cast<const std::uint8_t*>(pixGetData(pix)),
                   static_cast<int>(pixGetWidth(pix)), static_cast<int>(pixGetHeight(pix)),
                   std::ptrdiff_t{4} * pixGetWpl(pix), PixelLayout::Rgba};
}

// The text's grapheme clusters, each as its own string.
std::vector<std::string> graphemesOf(const std::string& text) {
  UErrorCode status = U_ZERO_ERROR;
  std::unique_ptr<icu::BreakIterator> it(
      icu::BreakIterator::createCharacterInstance(icu::Locale::getRoot(), status));
  const icu::UnicodeString u = icu::UnicodeString::fromUTF8(text);
  it->setText(u);
  std::vector<std::string> graphemes;
  for (std::int32_t begin = it->first(), end = it->next(); end != icu::BreakIterator::DONE;
       begin = end, end = it->next()) {
    std::string grapheme;
    u.tempSubStringBetween(begin, end).toUTF8String(grapheme);
    graphemes.push_back(grapheme);
  }
  return graphemes;
}

// Without a leading 1, so that a North American number matches with or without it.
std::string nationalDigits(std::string digits) {
  if (digits.size() == 11 && digits[0] == '1') {
    digits.erase(0, 1);
  }
  return digits;
}

std::string digitsOf(const std::string& number) {
  std::string digits;
  std::copy_if(number.begin(), number.end(), std::back_inserter(digits),
               [](char c) { return c >= '0' && c <= '9'; });
  return nationalDigits(digits);
}

class TesseractRecognizerTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    recognizer_ = TesseractRecognizer::create().release();
    readsEverything_ = TesseractRecognizer::create(ReadingScope::Everything).release();
  }
  static void TearDownTestSuite() {
    delete recognizer_;
    delete readsEverything_;
    recognizer_ = readsEverything_ = nullptr;
  }
  // Reads what a phone scan needs, as the product does.
  static TesseractRecognizer& recognizer() { return *recognizer_; }
  static TesseractRecognizer& readsEverything() { return *readsEverything_; }

  static fs::path corpusImage(const std::string& name) {
    const fs::path path = fs::path(VV_CORPUS_DIR) / name;
    return fs::exists(path) ? path : fs::path();
  }

 private:
  static TesseractRecognizer* recognizer_;
  static TesseractRecognizer* readsEverything_;
};

TesseractRecognizer* TesseractRecognizerTest::recognizer_ = nullptr;
TesseractRecognizer* TesseractRecognizerTest::readsEverything_ = nullptr;

TEST_F(TesseractRecognizerTest, ABlankImageHasNoLines) {
  for (const PixelLayout layout : {PixelLayout::Rgba, PixelLayout::Bgrx}) {
    const std::vector<std::uint8_t> white(640 * 4 * 480, 255);
    const ImageView view{white.data(), 640, 480, 640 * 4, layout};
    EXPECT_TRUE(recognizer().recognize(view).empty());
    EXPECT_TRUE(phoneMatches(view, recognizer(), LibPhoneNumberDetector("US")).empty());
  }
}

TEST_F(TesseractRecognizerTest, RejectsAMalformedView) {
  const std::vector<std::uint8_t> pixels(64 * 4 * 64, 255);
  EXPECT_THROW(recognizer().recognize(ImageView{nullptr, 64, 64, 256, PixelLayout::Rgba}),
               RecognitionError);
  EXPECT_THROW(recognizer().recognize(ImageView{pixels.data(), 64, 64, 100, PixelLayout::Rgba}),
               RecognitionError);
  EXPECT_THROW(recognizer().recognize(ImageView{pixels.data(), 0, 64, 256, PixelLayout::Rgba}),
               RecognitionError);
}

// Every line of a real screen: text without line breaks or doubled spaces, a box for each
// visible character and none for the spaces between words, every character within its line.
TEST_F(TesseractRecognizerTest, LinesCarryTextConfidenceAndCharacterBoxes) {
  const fs::path path = corpusImage("dev_03_search.png");
  if (path.empty()) {
    GTEST_SKIP() << "no corpus";
  }
  const PixPtr pix = readRgba(path);
  ASSERT_TRUE(pix);
  const RecognitionResult lines = readsEverything().recognize(viewOf(pix.get()));
  ASSERT_GT(lines.size(), 20u);
  const double slack = 1e-9;
  for (const RecognizedLine& line : lines) {
    ASSERT_TRUE(line.topCandidate);
    const TextCandidate& candidate = *line.topCandidate;
    ASSERT_FALSE(candidate.text.empty());
    EXPECT_EQ(candidate.text.find('\n'), std::string::npos);
    EXPECT_EQ(candidate.text.find("  "), std::string::npos) << candidate.text;
    EXPECT_NE(candidate.text.front(), ' ');
    EXPECT_NE(candidate.text.back(), ' ');
    EXPECT_GE(candidate.confidence, 0.0f);
    EXPECT_LE(candidate.confidence, 1.0f);
    EXPECT_GT(line.box.width, 0.0);
    EXPECT_GT(line.box.height, 0.0);

    const std::vector<std::string> graphemes = graphemesOf(candidate.text);
    ASSERT_EQ(candidate.graphemeBoxes.size(), graphemes.size()) << candidate.text;
    for (std::size_t i = 0; i < graphemes.size(); ++i) {
      const std::optional<NormalizedRect>& box = candidate.graphemeBoxes[i];
      const bool space = graphemes[i] == " ";
      EXPECT_EQ(box.has_value(), !space) << candidate.text;
      if (!box) {
        continue;
      }
      EXPECT_GE(box->x, line.box.x - slack);
      EXPECT_LE(box->x + box->width, line.box.x + line.box.width + slack);
      // Tesseract's line box follows the line's baseline and x-height, so a tall glyph may
      // stand a little above or below it; it always overlaps it.
      EXPECT_LT(box->y, line.box.y + line.box.height);
      EXPECT_GT(box->y + box->height, line.box.y);
    }
  }
}

// The page is laid out in two halves where a band of rows does not change. Here that band
// runs through a line of text: the middle row of a number's line, repeated, with 200 rows of
// the screen above and below. The line must come out whole, not as a top and a bottom half.
TEST_F(TesseractRecognizerTest, ALineThroughTheQuietBandIsNotCut) {
  const fs::path path = corpusImage("dev_03_search.png");
  if (path.empty()) {
    GTEST_SKIP() << "no corpus";
  }
  const PixPtr pix = readRgba(path);
  ASSERT_TRUE(pix);
  const ImageView screen = viewOf(pix.get());
  // The number "512.555.0189" takes rows 482 to 503 of the screen.
  constexpr int kMiddleRow = 493;
  constexpr int kRepeats = 12;
  constexpr int kAround = 200;
  std::vector<std::uint8_t> pixels;
  const auto appendRow = [&](int y) {
    const std::uint8_t* row = screen.pixels + std::ptrdiff_t(y) * screen.bytesPerLine;
    pixels.insert(pixels.end(), row, row + std::ptrdiff_t(4) * screen.width);
  };
  for (int y = kMiddleRow - kAround; y < kMiddleRow; ++y) {
    appendRow(y);
  }
  for (int r = 0; r < kRepeats; ++r) {
    appendRow(kMiddleRow);
  }
  for (int y = kMiddleRow; y < kMiddleRow + kAround; ++y) {
    appendRow(y);
  }
  const int height = 2 * kAround + kRepeats;
  const ImageView page{pixels.data(), screen.width, height, std::ptrdiff_t(4) * screen.width,
                       PixelLayout::Rgba};

  const RecognitionResult lines = readsEverything().recognize(page);
  const auto spansTheBand = [&](const RecognizedLine& line) {
    const double top = (1.0 - line.box.y - line.box.height) * height;
    const double bottom = (1.0 - line.box.y) * height;
    return top < kAround - 5 && bottom > kAround + kRepeats + 5;
  };
  EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), spansTheBand));
}

class CorpusNumbers : public TesseractRecognizerTest,
                      public ::testing::WithParamInterface<const char*> {};

// Screens on which every expected number is plainly legible must give all of them.
TEST_P(CorpusNumbers, FindsEveryExpectedNumber) {
  const fs::path image = corpusImage(GetParam());
  if (image.empty()) {
    GTEST_SKIP() << "no corpus";
  }
  std::ifstream truthFile(fs::path(image).replace_extension(".json"));
  const nlohmann::json truth = nlohmann::json::parse(truthFile);
  const PixPtr pix = readRgba(image);
  ASSERT_TRUE(pix);

  const PhoneMatches matches =
      phoneMatches(viewOf(pix.get()), recognizer(), LibPhoneNumberDetector("US"));
  std::vector<std::string> found;
  for (const PhoneMatch& match : matches) {
    found.push_back(digitsOf(match.number()));
  }
  for (const nlohmann::json& expected : truth.at("numbers")) {
    const std::string digits = nationalDigits(expected.at("digits").get<std::string>());
    EXPECT_NE(std::find(found.begin(), found.end(), digits), found.end())
        << expected.at("text").get<std::string>();
  }
}

// Reading only the lines a phone scan needs gives the very matches that reading every line
// gives: numbers, boxes, labels and context alike.
TEST_P(CorpusNumbers, ReadingLessChangesNoMatch) {
  const fs::path image = corpusImage(GetParam());
  if (image.empty()) {
    GTEST_SKIP() << "no corpus";
  }
  const PixPtr pix = readRgba(image);
  ASSERT_TRUE(pix);
  const LibPhoneNumberDetector detector("US");
  const RecognitionResult some = recognizer().recognize(viewOf(pix.get()));
  const RecognitionResult all = readsEverything().recognize(viewOf(pix.get()));
  EXPECT_LT(some.size(), all.size());
  const PhoneMatches expected = phoneMatches(all, detector);
  const PhoneMatches found = phoneMatches(some, detector);
  ASSERT_EQ(found.size(), expected.size());
  for (std::size_t i = 0; i < found.size(); ++i) {
    EXPECT_EQ(found[i].number(), expected[i].number());
    EXPECT_EQ(found[i].kind(), expected[i].kind());
    EXPECT_EQ(found[i].context(), expected[i].context());
    EXPECT_EQ(found[i].box().x, expected[i].box().x);
    EXPECT_EQ(found[i].box().y, expected[i].box().y);
    EXPECT_EQ(found[i].box().width, expected[i].box().width);
    EXPECT_EQ(found[i].box().height, expected[i].box().height);
  }
}

// Two pages of search results, and a dark chat whose numbers sit in light bubbles.
INSTANTIATE_TEST_SUITE_P(Screens, CorpusNumbers,
                         ::testing::Values("dev_03_search.png", "dev_20_search.png",
                                           "dev_23_chat.png"));

// A scoped environment variable.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const std::string& value) : name_(name) {
    if (const char* old = std::getenv(name)) {
      saved_ = old;
    }
    ::setenv(name, value.c_str(), 1);
  }
  ~ScopedEnv() {
    if (saved_) {
      ::setenv(name_, saved_->c_str(), 1);
    } else {
      ::unsetenv(name_);
    }
  }

 private:
  const char* name_;
  std::optional<std::string> saved_;
};

class ScratchDir {
 public:
  ScratchDir() {
    std::string name = (fs::temp_directory_path() / "vv-tessdata-XXXXXX").string();
    path_ = ::mkdtemp(name.data());
  }
  ~ScratchDir() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
  }
  const fs::path& path() const { return path_; }

 private:
  fs::path path_;
};

TEST(TesseractRecognizerStart, FailsQuietlyWithoutTheModel) {
  const ScratchDir empty;
  const ScopedEnv prefix("TESSDATA_PREFIX", empty.path().string());
  ::testing::internal::CaptureStderr();
  EXPECT_THROW(TesseractRecognizer::create(), RecognitionError);
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
}

TEST(TesseractRecognizerStart, FailsQuietlyWithADamagedModel) {
  const ScratchDir dir;
  std::ofstream(dir.path() / "eng.traineddata") << "not a model";
  const ScopedEnv prefix("TESSDATA_PREFIX", dir.path().string());
  ::testing::internal::CaptureStderr();
  EXPECT_THROW(TesseractRecognizer::create(), RecognitionError);
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
}

}  // namespace
}  // namespace vv
