// The pictures compiled into the program.
#pragma once

#include <QPixmap>

namespace zentorix {

// The program icon, 32 × 32.
QPixmap ProgramIcon();

}  // namespace zentorix
