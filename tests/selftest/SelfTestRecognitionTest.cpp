#include <gtest/gtest.h>

#include <QImage>

#include "platform/ocr/LibPhoneNumberDetector.h"
#include "platform/ocr/TesseractRecognizer.h"
#include "recognition/PhoneScan.h"
#include "selftest/SyntheticImage.h"
#include "selftest/Verdict.h"

// The synthetic image through the real recogniser and detector: the end-to-end proof that the
// self-test road relies on.
namespace vv {
namespace {

PhoneMatches scan(const QImage& image, PixelLayout layout) {
  const auto recognizer = TesseractRecognizer::create();
  const LibPhoneNumberDetector detector("US");
  return phoneMatches(ImageView{image.constBits(), image.width(), image.height(),
                                static_cast<std::ptrdiff_t>(image.bytesPerLine()), layout},
                      *recognizer, detector);
}

void expectTheTwoLabelledNumbers(const PhoneMatches& matches) {
  ASSERT_EQ(matches.size(), 2u);
  EXPECT_EQ(matches[0].number(), "+1 (415) 555-0142");
  EXPECT_EQ(matches[0].context(), "Sales - San Francisco");
  EXPECT_EQ(matches[0].kind(), "Sales");
  EXPECT_EQ(matches[1].number(), "+44 20 7946 0958");
  EXPECT_EQ(matches[1].context(), "Support - London");
  EXPECT_EQ(matches[1].kind(), "Support");

  // Each box covers its number's characters: right of the label, on its own line (bottom
  // edges 620 and 510 of 900), less than half the width.
  const NormalizedRect& sales = matches[0].box();
  EXPECT_GT(sales.x, 0.2);
  EXPECT_LT(sales.x + sales.width, 0.6);
  EXPECT_NEAR(sales.y, 620.0 / 900.0, 0.02);
  const NormalizedRect& support = matches[1].box();
  EXPECT_GT(support.x, 0.2);
  EXPECT_NEAR(support.y, 510.0 / 900.0, 0.02);

  EXPECT_TRUE(selfTestPasses(matches));
}

TEST(SelfTestRecognition, FindsExactlyTheTwoLabelledNumbers) {
  expectTheTwoLabelledNumbers(scan(syntheticImage(), PixelLayout::Bgrx));
}

TEST(SelfTestRecognition, ReadsRgbaPixelsAlike) {
  expectTheTwoLabelledNumbers(
      scan(syntheticImage().convertToFormat(QImage::Format_RGBA8888), PixelLayout::Rgba));
}

}  // namespace
}  // namespace vv
