#pragma once

#include <string>
#include <string_view>

namespace vv {

// Whether a proposed span is written the way phone numbers are written, judged by the numbering
// plan of a region. The matcher's lenient mode proposes anything of a possible length, which lets
// part numbers ("4417-2231-09"), addresses and timestamps through; these checks use the plan's
// own validity and digit grouping to tell them apart from numbers.

// For the region of the user's locale. Accepted:
// - a number with its country code ("+44 20 7946 0958"), when its length is possible;
// - a valid number whose separators all fall where the plan groups its digits ("415 555 0142",
//   "415-5550142", "4155550143"), with or without the national prefix ("1 800 555 0199");
// - a possible number that is not valid (fictional and unassigned ranges) only when grouped
//   exactly as the plan formats it ("(555) 555-0100") or as it formats a valid number of that
//   length (the demo area code of "(001) 606-8992");
// - a valid number of any country after the region's international prefix, the prefix a group
//   of its own ("011 64 3 331 6005");
// - a local number without its area code only as three and four digits joined by "-" or "."
//   ("555-0142"): spaced digit pairs ("Suite 740 2160") are too often something else.
bool writtenAsHomeNumber(std::string_view candidate, const std::string& region);

// For another region, whose national numbers a home-region matcher never proposes: a number
// written with that region's trunk prefix and grouped exactly as the region formats its national
// numbers ("020 7946 0958" in GB, "01 99 00 12 34" in FR). Digits without separators are not
// enough evidence that the number belongs to another country.
bool writtenAsNationalNumberOf(std::string_view candidate, const std::string& region);

// Whether the candidate, read by the region's plan, is a number of an assigned range.
bool validNumber(std::string_view candidate, const std::string& region);

// For whichever region writes it so, when the home region's plan does not: a valid number after
// that region's international prefix ("0011 65 6123 4567", "00 64 3 331 6005"); a valid number
// written with its trunk prefix "0" and separators where that region groups ("0612345678",
// "082 555 1234"); a valid number with its country code but without the "+", in one unbroken
// word ("919812345678", "27825551234"); a valid number without trunk prefix grouped exactly as
// its region formats it ("1800 123 000"); a number after a "+" that sits inside the word
// ("(+91) 9812345678", a border glued in front: "1+1(555)555-5555").
bool writtenAsNumberOfSomeRegion(std::string_view candidate);

}  // namespace vv
