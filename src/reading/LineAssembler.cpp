#include "reading/LineAssembler.h"

#include <unicode/locid.h>
#include <unicode/utext.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <utility>

namespace vv {

namespace {

// The line's box and its reading in page pixels.
struct AssembledLine {
  PixelBox box;
  LineReading reading;
};

AssembledLine assembled(const std::vector<std::size_t>& members,
                        const std::vector<PixelBox>& fragments,
                        std::vector<LineReading>& readings) {
  AssembledLine line{fragments[members.front()], {}};
  double weightedConfidence = 0;
  for (const std::size_t f : members) {
    line.box.unite(fragments[f]);
    LineReading& part = readings[f];
    if (part.text.empty()) {
      continue;
    }
    if (!line.reading.text.empty()) {
      line.reading.text += ' ';
    }
    const std::size_t offset = line.reading.text.size();
    line.reading.text += part.text;
    for (Symbol& s : part.symbols) {
      line.reading.symbols.push_back(Symbol{s.begin + offset, s.end + offset, s.box});
      // The strip's ink may reach a pixel beyond the layout's box at either end; the line
      // holds all of its characters. Its height stays the layout's: a stray mark the strip
      // caught above or below the text must not make the line taller.
      line.box.left = std::min(line.box.left, s.box.left);
      line.box.right = std::max(line.box.right, s.box.right);
    }
    weightedConfidence += double(part.confidence) * double(part.symbols.size());
  }
  if (!line.reading.symbols.empty()) {
    line.reading.confidence =
        static_cast<float>(weightedConfidence / double(line.reading.symbols.size()));
  }
  return line;
}

}  // namespace

PixelBox textBand(const std::vector<Symbol>& symbols, int pageHeight) {
  const auto median = [&](auto measure) {
    std::vector<int> values;
    for (const Symbol& s : symbols) {
      values.push_back(measure(s.box));
    }
    std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
    return values[values.size() / 2];
  };
  const int height = median([](const PixelBox& b) { return b.height(); });
  const int centre = median([](const PixelBox& b) { return b.top + b.bottom; });
  std::optional<PixelBox> band;
  for (const Symbol& s : symbols) {
    const bool typical =
        s.box.height() <= 2 * height && std::abs(s.box.top + s.box.bottom - centre) <= 2 * height;
    if (typical && band) {
      band->unite(s.box);
    } else if (typical) {
      band = s.box;
    }
  }
  PixelBox result = band.value_or(symbols.front().box);
  const int pad = result.height() / 4;
  result.top = std::max(0, result.top - pad);
  result.bottom = std::min(pageHeight, result.bottom + pad);
  return result;
}

LineAssembler::LineAssembler(int pageWidth, int pageHeight)
    : width_(pageWidth), height_(pageHeight) {
  UErrorCode status = U_ZERO_ERROR;
  graphemes_.reset(icu::BreakIterator::createCharacterInstance(icu::Locale::getRoot(), status));
  if (U_FAILURE(status) || !graphemes_) {
    throw RecognitionError("cannot split recognised text into characters");
  }
}

std::optional<RecognizedLine> LineAssembler::assemble(const std::vector<std::size_t>& members,
                                                      const std::vector<PixelBox>& fragments,
                                                      std::vector<LineReading>& readings) {
  AssembledLine line = assembled(members, fragments, readings);
  if (line.reading.symbols.empty()) {
    return std::nullopt;
  }
  std::vector<std::optional<NormalizedRect>> boxes = graphemeBoxes(line.reading);
  return RecognizedLine{
      normalized(line.box),
      TextCandidate{std::move(line.reading.text), line.reading.confidence, std::move(boxes)}};
}

NormalizedRect LineAssembler::normalized(const PixelBox& b) const {
  return NormalizedRect{double(b.left) / width_, 1.0 - double(b.bottom) / height_,
                        double(b.right - b.left) / width_, double(b.bottom - b.top) / height_};
}

// Symbols are in text order and do not overlap, so one pass over both sequences suffices.
std::vector<std::optional<NormalizedRect>> LineAssembler::graphemeBoxes(const LineReading& line) {
  UErrorCode status = U_ZERO_ERROR;
  UText* text = utext_openUTF8(nullptr, line.text.data(),
                               static_cast<std::int64_t>(line.text.size()), &status);
  std::unique_ptr<UText, decltype(&utext_close)> textGuard(text, &utext_close);
  graphemes_->setText(text, status);
  if (U_FAILURE(status)) {
    throw RecognitionError("cannot split recognised text into characters");
  }
  const PixelBox band = textBand(line.symbols, static_cast<int>(height_));
  std::vector<std::optional<NormalizedRect>> boxes;
  std::size_t firstSymbol = 0;
  std::int32_t begin = graphemes_->first();
  for (std::int32_t end = graphemes_->next(); end != icu::BreakIterator::DONE;
       begin = end, end = graphemes_->next()) {
    const auto from = static_cast<std::size_t>(begin);
    const auto to = static_cast<std::size_t>(end);
    while (firstSymbol < line.symbols.size() && line.symbols[firstSymbol].end <= from) {
      ++firstSymbol;
    }
    std::optional<PixelBox> ink;
    for (std::size_t s = firstSymbol; s < line.symbols.size() && line.symbols[s].begin < to; ++s) {
      if (ink) {
        ink->unite(line.symbols[s].box);
      } else {
        ink = line.symbols[s].box;
      }
    }
    if (ink) {
      ink->top = band.top;
      ink->bottom = band.bottom;
    }
    boxes.push_back(ink ? std::optional<NormalizedRect>(normalized(*ink)) : std::nullopt);
  }
  return boxes;
}

}  // namespace vv
