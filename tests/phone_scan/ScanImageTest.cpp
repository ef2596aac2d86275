#include "ScanImage.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace vv {
namespace {

constexpr double kTolerance = 1e-9;

void expectRect(const NormalizedRect& actual, const NormalizedRect& expected) {
  EXPECT_NEAR(actual.x, expected.x, kTolerance);
  EXPECT_NEAR(actual.y, expected.y, kTolerance);
  EXPECT_NEAR(actual.width, expected.width, kTolerance);
  EXPECT_NEAR(actual.height, expected.height, kTolerance);
}

TEST(WithoutMargin, MapsBoxesOnThePaddedImageBackToTheOriginal) {
  // A 100 x 50 image with a margin of 10: 120 x 70.
  expectRect(withoutMargin({10.0 / 120, 10.0 / 70, 100.0 / 120, 50.0 / 70}, 120, 70, 10),
             {0, 0, 1, 1});
  expectRect(withoutMargin({30.0 / 120, 20.0 / 70, 50.0 / 120, 25.0 / 70}, 120, 70, 10),
             {0.2, 0.2, 0.5, 0.5});
  // Whatever reaches into the margin is clipped to the image; a box wholly in it is empty.
  expectRect(withoutMargin({0, 0, 20.0 / 120, 1}, 120, 70, 10), {0, 0, 0.1, 1});
  expectRect(withoutMargin({0, 0, 5.0 / 120, 5.0 / 70}, 120, 70, 10), {0, 0, 0, 0});
  // Without a margin the box is unchanged.
  expectRect(withoutMargin({0.25, 0.5, 0.5, 0.25}, 80, 40, 0), {0.25, 0.5, 0.5, 0.25});
}

TEST(WithMargin, SurroundsTheImageWithItsMostCommonEdgeColour) {
  PixPtr image(pixCreate(40, 20, 32));
  pixSetAllArbitrary(image.get(), 0xf0f0f000u);
  // Ink in a corner and along part of an edge: it must not become the background.
  pixRasterop(image.get(), 0, 0, 15, 5, PIX_SET, nullptr, 0, 0);
  const ScanImage padded = withMargin(std::move(image), 8);
  ASSERT_TRUE(padded.pix);
  EXPECT_EQ(padded.margin, 8);
  EXPECT_EQ(pixGetWidth(padded.pix.get()), 56);
  EXPECT_EQ(pixGetHeight(padded.pix.get()), 36);
  for (const auto& [x, y] : {std::pair{0, 0}, std::pair{55, 35}, std::pair{3, 20}}) {
    l_uint32 value = 0;
    pixGetPixel(padded.pix.get(), x, y, &value);
    EXPECT_EQ(value, 0xf0f0f000u) << x << "," << y;
  }
  l_uint32 ink = 0;
  pixGetPixel(padded.pix.get(), 8, 8, &ink);
  EXPECT_EQ(ink, 0xffffffffu) << "the image itself is unchanged";
}

class LoadScanImage : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "vv-scan-image-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
  }
  void TearDown() override {
    for (const std::string& file : written_) {
      std::remove(file.c_str());
    }
    rmdir(dir_.c_str());
  }
  std::string write(const char* name, Pix* pix) {
    const std::string path = dir_ + "/" + name;
    written_.push_back(path);
    EXPECT_EQ(pixWrite(path.c_str(), pix, IFF_PNG), 0);
    return path;
  }

  std::string dir_;
  std::vector<std::string> written_;
};

TEST_F(LoadScanImage, ScalesALargeImageDownToTheBudgetAndPadsIt) {
  PixPtr large(pixCreate(6000, 4000, 1));
  const auto loaded = loadScanImage(write("large.png", large.get()));
  ASSERT_TRUE(std::holds_alternative<ScanImage>(loaded));
  const ScanImage& image = std::get<ScanImage>(loaded);
  const double width = pixGetWidth(image.pix.get()) - 2.0 * image.margin;
  const double height = pixGetHeight(image.pix.get()) - 2.0 * image.margin;
  EXPECT_LE(width * height, double(kScanPixelBudget));
  EXPECT_GT(width * height, 0.99 * double(kScanPixelBudget));
  EXPECT_NEAR(width / height, 1.5, 0.01);
  EXPECT_EQ(pixGetDepth(image.pix.get()), 32);
}

TEST_F(LoadScanImage, KeepsASmallImageAtItsSize) {
  PixPtr small(pixCreate(500, 70, 8));
  const auto loaded = loadScanImage(write("small.png", small.get()));
  ASSERT_TRUE(std::holds_alternative<ScanImage>(loaded));
  const ScanImage& image = std::get<ScanImage>(loaded);
  EXPECT_GT(image.margin, 0);
  EXPECT_EQ(pixGetWidth(image.pix.get()), 500 + 2 * image.margin);
  EXPECT_EQ(pixGetHeight(image.pix.get()), 70 + 2 * image.margin);
}

TEST_F(LoadScanImage, RefusesWhatIsNotARegularFileOrIsMissing) {
  EXPECT_EQ(std::get<std::string>(loadScanImage(dir_)), "not a regular file");
  EXPECT_EQ(std::get<std::string>(loadScanImage("/dev/null")), "not a regular file");
  EXPECT_EQ(std::get<std::string>(loadScanImage(dir_ + "/missing.png")), "cannot read the image");
}

}  // namespace
}  // namespace vv
