#include "app/StatusLine.h"

#include <nlohmann/json.hpp>

namespace vv {

std::optional<std::string> statusObject(std::string_view status,
                                        std::optional<std::string_view> number,
                                        std::size_t matchCount) {
  nlohmann::ordered_json object;
  object["status"] = std::string(status);
  if (number) {
    object["number"] = std::string(*number);
  }
  if (status == "ready") {
    object["count"] = matchCount;
  }
  try {
    return object.dump();
  } catch (const nlohmann::json::type_error&) {
    // Invalid UTF-8: the line is skipped rather than written with altered text.
    return std::nullopt;
  }
}

}  // namespace vv
