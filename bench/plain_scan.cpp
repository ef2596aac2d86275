// The plain pipeline the benchmark compares phone-scan with: Tesseract as its command line runs
// it (automatic layout over the whole page, one engine, its own thresholding and dictionaries),
// then libphonenumber's matcher on every line with region US at its most lenient (POSSIBLE), then
// the product's own filters, confidence gate and labels. Prints the same JSON lines as
// phone-scan. Where the plain pipeline stands is what the benchmark measures phone-scan against.
#include <leptonica/allheaders.h>
#include <phonenumbers/phonenumbermatch.h>
#include <phonenumbers/phonenumbermatcher.h>
#include <phonenumbers/phonenumberutil.h>
#include <tesseract/baseapi.h>
#include <tesseract/resultiterator.h>
#include <unicode/brkiter.h>
#include <unicode/unistr.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "platform/ocr/OpenMpThreads.h"
#include "recognition/PhoneScan.h"

namespace {

namespace pn = i18n::phonenumbers;
using Json = nlohmann::ordered_json;

class PlainDetector final : public vv::PhoneDetector {
 public:
  std::vector<vv::DetectedSpan> find(std::string_view line) const override {
    pn::PhoneNumberMatcher matcher(*pn::PhoneNumberUtil::GetInstance(), std::string(line), "US",
                                   pn::PhoneNumberMatcher::POSSIBLE, 65535);
    std::vector<vv::DetectedSpan> spans;
    pn::PhoneNumberMatch match;
    while (matcher.HasNext() && matcher.Next(&match)) {
      spans.push_back(vv::DetectedSpan{static_cast<std::size_t>(match.start()),
                                       static_cast<std::size_t>(match.length())});
    }
    return spans;
  }
};

std::size_t graphemesIn(const char* utf8) {
  UErrorCode status = U_ZERO_ERROR;
  const std::unique_ptr<icu::BreakIterator> it(
      icu::BreakIterator::createCharacterInstance(icu::Locale::getRoot(), status));
  const icu::UnicodeString text = icu::UnicodeString::fromUTF8(utf8);
  it->setText(text);
  std::size_t count = 0;
  for (std::int32_t end = it->next(); end != icu::BreakIterator::DONE; end = it->next()) {
    ++count;
  }
  return count;
}

vv::RecognitionResult recognisePage(tesseract::TessBaseAPI& api, Pix* pix) {
  api.SetPageSegMode(tesseract::PSM_AUTO);
  api.SetImage(pix);
  if (api.Recognize(nullptr) != 0) {
    throw vv::RecognitionError("recognition failed");
  }
  const double width = pixGetWidth(pix);
  const double height = pixGetHeight(pix);
  const auto normalized = [&](int left, int top, int right, int bottom) {
    return vv::NormalizedRect{left / width, 1.0 - bottom / height, (right - left) / width,
                              (bottom - top) / height};
  };
  vv::RecognitionResult lines;
  std::unique_ptr<tesseract::ResultIterator> it(api.GetIterator());
  if (!it) {
    return lines;
  }
  using tesseract::RIL_SYMBOL;
  using tesseract::RIL_TEXTLINE;
  using tesseract::RIL_WORD;
  it->Begin();
  do {
    if (it->Empty(RIL_SYMBOL)) {
      continue;
    }
    if (lines.empty() || it->IsAtBeginningOf(RIL_TEXTLINE)) {
      int l, t, r, b;
      it->BoundingBox(RIL_TEXTLINE, &l, &t, &r, &b);
      lines.push_back(
          vv::RecognizedLine{normalized(l, t, r, b),
                             vv::TextCandidate{"", it->Confidence(RIL_TEXTLINE) / 100.0f, {}}});
    } else if (it->IsAtBeginningOf(RIL_WORD)) {
      lines.back().topCandidate->text += ' ';
      lines.back().topCandidate->graphemeBoxes.emplace_back();
    }
    const std::unique_ptr<const char[]> symbol(it->GetUTF8Text(RIL_SYMBOL));
    int l, t, r, b;
    it->BoundingBox(RIL_SYMBOL, &l, &t, &r, &b);
    vv::TextCandidate& candidate = *lines.back().topCandidate;
    candidate.text += symbol.get();
    for (std::size_t g = graphemesIn(symbol.get()); g > 0; --g) {
      candidate.graphemeBoxes.emplace_back(normalized(l, t, r, b));
    }
  } while (it->Next(RIL_SYMBOL));
  return lines;
}

}  // namespace

int main(int argc, char** argv) {
  vv::serialiseOpenMpOnThisThread();
  setMsgSeverity(L_SEVERITY_NONE);
  tesseract::TessBaseAPI api;
  api.SetVariable("debug_file", "/dev/null");
  if (api.Init(nullptr, "eng", tesseract::OEM_LSTM_ONLY) != 0) {
    std::fprintf(stderr, "plain-scan: cannot load the English model\n");
    return 1;
  }
  const PlainDetector detector;
  for (int i = 1; i < argc; ++i) {
    Json line{{"image", argv[i]}};
    Pix* pix = pixRead(argv[i]);
    if (pix == nullptr) {
      line["error"] = "cannot read the image";
    } else {
      const auto start = std::chrono::steady_clock::now();
      const vv::PhoneMatches matches = vv::phoneMatches(recognisePage(api, pix), detector);
      const std::chrono::duration<double, std::milli> elapsed =
          std::chrono::steady_clock::now() - start;
      Json list = Json::array();
      for (const vv::PhoneMatch& match : matches) {
        const vv::NormalizedRect& box = match.box();
        list.push_back(Json{{"number", match.number()},
                            {"context", match.context()},
                            {"kind", match.kind()},
                            {"box", Json::array({box.x, box.y, box.width, box.height})}});
      }
      line["matches"] = std::move(list);
      line["ms"] = std::round(elapsed.count() * 10.0) / 10.0;
      pixDestroy(&pix);
    }
    const std::string text = line.dump(-1, ' ', false, Json::error_handler_t::replace) + "\n";
    std::fwrite(text.data(), 1, text.size(), stdout);
  }
  return 0;
}
