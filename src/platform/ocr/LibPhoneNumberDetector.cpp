#include "platform/ocr/LibPhoneNumberDetector.h"

#include <phonenumbers/phonenumbermatch.h>
#include <phonenumbers/phonenumbermatcher.h>
#include <phonenumbers/phonenumberutil.h>
#include <unicode/locid.h>
#include <unicode/utf8.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <limits>
#include <set>
#include <utility>

#include "platform/ocr/NonPhoneContext.h"
#include "platform/ocr/NumberRuns.h"
#include "platform/ocr/PhoneNumberShape.h"

namespace vv {

namespace {

namespace pn = i18n::phonenumbers;

// The matcher counts candidate attempts, not matches: a line with many dates or prices before
// a real number would hide it under any small limit.
constexpr int kUnlimitedTries = std::numeric_limits<int>::max();

// No number in any plan is longer (E.164); a run with more digits holds more than one.
constexpr std::size_t kLongestNumber = 15;

// Countries whose national numbers (with their trunk "0") are commonly seen on screens abroad,
// tried in this order after the home region.
constexpr std::array<const char*, 6> kForeignRegions{"GB", "FR", "DE", "IT", "ES", "NL"};

bool isSupportedRegion(const std::string& region) {
  std::set<std::string> regions;
  pn::PhoneNumberUtil::GetInstance()->GetSupportedRegions(&regions);
  return regions.count(region) != 0;
}

std::size_t endOf(const DetectedSpan& span) { return span.byteOffset + span.byteLength; }

bool overlaps(const DetectedSpan& a, const DetectedSpan& b) {
  return a.byteOffset < endOf(b) && b.byteOffset < endOf(a);
}

bool overlapsAny(const std::vector<DetectedSpan>& spans, const DetectedSpan& span) {
  return std::any_of(spans.begin(), spans.end(),
                     [&](const DetectedSpan& s) { return overlaps(s, span); });
}

std::string_view textOf(std::string_view line, const DetectedSpan& span) {
  return line.substr(span.byteOffset, span.byteLength);
}

// Every span the matcher proposes for the region, however unlikely.
std::vector<DetectedSpan> matcherSpans(const std::string& line, const std::string& region) {
  pn::PhoneNumberMatcher matcher(*pn::PhoneNumberUtil::GetInstance(), line, region,
                                 pn::PhoneNumberMatcher::POSSIBLE, kUnlimitedTries);
  std::vector<DetectedSpan> spans;
  pn::PhoneNumberMatch match;
  while (matcher.HasNext() && matcher.Next(&match)) {
    spans.push_back(DetectedSpan{static_cast<std::size_t>(match.start()),
                                 static_cast<std::size_t>(match.length())});
  }
  return spans;
}

std::size_t digitsIn(std::string_view text) {
  return static_cast<std::size_t>(
      std::count_if(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }));
}

// The end of the longest stretch of the run's words from `first` on that holds at most
// `maxDigits` digits (at least one word).
std::size_t wordsWithin(std::string_view line, const NumberRun& run, std::size_t first,
                        std::size_t maxDigits) {
  std::size_t digits = digitsIn(textOf(line, run.words[first]));
  std::size_t last = first + 1;
  while (last < run.words.size()) {
    digits += digitsIn(textOf(line, run.words[last]));
    if (digits > maxDigits) {
      break;
    }
    ++last;
  }
  return last;
}

bool isWellFormedUtf8(std::string_view text) {
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
  const auto length = static_cast<std::int32_t>(text.size());
  for (std::int32_t i = 0; i < length;) {
    UChar32 c = 0;
    U8_NEXT(bytes, i, length, c);
    if (c < 0) {
      return false;
    }
  }
  return true;
}

// A trunk-prefixed national number starts a word with "0" (or "(0").
bool mayHoldATrunkPrefixedNumber(std::string_view line) {
  for (std::size_t i = 0; i < line.size(); ++i) {
    if (line[i] == '0' && (i == 0 || line[i - 1] == ' ' || line[i - 1] == '(')) {
      return true;
    }
  }
  return false;
}

}  // namespace

