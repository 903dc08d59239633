// The pictures compiled into the program.
#pragma once

#include <QIcon>

namespace zentorix {

// The program icon at every size from 16 to 256 pixels, all drawn from one
// scalable source.
QIcon ProgramIcon();

}  // namespace zentorix
