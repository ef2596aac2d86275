#include "TelUri.h"

#include <phonenumbers/phonenumber.pb.h>
#include <phonenumbers/phonenumberutil.h>

#include <array>
#include <optional>

namespace vv {
namespace {

using i18n::phonenumbers::PhoneNumber;
using i18n::phonenumbers::PhoneNumberUtil;

std::optional<std::string> globalForm(std::string_view written, const std::string& region) {
  const PhoneNumberUtil& util = *PhoneNumberUtil::GetInstance();
  PhoneNumber number;
  if (util.Parse(std::string(written), region, &number) != PhoneNumberUtil::NO_PARSING_ERROR) {
    return std::nullopt;
  }
  if (!util.IsValidNumber(number) && !util.IsPossibleNumber(number)) {
    return std::nullopt;
  }
  std::string e164;
  util.Format(number, PhoneNumberUtil::E164, &e164);
  if (number.has_extension() && !number.extension().empty()) {
    e164 += ";ext=" + number.extension();
  }
  return e164;
}

bool keptAsIs(unsigned char byte) {
  return (byte >= '0' && byte <= '9') || (byte >= 'A' && byte <= 'Z') ||
         (byte >= 'a' && byte <= 'z') ||
         std::string_view("-._~+()").find(static_cast<char>(byte)) != std::string_view::npos;
}

std::string percentEncoded(std::string_view written) {
  static constexpr std::array<char, 16> kHex = {'0', '1', '2', '3', '4', '5', '6', '7',
                                                '8', '9', 'A', 'B', 'C', 'D', 'E', 'F'};
  std::string encoded;
  for (const char c : written) {
    const auto byte = static_cast<unsigned char>(c);
    if (keptAsIs(byte)) {
      encoded += c;
    } else {
      encoded += '%';
      encoded += kHex[byte >> 4];
      encoded += kHex[byte & 0xF];
    }
  }
  return encoded;
}

}  // namespace

std::string telUri(std::string_view number, const std::string& region) {
  const std::optional<std::string> global = globalForm(number, region);
  return "tel:" + (global ? *global : percentEncoded(number));
}

}  // namespace vv
