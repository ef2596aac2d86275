#include "recognition/MatchLabeler.h"

#include <unicode/locid.h>

#include <cmath>
#include <utility>

#include "recognition/ScanRules.h"

namespace vv {

namespace {

// In list order: the first one found decides, wherever it stands in the line.
constexpr const char* kKeywords[] = {"fax", "mobile", "support", "sales", "office"};

icu::UnicodeString contextAbove(const RecognitionResult& recognition,
                                const NormalizedRect& ownBox) {
  const RecognizedLine* above = nearestLineAbove(recognition, ownBox);
  if (above == nullptr || !above->topCandidate) {
    return {};
  }
  return icu::UnicodeString::fromUTF8(above->topCandidate->text);
}

}  // namespace

MatchLabeler::MatchLabeler() {
  keywords_.reserve(std::size(kKeywords));
  for (const char* keyword : kKeywords) {
    const icu::UnicodeString word = icu::UnicodeString::fromUTF8(keyword);
    icu::UnicodeString kind = word;
    kind.toTitle(nullptr, icu::Locale::getRoot());
    keywords_.push_back(Keyword{Pattern(u"(?i)\\b" + word + u"\\b"), toUtf8(kind)});
  }
}

std::optional<PhoneMatch> MatchLabeler::label(const RecognitionResult& recognition,
                                              const RecognizedLine& line, const LineText& text,
                                              const AcceptedSpan& accepted) const {
  if (!line.topCandidate) {
    return std::nullopt;
  }
  const auto box = line.topCandidate->boxForGraphemes(accepted.span.first, accepted.span.count);
  if (!box || !(box->width > 0)) {
    return std::nullopt;
  }
  icu::UnicodeString source = trimmed(text.without(accepted.span), isWhiteSpaceOrPunctuation);
  if (source.isEmpty()) {
    source = contextAbove(recognition, line.box);
  }
  return PhoneMatch(accepted.number, toUtf8(firstGraphemes(source, kMaxContext)),
                    kindOf(text.utf16()), *box);
}

std::string MatchLabeler::kindOf(const icu::UnicodeString& lineText) const {
  for (const Keyword& keyword : keywords_) {
    if (keyword.pattern.foundIn(lineText)) {
      return keyword.kind;
    }
  }
  return kDefaultKind;
}

const RecognizedLine* nearestLineAbove(const RecognitionResult& recognition,
                                       const NormalizedRect& ownBox) {
  const RecognizedLine* nearest = nullptr;
  double nearestGap = 0;
  for (const RecognizedLine& other : recognition) {
    const double gap = other.box.minY() - ownBox.maxY();
    const double shift = std::fabs(other.box.minX() - ownBox.minX());
    const bool qualifies =
        gap >= 0 && gap < kScanRules.maxGapAbove && shift < kScanRules.maxAlignmentShift;
    if (qualifies && (nearest == nullptr || gap < nearestGap)) {
      nearest = &other;
      nearestGap = gap;
    }
  }
  return nearest;
}

}  // namespace vv
