#include "platform/ocr/LibPhoneNumberDetector.h"

#include <phonenumbers/phonenumbermatch.h>
#include <phonenumbers/phonenumbermatcher.h>
#include <phonenumbers/phonenumberutil.h>
#include <unicode/locid.h>

#include <algorithm>
#include <array>
#include <limits>
#include <set>
#include <utility>

#include "platform/ocr/PhoneNumberShape.h"
#include "recognition/NonPhoneContext.h"
#include "recognition/NumberRuns.h"
#include "recognition/NumberText.h"
#include "recognition/ScanRules.h"
#include "recognition/UnicodeText.h"

namespace vv {

namespace {

namespace pn = i18n::phonenumbers;

// The matcher counts candidate attempts, not matches: a line with many dates or prices before
// a real number would hide it under any small limit.
constexpr int kUnlimitedTries = std::numeric_limits<int>::max();

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

// The end of the longest stretch of the run's words from `first` on that holds at most
// `maxDigits` digits (at least one word).
std::size_t wordsWithin(std::string_view line, const NumberRun& run, std::size_t first,
                        std::size_t maxDigits) {
  std::size_t digits = digitCount(textOf(line, run.words[first]));
  std::size_t last = first + 1;
  while (last < run.words.size()) {
    digits += digitCount(textOf(line, run.words[last]));
    if (digits > maxDigits) {
      break;
    }
    ++last;
  }
  return last;
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

bool homeNumberAt(std::string_view line, const DetectedSpan& span, const std::string& region) {
  return !plainlyNotAPhoneNumber(line, span.byteOffset, span.byteLength) &&
         writtenAsHomeNumber(textOf(line, span), region);
}

std::vector<DetectedSpan> homeNumbers(const std::string& line, const std::string& region) {
  std::vector<DetectedSpan> spans = matcherSpans(line, region);
  std::erase_if(spans, [&](const DetectedSpan& span) { return !homeNumberAt(line, span, region); });
  return spans;
}

// Left to right, the longest run of words that reads as one number; a word that starts none is
// passed over. Candidates never exceed the longest number, which keeps a long table of figures
// linear.
std::vector<DetectedSpan> splitRun(std::string_view line, const NumberRun& run,
                                   const std::string& region) {
  std::vector<DetectedSpan> parts;
  std::size_t first = 0;
  while (first < run.words.size()) {
    std::size_t next = first + 1;
    for (std::size_t last = wordsWithin(line, run, first, kScanRules.maxDigits); last > first;
         --last) {
      const DetectedSpan candidate{run.words[first].byteOffset,
                                   endOf(run.words[last - 1]) - run.words[first].byteOffset};
      if (homeNumberAt(line, candidate, region)) {
        parts.push_back(candidate);
        next = last;
        break;
      }
    }
    first = next;
  }
  return parts;
}

// `spans` with the numbers of every run too long for one number split apart: the split's
// numbers replace the fragments the matcher found in their place.
std::vector<DetectedSpan> withMergedRunsSplit(const std::string& line,
                                              std::vector<DetectedSpan> spans,
                                              const std::string& region) {
  for (const NumberRun& run : numberRuns(line)) {
    if (run.digits <= kScanRules.maxDigits) {
      continue;
    }
    for (const DetectedSpan& part : splitRun(line, run, region)) {
      std::erase_if(spans, [&](const DetectedSpan& span) { return overlaps(span, part); });
      spans.push_back(part);
    }
  }
  return spans;
}

// The national numbers of other countries on the line that overlap none of `found`.
std::vector<DetectedSpan> foreignNationalNumbers(const std::string& line,
                                                 const std::vector<DetectedSpan>& found,
                                                 const std::string& homeRegion) {
  std::vector<DetectedSpan> spans;
  if (!mayHoldATrunkPrefixedNumber(line)) {
    return spans;
  }
  for (const char* region : kForeignRegions) {
    if (region == homeRegion) {
      continue;
    }
    for (const DetectedSpan& span : matcherSpans(line, region)) {
      if (!overlapsAny(found, span) && !overlapsAny(spans, span) &&
          !plainlyNotAPhoneNumber(line, span.byteOffset, span.byteLength) &&
          writtenAsNationalNumberOf(textOf(line, span), region)) {
        spans.push_back(span);
      }
    }
  }
  return spans;
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
  if (!isWellFormedUtf8(utf8Line)) {
    return {};
  }
  const std::string line(utf8Line);
  std::vector<DetectedSpan> spans = withMergedRunsSplit(line, homeNumbers(line, region_), region_);
  const std::vector<DetectedSpan> foreign = foreignNationalNumbers(line, spans, region_);
  spans.insert(spans.end(), foreign.begin(), foreign.end());
  std::sort(spans.begin(), spans.end(), [](const DetectedSpan& a, const DetectedSpan& b) {
    return a.byteOffset < b.byteOffset;
  });
  return spans;
}

}  // namespace vv
