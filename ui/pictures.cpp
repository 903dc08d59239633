#include "pictures.h"

#include "imageplugins.h"

// The pictures live in a static library: naming them keeps the linker from
// dropping them.
static void LoadResources()
{
    Q_INIT_RESOURCE(resources);
}

namespace zentorix {

QIcon ProgramIcon()
{
    LoadResources();
    QIcon icon;
    // The sizes compiled in: a window icon is never shown larger.
    for (const int size : {16, 24, 32, 48, 64})
        icon.addPixmap(ReadPng(QStringLiteral(":/zentorix/icons/zentorix-%1.png").arg(size)));
    return icon;
}

}  // namespace zentorix
