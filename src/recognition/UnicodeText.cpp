#include "recognition/UnicodeText.h"

#include <unicode/brkiter.h>
#include <unicode/locid.h>
#include <unicode/utf16.h>
#include <unicode/utf8.h>

#include <algorithm>
#include <limits>
#include <memory>
#include <stdexcept>

namespace vv {

namespace {

std::unique_ptr<icu::BreakIterator> graphemeIterator(const icu::UnicodeString& text) {
  UErrorCode status = U_ZERO_ERROR;
  std::unique_ptr<icu::BreakIterator> iterator(
      icu::BreakIterator::createCharacterInstance(icu::Locale::getRoot(), status));
  if (U_FAILURE(status) || !iterator) {
    throw std::runtime_error(std::string("grapheme segmentation unavailable: ") +
                             u_errorName(status));
  }
  iterator->setText(text);
  return iterator;
}

// A copy, never an alias: the results outlive the strings they are cut from.
icu::UnicodeString copyBetween(const icu::UnicodeString& text, std::int32_t start,
                               std::int32_t end) {
  return icu::UnicodeString(text, start, end - start);
}

}  // namespace

bool isWhiteSpace(UChar32 c) { return u_hasBinaryProperty(c, UCHAR_WHITE_SPACE) != 0; }

bool isPunctuation(UChar32 c) { return u_ispunct(c) != 0; }

bool isWhiteSpaceOrPunctuation(UChar32 c) { return isWhiteSpace(c) || isPunctuation(c); }

icu::UnicodeString trimmed(const icu::UnicodeString& text, bool (*drop)(UChar32)) {
  std::int32_t start = 0;
  std::int32_t end = text.length();
  while (start < end && drop(text.char32At(start))) {
    start = text.moveIndex32(start, 1);
  }
  while (end > start) {
    const std::int32_t previous = text.moveIndex32(end, -1);
    if (!drop(text.char32At(previous))) {
      break;
    }
    end = previous;
  }
  return copyBetween(text, start, end);
}

icu::UnicodeString firstGraphemes(const icu::UnicodeString& text, std::size_t limit) {
  const auto iterator = graphemeIterator(text);
  std::int32_t end = 0;
  for (std::size_t taken = 0; taken < limit; ++taken) {
    const std::int32_t next = iterator->next();
    if (next == icu::BreakIterator::DONE) {
      break;
    }
    end = next;
  }
  return copyBetween(text, 0, end);
}

std::string toUtf8(const icu::UnicodeString& text) {
  std::string utf8;
  text.toUTF8String(utf8);
  return utf8;
}

bool isWellFormedUtf8(std::string_view text) {
  if (text.size() > std::size_t(std::numeric_limits<std::int32_t>::max())) {
    return false;
  }
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
  const auto length = static_cast<std::int32_t>(text.size());
  for (std::int32_t i = 0; i < length;) {
    UChar32 c = 0;
    U8_NEXT(bytes, i, length, c);
    if (c < 0) {
      return false;
    }
  }
  return true;
}

LineText::LineText(std::string_view utf8) {
  if (utf8.size() > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max() / 2)) {
    throw std::length_error("line text too long");
  }
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(utf8.data());
  const auto length = static_cast<std::int32_t>(utf8.size());
  // The byte offset at which each UTF-16 unit's code point starts; trailing surrogates repeat
  // their lead's offset, and they are never grapheme boundaries anyway.
  std::vector<std::size_t> byteAtUnit;
  byteAtUnit.reserve(utf8.size() + 1);
  std::int32_t index = 0;
  while (index < length) {
    const std::int32_t start = index;
    UChar32 c = 0;
    U8_NEXT_OR_FFFD(bytes, index, length, c);
    utf16_.append(c);
    for (std::int32_t unit = 0; unit < U16_LENGTH(c); ++unit) {
      byteAtUnit.push_back(static_cast<std::size_t>(start));
    }
  }
  byteAtUnit.push_back(utf8.size());

  const auto iterator = graphemeIterator(utf16_);
  for (std::int32_t bound = iterator->first(); bound != icu::BreakIterator::DONE;
       bound = iterator->next()) {
    utf16Bounds_.push_back(bound);
    byteBounds_.push_back(byteAtUnit[static_cast<std::size_t>(bound)]);
  }
}

std::optional<GraphemeRange> LineText::graphemesForBytes(std::size_t byteOffset,
                                                         std::size_t byteLength) const {
  const std::size_t size = byteBounds_.back();
  if (byteOffset > size || byteLength > size - byteOffset) {
    return std::nullopt;
  }
  const auto first = std::lower_bound(byteBounds_.begin(), byteBounds_.end(), byteOffset);
  if (*first != byteOffset) {
    return std::nullopt;
  }
  const auto last = std::lower_bound(first, byteBounds_.end(), byteOffset + byteLength);
  if (*last != byteOffset + byteLength) {
    return std::nullopt;
  }
  return GraphemeRange{static_cast<std::size_t>(first - byteBounds_.begin()),
                       static_cast<std::size_t>(last - first)};
}

icu::UnicodeString LineText::slice(GraphemeRange range) const {
  return copyBetween(utf16_, utf16Bounds_[range.first], utf16Bounds_[range.first + range.count]);
}

icu::UnicodeString LineText::before(GraphemeRange range, std::size_t limit) const {
  const std::size_t first = range.first > limit ? range.first - limit : 0;
  return copyBetween(utf16_, utf16Bounds_[first], utf16Bounds_[range.first]);
}

icu::UnicodeString LineText::without(GraphemeRange range) const {
  icu::UnicodeString rest = copyBetween(utf16_, 0, utf16Bounds_[range.first]);
  rest.append(utf16_, utf16Bounds_[range.first + range.count], INT32_MAX);
  return rest;
}

}  // namespace vv
