#include "programfont.h"

#include <QMenu>

namespace zentorix {

QFont ProgramFont(int pixelHeight)
{
    QFont font;
    font.setFamilies({QStringLiteral("宋体"), QStringLiteral("SimSun"), QStringLiteral("Noto Serif CJK SC"),
        QStringLiteral("AR PL UMing CN"), QStringLiteral("WenQuanYi Micro Hei")});
    font.setPixelSize(pixelHeight);
    return font;
}

// Menus are windows of their own: they do not take the font of the window
// they belong to.
void SetProgramFont(QWidget* window, int pixelHeight)
{
    const QFont font = ProgramFont(pixelHeight);
    window->setFont(font);
    for (QMenu* menu : window->findChildren<QMenu*>())
        menu->setFont(font);
}

}  // namespace zentorix
