// The pictures compiled into the program.
#pragma once

#include <QIcon>

namespace zentorix {

// The program icon at the sizes a window icon is shown at, 16 to 64 pixels,
// all drawn from one scalable source.
QIcon ProgramIcon();

}  // namespace zentorix
