// The phone-visit dialog: created hidden at start-up, shown modally from the Help menu.
#pragma once

#include "ui_UVisitePhone.h"

#include <QDialog>

namespace zentorix {

class TFrmVisitePhone : public QDialog {
public:
    explicit TFrmVisitePhone(QWidget* parent = nullptr);
    ~TFrmVisitePhone() override;

private:
    Ui::TFrmVisitePhone ui;
};

extern TFrmVisitePhone* FrmVisitePhone;

}  // namespace zentorix
