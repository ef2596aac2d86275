#include "reading/LineAssembler.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vv {
namespace {

// A reading whose every byte is one symbol, the symbols 10 pixels wide side by side from
// `left`, each with the given rows.
LineReading readingOf(const std::string& text, float confidence, int left, int top, int bottom) {
  LineReading reading{text, confidence, {}};
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != ' ') {
      const int x = left + 10 * static_cast<int>(i);
      reading.symbols.push_back(Symbol{i, i + 1, PixelBox{x, top, x + 10, bottom}});
    }
  }
  return reading;
}

TEST(LineAssemblerTest, JoinsTheFragmentsReadingsIntoOneLine) {
  const std::vector<PixelBox> fragments{
      {100, 100, 140, 120}, {200, 100, 220, 120}, {300, 100, 380, 120}};
  std::vector<LineReading> readings{readingOf("Call", 0.5f, 100, 100, 120), LineReading{},
                                    readingOf("555-0142", 0.8f, 300, 98, 121)};
  // The strip's ink reaches a pixel past the layout's box on the right.
  readings[2].symbols.back().box.right = 381;
  LineAssembler assembler(1000, 500);

  const std::optional<RecognizedLine> line = assembler.assemble({0, 1, 2}, fragments, readings);
  ASSERT_TRUE(line);
  ASSERT_TRUE(line->topCandidate);
  EXPECT_EQ(line->topCandidate->text, "Call 555-0142");
  // Weighted by symbols: (4 * 0.5 + 8 * 0.8) / 12.
  EXPECT_FLOAT_EQ(line->topCandidate->confidence, 0.7f);
  // As wide as every symbol's ink, as tall as the layout's boxes.
  EXPECT_DOUBLE_EQ(line->box.x, 0.1);
  EXPECT_DOUBLE_EQ(line->box.width, 0.281);
  EXPECT_DOUBLE_EQ(line->box.y, 1.0 - 120.0 / 500);
  EXPECT_DOUBLE_EQ(line->box.height, 20.0 / 500);
  ASSERT_EQ(line->topCandidate->graphemeBoxes.size(), 13u);
  EXPECT_FALSE(line->topCandidate->graphemeBoxes[4]);
  EXPECT_DOUBLE_EQ(line->topCandidate->graphemeBoxes[5]->x, 0.3);
}

TEST(LineAssemblerTest, NothingReadIsNoLine) {
  const std::vector<PixelBox> fragments{{100, 100, 140, 120}};
  std::vector<LineReading> readings{LineReading{"", 0.9f, {}}};
  LineAssembler assembler(1000, 500);
  EXPECT_FALSE(assembler.assemble({0}, fragments, readings));
}

// "e" and a combining acute accent, read as two symbols, are one character with one box.
TEST(LineAssemblerTest, ACharacterOfSeveralSymbolsHasTheirJointBox) {
  const std::vector<PixelBox> fragments{{0, 0, 40, 20}};
  LineReading reading{"e\xCC\x81 x", 0.9f, {}};
  reading.symbols = {Symbol{0, 1, PixelBox{0, 6, 10, 20}}, Symbol{1, 3, PixelBox{2, 0, 8, 4}},
                     Symbol{4, 5, PixelBox{20, 6, 30, 20}}};
  std::vector<LineReading> readings{reading};
  LineAssembler assembler(100, 100);

  const std::optional<RecognizedLine> line = assembler.assemble({0}, fragments, readings);
  ASSERT_TRUE(line);
  const auto& boxes = line->topCandidate->graphemeBoxes;
  ASSERT_EQ(boxes.size(), 3u);
  ASSERT_TRUE(boxes[0]);
  EXPECT_DOUBLE_EQ(boxes[0]->x, 0.0);
  EXPECT_DOUBLE_EQ(boxes[0]->width, 0.1);
  EXPECT_FALSE(boxes[1]);
  EXPECT_DOUBLE_EQ(boxes[2]->x, 0.2);
}

TEST(LineAssemblerTest, TheTextBandLeavesStrayMarksOut) {
  std::vector<Symbol> symbols;
  for (int i = 0; i < 5; ++i) {
    symbols.push_back(
        Symbol{std::size_t(i), std::size_t(i + 1), PixelBox{10 * i, 100, 10 * i + 8, 120}});
  }
  // A bubble's corner read along with the text, far taller than any character.
  symbols.push_back(Symbol{5, 6, PixelBox{60, 40, 70, 180}});
  const PixelBox band = textBand(symbols, 200);
  EXPECT_EQ(band.top, 95);
  EXPECT_EQ(band.bottom, 125);
  // Never beyond the page.
  EXPECT_EQ(textBand({Symbol{0, 1, PixelBox{0, 0, 8, 20}}}, 22).bottom, 22);
}

}  // namespace
}  // namespace vv
