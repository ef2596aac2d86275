#pragma once

#include <QPointF>
#include <QRectF>
#include <optional>
#include <vector>

#include "services/Screen.h"

namespace vv {

// True when the point lies in the frame; the left and bottom edges are inside, the right and top
// edges outside.
bool frameContains(const QRectF& frame, const QPointF& point);

// The first screen whose frame contains the pointer, else the main screen, else none.
std::optional<ScreenInfo> chooseScreen(const std::vector<ScreenInfo>& screens,
                                       const QPointF& pointer,
                                       const std::optional<ScreenInfo>& mainScreen);

}  // namespace vv
