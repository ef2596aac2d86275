#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vv {

// The number of the first "selected" status line in what the picker printed. Only a line that
// ends in a line feed and is one JSON object with a string "status" counts, so that nothing
// half-read or malformed is ever dialled; the number must be a non-empty string. Lines after
// the first selection are not looked at.
std::optional<std::string> selectedNumber(std::string_view statusLines);

}  // namespace vv
