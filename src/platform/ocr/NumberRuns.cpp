#include "platform/ocr/NumberRuns.h"

#include <algorithm>

namespace vv {

namespace {

bool isAsciiDigit(char c) { return c >= '0' && c <= '9'; }
bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }
bool isNumberMark(char c) {
  return isAsciiDigit(c) || c == '+' || c == '(' || c == ')' || c == '-' || c == '.';
}
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
  word.numeric = !core.empty() && std::all_of(core.begin(), core.end(), isNumberMark) &&
                 std::any_of(core.begin(), core.end(), isAsciiDigit);
  word.span = DetectedSpan{offset + begin, core.size()};
  return word;
}

std::size_t digitsIn(std::string_view text) {
  return static_cast<std::size_t>(std::count_if(text.begin(), text.end(), isAsciiDigit));
}

}  // namespace

std::vector<NumberRun> numberRuns(std::string_view line) {
  std::vector<NumberRun> runs;
  NumberRun current;
  const auto closeRun = [&] {
    if (current.words.size() >= 2) {
      runs.push_back(current);
    }
    current = NumberRun{};
  };
  std::size_t pos = 0;
  while (pos < line.size()) {
    if (isSpace(line[pos])) {
      ++pos;
      continue;
    }
    std::size_t end = pos;
    while (end < line.size() && !isSpace(line[end])) {
      ++end;
    }
    const Word word = classify(line.substr(pos, end - pos), pos);
    if (word.numeric) {
      current.words.push_back(word.span);
      current.digits += digitsIn(line.substr(word.span.byteOffset, word.span.byteLength));
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
