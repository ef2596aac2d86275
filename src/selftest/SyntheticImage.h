#pragma once

#include <QImage>

namespace vv {

// The fixed 1600 x 900 image with five known lines of text that the self-test recognises and the
// demo shows. Needs a QGuiApplication (for the system font).
QImage syntheticImage();

}  // namespace vv
