#pragma once

#include <cstddef>

#include "reading/GreyImage.h"

namespace vv {

// Tells from the shapes of its glyphs alone, without reading it, whether a strip of one text
// line may show a phone number. Lining digits all reach the line's cap height and sit on its
// baseline; in running text, x-height letters (a, e, n, o, ...) and descenders (g, p, y, ...)
// come every few glyphs. A run of at least `minDigits` cap-height glyphs, broken by nothing but
// small marks (- . + ,), brackets and word spaces, is what a number looks like; capitals and
// letters such as "l" or "d" pass for digits, so an all-capitals word passes too, which costs
// only the time to read it.
//
// `strip` is dark ink on a light background with the full range of grey (see lineStrip), cut
// with a margin above and below the line. When a row of glyphs gives no clear baseline the
// answer is yes: what cannot be judged is read.
bool mayShowDigitRun(const GreyImage& strip, std::size_t minDigits);

}  // namespace vv
