#pragma once

#include <QImage>
#include <chrono>
#include <cstdint>
#include <optional>

namespace vv {

// Connects to the PipeWire remote behind `remoteFd` (taken over and closed here), opens one
// stream from `node` and copies its first complete, uncorrupted frame. Blocks the calling thread
// until then, at most `timeout` after the stream was set up; none on a timeout, an error, a
// format or buffers this process cannot read in memory, or a stream that ends first.
std::optional<QImage> grabFirstFrame(int remoteFd, std::uint32_t node,
                                     std::chrono::milliseconds timeout);

}  // namespace vv
