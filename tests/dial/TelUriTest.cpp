#include "TelUri.h"

#include <gtest/gtest.h>

namespace vv {
namespace {

TEST(TelUri, DialableNumbersBecomeGlobalNumbersInTheHomeRegionsReading) {
  EXPECT_EQ(telUri("+1 (415) 555-0142", "US"), "tel:+14155550142");
  EXPECT_EQ(telUri("(415) 555-0142", "US"), "tel:+14155550142");
  EXPECT_EQ(telUri("020 7946 0958", "GB"), "tel:+442079460958");
  EXPECT_EQ(telUri("+44 20 7946 0958", "US"), "tel:+442079460958");
  // The same national writing means another number in another home region.
  EXPECT_EQ(telUri("030 1234 5678", "DE"), "tel:+493012345678");
}

TEST(TelUri, AnExtensionBecomesAParameter) {
  EXPECT_EQ(telUri("+1 415 555 0142 ext. 12", "US"), "tel:+14155550142;ext=12");
  EXPECT_EQ(telUri("(415) 555-0142 x7", "US"), "tel:+14155550142;ext=7");
}

TEST(TelUri, ANumberThatCannotBeDialledAsGlobalGoesAsWrittenEncoded) {
  // A short code has no global form.
  EXPECT_EQ(telUri("112", "GB"), "tel:112");
  EXPECT_EQ(telUri("12", "US"), "tel:12");
  EXPECT_EQ(telUri("1; rm -rf ~ $(id)", "US"), "tel:1%3B%20rm%20-rf%20~%20%24(id)");
  EXPECT_EQ(telUri("\xc2\xb7 5", "US"), "tel:%C2%B7%205");
}

}  // namespace
}  // namespace vv
