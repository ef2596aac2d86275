#pragma once

#include <string>
#include <string_view>

namespace vv {

// The tel: URI that dials a number as written on the screen. A number libphonenumber finds
// valid or at least possible, read with `region` as the home region, becomes a global number
// in E.164 form, its extension a parameter ("tel:+14155550142;ext=12"): every phone bridge and
// softphone takes that form. Any other number goes as written, each byte outside the letters,
// digits, "-._~" and the "+()" of a written number percent-encoded.
std::string telUri(std::string_view number, const std::string& region);

}  // namespace vv
