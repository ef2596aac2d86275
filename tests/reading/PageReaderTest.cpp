#include "reading/PageReader.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "reading/DrawnPages.h"
#include "reading/FakeLineEngine.h"
#include "reading/PreparedPage.h"

namespace vv {
namespace {

using test::FakeLineEngine;
using test::RecordedPage;

// A white page with lines of text drawn on it (see drawText), and what a line engine makes of
// it: each line one layout line and one reading, with a symbol for every character but spaces.
class DrawnPage {
 public:
  DrawnPage(int width, int height)
      : grey_(test::filled(width, height, 255)), recording_(std::make_shared<RecordedPage>()) {
    recording_->height = height;
  }

  void line(int left, int baseline, const std::string& text, int cap = 20) {
    const std::vector<std::optional<PixelBox>> boxes =
        test::drawText(grey_, left, baseline, text, cap);
    std::vector<PixelBox> words;
    bool inWord = false;
    LineReading reading{text, 0.9f, {}};
    for (std::size_t i = 0; i < boxes.size(); ++i) {
      if (!boxes[i]) {
        inWord = false;
        continue;
      }
      reading.symbols.push_back(Symbol{i, i + 1, *boxes[i]});
      if (inWord) {
        words.back().unite(*boxes[i]);
      } else {
        words.push_back(*boxes[i]);
      }
      inWord = true;
    }
    PixelBox fragment = words.front();
    for (const PixelBox& word : words) {
      fragment.unite(word);
    }
    recording_->layout.push_back(words);
    recording_->readings.push_back(RecordedPage::Reading{fragment, reading});
  }

  // A word in the layout that nothing was drawn for and nothing reads.
  void phantomWord(const PixelBox& box) { recording_->layout.push_back({box}); }

  ImageView view() {
    rgba_.clear();
    for (const std::uint8_t grey : grey_.pixels) {
      rgba_.insert(rgba_.end(), {grey, grey, grey, 255});
    }
    return ImageView{rgba_.data(), grey_.width, grey_.height, std::ptrdiff_t{4} * grey_.width,
                     PixelLayout::Rgba};
  }

  std::shared_ptr<const RecordedPage> recording() const { return recording_; }
  const GreyImage& grey() const { return grey_; }

 private:
  GreyImage grey_;
  std::shared_ptr<RecordedPage> recording_;
  std::vector<std::uint8_t> rgba_;
};

// A page reader over fake engines, which stay reachable for the test.
struct FakeReader {
  FakeReader(const DrawnPage& page, ReadingScope scope, std::size_t engineCount = 1) {
    std::vector<std::unique_ptr<LineEngine>> owned;
    for (std::size_t e = 0; e < engineCount; ++e) {
      auto engine = std::make_unique<FakeLineEngine>(page.recording(), e == 1);
      engines.push_back(engine.get());
      owned.push_back(std::move(engine));
    }
    reader = std::make_unique<PageReader>(std::move(owned), scope);
  }

