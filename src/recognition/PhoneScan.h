#pragma once

#include "recognition/ImageView.h"
#include "recognition/PhoneDetector.h"
#include "recognition/PhoneMatch.h"
#include "recognition/TextRecognizer.h"

namespace vv {

inline constexpr std::size_t kMaxPhoneMatches = 100;

// The phone numbers in an image, in scan order (the recogniser's lines, then the detector's
// spans), at most kMaxPhoneMatches. Throws RecognitionError when the recogniser fails; nothing
// else fails.
PhoneMatches phoneMatches(const ImageView& image, TextRecognizer& recognizer,
                          const PhoneDetector& detector);

// The same scan over an already recognised result (used by the above, and by tests that feed
// recorded recogniser output).
PhoneMatches phoneMatches(const RecognitionResult& recognition, const PhoneDetector& detector);

}  // namespace vv
