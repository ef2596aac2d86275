#include "reading/InkMask.h"

#include <algorithm>
#include <cstddef>

namespace vv {

namespace {

// Keeps n * squares below 2^63 for every window (n <= (2 * 1000 + 1)^2, squares <= n * 255^2)
// and a column's sum of squares below 2^32.
constexpr int kMaxRadius = 1000;

}  // namespace

InkMask sauvolaInk(const GreyImage& page, int radius, double k) {
  radius = std::clamp(radius, 0, kMaxRadius);
  const int w = page.width;
  const int h = page.height;
  InkMask mask{w, h, (w + 31) / 32, {}};
  mask.words.assign(std::size_t(mask.wordsPerRow) * std::size_t(h), 0);
  // Per column, the sum and the sum of squares of the grey levels in the rows of the current
  // window, slid down one row at a time; per row, their running totals along the columns, so
  // that any window's sums are two differences.
  std::vector<std::uint32_t> columnSum(std::size_t(w), 0);
  std::vector<std::uint32_t> columnSquares(std::size_t(w), 0);
  std::vector<std::uint64_t> sumBefore(std::size_t(w) + 1, 0);
  std::vector<std::uint64_t> squaresBefore(std::size_t(w) + 1, 0);
  const auto rowAt = [&](int y) { return &page.pixels[std::size_t(y) * std::size_t(w)]; };
  const auto addRow = [&](int y) {
    const std::uint8_t* row = rowAt(y);
    for (int x = 0; x < w; ++x) {
      columnSum[x] += row[x];
      columnSquares[x] += std::uint32_t(row[x]) * row[x];
    }
  };
  const auto removeRow = [&](int y) {
    const std::uint8_t* row = rowAt(y);
    for (int x = 0; x < w; ++x) {
      columnSum[x] -= row[x];
      columnSquares[x] -= std::uint32_t(row[x]) * row[x];
    }
  };
  const double keep = 1.0 - k;
  int firstRow = 0;
  int lastRow = -1;
  for (int y = 0; y < h; ++y) {
    for (const int end = std::min(y + radius, h - 1); lastRow < end;) {
      addRow(++lastRow);
    }
    for (const int begin = std::max(y - radius, 0); firstRow < begin; ++firstRow) {
      removeRow(firstRow);
    }
    for (int x = 0; x < w; ++x) {
      sumBefore[x + 1] = sumBefore[x] + columnSum[x];
      squaresBefore[x + 1] = squaresBefore[x] + columnSquares[x];
    }
    const std::int64_t rows = lastRow - firstRow + 1;
    const std::uint8_t* row = rowAt(y);
    std::uint32_t* out = &mask.words[std::size_t(y) * std::size_t(mask.wordsPerRow)];
    std::uint32_t bits = 0;
    for (int x = 0; x < w; ++x) {
      const int left = std::max(x - radius, 0);
      const int right = std::min(x + radius, w - 1) + 1;
      const std::int64_t n = rows * (right - left);
      const auto sum = std::int64_t(sumBefore[right] - sumBefore[left]);
      const auto squares = std::int64_t(squaresBefore[right] - squaresBefore[left]);
      // Scaled by the window's pixel count n (m = sum / n, s = sqrt(variance) / n), the test
      // v < m * (keep + k * s / 128) becomes below * n < bound * sqrt(variance). All but the
      // square root is exact; where `below` is not negative, squaring both sides removes it.
      const double variance = double(n * squares - sum * sum);
      const double below = double(row[x]) * double(n) - keep * double(sum);
      const double scaled = below * double(n);
      const double bound = k * double(sum) / 128.0;
      const bool ink = (below < 0.0) | (scaled * scaled < bound * bound * variance);
      bits |= std::uint32_t(ink) << (31 - x % 32);
      if (x % 32 == 31 || x == w - 1) {
        out[x / 32] = bits;
        bits = 0;
      }
    }
  }
  return mask;
}

}  // namespace vv
