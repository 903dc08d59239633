#include "dialogframe.h"

#include "frame/placement.h"
#include "programfont.h"

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QWindow>

namespace zentorix {

void SetDialogFrame(QDialog* dialog, int fontPixelHeight)
{
    dialog->setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint
        | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    dialog->setFixedSize(dialog->size());
    SetProgramFont(dialog, fontPixelHeight);
}

int ExecDialog(QDialog* dialog)
{
    const QWidget* active = QApplication::activeWindow();
    CentreOnScreen(dialog, active != nullptr ? active->screen() : nullptr);
    if (active != nullptr && active->windowHandle() != nullptr) {
        dialog->winId();  // its window, to tie to the active one
        dialog->windowHandle()->setTransientParent(active->windowHandle());
    }
    return dialog->exec();
}

void DescribeDialog(QDialog* dialog, const QString& text, QLabel* picture)
{
    dialog->setAccessibleDescription(text);
    for (QLabel* label : dialog->findChildren<QLabel*>()) {
        if (label != picture && !label->text().isEmpty())
            label->setBuddy(picture);
    }
}

}  // namespace zentorix
