// The phone-visit dialog: a picture code of the program's web address for a
// phone's camera. Created hidden at start-up, shown modally from the Help menu.
#pragma once

#include <QDialog>

#include <QImage>
#include <memory>

namespace Ui {
class TFrmVisitePhone;
}

namespace zentorix {

class TFrmVisitePhone : public QDialog {
public:
    explicit TFrmVisitePhone(QWidget* parent = nullptr);
    ~TFrmVisitePhone() override;

    void BtnCloseClick();

private:
    std::unique_ptr<Ui::TFrmVisitePhone> ui;
};

// A side × side, 24-bit picture of the QR code of `text`, with its quiet zone.
QImage QrPicture(const char* text, int side);

extern TFrmVisitePhone* FrmVisitePhone;

}  // namespace zentorix
