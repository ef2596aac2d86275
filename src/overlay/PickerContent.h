#pragma once

#include <QFont>
#include <QImage>
#include <QSize>
#include <QString>
#include <functional>
#include <memory>

#include "overlay/ScanWindow.h"
#include "recognition/PhoneMatch.h"

namespace vv {

// What the picker's controls do. Each number button passes its match's position in the list
// the picker was built from, counted from 0.
struct PickerActions {
  std::function<void(int)> onSelect;
  std::function<void()> onCancel;
};

// Builds the picker for a snapshot on a screen of screenSize points: the heading, the
// instructions, the Cancel button (also bound to Escape), the fitted snapshot with a highlight
// button over every match, and the scrolling number list scrolled to its top. The first nine
// numbers carry a badge with the digit that picks them, and the keyboard drives the picker (see
// PickerKeyboard). Nothing is shown.
// Returns none when the snapshot or the screen is empty, since nothing can be fitted then.
std::unique_ptr<ScanWindow> buildPicker(const QImage& snapshot, const QSize& screenSize,
                                        const PhoneMatches& matches, const PickerActions& actions);

// The text as it wraps in `width` pixels of `font`, cut to at most maxLines lines; the last line
// kept ends in an ellipsis when text was cut. Lines are joined with line feeds.
QString limitToLines(const QString& text, const QFont& font, int width, int maxLines);

}  // namespace vv
