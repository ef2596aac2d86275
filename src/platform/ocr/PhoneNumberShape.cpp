#include "platform/ocr/PhoneNumberShape.h"

#include <phonenumbers/phonenumber.pb.h>
#include <phonenumbers/phonenumberutil.h>

#include <algorithm>
#include <optional>
#include <vector>

#include "recognition/NumberText.h"

namespace vv {

namespace {

namespace pn = i18n::phonenumbers;

// How a written number splits its digits: "(415) 555-0142" has the digits "4155550142" and
// separators after 3 and 6 digits.
struct DigitGrouping {
  std::string digits;
  std::vector<std::size_t> breaks;

  static DigitGrouping of(std::string_view text) {
    DigitGrouping grouping;
    bool separated = false;
    for (char c : text) {
      if (!isDigit(c)) {
        separated = !grouping.digits.empty();
        continue;
      }
      if (separated) {
        grouping.breaks.push_back(grouping.digits.size());
        separated = false;
      }
      grouping.digits.push_back(c);
    }
    return grouping;
  }

  bool sameAs(const DigitGrouping& format) const {
    return digits == format.digits && breaks == format.breaks;
  }

  // Fewer separators than the format is fine ("415-5550142"); one inside a group is not.
  bool fitsWithin(const DigitGrouping& format) const {
    return digits == format.digits &&
           std::includes(format.breaks.begin(), format.breaks.end(), breaks.begin(), breaks.end());
  }
};

struct ParsedCandidate {
  pn::PhoneNumber number;
  DigitGrouping written;
};

std::optional<ParsedCandidate> parse(std::string_view candidate, const std::string& region) {
  const pn::PhoneNumberUtil& util = *pn::PhoneNumberUtil::GetInstance();
  ParsedCandidate parsed;
  if (util.Parse(std::string(candidate), region, &parsed.number) !=
      pn::PhoneNumberUtil::NO_PARSING_ERROR) {
    return std::nullopt;
  }
  parsed.written = DigitGrouping::of(candidate);
  return parsed;
}

// The groupings the plan writes the number in: nationally, with the trunk prefix where the
// region uses one ("020 7946 0958", "(415) 555-0142"), and internationally, which also covers a
// national prefix equal to the country code ("1 800 555 0199").
std::vector<DigitGrouping> planGroupings(const pn::PhoneNumber& number) {
  const pn::PhoneNumberUtil& util = *pn::PhoneNumberUtil::GetInstance();
  std::string national;
  std::string international;
  util.Format(number, pn::PhoneNumberUtil::NATIONAL, &national);
  util.Format(number, pn::PhoneNumberUtil::INTERNATIONAL, &international);
  return {DigitGrouping::of(national), DigitGrouping::of(international)};
}

bool groupedExactlyAsPlan(const ParsedCandidate& parsed) {
  const std::vector<DigitGrouping> formats = planGroupings(parsed.number);
  return !parsed.written.breaks.empty() &&
         std::any_of(formats.begin(), formats.end(),
                     [&](const DigitGrouping& f) { return parsed.written.sameAs(f); });
}

bool groupedWithinPlan(const ParsedCandidate& parsed) {
  const std::vector<DigitGrouping> formats = planGroupings(parsed.number);
  return std::any_of(formats.begin(), formats.end(),
                     [&](const DigitGrouping& f) { return parsed.written.fitsWithin(f); });
}

// "555-0142", "555.0142": the separators a local number is written with.
bool joinedLikeALocalNumber(std::string_view candidate) {
  return std::all_of(candidate.begin(), candidate.end(),
                     [](char c) { return isDigit(c) || c == '-' || c == '.'; });
}

}  // namespace

bool writtenAsHomeNumber(std::string_view candidate, const std::string& region) {
  const std::optional<ParsedCandidate> parsed = parse(candidate, region);
  if (!parsed) {
    return false;
  }
  const pn::PhoneNumberUtil& util = *pn::PhoneNumberUtil::GetInstance();
  switch (util.IsPossibleNumberWithReason(parsed->number)) {
    case pn::PhoneNumberUtil::IS_POSSIBLE:
      break;
    case pn::PhoneNumberUtil::IS_POSSIBLE_LOCAL_ONLY:
      return groupedExactlyAsPlan(*parsed) && joinedLikeALocalNumber(candidate);
    default:
      return false;
  }
  if (candidate.find('+') != std::string_view::npos) {
    return true;
  }
  if (util.IsValidNumber(parsed->number)) {
    return groupedWithinPlan(*parsed);
  }
  return groupedExactlyAsPlan(*parsed);
}

bool writtenAsNationalNumberOf(std::string_view candidate, const std::string& region) {
  const std::optional<ParsedCandidate> parsed = parse(candidate, region);
  if (!parsed || candidate.find('+') != std::string_view::npos) {
    return false;
  }
  const pn::PhoneNumberUtil& util = *pn::PhoneNumberUtil::GetInstance();
  std::string trunkPrefix;
  util.GetNddPrefixForRegion(region, true, &trunkPrefix);
  return !trunkPrefix.empty() && parsed->written.digits.rfind(trunkPrefix, 0) == 0 &&
         util.IsPossibleNumberWithReason(parsed->number) == pn::PhoneNumberUtil::IS_POSSIBLE &&
         groupedExactlyAsPlan(*parsed);
}

}  // namespace vv
