#include "recognition/NumberRuns.h"

#include <algorithm>

#include "recognition/NumberText.h"

namespace vv {

namespace {

bool endsAClause(char c) { return c == ',' || c == ';' || c == ':'; }

struct Word {
  DetectedSpan span;
  bool numeric = false;
  bool endsRun = false;
};

// `text` is one white-space-free word starting at `offset`.
Word classify(std::string_view text, std::size_t offset) {
  Word word;
  std::size_t end = text.size();
  while (end > 0 && endsAClause(text[end - 1])) {
    --end;
    word.endsRun = true;
  }
  // A full stop or dash at either end belongs to the sentence, not to the number.
  std::size_t begin = 0;
  while (begin < end && (text[begin] == '.' || text[begin] == '-')) {
    ++begin;
  }
  while (end > begin && (text[end - 1] == '.' || text[end - 1] == '-')) {
    --end;
  }
  const std::string_view core = text.substr(begin, end - begin);
  word.numeric = !core.empty() && std::all_of(core.begin(), core.end(), [](char c) {
    return isDigit(c) || isNumberMark(c);
  }) && digitCount(core) > 0;
  word.span = DetectedSpan{offset + begin, core.size()};
  return word;
}

}  // namespace

std::vector<NumberRun> numberRuns(std::string_view line, std::size_t minWords) {
  std::vector<NumberRun> runs;
  NumberRun current;
  const auto closeRun = [&] {
    if (!current.words.empty() && current.words.size() >= minWords) {
      runs.push_back(current);
    }
    current = NumberRun{};
  };
  std::size_t pos = 0;
  while (pos < line.size()) {
    if (isAsciiSpace(line[pos])) {
      ++pos;
      continue;
    }
    std::size_t end = pos;
    while (end < line.size() && !isAsciiSpace(line[end])) {
      ++end;
    }
    const Word word = classify(line.substr(pos, end - pos), pos);
    if (word.numeric) {
      current.words.push_back(word.span);
      current.digits += digitCount(line.substr(word.span.byteOffset, word.span.byteLength));
    }
    if (!word.numeric || word.endsRun) {
      closeRun();
    }
    pos = end;
  }
  closeRun();
  return runs;
}

}  // namespace vv
