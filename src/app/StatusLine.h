#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace vv {

// The compact JSON object of one status line, without its line feed: "status" always, "number"
// when one is given (even an empty one), "count" only when the status word is "ready". None when
// the object cannot be serialised (text that is not valid UTF-8).
std::optional<std::string> statusObject(std::string_view status,
                                        std::optional<std::string_view> number,
                                        std::size_t matchCount);

}  // namespace vv
