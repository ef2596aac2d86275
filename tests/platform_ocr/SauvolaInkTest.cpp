#include <gtest/gtest.h>
#include <leptonica/allheaders.h>

#include <filesystem>

#include "platform/ocr/OwnedPix.h"
#include "reading/InkMask.h"

namespace vv {
namespace {

// The same threshold as leptonica's, which Tesseract uses on its own: on a real screen the two
// disagree only where the threshold falls within a grey level of a pixel (leptonica rounds the
// window's mean and truncates the threshold) and at the page's edges (it mirrors the page
// there, this clips the window).
TEST(SauvolaInkTest, AgreesWithLeptonicasOnARealScreen) {
  const std::filesystem::path path = std::filesystem::path(VV_CORPUS_DIR) / "dev_07_chat.png";
  if (!std::filesystem::exists(path)) {
    GTEST_SKIP() << "the corpus is not beside the sources";
  }
  const PixPtr colour(pixRead(path.c_str()));
  ASSERT_NE(colour, nullptr);
  const PixPtr grey(pixConvertRGBToLuminance(colour.get()));
  Pix* theirs = nullptr;
  ASSERT_EQ(pixSauvolaBinarize(grey.get(), 15, 0.34f, 1, nullptr, nullptr, nullptr, &theirs), 0);
  const PixPtr reference(theirs);

  GreyImage page(pixGetWidth(grey.get()), pixGetHeight(grey.get()));
  for (int y = 0; y < page.height; ++y) {
    for (int x = 0; x < page.width; ++x) {
      l_uint32 v = 0;
      pixGetPixel(grey.get(), x, y, &v);
      page.at(x, y) = static_cast<std::uint8_t>(v);
    }
  }
  const InkMask ours = sauvolaInk(page, 15, 0.34);
  long differing = 0;
  long inked = 0;
  for (int y = 0; y < page.height; ++y) {
    for (int x = 0; x < page.width; ++x) {
      l_uint32 v = 0;
      pixGetPixel(reference.get(), x, y, &v);
      differing += ours.ink(x, y) != (v != 0);
      inked += v != 0;
    }
  }
  ASSERT_GT(inked, 10000);
  EXPECT_LT(differing, inked / 50) << differing << " of " << inked << " ink pixels differ";
}

}  // namespace
}  // namespace vv
