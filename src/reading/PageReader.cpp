#include "reading/PageReader.h"

#include <algorithm>
#include <limits>
#include <stdexcept>
#include <utility>

#include "reading/DigitRuns.h"
#include "reading/LineAssembler.h"
#include "reading/PageLayout.h"
#include "reading/PreparedPage.h"
#include "reading/ReadingLines.h"
#include "reading/Strip.h"

namespace vv {

namespace {

// A gap between two pieces of text wider than this many text heights separates two lines:
// table cells sit closer than that, neighbouring cards and columns further apart.
constexpr double kMaxGapInLine = 8.0;

void checkView(const ImageView& image) {
  if (image.pixels == nullptr || image.width <= 0 || image.height <= 0 ||
      image.bytesPerLine < std::ptrdiff_t{4} * image.width ||
      image.bytesPerLine > std::numeric_limits<int>::max()) {
    throw RecognitionError("the image is empty or malformed");
  }
}

// The strip of every fragment, and whether it may show a phone number.
struct Inspection {
  std::vector<Strip> strips;
  std::vector<bool> mayShowNumber;
};

Inspection inspect(std::size_t threads, const GreyImage& page,
                   const std::vector<PixelBox>& fragments, ReadingScope scope,
                   const ScanRules& rules, const ThreadSetup& setup) {
  Inspection inspection{std::vector<Strip>(fragments.size()), std::vector<bool>(fragments.size())};
  std::vector<char> digitRun(fragments.size(), 0);
  forEachInParallel(
      threads, fragments.size(),
      [&](std::size_t, std::size_t f) {
        inspection.strips[f] = stripFor(fragments[f], page);
        digitRun[f] = scope == ReadingScope::Everything ||
                      mayShowDigitRun(inspection.strips[f].image, rules.minDigits);
      },
      setup);
  std::copy(digitRun.begin(), digitRun.end(), inspection.mayShowNumber.begin());
  return inspection;
}

// The readings of the strips named in `wanted`, boxes in page pixels, spread over the engines,
// one thread each. The longest go first, which balances the threads' work.
std::vector<LineReading> readStrips(const std::vector<std::unique_ptr<LineEngine>>& engines,
                                    const std::vector<Strip>& strips,
                                    std::vector<std::size_t> wanted, const ThreadSetup& setup) {
  const auto cost = [&](std::size_t f) {
    return double(strips[f].image.width) / std::max(1, strips[f].image.height);
  };
  std::stable_sort(wanted.begin(), wanted.end(),
                   [&](std::size_t a, std::size_t b) { return cost(a) > cost(b); });
  std::vector<LineReading> readings(strips.size());
  forEachInParallel(
      engines.size(), wanted.size(),
      [&](std::size_t t, std::size_t i) {
        const Strip& strip = strips[wanted[i]];
        LineReading reading = engines[t]->read(strip);
        for (Symbol& symbol : reading.symbols) {
          symbol.box = strip.toPage(symbol.box);
        }
        readings[wanted[i]] = std::move(reading);
      },
      setup);
  return readings;
}

}  // namespace

PageReader::PageReader(std::vector<std::unique_ptr<LineEngine>> engines, ReadingScope scope,
                       const ScanRules& rules, ThreadSetup setup)
    : engines_(std::move(engines)), scope_(scope), rules_(rules), setup_(std::move(setup)) {
  if (engines_.empty() ||
      std::any_of(engines_.begin(), engines_.end(), [](const auto& e) { return !e; })) {
    throw std::invalid_argument("a page reader needs a line engine for each of its threads");
  }
}

RecognitionResult PageReader::read(const ImageView& image) {
  checkView(image);
  // The page may be laid out on this very thread.
  if (setup_) {
    setup_();
  }
  const std::size_t threads = engines_.size();
  const PreparedPage page = preparedPage(image, threads, setup_);
  const ReadingLines readingLines(kMaxGapInLine);

  std::vector<PixelBox> fragments;
  for (const LayoutLine& words : pageLayout(engines_, page.darkOnLight, setup_)) {
    for (const PixelBox& piece : readingLines.split(words)) {
      fragments.push_back(piece);
    }
  }
  const std::vector<std::vector<std::size_t>> lines = readingLines.group(fragments);
  const Inspection inspection = inspect(threads, page.grey, fragments, scope_, rules_, setup_);

  std::vector<PixelBox> lineBoxes;
  std::vector<bool> mayShowNumber;
  for (const std::vector<std::size_t>& members : lines) {
    PixelBox box = fragments[members.front()];
    bool digits = false;
    for (const std::size_t f : members) {
      box.unite(fragments[f]);
      digits = digits || inspection.mayShowNumber[f];
    }
    lineBoxes.push_back(box);
    mayShowNumber.push_back(digits);
  }
  const auto membersOf = [&](const std::vector<bool>& chosen) {
    std::vector<std::size_t> members;
    for (std::size_t l = 0; l < lines.size(); ++l) {
      if (chosen[l]) {
        members.insert(members.end(), lines[l].begin(), lines[l].end());
      }
    }
    return members;
  };
  std::vector<bool> wanted = mayShowNumber;
  std::vector<LineReading> readings =
      readStrips(engines_, inspection.strips, membersOf(wanted), setup_);
  if (scope_ == ReadingScope::PhoneNumbers) {
    // Only now is it known which numbers stand alone on their lines and need the line above.
    std::vector<bool> alone(lines.size(), false);
    for (std::size_t l = 0; l < lines.size(); ++l) {
      alone[l] = wanted[l] && std::all_of(lines[l].begin(), lines[l].end(), [&](std::size_t f) {
                   return mayBeNumbersAlone(readings[f].text);
                 });
    }
    std::vector<bool> above =
        linesAbove(lineBoxes, alone, page.grey.width, page.grey.height, rules_);
    for (std::size_t l = 0; l < lines.size(); ++l) {
      above[l] = above[l] && !wanted[l];
      wanted[l] = wanted[l] || above[l];
    }
    std::vector<LineReading> more =
        readStrips(engines_, inspection.strips, membersOf(above), setup_);
    for (const std::size_t f : membersOf(above)) {
      readings[f] = std::move(more[f]);
    }
  }

  LineAssembler assembler(image.width, image.height);
  RecognitionResult result;
  for (std::size_t l = 0; l < lines.size(); ++l) {
    if (!wanted[l]) {
      continue;
    }
    if (std::optional<RecognizedLine> line = assembler.assemble(lines[l], fragments, readings)) {
      result.push_back(std::move(*line));
    }
  }
  return result;
}

}  // namespace vv
