#pragma once

#include <QRect>
#include <QString>
#include <QVariantMap>
#include <cstdint>
#include <optional>
#include <vector>

namespace vv {

// One stream the portal started: the PipeWire node, and where the monitor lies when the desktop
// says (in the compositor's logical coordinates).
struct PortalStream {
  std::uint32_t node = 0;
  std::optional<QRect> area;
};

// The session handle of a CreateSession response; none when it is missing or not a string or
// object path.
std::optional<QString> sessionHandleOf(const QVariantMap& results);

// The streams of a Start response; none when "streams" is missing or is not a(ua{sv}), or when a
// stream's position or size is not a pair of integers. A stream without a position has no area.
std::optional<std::vector<PortalStream>> streamsOf(const QVariantMap& results);

}  // namespace vv
