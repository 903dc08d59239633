#include "UAboutBox.h"

namespace zentorix {

TAboutBox* AboutBox = nullptr;

TAboutBox::TAboutBox(QWidget* parent) : QDialog(parent)
{
    ui.setupUi(this);
    setFixedSize(size());
}

TAboutBox::~TAboutBox() = default;

}  // namespace zentorix
