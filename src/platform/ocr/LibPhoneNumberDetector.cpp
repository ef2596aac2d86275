#include "platform/ocr/LibPhoneNumberDetector.h"

#include <phonenumbers/phonenumbermatch.h>
#include <phonenumbers/phonenumbermatcher.h>
#include <phonenumbers/phonenumberutil.h>
#include <unicode/locid.h>

#include <limits>
#include <set>
#include <utility>

namespace vv {

namespace {

namespace pn = i18n::phonenumbers;

// The matcher counts candidate attempts, not matches: a line with many dates or prices before
// a real number would hide it under any small limit.
constexpr int kUnlimitedTries = std::numeric_limits<int>::max();

bool isSupportedRegion(const std::string& region) {
  std::set<std::string> regions;
  pn::PhoneNumberUtil::GetInstance()->GetSupportedRegions(&regions);
  return regions.count(region) != 0;
}

}  // namespace

LibPhoneNumberDetector::LibPhoneNumberDetector(std::string region) : region_(std::move(region)) {}

std::string LibPhoneNumberDetector::defaultRegion() {
  // ICU reads the POSIX locale variables itself and maps C/POSIX to en_US_POSIX.
  std::string country = icu::Locale::getDefault().getCountry();
  return isSupportedRegion(country) ? country : "US";
}

std::vector<DetectedSpan> LibPhoneNumberDetector::find(std::string_view utf8Line) const {
  // Invalid UTF-8 makes the matcher report nothing, which is what the interface promises.
  const std::string text(utf8Line);
  pn::PhoneNumberMatcher matcher(*pn::PhoneNumberUtil::GetInstance(), text, region_,
                                 pn::PhoneNumberMatcher::POSSIBLE, kUnlimitedTries);
  std::vector<DetectedSpan> spans;
  pn::PhoneNumberMatch match;
  while (matcher.HasNext() && matcher.Next(&match)) {
    spans.push_back(DetectedSpan{static_cast<std::size_t>(match.start()),
                                 static_cast<std::size_t>(match.length())});
  }
  return spans;
}

}  // namespace vv
