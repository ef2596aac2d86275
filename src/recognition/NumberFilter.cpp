#include "recognition/NumberFilter.h"

#include "recognition/NumberText.h"
#include "recognition/ScanRules.h"

namespace vv {

NumberFilter::NumberFilter()
    : shape_(u"^\\+?[0-9(][0-9 ().-]*$"),
      referenceLabel_(
          u"(?i)\\b(order|invoice|account|tracking|reference|serial|routing|ssn|id|zip|code)"
          u"\\s*(no\\.?|number|#)?\\s*[:#-]?\\s*$") {}

std::optional<AcceptedSpan> NumberFilter::accept(const LineText& line,
                                                 const DetectedSpan& span) const {
  const auto range = line.graphemesForBytes(span.byteOffset, span.byteLength);
  if (!range) {
    return std::nullopt;
  }
  const icu::UnicodeString candidate = trimmed(line.slice(*range), isWhiteSpace);
  if (!shape_.foundIn(candidate)) {
    return std::nullopt;
  }
  const std::size_t digits = digitCount(candidate);
  if (digits < kScanRules.minDigits || digits > kScanRules.maxDigits) {
    return std::nullopt;
  }
  if (referenceLabel_.foundIn(line.before(*range, kReferenceWindow))) {
    return std::nullopt;
  }
  return AcceptedSpan{toUtf8(candidate), *range};
}

std::vector<AcceptedSpan> NumberFilter::acceptedSpans(
    std::string_view line, const std::vector<DetectedSpan>& spans) const {
  const LineText text(line);
  std::vector<AcceptedSpan> accepted;
  for (const DetectedSpan& span : spans) {
    if (auto one = accept(text, span)) {
      accepted.push_back(std::move(*one));
    }
  }
  return accepted;
}

}  // namespace vv
