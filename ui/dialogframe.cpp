#include "dialogframe.h"

#include <QApplication>
#include <QDialog>
#include <QScreen>

namespace zentorix {

void SetDialogFrame(QDialog* dialog, int fontPixelHeight)
{
    dialog->setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint
        | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    dialog->setFixedSize(dialog->size());
    QFont font = QApplication::font();
    font.setPixelSize(fontPixelHeight);
    dialog->setFont(font);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame(QPoint(), dialog->size());
        frame.moveCenter(screen->availableGeometry().center());
        dialog->move(frame.topLeft());
    }
}

}  // namespace zentorix
