#include "reading/PreparedPage.h"

#include <algorithm>
#include <cstdint>
#include <utility>
#include <vector>

namespace vv {

namespace {

// The rows of `image` split into `count` bands of about equal height: band b runs from
// bounds[b] to bounds[b + 1].
std::vector<int> bandBounds(int height, std::size_t count) {
  std::vector<int> bounds;
  for (std::size_t b = 0; b <= count; ++b) {
    bounds.push_back(int(std::int64_t(height) * std::int64_t(b) / std::int64_t(count)));
  }
  return bounds;
}

GreyImage stacked(const std::vector<GreyImage>& bands) {
  GreyImage whole(bands.front().width, 0);
  for (const GreyImage& band : bands) {
    whole.height += band.height;
    whole.pixels.insert(whole.pixels.end(), band.pixels.begin(), band.pixels.end());
  }
  return whole;
}

}  // namespace

PreparedPage preparedPage(const ImageView& image, std::size_t threads, const ThreadSetup& setup) {
  const std::vector<int> bounds = bandBounds(image.height, threads);
  std::vector<GreyImage> bands(threads);
  runOnThreads(
      threads,
      [&](std::size_t b) {
        ImageView band = image;
        band.pixels += std::ptrdiff_t(bounds[b]) * image.bytesPerLine;
        band.height = bounds[b + 1] - bounds[b];
        bands[b] = greyFrom(band);
      },
      setup);
  GreyImage page = stacked(bands);
  runOnThreads(
      threads,
      [&](std::size_t b) {
        const int top = std::max(0, bounds[b] - kPolarityRadius);
        const int bottom = std::min(page.height, bounds[b + 1] + kPolarityRadius);
        const GreyImage turned = darkOnLight(rowsOf(page, top, bottom), kPolarityRadius);
        bands[b] = rowsOf(turned, bounds[b] - top, bounds[b + 1] - top);
      },
      setup);
  return PreparedPage{std::move(page), stacked(bands)};
}

}  // namespace vv
