#include "SelectedNumber.h"

#include <nlohmann/json.hpp>

namespace vv {

std::optional<std::string> selectedNumber(std::string_view statusLines) {
  for (std::size_t end; (end = statusLines.find('\n')) != std::string_view::npos;
       statusLines.remove_prefix(end + 1)) {
    // Without exceptions: a line that is not valid JSON (or not valid UTF-8) is discarded.
    const nlohmann::json line =
        nlohmann::json::parse(statusLines.substr(0, end), nullptr, /*allow_exceptions=*/false);
    if (!line.is_object()) {
      continue;
    }
    const auto status = line.find("status");
    if (status == line.end() || !status->is_string() || *status != "selected") {
      continue;
    }
    const auto number = line.find("number");
    if (number == line.end() || !number->is_string() || number->get<std::string>().empty()) {
      return std::nullopt;
    }
    return number->get<std::string>();
  }
  return std::nullopt;
}

}  // namespace vv
