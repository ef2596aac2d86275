#include "platform/ocr/PhoneNumberShape.h"

#include <phonenumbers/phonenumber.pb.h>
#include <phonenumbers/phonenumberutil.h>

#include <algorithm>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "recognition/NumberText.h"

namespace vv {

namespace {

namespace pn = i18n::phonenumbers;

// Fewer digits than the shortest national numbers commonly written with a trunk prefix.
constexpr std::size_t kMinForeignDigits = 9;
// Unbroken, a trunk-prefixed number needs the length of a full national number to be told
// from a company or customer number ("05182427").
constexpr std::size_t kMinUnbrokenDigits = 10;
constexpr std::size_t kMaxUngroupedForeignDigits = 12;

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

// How the plan writes a valid number of the region with as many digits as `parsed`, nationally
// and internationally: the shape "(001) 606-8992" shares with "(201) 555-0123", though no
// number of its range is valid.
bool groupedLikeTheRegionsExample(const ParsedCandidate& parsed, const std::string& region) {
  const pn::PhoneNumberUtil& util = *pn::PhoneNumberUtil::GetInstance();
  pn::PhoneNumber example;
  if (parsed.written.breaks.empty() || !util.GetExampleNumber(region, &example)) {
    return false;
  }
  const std::vector<DigitGrouping> formats = planGroupings(example);
  return std::any_of(formats.begin(), formats.end(), [&](const DigitGrouping& f) {
    return f.digits.size() == parsed.written.digits.size() && f.breaks == parsed.written.breaks;
  });
}

struct Region {
  std::string code;
  int countryCode = 0;
};

// Every region, and those whose national numbers are dialled with the trunk prefix "0".
struct Regions {
  std::vector<Region> all;
  std::vector<Region> withTrunkZero;

