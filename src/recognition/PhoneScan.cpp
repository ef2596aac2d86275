#include "recognition/PhoneScan.h"

#include "recognition/MatchLabeler.h"
#include "recognition/NumberFilter.h"
#include "recognition/UnicodeText.h"

namespace vv {

namespace {

// Compared as float: a confidence equal to the float nearest 0.35 passes, NaN fails.
constexpr float kConfidenceThreshold = 0.35f;

bool isScanned(const RecognizedLine& line) {
  return line.topCandidate && line.topCandidate->confidence >= kConfidenceThreshold;
}

}  // namespace

PhoneMatches phoneMatches(const ImageView& image, TextRecognizer& recognizer,
                          const PhoneDetector& detector) {
  return phoneMatches(recognizer.recognize(image), detector);
}

PhoneMatches phoneMatches(const RecognitionResult& recognition, const PhoneDetector& detector) {
  const NumberFilter filter;
  const MatchLabeler labeler;
  PhoneMatches matches;
  for (const RecognizedLine& line : recognition) {
    if (!isScanned(line)) {
      continue;
    }
    const std::string& text = line.topCandidate->text;
    const LineText lineText(text);
    for (const DetectedSpan& span : detector.find(text)) {
      const auto accepted = filter.accept(lineText, span);
      if (!accepted) {
        continue;
      }
      auto match = labeler.label(recognition, line, lineText, *accepted);
      if (!match) {
        continue;
      }
      matches.push_back(std::move(*match));
      // The cap ends the scan at once: later spans of this line are not even examined.
      if (matches.size() == kMaxPhoneMatches) {
        return matches;
      }
    }
  }
  return matches;
}

}  // namespace vv
