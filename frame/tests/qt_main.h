// The application window's title in the frame's Qt tests.
#pragma once

namespace zentorix::test {

inline constexpr const char* kTitle = "Zentorix2024电阻计算器2024";

}  // namespace zentorix::test
