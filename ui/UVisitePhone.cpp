#include "UVisitePhone.h"

#include "calc/failures.h"
#include "dialogframe.h"
#include "frame/bindings.h"
#include "ui_UVisitePhone.h"
#include "website.h"

#include <QPainter>

#include <qrencode.h>

#include <cmath>
#include <memory>

namespace zentorix {

TFrmVisitePhone* FrmVisitePhone = nullptr;

namespace {

const Binding<Ui::TFrmVisitePhone, TFrmVisitePhone> kBindings[] = {
    {&Ui::TFrmVisitePhone::BtnClose, &TFrmVisitePhone::BtnCloseClick},
};

constexpr int kQuietModules = 4;  // the white border a reader needs

}  // namespace

QImage QrPicture(const char* text, int side)
{
    const std::unique_ptr<QRcode, void (*)(QRcode*)> code(
        QRcode_encodeString(text, 0, QR_ECLEVEL_M, QR_MODE_8, 1), QRcode_free);
    if (!code)
        throw Exception(std::string("Cannot encode the picture code of ") + text);
    const int modules = code->width;
    const int scale = side / (modules + 2 * kQuietModules);
    const int offset = (side - modules * scale) / 2;
    QImage picture(side, side, QImage::Format_RGB888);
    picture.fill(Qt::white);
    QPainter painter(&picture);
    for (int y = 0; y < modules; ++y) {
        for (int x = 0; x < modules; ++x) {
            if (code->data[y * modules + x] & 1)  // the low bit marks a dark module
                painter.fillRect(offset + x * scale, offset + y * scale, scale, scale, Qt::black);
        }
    }
    return picture;
}

TFrmVisitePhone::TFrmVisitePhone(QWidget* parent)
    : QDialog(parent),
      ui(std::make_unique<Ui::TFrmVisitePhone>())
{
    ui->setupUi(this);
    SetDialogFrame(this, 15);
    // Drawn at the screen's pixel ratio: modules scaled up afterwards would blur.
    const qreal ratio = devicePixelRatioF();
    QPixmap picture = QPixmap::fromImage(
        QrPicture(kWebAddress, static_cast<int>(std::lround(ui->Img2DimsCode->width() * ratio))));
    picture.setDevicePixelRatio(ratio);
    ui->Img2DimsCode->setPixmap(picture);
    // Heard, the picture gives its address: a blind user cannot scan it.
    DescribeDialog(this,
        ui->Img2DimsCode->accessibleName() + QLatin1Char('\n') + QString::fromLatin1(kWebAddress),
        ui->Img2DimsCode);
    ApplyBindings(this, *ui, kBindings);
}

TFrmVisitePhone::~TFrmVisitePhone() = default;

void TFrmVisitePhone::BtnCloseClick()
{
    close();
}

}  // namespace zentorix
