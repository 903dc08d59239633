#include "UVisitePhone.h"

namespace zentorix {

TFrmVisitePhone* FrmVisitePhone = nullptr;

TFrmVisitePhone::TFrmVisitePhone(QWidget* parent) : QDialog(parent)
{
    ui.setupUi(this);
    setFixedSize(size());
}

TFrmVisitePhone::~TFrmVisitePhone() = default;

}  // namespace zentorix
