#include "reading/GreyImage.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdlib>

namespace vv {

namespace {

constexpr int kMidGrey = 128;
// Grey levels closer than this to the background count as background when telling ink from
// background; anti-aliasing spreads a few levels around it.
constexpr int kInkDistance = 40;
// Neighbouring pixels further apart than this in grey level make an edge: a row crossing ink
// has some, a row across a plain background or a smooth gradient has none.
constexpr int kEdgeStep = 24;
// Rows in a band along which the page may be cut: more than the few rows a glyph's upright
// strokes run without any other ink beside them.
constexpr int kMinQuietRows = 5;
// Below this spread a strip holds no text worth stretching; leaving it alone keeps noise and
// faint gradients from being blown up into ink.
constexpr int kMinSpread = 24;
// Share of a strip's pixels, from the ink end, that may lie beyond the level mapped to black;
// a handful of stray dark pixels must not set the scale.
constexpr double kInkClip = 0.01;

std::array<int, 256> histogramOf(const GreyImage& strip) {
  std::array<int, 256> counts{};
  for (const std::uint8_t v : strip.pixels) {
    ++counts[v];
  }
  return counts;
}

int modeOf(const std::array<int, 256>& counts) {
  int mode = 0;
  for (int v = 1; v < 256; ++v) {
    if (counts[v] > counts[mode]) {
      mode = v;
    }
  }
  return mode;
}

// Most text is darker than its background; a strip whose off-background pixels are mostly
// lighter holds light-on-dark text.
bool inkIsLighter(const std::array<int, 256>& counts, int background) {
  long darker = 0;
  long lighter = 0;
  for (int v = 0; v < 256; ++v) {
    if (v < background - kInkDistance) {
      darker += counts[v];
    } else if (v > background + kInkDistance) {
      lighter += counts[v];
    }
  }
  return lighter > darker;
}

void invert(GreyImage& image) {
  for (std::uint8_t& v : image.pixels) {
    v = static_cast<std::uint8_t>(255 - v);
  }
}

// Maps the ink level to black and the background to white; lighter than the background stays
// white.
void stretch(GreyImage& strip) {
  const std::array<int, 256> counts = histogramOf(strip);
  const int background = modeOf(counts);
  const auto clipped = static_cast<long>(kInkClip * static_cast<double>(strip.pixels.size()));
  int ink = 0;
  for (long seen = counts[0]; ink < background && seen <= clipped; seen += counts[++ink]) {
  }
  if (background - ink < kMinSpread) {
    return;
  }
  std::array<std::uint8_t, 256> map{};
  for (int v = 0; v < 256; ++v) {
    const int scaled = (v - ink) * 255 / (background - ink);
    map[v] = static_cast<std::uint8_t>(std::clamp(scaled, 0, 255));
  }
  for (std::uint8_t& v : strip.pixels) {
    v = map[v];
  }
}

GreyImage enlarged(const GreyImage& image, int scale) {
  GreyImage out(image.width * scale, image.height * scale);
  const int maxX = image.width - 1;
  const int maxY = image.height - 1;
  // Sample positions in 1/(2 * scale) pixel units keep the arithmetic in integers.
  const int unit = 2 * scale;
  for (int y = 0; y < out.height; ++y) {
    const int sy = std::max(0, 2 * y + 1 - scale);
    const int y0 = std::min(sy / unit, maxY);
    const int y1 = std::min(y0 + 1, maxY);
    const int fy = sy % unit;
    for (int x = 0; x < out.width; ++x) {
      const int sx = std::max(0, 2 * x + 1 - scale);
      const int x0 = std::min(sx / unit, maxX);
      const int x1 = std::min(x0 + 1, maxX);
      const int fx = sx % unit;
      const int top = image.at(x0, y0) * (unit - fx) + image.at(x1, y0) * fx;
      const int bottom = image.at(x0, y1) * (unit - fx) + image.at(x1, y1) * fx;
      out.at(x, y) = static_cast<std::uint8_t>((top * (unit - fy) + bottom * fy + unit * unit / 2) /
                                               (unit * unit));
    }
  }
  return out;
}

}  // namespace

GreyImage greyFrom(const ImageView& image) {
  GreyImage grey(image.width, image.height);
  const bool rgba = image.layout == PixelLayout::Rgba;
  for (int y = 0; y < image.height; ++y) {
    const std::uint8_t* in = image.pixels + y * image.bytesPerLine;
    std::uint8_t* out = grey.pixels.data() + std::size_t(y) * grey.width;
    for (int x = 0; x < image.width; ++x, in += 4) {
      const int r = rgba ? in[0] : in[2];
      const int g = in[1];
      const int b = rgba ? in[2] : in[0];
      out[x] = static_cast<std::uint8_t>((299 * r + 587 * g + 114 * b + 500) / 1000);
    }
  }
  return grey;
}

GreyImage darkOnLight(const GreyImage& page, int radius) {
  GreyImage out = page;
  const int w = page.width;
  const int h = page.height;
  // Column sums over the rows of the current window, slid down one row at a time; the row sum
  // is then slid along the columns. Windows are clipped at the page's edges.
  std::vector<std::uint32_t> columns(std::size_t(w), 0);
  int firstRow = 0;
  int lastRow = -1;
  for (int y = 0; y < h; ++y) {
    for (const int end = std::min(y + radius, h - 1); lastRow < end;) {
      ++lastRow;
      for (int x = 0; x < w; ++x) {
        columns[x] += page.at(x, lastRow) < kMidGrey;
      }
    }
    for (const int begin = std::max(y - radius, 0); firstRow < begin; ++firstRow) {
      for (int x = 0; x < w; ++x) {
        columns[x] -= page.at(x, firstRow) < kMidGrey;
      }
    }
    const std::uint64_t rows = std::uint64_t(lastRow - firstRow + 1);
    std::uint64_t sum = 0;
    int left = 0;
    int right = -1;
    for (int x = 0; x < w; ++x) {
      for (const int end = std::min(x + radius, w - 1); right < end;) {
        sum += columns[++right];
      }
      for (const int begin = std::max(x - radius, 0); left < begin; ++left) {
        sum -= columns[left];
      }
      const std::uint64_t count = rows * std::uint64_t(right - left + 1);
      if (2 * sum > count) {
        std::uint8_t& v = out.at(x, y);
        v = static_cast<std::uint8_t>(255 - v);
      }
    }
  }
  return out;
}

GreyImage reduced(const GreyImage& image, int factor) {
  GreyImage out(std::max(1, image.width / factor), std::max(1, image.height / factor));
  const int blockWidth = std::min(factor, image.width);
  const int blockHeight = std::min(factor, image.height);
  const int area = blockWidth * blockHeight;
  for (int y = 0; y < out.height; ++y) {
    for (int x = 0; x < out.width; ++x) {
      int sum = 0;
      for (int dy = 0; dy < blockHeight; ++dy) {
        for (int dx = 0; dx < blockWidth; ++dx) {
          sum += image.at(x * factor + dx, y * factor + dy);
        }
      }
      out.at(x, y) = static_cast<std::uint8_t>((sum + area / 2) / area);
    }
  }
  return out;
}

GreyImage lineStrip(const GreyImage& page, const PixelBox& box, Zoom zoom) {
  GreyImage strip(box.width(), box.height());
  for (int y = 0; y < strip.height; ++y) {
    const std::uint8_t* row = &page.pixels[std::size_t(box.top + y) * page.width + box.left];
    std::copy(row, row + strip.width, &strip.pixels[std::size_t(y) * strip.width]);
  }
  const std::array<int, 256> counts = histogramOf(strip);
  if (inkIsLighter(counts, modeOf(counts))) {
    invert(strip);
  }
  stretch(strip);
  if (zoom.up > 1) {
    return enlarged(strip, zoom.up);
  }
  return zoom.down > 1 ? reduced(strip, zoom.down) : strip;
}

GreyImage rowsOf(const GreyImage& image, int top, int bottom) {
  GreyImage part(image.width, bottom - top);
  const auto from = image.pixels.begin() + std::ptrdiff_t(top) * image.width;
  std::copy(from, from + std::ptrdiff_t(part.height) * image.width, part.pixels.begin());
  return part;
}

std::optional<int> quietRowNearMiddle(const GreyImage& page) {
  // Row y is quiet when no pixel of it differs from the one above it.
  const auto quiet = [&](int y) {
    for (int x = 0; x < page.width; ++x) {
      if (std::abs(int(page.at(x, y)) - int(page.at(x, y - 1))) > kEdgeStep) {
        return false;
      }
    }
    return true;
  };
  const int middle = page.height / 2;
  const int reach = page.height / 6;
  // Outward from the middle, so that the first band found is the nearest.
  for (int offset = 0; offset <= reach; ++offset) {
    for (const int y : {middle - offset, middle + offset}) {
      if (y <= 0 || y >= page.height || !quiet(y)) {
        continue;
      }
      int top = y;
      int bottom = y;
      while (top > 1 && quiet(top - 1)) {
        --top;
      }
      while (bottom + 1 < page.height && quiet(bottom + 1)) {
        ++bottom;
      }
      if (bottom - top + 1 >= kMinQuietRows) {
        return (top + bottom + 1) / 2;
      }
    }
  }
  return std::nullopt;
}

}  // namespace vv
