#include "recognition/NumberRuns.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vv {
namespace {

// Each run as the text of its words, with the run's digit count.
std::vector<std::pair<std::vector<std::string>, std::size_t>> runsOf(const std::string& line) {
  std::vector<std::pair<std::vector<std::string>, std::size_t>> runs;
  for (const NumberRun& run : numberRuns(line)) {
    std::vector<std::string> words;
    for (const DetectedSpan& word : run.words) {
      words.push_back(line.substr(word.byteOffset, word.byteLength));
    }
    runs.emplace_back(words, run.digits);
  }
  return runs;
}

using Words = std::vector<std::string>;

TEST(NumberRuns, ConsecutiveNumericWordsFormARun) {
  const auto runs = runsOf("Billing +1 (215) 555-0150 412135550141 aisha@example 08.06.2024");
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_EQ(runs[0].first, (Words{"+1", "(215)", "555-0150", "412135550141"}));
  EXPECT_EQ(runs[0].second, 23u);
}

TEST(NumberRuns, WordsAndClausePunctuationEndARun) {
  const auto runs = runsOf("415 555 0142, 415 555 0143 or 212 555 0100.");
  ASSERT_EQ(runs.size(), 3u);
  EXPECT_EQ(runs[0].first, (Words{"415", "555", "0142"}));
  EXPECT_EQ(runs[1].first, (Words{"415", "555", "0143"}));
  // The sentence's full stop is not part of the last word.
  EXPECT_EQ(runs[2].first, (Words{"212", "555", "0100"}));
}

TEST(NumberRuns, SingleWordsAndMarksWithoutDigitsAreNoRun) {
  EXPECT_TRUE(runsOf("call 4155550142 now").empty());
  EXPECT_TRUE(runsOf("-- ( ) --").empty());
  EXPECT_TRUE(runsOf("").empty());
  EXPECT_EQ(runsOf("- 415 555 0142 -").at(0).first, (Words{"415", "555", "0142"}));
}

}  // namespace
}  // namespace vv
