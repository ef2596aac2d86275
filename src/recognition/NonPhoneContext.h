#pragma once

#include <cstddef>
#include <string_view>

namespace vv {

// Whether the text around a proposed span shows it is something other than a phone number,
// whatever its digits: an IP address ("192.168.9.113:5060"), an ISBN ("ISBN 0-306-40615-2",
// "978-1-4028-9462-6"), a Unix timestamp after its label ("ts=1704398817"), or digits glued to a
// word or code ("v1.2.3.4567", "A12-555-0142"). `offset` and `length` are UTF-8 bytes of `line`.
bool plainlyNotAPhoneNumber(std::string_view line, std::size_t offset, std::size_t length);

}  // namespace vv
