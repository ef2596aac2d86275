#pragma once

#include <memory>
#include <vector>

#include "reading/LineEngine.h"
#include "reading/ReadingScope.h"
#include "reading/WorkerThreads.h"
#include "recognition/ScanRules.h"
#include "recognition/TextRecognizer.h"

namespace vv {

// Reads a page through line engines. The page is made ready in grey and dark-on-light (see
// preparedPage), laid out (see pageLayout), its layout lines re-formed into what a person reads
// as one line (see ReadingLines), and their pieces read in parallel, each on its own strip (see
// Strip), one thread per engine. Unless told to read everything, it reads only what a phone scan
// by `rules` needs (see ReadingScope), in two passes: first the lines that may show a number,
// then the lines above those numbers that stand alone on their lines. Lines come in layout
// order with their confidence and a box for every grapheme, in normalised bottom-left
// coordinates.
class PageReader {
 public:
  // `engines` holds at least one engine. `setup` runs first on every thread that drives one.
  PageReader(std::vector<std::unique_ptr<LineEngine>> engines, ReadingScope scope,
             const ScanRules& rules = kScanRules, ThreadSetup setup = {});

  // Throws RecognitionError when the image is empty or malformed, or when an engine fails. One
  // call at a time per instance.
  RecognitionResult read(const ImageView& image);

 private:
  std::vector<std::unique_ptr<LineEngine>> engines_;
  ReadingScope scope_;
  ScanRules rules_;
  ThreadSetup setup_;
};

}  // namespace vv
