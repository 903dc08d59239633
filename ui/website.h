// The program's web page: opened by the Help menu's Web command and encoded
// in the phone-visit dialog's picture, both from this one constant.
#pragma once

namespace zentorix {

inline constexpr const char* kWebAddress = "https://zentorix.org/";

}  // namespace zentorix
