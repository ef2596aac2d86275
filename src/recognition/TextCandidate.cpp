#include <cmath>

#include "recognition/TextRecognizer.h"

namespace vv {

std::optional<NormalizedRect> TextCandidate::boxForGraphemes(std::size_t first,
                                                             std::size_t count) const {
  if (first > graphemeBoxes.size() || count > graphemeBoxes.size() - first) {
    return std::nullopt;
  }
  std::optional<NormalizedRect> united;
  for (std::size_t i = first; i < first + count; ++i) {
    const auto& box = graphemeBoxes[i];
    if (!box) {
      continue;
    }
    if (!united) {
      united = NormalizedRect{box->minX(), box->minY(), box->maxX() - box->minX(),
                              box->maxY() - box->minY()};
      continue;
    }
    // A NaN edge must survive the union (std::min would drop it depending on argument order),
    // so that the caller sees a box that is not usable.
    const auto lower = [](double a, double b) { return std::isnan(b) || b < a ? b : a; };
    const auto upper = [](double a, double b) { return std::isnan(b) || b > a ? b : a; };
    const double minX = lower(united->x, box->minX());
    const double minY = lower(united->y, box->minY());
    const double maxX = upper(united->x + united->width, box->maxX());
    const double maxY = upper(united->y + united->height, box->maxY());
    united = NormalizedRect{minX, minY, maxX - minX, maxY - minY};
  }
  return united;
}

}  // namespace vv
