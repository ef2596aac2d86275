#pragma once

#include <leptonica/allheaders.h>

#include <memory>

namespace vv {

// A leptonica image that is destroyed with its owner.
struct PixDeleter {
  void operator()(Pix* pix) const { pixDestroy(&pix); }
};
using PixPtr = std::unique_ptr<Pix, PixDeleter>;

}  // namespace vv
