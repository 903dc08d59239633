#include "pictures.h"

// The pictures live in a static library: naming them keeps the linker from
// dropping them.
static void LoadResources()
{
    Q_INIT_RESOURCE(resources);
}

namespace zentorix {

QPixmap ProgramIcon()
{
    LoadResources();
    return QPixmap(QStringLiteral(":/zentorix/zentorix.png"));
}

}  // namespace zentorix
