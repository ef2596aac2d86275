#include <leptonica/allheaders.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <future>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include "ScanImage.h"
#include "platform/ocr/LibPhoneNumberDetector.h"
#include "platform/ocr/TesseractRecognizer.h"
#include "recognition/PhoneScan.h"

namespace {

using Json = nlohmann::ordered_json;

constexpr std::string_view kHelp =
    "Usage: phone-scan IMAGE...\n"
    "\n"
    "Finds the phone numbers in PNG or JPEG images and prints one JSON line per image, in the\n"
    "order given:\n"
    "  {\"image\":IMAGE,\"matches\":[{\"number\":...,\"context\":...,\"kind\":...,"
    "\"box\":[x,y,w,h]}],\"ms\":N}\n"
    "box is normalised to the image (0 to 1), origin at the bottom-left corner, y upward; ms is\n"
    "the scan's wall time in milliseconds, without reading the file or loading the recogniser.\n"
    "An image that cannot be read or recognised gives {\"image\":IMAGE,\"error\":...}; the\n"
    "remaining images are still scanned and the exit status is 1. Images of more than 64\n"
    "million pixels are refused; those of more than 16 million are scaled down to that.\n"
    "\n"
    "Options:\n"
    "  --help     show this text and exit\n"
    "  --version  show the version and exit\n"
    "  --         the arguments after it are images, even those starting with -\n"
    "\n"
    "The English recognition model is taken from TESSDATA_PREFIX when set.\n";

Json matchJson(const vv::PhoneMatch& match, const vv::ScanImage& image) {
  const vv::NormalizedRect b =
      vv::withoutMargin(match.box(), static_cast<int>(pixGetWidth(image.pix.get())),
                        static_cast<int>(pixGetHeight(image.pix.get())), image.margin);
  return Json{{"number", match.number()},
              {"context", match.context()},
              {"kind", match.kind()},
              {"box", Json::array({b.x, b.y, b.width, b.height})}};
}

void printLine(const Json& line) {
  const std::string text = line.dump(-1, ' ', false, Json::error_handler_t::replace) + "\n";
  std::fwrite(text.data(), 1, text.size(), stdout);
  std::fflush(stdout);
}

Json errorLine(const std::string& image, std::string_view error) {
  return Json{{"image", image}, {"error", error}};
}

using LoadedImage = std::variant<vv::ScanImage, std::string>;

Json scanImage(const std::string& path, const LoadedImage& loaded, vv::TextRecognizer& recognizer,
               const vv::PhoneDetector& detector) {
  if (const auto* error = std::get_if<std::string>(&loaded)) {
    return errorLine(path, *error);
  }
  const vv::ScanImage& image = std::get<vv::ScanImage>(loaded);
  Pix* pix = image.pix.get();
  const vv::ImageView view{reinterpret_cast<const std::uint8_t*>(pixGetData(pix)),
                           static_cast<int>(pixGetWidth(pix)), static_cast<int>(pixGetHeight(pix)),
                           std::ptrdiff_t{4} * pixGetWpl(pix), vv::PixelLayout::Rgba};
  const auto start = std::chrono::steady_clock::now();
  const vv::PhoneMatches matches = vv::phoneMatches(view, recognizer, detector);
  const std::chrono::duration<double, std::milli> elapsed =
      std::chrono::steady_clock::now() - start;
  Json list = Json::array();
  for (const vv::PhoneMatch& match : matches) {
    list.push_back(matchJson(match, image));
  }
  return Json{{"image", path},
              {"matches", std::move(list)},
              {"ms", std::round(elapsed.count() * 10.0) / 10.0}};
}

}  // namespace

int main(int argc, char** argv) {
  setMsgSeverity(L_SEVERITY_NONE);

  std::vector<std::string> images;
  bool options = true;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (!options) {
      images.emplace_back(arg);
      continue;
    }
    if (arg == "--") {
      options = false;
      continue;
    }
    if (arg == "--help" || arg == "-h") {
      std::fwrite(kHelp.data(), 1, kHelp.size(), stdout);
      return 0;
    }
    if (arg == "--version") {
      std::printf("phone-scan %s\n", VV_VERSION);
      return 0;
    }
    if (arg.size() > 1 && arg[0] == '-') {
      std::fprintf(stderr, "phone-scan: unknown option %s (see --help)\n", argv[i]);
      return 2;
    }
    images.emplace_back(arg);
  }
  if (images.empty()) {
    std::fprintf(stderr, "Usage: phone-scan IMAGE... (see --help)\n");
    return 2;
  }

  // Loading the model takes longer than decoding an image and starting the detector, which are
  // done meanwhile.
  std::future<std::unique_ptr<vv::TesseractRecognizer>> starting =
      std::async(std::launch::async, [] { return vv::TesseractRecognizer::create(); });
  LoadedImage next = vv::loadScanImage(images.front());
  const vv::LibPhoneNumberDetector detector(vv::LibPhoneNumberDetector::defaultRegion());
  std::unique_ptr<vv::TextRecognizer> recognizer;
  try {
    recognizer = starting.get();
  } catch (const vv::RecognitionError&) {
    for (const std::string& image : images) {
      printLine(errorLine(image, "the recogniser cannot start"));
    }
    return 1;
  }

  bool anyFailed = false;
  for (std::size_t i = 0; i < images.size(); ++i) {
    const std::string& image = images[i];
    Json line;
    {
      // Freed before the next image is decoded.
      const LoadedImage loaded = std::exchange(next, std::string());
      try {
        line = scanImage(image, loaded, *recognizer, detector);
      } catch (const vv::RecognitionError&) {
        line = errorLine(image, "recognition failed");
      }
    }
    anyFailed = anyFailed || line.contains("error");
    printLine(line);
    if (i + 1 < images.size()) {
      next = vv::loadScanImage(images[i + 1]);
    }
  }
  // Every line is out. The recogniser's memory is a great many small blocks: the kernel takes
  // it back at once, far sooner than freeing it block by block would.
  std::_Exit(anyFailed ? 1 : 0);
}
