// Arbitrary bytes as the text of one recognised line, below a line of ordinary text, through the
// real phone detector and the whole scan. Checks what every record promises besides not
// crashing: the number's shape and digit count, the context's length, well-formed UTF-8 and a
// usable box.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/ocr/LibPhoneNumberDetector.h"
#include "recognition/MatchLabeler.h"
#include "recognition/NumberFilter.h"
#include "recognition/NumberText.h"
#include "recognition/PhoneScan.h"
#include "recognition/ScanRules.h"
#include "recognition/UnicodeText.h"

namespace {

using namespace vv;

void require(bool holds) {
  if (!holds) {
    __builtin_trap();
  }
}

bool hasNumberShape(const std::string& number) {
  std::size_t digits = 0;
  std::size_t i = number.empty() || number[0] != '+' ? 0 : 1;
  if (i >= number.size() || !(number[i] == '(' || isDigit(number[i]))) {
    return false;
  }
  for (; i < number.size(); ++i) {
    const char c = number[i];
    if (isDigit(c)) {
      ++digits;
    } else if (std::string_view(" ().-").find(c) == std::string_view::npos) {
      return false;
    }
  }
  return digits >= kScanRules.minDigits && digits <= kScanRules.maxDigits;
}

// The graphemes of `text` in equal cells across the lower half of the image; white space
// without ink, as the recogniser reports it.
RecognizedLine syntheticLine(const std::string& text, const LineText& line) {
  const NormalizedRect box{0.05, 0.4, 0.9, 0.05};
  TextCandidate candidate{text, 0.9f, {}};
  const std::size_t count = line.graphemeCount();
  for (std::size_t i = 0; i < count; ++i) {
    if (isWhiteSpace(line.slice(GraphemeRange{i, 1}).char32At(0))) {
      candidate.graphemeBoxes.emplace_back();
      continue;
    }
    const double cell = box.width / static_cast<double>(count);
    candidate.graphemeBoxes.emplace_back(
        NormalizedRect{box.x + cell * static_cast<double>(i), box.y, cell, box.height});
  }
  return RecognizedLine{box, std::move(candidate)};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const LibPhoneNumberDetector detector("US");
  static const NumberFilter filter;

  const std::string text(reinterpret_cast<const char*>(data), size);
  const LineText line(text);

  // Spans one byte off the detector's, to reach grapheme boundaries the detector never reports.
  for (const DetectedSpan& span : detector.find(text)) {
    for (const DetectedSpan& shifted : {span, DetectedSpan{span.byteOffset + 1, span.byteLength},
                                        DetectedSpan{span.byteOffset, span.byteLength + 1},
                                        DetectedSpan{span.byteOffset - 1, span.byteLength + 1}}) {
      if (const auto accepted = filter.accept(line, shifted)) {
        require(accepted->span.first + accepted->span.count <= line.graphemeCount());
        require(hasNumberShape(accepted->number));
      }
    }
  }

  const RecognitionResult recognition{
      RecognizedLine{NormalizedRect{0.05, 0.47, 0.5, 0.05}, TextCandidate{"Head office", 0.9f, {}}},
      syntheticLine(text, line)};
  const PhoneMatches matches = phoneMatches(recognition, detector);
  require(matches.size() <= kMaxPhoneMatches);
  for (const PhoneMatch& match : matches) {
    require(hasNumberShape(match.number()));
    require(isWellFormedUtf8(match.context()));
    require(LineText(match.context()).graphemeCount() <= MatchLabeler::kMaxContext);
    require(!match.kind().empty());
    require(match.box().width > 0);
  }
  return 0;
}