LibPhoneNumberDetector::LibPhoneNumberDetector(std::string region) : region_(std::move(region)) {}

std::string LibPhoneNumberDetector::defaultRegion() {
  // ICU reads the POSIX locale variables itself and maps C/POSIX to en_US_POSIX.
  std::string country = icu::Locale::getDefault().getCountry();
  return isSupportedRegion(country) ? country : "US";
}

std::vector<DetectedSpan> LibPhoneNumberDetector::find(std::string_view utf8Line) const {
  // The matcher reports nothing on invalid UTF-8, but the splitting of runs reads bytes.
  if (!isWellFormedUtf8(utf8Line) || utf8Line.size() > std::numeric_limits<std::int32_t>::max()) {
    return {};
  }
  const std::string line(utf8Line);
  std::vector<DetectedSpan> spans = homeNumbers(line);
  splitMergedRuns(line, spans);
  addForeignNationalNumbers(line, spans);
  std::sort(spans.begin(), spans.end(), [](const DetectedSpan& a, const DetectedSpan& b) {
    return a.byteOffset < b.byteOffset;
  });
  return spans;
}

bool LibPhoneNumberDetector::homeNumberAt(std::string_view line, const DetectedSpan& span) const {
  return !plainlyNotAPhoneNumber(line, span.byteOffset, span.byteLength) &&
         writtenAsHomeNumber(textOf(line, span), region_);
}

std::vector<DetectedSpan> LibPhoneNumberDetector::homeNumbers(const std::string& line) const {
  std::vector<DetectedSpan> spans = matcherSpans(line, region_);
  std::erase_if(spans, [&](const DetectedSpan& span) { return !homeNumberAt(line, span); });
  return spans;
}

void LibPhoneNumberDetector::splitMergedRuns(const std::string& line,
                                             std::vector<DetectedSpan>& spans) const {
  for (const NumberRun& run : numberRuns(line)) {
    if (run.digits <= kLongestNumber) {
      continue;
    }
    // The split's numbers replace the fragments the matcher found in their place.
    for (const DetectedSpan& part : splitRun(line, run)) {
      std::erase_if(spans, [&](const DetectedSpan& span) { return overlaps(span, part); });
      spans.push_back(part);
    }
  }
}

// Left to right, the longest run of words that reads as one number; a word that starts none is
// passed over. Candidates never exceed the longest number, which keeps a long table of figures
// linear.
std::vector<DetectedSpan> LibPhoneNumberDetector::splitRun(std::string_view line,
                                                           const NumberRun& run) const {
  std::vector<DetectedSpan> parts;
  std::size_t first = 0;
  while (first < run.words.size()) {
    std::size_t next = first + 1;
    for (std::size_t last = wordsWithin(line, run, first, kLongestNumber); last > first; --last) {
      const DetectedSpan candidate{run.words[first].byteOffset,
                                   endOf(run.words[last - 1]) - run.words[first].byteOffset};
      if (homeNumberAt(line, candidate)) {
        parts.push_back(candidate);
        next = last;
        break;
      }
    }
    first = next;
  }
  return parts;
}

void LibPhoneNumberDetector::addForeignNationalNumbers(const std::string& line,
                                                       std::vector<DetectedSpan>& spans) const {
  if (!mayHoldATrunkPrefixedNumber(line)) {
    return;
  }
  for (const char* region : kForeignRegions) {
    if (region == region_) {
      continue;
    }
    for (const DetectedSpan& span : matcherSpans(line, region)) {
      if (!overlapsAny(spans, span) &&
          !plainlyNotAPhoneNumber(line, span.byteOffset, span.byteLength) &&
          writtenAsNationalNumberOf(textOf(line, span), region)) {
        spans.push_back(span);
      }
    }
  }
}

}  // namespace vv
