#include "ScanImage.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <unordered_map>
#include <utility>

namespace vv {
namespace {

// The margin every side gets: enough for the recogniser's strips around a line of text as tall
// as a small crop.
constexpr int kMargin = 48;

// Points standard error at /dev/null while it lives: libpng and libjpeg print their errors and
// warnings there, and this tool reports them in its JSON lines only.
class QuietStandardError {
 public:
  QuietStandardError() {
    std::fflush(stderr);
    saved_ = dup(2);
    const int null = open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (saved_ != -1 && null != -1) {
      dup2(null, 2);
    }
    if (null != -1) {
      close(null);
    }
  }
  ~QuietStandardError() {
    std::fflush(stderr);
    if (saved_ != -1) {
      dup2(saved_, 2);
      close(saved_);
    }
  }
  QuietStandardError(const QuietStandardError&) = delete;
  QuietStandardError& operator=(const QuietStandardError&) = delete;

 private:
  int saved_ = -1;
};

std::uint32_t edgeColour(Pix* rgba) {
  const int width = static_cast<int>(pixGetWidth(rgba));
  const int height = static_cast<int>(pixGetHeight(rgba));
  std::unordered_map<std::uint32_t, int> counts;
  auto count = [&](int x, int y) {
    l_uint32 value = 0;
    pixGetPixel(rgba, x, y, &value);
    ++counts[value];
  };
  for (int x = 0; x < width; ++x) {
    count(x, 0);
    count(x, height - 1);
  }
  for (int y = 0; y < height; ++y) {
    count(0, y);
    count(width - 1, y);
  }
  return std::max_element(counts.begin(), counts.end(),
                          [](const auto& a, const auto& b) { return a.second < b.second; })
      ->first;
}

double clamp01(double value) { return std::clamp(value, 0.0, 1.0); }

}  // namespace

ScanImage withMargin(PixPtr rgba, int margin) {
  const std::uint32_t background = edgeColour(rgba.get());
  PixPtr padded(pixAddBorderGeneral(rgba.get(), margin, margin, margin, margin, background));
  const int added = padded ? margin : 0;
  return ScanImage{std::move(padded), added};
}

NormalizedRect withoutMargin(const NormalizedRect& box, int paddedWidth, int paddedHeight,
                             int margin) {
  const double width = paddedWidth - 2.0 * margin;
  const double height = paddedHeight - 2.0 * margin;
  const double left = clamp01((box.minX() * paddedWidth - margin) / width);
  const double right = clamp01((box.maxX() * paddedWidth - margin) / width);
  const double bottom = clamp01((box.minY() * paddedHeight - margin) / height);
  const double top = clamp01((box.maxY() * paddedHeight - margin) / height);
  return NormalizedRect{left, bottom, right - left, top - bottom};
}

std::variant<ScanImage, std::string> loadScanImage(const std::string& path) {
  struct stat status {};
  if (stat(path.c_str(), &status) != 0) {
    return std::string("cannot read the image");
  }
  if (!S_ISREG(status.st_mode)) {
    return std::string("not a regular file");
  }
  const QuietStandardError quiet;
  l_int32 format = 0, width = 0, height = 0, bitsPerSample = 0, samples = 0, colourMap = 0;
  if (pixReadHeader(path.c_str(), &format, &width, &height, &bitsPerSample, &samples, &colourMap) !=
          0 ||
      width <= 0 || height <= 0) {
    return std::string("cannot read the image");
  }
  const std::int64_t pixels = std::int64_t{width} * height;
  if (pixels > kImagePixelLimit) {
    return "image too large: " + std::to_string(width) + "x" + std::to_string(height) +
           " pixels, more than " + std::to_string(kImagePixelLimit);
  }
  PixPtr read(pixRead(path.c_str()));
  if (!read) {
    return std::string("cannot read the image");
  }
  if (pixels > kScanPixelBudget) {
    // Sides rounded down, so that the product stays within the budget.
    const double scale = std::sqrt(double(kScanPixelBudget) / double(pixels));
    read.reset(pixScaleToSize(read.get(), std::max(1, static_cast<int>(width * scale)),
                              std::max(1, static_cast<int>(height * scale))));
    if (!read) {
      return std::string("cannot read the image");
    }
  }
  PixPtr rgba(pixConvertTo32(read.get()));
  read.reset();
  if (!rgba) {
    return std::string("cannot read the image");
  }
  ScanImage image = withMargin(std::move(rgba), kMargin);
  // Leptonica keeps each pixel as a native-endian 0xRRGGBBAA word; on little-endian machines
  // that puts the bytes in reverse order.
  if (!image.pix || pixEndianByteSwap(image.pix.get()) != 0) {
    return std::string("cannot read the image");
  }
  return image;
}

}  // namespace vv
