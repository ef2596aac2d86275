#include "SelectedNumber.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace vv {
namespace {

TEST(SelectedNumber, TheFirstCompleteSelectionIsTheNumber) {
  EXPECT_EQ(selectedNumber("{\"status\":\"ready\",\"count\":2}\n{\"status\":\"showing\"}\n"
                           "{\"status\":\"selected\",\"number\":\"+1 (415) 555-0142\"}\n"),
            "+1 (415) 555-0142");
  // Members are read by name, in any order, with JSON escapes decoded.
  EXPECT_EQ(selectedNumber("{ \"number\" : \"\\u002b49 30\" , \"status\" : \"selected\" }\n"),
            "+49 30");
  EXPECT_EQ(selectedNumber("{\"status\":\"selected\",\"number\":\"1\"}\n"
                           "{\"status\":\"selected\",\"number\":\"2\"}\n"),
            "1");
  // A line that cannot be read does not hide a good one after it.
  EXPECT_EQ(selectedNumber("garbage\n{\"status\":\"selected\",\"number\":\"3\"}\n"), "3");
}

TEST(SelectedNumber, NothingHalfReadMalformedOrOtherIsEverDialled) {
  for (const std::string& lines : {
           std::string("{\"status\":\"cancelled\"}\n"),
           std::string("{\"status\":\"ready\",\"count\":0}\n{\"status\":\"empty\"}\n"),
           std::string(""),
           // cut in half: no line feed, or no closing brace
           std::string("{\"status\":\"selected\",\"number\":\"+1 415 555 0142\"}"),
           std::string("{\"status\":\"selected\",\"number\":\"+1 415 555 0142\"\n"),
           std::string("{\"status\":\"selected\",\"number\":\"+1\"} trailing\n"),
           std::string("{\"status\":\"selected\",\"number\":\"\"}\n"),
           std::string("{\"status\":\"selected\",\"number\":14155550142}\n"),
           std::string("{\"status\":\"selected\"}\n"),
           std::string("[\"selected\",\"+1 415 555 0142\"]\n"),
           std::string("{\"status\":\"cancelled\",\"number\":\"+1 415 555 0142\"}\n"),
           // invalid UTF-8 and a lone surrogate
           std::string("{\"status\":\"selected\",\"number\":\"+1 \xff\"}\n"),
           std::string("{\"status\":\"selected\",\"number\":\"\\ud800\"}\n"),
       }) {
    EXPECT_EQ(selectedNumber(lines), std::nullopt) << lines;
  }
  // Only the first selection counts, even when the number in it is unusable.
  EXPECT_EQ(selectedNumber("{\"status\":\"selected\",\"number\":\"\"}\n"
                           "{\"status\":\"selected\",\"number\":\"2\"}\n"),
            std::nullopt);
}

}  // namespace
}  // namespace vv