  static const Regions& instance() {
    static const Regions regions = [] {
      const pn::PhoneNumberUtil& util = *pn::PhoneNumberUtil::GetInstance();
      std::set<std::string> supported;
      util.GetSupportedRegions(&supported);
      Regions r;
      for (const std::string& code : supported) {
        const Region region{code, util.GetCountryCodeForRegion(code)};
        r.all.push_back(region);
        std::string trunkPrefix;
        util.GetNddPrefixForRegion(code, true, &trunkPrefix);
        if (trunkPrefix == "0") {
          r.withTrunkZero.push_back(region);
        }
      }
      return r;
    }();
    return regions;
  }
};

// `written` read as a valid number of `region` whose national significant number is
// `significant`. Built directly rather than parsed once per region: the possible lengths, checked
// first, rule out most regions at no cost.
std::optional<ParsedCandidate> validNationalReading(const DigitGrouping& written,
                                                    std::string_view significant,
                                                    const Region& region) {
  if (significant.empty() || significant.front() == '0') {
    return std::nullopt;
  }
  const pn::PhoneNumberUtil& util = *pn::PhoneNumberUtil::GetInstance();
  ParsedCandidate reading{pn::PhoneNumber(), written};
  reading.number.set_country_code(region.countryCode);
  reading.number.set_national_number(std::stoull(std::string(significant)));
  if (!util.IsPossibleNumber(reading.number) ||
      !util.IsValidNumberForRegion(reading.number, region.code)) {
    return std::nullopt;
  }
  return reading;
}

// Whether the digits from one of the first group's last few on read as a valid number after a
// "+": the country code may share its group with the prefix ("0044 20 ...").
bool mayFollowAnInternationalPrefix(const DigitGrouping& written) {
  constexpr std::size_t kLongestCountryCode = 3;
  if (written.breaks.empty()) {
    return false;
  }
  const std::size_t firstGroup = written.breaks.front();
  for (std::size_t shared = 0; shared <= kLongestCountryCode && shared < firstGroup; ++shared) {
    const std::optional<ParsedCandidate> parsed =
        parse("+" + written.digits.substr(firstGroup - shared), "ZZ");
    if (parsed && pn::PhoneNumberUtil::GetInstance()->IsValidNumber(parsed->number)) {
      return true;
    }
  }
  return false;
}

// A valid number dialled from the region with its international prefix in a group of its own
// or joined to the country code ("0044 20 ..."), the rest grouped as the number is written
// internationally: "011 64 3 331 6005" from the US,
// "0011 65 6123 4567" from Australia, "00 64 3 331 6005" from most of the world.
bool writtenAfterTheInternationalPrefix(std::string_view candidate, const std::string& region) {
  const pn::PhoneNumberUtil& util = *pn::PhoneNumberUtil::GetInstance();
  pn::PhoneNumber number;
  if (util.ParseAndKeepRawInput(std::string(candidate), region, &number) !=
          pn::PhoneNumberUtil::NO_PARSING_ERROR ||
      number.country_code_source() != pn::PhoneNumber::FROM_NUMBER_WITH_IDD ||
      !util.IsValidNumber(number)) {
    return false;
  }
  std::string international;
  util.Format(number, pn::PhoneNumberUtil::INTERNATIONAL, &international);
  const DigitGrouping plan = DigitGrouping::of(international);
  const DigitGrouping written = DigitGrouping::of(candidate);
  if (written.digits.size() <= plan.digits.size() || written.breaks.empty()) {
    return false;
  }
  const std::size_t prefix = written.digits.size() - plan.digits.size();
  const std::size_t countryCode = plan.breaks.empty() ? 0 : plan.breaks.front();
  if (written.digits.substr(prefix) != plan.digits ||
      (written.breaks.front() != prefix && written.breaks.front() != prefix + countryCode)) {
    return false;
  }
  std::vector<std::size_t> rest;
  for (std::size_t at : written.breaks) {
    if (at > prefix) {
      rest.push_back(at - prefix);
    }
  }
  return std::includes(plan.breaks.begin(), plan.breaks.end(), rest.begin(), rest.end());
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
  if (writtenAfterTheInternationalPrefix(candidate, region)) {
    return true;
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
  return groupedExactlyAsPlan(*parsed) || groupedLikeTheRegionsExample(*parsed, region);
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

bool validNumber(std::string_view candidate, const std::string& region) {
  const std::optional<ParsedCandidate> parsed = parse(candidate, region);
  return parsed && pn::PhoneNumberUtil::GetInstance()->IsValidNumber(parsed->number);
}

bool writtenAsNumberOfSomeRegion(std::string_view candidate) {
  const pn::PhoneNumberUtil& util = *pn::PhoneNumberUtil::GetInstance();
  const DigitGrouping written = DigitGrouping::of(candidate);
  if (written.digits.empty()) {
    return false;
  }
  const std::size_t plus = candidate.find('+');
  if (plus != std::string_view::npos) {
    const std::optional<ParsedCandidate> parsed = parse(candidate.substr(plus), "ZZ");
    if (!parsed) {
      return false;
    }
    std::string region;
    util.GetRegionCodeForCountryCode(parsed->number.country_code(), &region);
    return util.IsValidNumber(parsed->number) ||
           (util.IsPossibleNumber(parsed->number) && groupedLikeTheRegionsExample(*parsed, region));
  }
  // Shorter national numbers are too often company numbers, dates and codes.
  if (written.digits.size() < kMinForeignDigits) {
    return false;
  }
  // A country code without its "+" is only read so in one unbroken word
  // ("919812345678"), which a national number of that length never is.
  if (written.breaks.empty() && written.digits.front() != '0') {
    const std::optional<ParsedCandidate> parsed = parse("+" + written.digits, "ZZ");
    return parsed && written.digits.size() > 10 && util.IsValidNumber(parsed->number);
  }
  if (written.digits.front() == '0') {
    const std::vector<Region>& all = Regions::instance().all;
    if (mayFollowAnInternationalPrefix(written) &&
        std::any_of(all.begin(), all.end(), [&](const Region& region) {
          return writtenAfterTheInternationalPrefix(candidate, region.code);
        })) {
      return true;
    }
    const std::vector<Region>& regions = Regions::instance().withTrunkZero;
    const std::string_view significant = std::string_view(written.digits).substr(1);
    return std::any_of(regions.begin(), regions.end(), [&](const Region& region) {
      const std::optional<ParsedCandidate> reading =
          validNationalReading(written, significant, region);
      return reading && (written.breaks.empty() ? written.digits.size() >= kMinUnbrokenDigits
                                                : groupedExactlyAsPlan(*reading));
    });
  }
  // Without a trunk prefix, only the region's own grouping tells its numbers from other
  // figures: "1800 123 000" in Australia. Figures grouped in pairs or thousands
  // ("12 34 56 78", "1 234 567 890") are left to the regions that write them with a prefix.
  if (written.breaks.size() < 2 || written.breaks.size() > 3 || written.breaks.front() < 2 ||
      written.digits.size() > kMaxUngroupedForeignDigits) {
    return false;
  }
  const std::vector<Region>& regions = Regions::instance().all;
  return std::any_of(regions.begin(), regions.end(), [&](const Region& region) {
    const std::optional<ParsedCandidate> reading =
        validNationalReading(written, written.digits, region);
    return reading && groupedExactlyAsPlan(*reading);
  });
}

}  // namespace vv
