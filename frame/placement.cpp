#include "placement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace zentorix {

void CentreOnScreen(QWidget* window, const QScreen* screen)
{
    if (screen == nullptr)
        screen = QGuiApplication::primaryScreen();
    if (screen == nullptr)
        return;
    QRect frame = window->frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    window->move(frame.topLeft());
}

}  // namespace zentorix
