#include "reading/DigitRuns.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "reading/PixelBox.h"

namespace vv {

namespace {

// Ink is anything clearly darker than the background. The strip's levels are stretched to the
// full range, but the thin strokes of small text stay a light grey; thresholds from 160 to 192
// judge the same on the corpus, higher ones start to join neighbouring glyphs.
constexpr std::uint8_t kInkBelow = 176;
// Word spaces are about half a cap height; a gap this many cap heights wide ends a run.
constexpr double kMaxGapInRun = 1.5;
// How far a glyph's bottom may stray from the baseline, and its top from the cap line, as a
// share of the text height (anti-aliasing and rounding move edges by a pixel or so).
constexpr double kEdgeTolerance = 0.13;
// Marks lower than this share of the cap height (. , - + :) neither count nor break a run.
constexpr double kMarkHeight = 0.45;
// A glyph of lining digits is about this share of the cap height wide; glyphs that touch
// count as as many digits as fit into their width.
constexpr double kDigitWidth = 0.6;
// The cap height is taken where this share of the glyphs on the baseline are shorter: capitals,
// digits and ascenders make up far more than the remaining share of most text.
constexpr double kCapQuantile = 0.8;

// The 8-connected pieces of ink of the strip, as boxes.
std::vector<PixelBox> inkComponents(const GreyImage& strip) {
  std::vector<std::uint8_t> seen(strip.pixels.size(), 0);
  std::vector<int> stack;
  std::vector<PixelBox> components;
  const auto isInk = [&](int x, int y) { return strip.at(x, y) < kInkBelow; };
  for (int y = 0; y < strip.height; ++y) {
    for (int x = 0; x < strip.width; ++x) {
      const std::size_t start = std::size_t(y) * strip.width + x;
      if (seen[start] || !isInk(x, y)) {
        continue;
      }
      PixelBox box{x, y, x + 1, y + 1};
      seen[start] = 1;
      stack.assign({x, y});
      while (!stack.empty()) {
        const int py = stack.back();
        stack.pop_back();
        const int px = stack.back();
        stack.pop_back();
        box.unite(PixelBox{px, py, px + 1, py + 1});
        for (int ny = std::max(0, py - 1); ny <= std::min(strip.height - 1, py + 1); ++ny) {
          for (int nx = std::max(0, px - 1); nx <= std::min(strip.width - 1, px + 1); ++nx) {
            const std::size_t at = std::size_t(ny) * strip.width + nx;
            if (!seen[at] && isInk(nx, ny)) {
              seen[at] = 1;
              stack.push_back(nx);
              stack.push_back(ny);
            }
          }
        }
      }
      components.push_back(box);
    }
  }
  return components;
}

// Pieces of ink stacked closely over one another make one glyph: thin strokes of small text
// break apart when thresholded, and a glyph's pieces share its columns. Pieces further apart
// belong to two lines of text that the strip holds.
std::vector<PixelBox> glyphsOf(std::vector<PixelBox> pieces) {
  std::sort(pieces.begin(), pieces.end(),
            [](const PixelBox& a, const PixelBox& b) { return a.left < b.left; });
  std::vector<PixelBox> glyphs;
  for (const PixelBox& piece : pieces) {
    const auto stacked = [&](const PixelBox& glyph) {
      const int shared = std::min(glyph.right, piece.right) - std::max(glyph.left, piece.left);
      const int gap = std::max(glyph.top, piece.top) - std::min(glyph.bottom, piece.bottom);
      const int taller = std::max(glyph.height(), piece.height());
      return 2 * shared >= std::min(glyph.width(), piece.width()) && gap <= std::max(2, taller / 5);
    };
    const auto glyph = std::find_if(glyphs.rbegin(), glyphs.rend(), stacked);
    if (glyph != glyphs.rend()) {
      glyph->unite(piece);
    } else {
      glyphs.push_back(piece);
    }
  }
  return glyphs;
}

// The glyphs grouped into rows of text: a glyph joins the row whose vertical extent holds
// most of its own. Glyphs stay in their order from left to right.
std::vector<std::vector<PixelBox>> rowsOf(const std::vector<PixelBox>& glyphs) {
  std::vector<std::vector<PixelBox>> rows;
  std::vector<PixelBox> extents;
  for (const PixelBox& glyph : glyphs) {
    std::size_t r = 0;
    for (; r < rows.size(); ++r) {
      const int shared =
          std::min(extents[r].bottom, glyph.bottom) - std::max(extents[r].top, glyph.top);
      if (2 * shared > glyph.height()) {
        break;
      }
    }
    if (r == rows.size()) {
      rows.emplace_back();
      extents.push_back(glyph);
    }
    rows[r].push_back(glyph);
    extents[r].unite(glyph);
  }
  return rows;
}

int quantile(std::vector<int> values, double q) {
  const auto at = static_cast<std::size_t>(q * double(values.size() - 1) + 0.5);
  std::nth_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(at), values.end());
  return values[at];
}

// Whether one row of glyphs, from left to right, holds a run of `minDigits` digit-shaped ones.
bool rowShowsDigitRun(const std::vector<PixelBox>& glyphs, std::size_t minDigits) {
  if (glyphs.empty()) {
    return false;
  }
  std::vector<int> heights;
  for (const PixelBox& g : glyphs) {
    heights.push_back(g.height());
  }
  const int typical = quantile(heights, 0.5);
  std::vector<int> bottoms;
  for (const PixelBox& g : glyphs) {
    if (2 * g.height() >= typical) {
      bottoms.push_back(g.bottom);
    }
  }
  const int baseline = quantile(bottoms, 0.5);
  const int slack = std::max(1, int(std::lround(kEdgeTolerance * typical)));
  std::vector<int> seated;
  for (const PixelBox& g : glyphs) {
    if (std::abs(g.bottom - baseline) <= slack) {
      seated.push_back(g.height());
    }
  }
  if (seated.empty()) {
    return true;
  }
  const int cap = quantile(seated, kCapQuantile);
  const int capSlack = std::max(1, int(std::lround(kEdgeTolerance * cap)));
  const int capLine = baseline - cap;

  std::size_t run = 0;
  int runEnd = glyphs.front().left;
  for (const PixelBox& g : glyphs) {
    if (g.left - runEnd > kMaxGapInRun * cap) {
      run = 0;
    }
    runEnd = std::max(runEnd, g.right);
    const bool small = g.height() < kMarkHeight * cap;
    const bool outside = g.top >= baseline - capSlack || g.bottom <= capLine + capSlack;
    if (small || outside) {
      continue;
    }
    const bool reachesCap = g.top <= capLine + capSlack;
    const bool descends = g.bottom > baseline + slack;
    if (!reachesCap) {
      run = 0;
    } else if (descends && g.width() < cap) {
      // A bracket, a slash or a bar spans the line both ways and belongs in a number; a
      // letter that reaches the cap line and descends (a "j" or a "f" in some faces) is
      // rare enough to be let through as well.
      continue;
    } else {
      run += std::max<std::size_t>(1, std::size_t(std::lround(g.width() / (kDigitWidth * cap))));
    }
    if (run >= minDigits) {
      return true;
    }
  }
  return false;
}

}  // namespace

bool mayShowDigitRun(const GreyImage& strip, std::size_t minDigits) {
  std::vector<PixelBox> pieces = inkComponents(strip);
  // Ink that reaches the strip's top or bottom edge lies outside the line the strip was cut
  // for: a neighbouring line's ascenders or descenders, or the surroundings of a bubble.
  std::erase_if(pieces, [&](const PixelBox& g) {
    return (g.height() < 2 && g.width() < 2) || g.top == 0 || g.bottom == strip.height;
  });
  const std::vector<std::vector<PixelBox>> rows = rowsOf(glyphsOf(std::move(pieces)));
  return std::any_of(rows.begin(), rows.end(), [&](const std::vector<PixelBox>& row) {
    return rowShowsDigitRun(row, minDigits);
  });
}

}  // namespace vv
