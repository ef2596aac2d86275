#include "app/StatusLine.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

namespace vv {
namespace {

using nlohmann::json;

TEST(StatusLine, IsCompactWithOnlyTheMembersThatApply) {
  EXPECT_EQ(statusObject("cancelled", std::nullopt, 3), R"({"status":"cancelled"})");
  EXPECT_EQ(statusObject("ready", std::nullopt, 0), R"({"status":"ready","count":0})");
  EXPECT_EQ(statusObject("selected", "+1 (415) 555-0142", 2),
            R"({"status":"selected","number":"+1 (415) 555-0142"})");
}

TEST(StatusLine, CountBelongsToReadyAloneWhateverTheMatches) {
  for (const char* word :
       {"empty", "showing", "failed", "permission", "self-test-passed", "readiness", "Ready"}) {
    const json object = json::parse(*statusObject(word, std::nullopt, 5));
    EXPECT_FALSE(object.contains("count")) << word;
    EXPECT_FALSE(object.contains("number")) << word;
  }
}

TEST(StatusLine, AnEmptyNumberIsStillAMember) {
  const json object = json::parse(*statusObject("selected", "", 1));
  EXPECT_EQ(object.at("number"), "");
}

TEST(StatusLine, TextIsEscapedAndStaysOnOneLineInUtf8) {
  const std::string line = *statusObject("selected", "\"a\\b\nc\" – ☎", 0);
  EXPECT_EQ(line.find('\n'), std::string::npos);
  EXPECT_NE(line.find("–"), std::string::npos) << "UTF-8 is written as is, not escaped";
  EXPECT_EQ(json::parse(line).at("number"), "\"a\\b\nc\" – ☎");
}

TEST(StatusLine, InvalidUtf8GivesNoLineInsteadOfACrash) {
  EXPECT_FALSE(statusObject("selected", std::string("\xff\xfe", 2), 0).has_value());
}

}  // namespace
}  // namespace vv
