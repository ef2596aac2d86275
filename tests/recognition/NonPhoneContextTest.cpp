#include "recognition/NonPhoneContext.h"

#include <gtest/gtest.h>

#include <string>

namespace vv {
namespace {

// Whether the rules reject the first occurrence of `span` in `line`.
bool rejected(const std::string& line, const std::string& span) {
  const std::size_t offset = line.find(span);
  EXPECT_NE(offset, std::string::npos) << span;
  return plainlyNotAPhoneNumber(line, offset, span.size());
}

TEST(NonPhoneContext, TimestampsOnlyAfterTheirLabel) {
  EXPECT_TRUE(rejected("DEBUG ts=1704398817 pid=7037", "1704398817"));
  EXPECT_TRUE(rejected("Unix epoch: 1714278678", "1714278678"));
  EXPECT_TRUE(rejected("Timestamp 1706439565", "1706439565"));
  EXPECT_FALSE(rejected("call 1704398817", "1704398817"));
  EXPECT_FALSE(rejected("ts=415-555-0142", "415-555-0142"));
  // "ts" must be a word of its own: after anything but an ASCII letter, digit or underscore.
  EXPECT_FALSE(rejected("Contacts 1704398817", "1704398817"));
  EXPECT_FALSE(rejected("build_ts=1704398817", "1704398817"));
  EXPECT_TRUE(rejected("\xC3\xA9ts=1704398817", "1704398817"));
}

TEST(NonPhoneContext, IpAddressesWithOrWithoutPort) {
  EXPECT_TRUE(rejected("peer 192.168.9.113:5060 timeout", "192.168.9.113"));
  EXPECT_TRUE(rejected("peer 192.168.9.113:5060 timeout", "168.9.113"));
  EXPECT_TRUE(rejected("gateway 10.0.0.1", "10.0.0.1"));
  EXPECT_FALSE(rejected("call 415.555.0142", "415.555.0142"));
  EXPECT_FALSE(rejected("call 1.415.555.0142", "1.415.555.0142"));
}

TEST(NonPhoneContext, Isbns) {
  EXPECT_TRUE(rejected("ISBN 0-306-40615-2", "0-306-40615-2"));
  EXPECT_TRUE(rejected("isbn-13: 978-3-16-148410-0", "978-3-16-148410-0"));
  EXPECT_TRUE(rejected("see 978-3-16-148410-0", "3-16-148410-0"));
  EXPECT_FALSE(rejected("call 978-555-0142", "978-555-0142"));
}

TEST(NonPhoneContext, DigitsGluedToAWordOrCode) {
  EXPECT_TRUE(rejected("v1.2.3.4567", "1.2.3.4567"));
  EXPECT_TRUE(rejected("part A12-555-0142", "12-555-0142"));
  EXPECT_TRUE(rejected("4155550142abc", "4155550142"));
  EXPECT_FALSE(rejected("tel:4155550142", "4155550142"));
  EXPECT_FALSE(rejected("(415) 555-0142.", "(415) 555-0142"));
}

}  // namespace
}  // namespace vv
