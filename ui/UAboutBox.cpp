#include "UAboutBox.h"

#include "dialogframe.h"
#include "frame/bindings.h"
#include "pictures.h"
#include "ui_UAboutBox.h"

namespace zentorix {

TAboutBox* AboutBox = nullptr;

namespace {

const Binding<Ui::TAboutBox, TAboutBox> kBindings[] = {
    {&Ui::TAboutBox::OKButton, &TAboutBox::OKButtonClick},
};

}  // namespace

TAboutBox::TAboutBox(QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui::TAboutBox>())
{
    ui->setupUi(this);
    SetDialogFrame(this, 12);
    ui->ProgramIcon->setPixmap(ProgramIcon().pixmap(32, 32));
    const QStringList texts = {ui->ProductName->text(), ui->Version->text(), ui->Comments->text(),
        ui->CommentsEnglish->text(), ui->Copyright->text(), ui->CopyrightEnglish->text()};
    DescribeDialog(this, texts.join(QLatin1Char('\n')), ui->ProgramIcon);
    ApplyBindings(this, *ui, kBindings);
}

TAboutBox::~TAboutBox() = default;

// The OK button's modal result is OK: it accepts, and so does Enter.
void TAboutBox::OKButtonClick()
{
    accept();
}

}  // namespace zentorix
