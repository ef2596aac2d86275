#pragma once

#include <cstddef>

#include "reading/GreyImage.h"
#include "reading/WorkerThreads.h"
#include "recognition/ImageView.h"

namespace vv {

// A page made ready for reading: in grey, for the strips, and turned dark-on-light (see
// darkOnLight), for the layout.
struct PreparedPage {
  GreyImage grey;
  GreyImage darkOnLight;
};

// Half the side of the square that decides whether a pixel lies in a dark region: larger than
// the strokes of the largest text, smaller than a chat bubble's padding-to-text distance.
inline constexpr int kPolarityRadius = 24;

// The page prepared in bands of rows, one per thread. A band turned over sees
// `kPolarityRadius` rows beyond its edges, as the whole page would, so the bands join without
// a seam: the result is the same for any number of threads.
PreparedPage preparedPage(const ImageView& image, std::size_t threads,
                          const ThreadSetup& setup = {});

}  // namespace vv
