#include "dialogframe.h"

#include "frame/placement.h"

#include <QApplication>
#include <QDialog>

namespace zentorix {

void SetDialogFrame(QDialog* dialog, int fontPixelHeight)
{
    dialog->setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint
        | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    dialog->setFixedSize(dialog->size());
    QFont font = QApplication::font();
    font.setPixelSize(fontPixelHeight);
    dialog->setFont(font);
    CentreOnScreen(dialog);
}

}  // namespace zentorix
