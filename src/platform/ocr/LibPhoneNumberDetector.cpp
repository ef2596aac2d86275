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

bool isAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

// The dialable part of a matcher's span: an extension after it ("555-0144 x12", "ext 3456") is
// left out, and a one- or two-digit area code in parentheses just before it is taken in, so
// that "(5) 555-0147" is judged whole rather than offered as the wrong "555-0147".
DetectedSpan dialablePart(std::string_view line, DetectedSpan span) {
  if (textOf(line, span).starts_with("(+")) {
    ++span.byteOffset;
    --span.byteLength;
  }
  const std::string_view text = textOf(line, span);
  const std::size_t letter = static_cast<std::size_t>(
      std::find_if(text.begin(), text.end(), [](char c) { return isAsciiLetter(c) || c == '#'; }) -
      text.begin());
  std::size_t length = letter;
  while (length > 0 && !isDigit(text[length - 1]) && text[length - 1] != ')') {
    --length;
  }
  span.byteLength = length;
  std::size_t start = span.byteOffset;
  while (start > 0 && line[start - 1] == ' ') {
    --start;
  }
  if (start >= 3 && line[start - 1] == ')') {
    std::size_t open = start - 1;
    while (open > 0 && isDigit(line[open - 1])) {
      --open;
    }
    const std::size_t areaDigits = start - 1 - open;
    if (open > 0 && line[open - 1] == '(' && areaDigits >= 1 && areaDigits <= 2) {
      span.byteLength += span.byteOffset - (open - 1);
      span.byteOffset = open - 1;
    }
  }
  return span;
}

// The span without its last word when that word is the next column's ("+917666980887 7
// months ago"): what is left is a valid number, and either the whole is not or what is left is
// one unbroken word, which a number grouped in spaces never is.
DetectedSpan withoutNextColumn(std::string_view line, DetectedSpan span,
                               const std::string& region) {
  const std::string_view text = textOf(line, span);
  const std::size_t space = text.find_last_of(' ');
  if (space == std::string_view::npos || text.find_first_not_of(' ') >= space) {
    return span;
  }
  const DetectedSpan shorter{span.byteOffset, text.find_last_not_of(' ', space) + 1};
  const std::string_view rest = textOf(line, shorter);
  if (!validNumber(rest, region)) {
    return span;
  }
  const bool unbroken = rest.find(' ') == std::string_view::npos;
  return unbroken || !validNumber(text, region) ? shorter : span;
}

bool homeNumberAt(std::string_view line, const DetectedSpan& span, const std::string& region) {
  return !plainlyNotAPhoneNumber(line, span.byteOffset, span.byteLength) &&
         writtenAsHomeNumber(textOf(line, span), region);
}

std::vector<DetectedSpan> homeNumbers(const std::string& line, const std::string& region) {
  std::vector<DetectedSpan> spans;
  for (const DetectedSpan& proposed : matcherSpans(line, region)) {
    const DetectedSpan span = withoutNextColumn(line, dialablePart(line, proposed), region);
    if (span.byteLength > 0 && homeNumberAt(line, span, region)) {
      spans.push_back(span);
    }
  }
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
      const DetectedSpan whole{run.words[first].byteOffset,
                               endOf(run.words[last - 1]) - run.words[first].byteOffset};
      if (homeNumberAt(line, whole, region)) {
        const DetectedSpan trimmed = withoutNextColumn(line, whole, region);
        const DetectedSpan candidate = homeNumberAt(line, trimmed, region) ? trimmed : whole;
        parts.push_back(candidate);
        next = endOf(candidate) == endOf(run.words[last - 1]) ? last : last - 1;
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

// Whether `word` has as many digits as the last group of `number`.
bool continuesTheGrouping(std::string_view line, const DetectedSpan& number,
                          const DetectedSpan& word) {
  const std::string_view text = textOf(line, number);
  const std::size_t lastGroup = text.find_last_not_of("0123456789");
  const std::size_t groupDigits =
      lastGroup == std::string_view::npos ? text.size() : text.size() - lastGroup - 1;
  return groupDigits == digitCount(textOf(line, word));
}

// Where a number in the word starts: at a "+" inside it, past a border glued in front
// ("1+1(555)555-5555") or an opening parenthesis ("(+91)").
std::size_t numberStart(std::string_view line, const DetectedSpan& word) {
  const std::size_t plus = textOf(line, word).find('+');
  return plus == std::string_view::npos ? word.byteOffset : word.byteOffset + plus;
}

// Numbers that the home region's plan does not write, read by the plan of whichever region
// writes them so, from the runs of number words that overlap none of `found`. From each word
// on, a number takes in the rest of its run, or all of it but a last word that does not
// continue the number's grouping (the next column's "9" after "919812345678"); never a part of
// a longer figure ("01 24 28 29 32" of "01 24 28 29 32 40").
std::vector<DetectedSpan> numbersOfOtherRegions(const std::string& line,
                                                const std::vector<DetectedSpan>& found) {
  std::vector<DetectedSpan> spans;
  for (const NumberRun& run : numberRuns(line, 1)) {
    if (run.digits < kScanRules.minDigits) {
      continue;
    }
    std::size_t first = 0;
    while (first < run.words.size()) {
      std::size_t next = first + 1;
      const std::size_t wordStart = run.words[first].byteOffset;
      const std::size_t begin = numberStart(line, run.words[first]);
      // Inside a run, only a "+" starts a number of several words: others would be the tail of
      // a longer figure ("234 567 890" of "1 234 567 890").
      const bool oneWordOnly = first > 0 && line[begin] != '+';
      for (std::size_t last = run.words.size(); last > first && last + 2 > run.words.size();
           --last) {
        if (oneWordOnly && last > first + 1) {
          continue;
        }
        const DetectedSpan candidate{begin, endOf(run.words[last - 1]) - begin};
        const std::size_t digits = digitCount(textOf(line, candidate));
        if (digits < kScanRules.minDigits || digits > kScanRules.maxDigits ||
            overlapsAny(found, candidate) ||
            (last < run.words.size() && continuesTheGrouping(line, candidate, run.words[last]))) {
          continue;
        }
        if (!plainlyNotAPhoneNumber(line, wordStart, endOf(candidate) - wordStart) &&
            writtenAsNumberOfSomeRegion(textOf(line, candidate))) {
          spans.push_back(candidate);
          next = last;
          break;
        }
      }
      first = next;
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
  const std::vector<DetectedSpan> elsewhere = numbersOfOtherRegions(line, spans);
  spans.insert(spans.end(), elsewhere.begin(), elsewhere.end());
  std::sort(spans.begin(), spans.end(), [](const DetectedSpan& a, const DetectedSpan& b) {
    return a.byteOffset < b.byteOffset;
  });
  return spans;
}

}  // namespace vv
