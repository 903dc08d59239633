#include "UAboutBox.h"

#include "dialogframe.h"
#include "pictures.h"
#include "ui_UAboutBox.h"

namespace zentorix {

TAboutBox* AboutBox = nullptr;

TAboutBox::TAboutBox(QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui::TAboutBox>())
{
    ui->setupUi(this);
    SetDialogFrame(this, 12);
    ui->ProgramIcon->setPixmap(ProgramIcon().pixmap(32, 32));
    const QStringList texts = {ui->ProductName->text(), ui->Version->text(), ui->Comments->text(),
        ui->CommentsEnglish->text(), ui->Copyright->text(), ui->CopyrightEnglish->text()};
    DescribeDialog(this, texts.join(QLatin1Char('\n')), ui->ProgramIcon);
    // The OK button's modal result is OK: it accepts, and so does Enter.
    connect(ui->OKButton, &QPushButton::clicked, this, &QDialog::accept);
}

TAboutBox::~TAboutBox() = default;

}  // namespace zentorix