  std::vector<FakeLineEngine*> engines;
  std::unique_ptr<PageReader> reader;
};

std::vector<std::string> textsOf(const RecognitionResult& result) {
  std::vector<std::string> texts;
  for (const RecognizedLine& line : result) {
    texts.push_back(line.topCandidate ? line.topCandidate->text : "");
  }
  return texts;
}

bool within(const PixelBox& inner, const PixelBox& outer) {
  return inner.left >= outer.left && inner.right <= outer.right && inner.top >= outer.top &&
         inner.bottom <= outer.bottom;
}

TEST(PageReaderTest, ReadsEveryLineWithItsBoxesWhenToldTo) {
  DrawnPage page(600, 300);
  page.line(40, 60, "Head office");
  page.line(40, 100, "415 555 0142");
  FakeReader fake(page, ReadingScope::Everything);

  const RecognitionResult result = fake.reader->read(page.view());
  ASSERT_EQ(textsOf(result), (std::vector<std::string>{"Head office", "415 555 0142"}));
  const RecognizedLine& number = result[1];
  EXPECT_FLOAT_EQ(number.topCandidate->confidence, 0.9f);
  // The digits stand from row 80 to row 100, from column 40 to 40 + 11 * 14 + 11.
  EXPECT_DOUBLE_EQ(number.box.x, 40.0 / 600);
  EXPECT_DOUBLE_EQ(number.box.width, 165.0 / 600);
  EXPECT_DOUBLE_EQ(number.box.y, 1.0 - 100.0 / 300);
  EXPECT_DOUBLE_EQ(number.box.height, 20.0 / 300);
  const auto& boxes = number.topCandidate->graphemeBoxes;
  ASSERT_EQ(boxes.size(), 12u);
  EXPECT_FALSE(boxes[3]);  // the space
  ASSERT_TRUE(boxes[4]);
  // The fifth character's own ink, stretched to the text band and a quarter of it either way.
  EXPECT_DOUBLE_EQ(boxes[4]->x, 96.0 / 600);
  EXPECT_DOUBLE_EQ(boxes[4]->width, 11.0 / 600);
  EXPECT_DOUBLE_EQ(boxes[4]->y, 1.0 - 105.0 / 300);
  EXPECT_DOUBLE_EQ(boxes[4]->height, 30.0 / 300);
}

// Running text is never read; a number alone on its line gets the line above read in a second
// pass, a number with words beside it does not.
TEST(PageReaderTest, ReadsOnlyWhatAPhoneScanNeeds) {
  DrawnPage page(1000, 700);
  page.line(40, 60, "Head office");
  page.line(40, 100, "415 555 0142");
  page.line(40, 300, "Opening hours are listed below");
  page.line(40, 360, "nothing above");
  page.line(40, 400, "Fax 415 555 0199");
  FakeReader fake(page, ReadingScope::PhoneNumbers);

  const RecognitionResult result = fake.reader->read(page.view());
  EXPECT_EQ(textsOf(result),
            (std::vector<std::string>{"Head office", "415 555 0142", "Fax 415 555 0199"}));
  const std::vector<PixelBox>& read = fake.engines[0]->readAreas;
  ASSERT_EQ(read.size(), 3u);
  EXPECT_TRUE(within(page.recording()->readings[0].fragment, read.back()));
}

TEST(PageReaderTest, FailuresReachTheCaller) {
  DrawnPage page(300, 200);
  page.line(10, 50, "415 555 0142");
  FakeReader fake(page, ReadingScope::Everything);
  const std::vector<std::uint8_t> pixels(64 * 4 * 64, 255);
  EXPECT_THROW(fake.reader->read(ImageView{nullptr, 64, 64, 256, PixelLayout::Rgba}),
               RecognitionError);
  EXPECT_THROW(fake.reader->read(ImageView{pixels.data(), 64, 64, 100, PixelLayout::Rgba}),
               RecognitionError);
  EXPECT_TRUE(fake.engines[0]->maskHeights.empty());
  fake.engines[0]->failing = true;
  EXPECT_THROW(fake.reader->read(page.view()), RecognitionError);
}

// Two engines lay out the halves above and below a quiet band at once, and the page reads as
// it does with one.
TEST(PageReaderTest, TwoEnginesLayOutTheHalvesOfAPage) {
  DrawnPage page(600, 400);
  page.line(40, 60, "Head office");
  page.line(40, 100, "415 555 0142");
  page.line(40, 300, "Sales");
  page.line(40, 340, "415 555 0199");
  FakeReader one(page, ReadingScope::PhoneNumbers);
  FakeReader two(page, ReadingScope::PhoneNumbers, 2);

  const RecognitionResult expected = one.reader->read(page.view());
  const RecognitionResult found = two.reader->read(page.view());
  EXPECT_EQ(textsOf(found), textsOf(expected));
  EXPECT_EQ(textsOf(found),
            (std::vector<std::string>{"Head office", "415 555 0142", "Sales", "415 555 0199"}));
  ASSERT_EQ(two.engines[0]->maskHeights.size(), 1u);
  ASSERT_EQ(two.engines[1]->maskHeights.size(), 1u);
  EXPECT_LT(two.engines[0]->maskHeights[0], 400);
  EXPECT_EQ(two.engines[0]->maskHeights[0] + two.engines[1]->maskHeights[0], 400);
}

// A layout word across the cut means something ran through the quiet band after all.
TEST(PageReaderTest, AWordAcrossTheCutHasThePageLaidOutWhole) {
  DrawnPage page(600, 400);
  page.line(40, 60, "415 555 0142");
  page.line(40, 340, "415 555 0199");
  const std::optional<int> cut = quietRowNearMiddle(preparedPage(page.view(), 1).darkOnLight);
  ASSERT_TRUE(cut);
  page.phantomWord(PixelBox{300, *cut - 10, 340, *cut + 10});
  FakeReader two(page, ReadingScope::PhoneNumbers, 2);

  const RecognitionResult found = two.reader->read(page.view());
  EXPECT_EQ(textsOf(found), (std::vector<std::string>{"415 555 0142", "415 555 0199"}));
  EXPECT_EQ(two.engines[0]->maskHeights, (std::vector<int>{*cut, 400}));
}

// Small text is read enlarged; its boxes come back to the page's pixels.
TEST(PageReaderTest, SmallTextIsReadEnlarged) {
  DrawnPage page(400, 100);
  page.line(20, 50, "Call 555 0142", 12);
  FakeReader fake(page, ReadingScope::Everything);

  const RecognitionResult result = fake.reader->read(page.view());
  ASSERT_EQ(result.size(), 1u);
  EXPECT_EQ(fake.engines[0]->pixelsPerInch, (std::vector<int>{2 * kScreenPixelsPerInch}));
  const auto& boxes = result[0].topCandidate->graphemeBoxes;
  const PixelBox drawn = page.recording()->readings[0].reading.symbols[4].box;  // the "5"
  ASSERT_TRUE(boxes[5]);
  EXPECT_DOUBLE_EQ(boxes[5]->x, drawn.left / 400.0);
  EXPECT_DOUBLE_EQ(boxes[5]->width, drawn.width() / 400.0);
}

}  // namespace
}  // namespace vv
