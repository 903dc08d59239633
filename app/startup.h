// The program from start to end: environment, application, windows, loop.
#pragma once

namespace zentorix {

inline constexpr const char* kApplicationTitle = "Zentorix2024电阻计算器2024";

// Returns the program's exit code: 0, or 1 when the window cannot be shown
// at the scale factor asked for.
int RunProgram(const char* programName);

}  // namespace zentorix
