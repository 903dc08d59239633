#include "UMain.h"

#include "calc/fpu.h"
#include "calc/numtext.h"
#include "frame/bindings.h"
#include "frame/textcodec.h"

#include <QShowEvent>

namespace zentorix {

TFrmMain* FrmMain = nullptr;

namespace {

const Binding<TFrmMain> kBindings[] = {
    {"BtnComputeR", &TFrmMain::BtnComputeRClick},
    {"BtnComputeV", &TFrmMain::BtnComputeVClick},
    {"BtnComputeI", &TFrmMain::BtnComputeIClick},
    {"BtnComputeP", &TFrmMain::BtnComputePClick},
    {"BtnSample", &TFrmMain::BtnSampleClick},
};

}  // namespace

TFrmMain::TFrmMain(QWidget* parent) : QMainWindow(parent), ui(this)
{
    setFixedSize(size());
    ApplyBindings(this, kBindings);
}

TFrmMain::~TFrmMain() = default;

void TFrmMain::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    // Only the first show: restoring a minimised window must not overwrite
    // what the user typed.
    if (!formShown_ && !event->spontaneous()) {
        formShown_ = true;
        Dispatch([this] { FormShow(); });
    }
}

// Every caption carries both languages, so the recorded language changes
// nothing visible here; it decides the Set menu's check marks.
void TFrmMain::FormShow()
{
    DisplayQuantities();
}

std::array<std::pair<QLineEdit*, double TFrmMain::*>, 4> TFrmMain::QuantityBoxes() const
{
    return {{{ui.EditR, &TFrmMain::R}, {ui.EditV, &TFrmMain::V}, {ui.EditI, &TFrmMain::I},
        {ui.EditP, &TFrmMain::P}}};
}

// Each quantity is stored before the next box is read: a failure leaves the
// ones before it changed and the rest as they were.
void TFrmMain::ReadQuantities()
{
    for (const auto& [box, quantity] : QuantityBoxes())
        this->*quantity = CheckedStore(TextToReal(ToSystemText(box->text())));
}

void TFrmMain::DisplayQuantities()
{
    for (const auto& [box, quantity] : QuantityBoxes())
        box->setText(FromSystemText(RealToText(this->*quantity)));
}

void TFrmMain::BtnComputeRClick()
{
    ReadQuantities();
    R = CheckedDivide(V, I);
    DisplayQuantities();
}

void TFrmMain::BtnComputeVClick()
{
    ReadQuantities();
    V = CheckedMultiply(R, I);
    DisplayQuantities();
}

void TFrmMain::BtnComputeIClick()
{
    ReadQuantities();
    I = CheckedDivide(V, R);
    DisplayQuantities();
}

void TFrmMain::BtnComputePClick()
{
    ReadQuantities();
    P = CheckedMultiply(V, I);
    DisplayQuantities();
}

void TFrmMain::BtnSampleClick()
{
    R = 1.0;
    V = 3.0;
    I = 3.0;
    P = 9.0;
    DisplayQuantities();
}

}  // namespace zentorix
