#pragma once

#include <optional>
#include <string>
#include <vector>

#include "recognition/NumberFilter.h"
#include "recognition/Pattern.h"
#include "recognition/PhoneMatch.h"
#include "recognition/TextRecognizer.h"
#include "recognition/UnicodeText.h"

namespace vv {

// Places, describes and labels an accepted number: its box, the text that goes with it and a
// short kind. Immutable after construction, so one instance may serve several threads.
class MatchLabeler {
 public:
  static constexpr std::size_t kMaxContext = 140;  // characters
  static constexpr const char* kDefaultKind = "Phone";

  MatchLabeler();

  // The match for `accepted`, a span of `text` (the text of `line`'s top candidate); none when
  // the recogniser has no box of positive width for the span.
  std::optional<PhoneMatch> label(const RecognitionResult& recognition, const RecognizedLine& line,
                                  const LineText& text, const AcceptedSpan& accepted) const;

  // The kind of the first keyword, in list order, that stands as a whole word in `lineText`.
  std::string kindOf(const icu::UnicodeString& lineText) const;

 private:
  struct Keyword {
    Pattern pattern;
    std::string kind;
  };
  std::vector<Keyword> keywords_;
};

// The line of `recognition` whose bottom edge lies less than ScanRules::maxGapAbove above the
// top edge of `ownBox` and whose left edge is less than ScanRules::maxAlignmentShift away from its
// left edge; the nearest one, the first in result order on a tie. Confidence plays no part.
const RecognizedLine* nearestLineAbove(const RecognitionResult& recognition,
                                       const NormalizedRect& ownBox);

}  // namespace vv
