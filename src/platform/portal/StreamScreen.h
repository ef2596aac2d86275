#pragma once

#include <QRect>
#include <optional>
#include <vector>

#include "services/Screen.h"

namespace vv {

// The screen a portal stream shows: the one whose geometry is the stream's area, else the
// primary screen (the desktop did not say where the stream lies, or said something the toolkit
// does not know).
std::optional<ScreenInfo> screenShowing(const std::optional<QRect>& area,
                                        const std::vector<ScreenInfo>& screens,
                                        const std::optional<ScreenInfo>& primary);

}  // namespace vv
