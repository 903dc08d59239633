// The main window: a fixed-size frame with a menu bar, a status bar and two
// pages, the Ohm's-law page with its four quantities and the series/parallel
// page.
#pragma once

#include "frame/settings/inidatas.h"

#include <QMainWindow>

#include <array>
#include <memory>
#include <span>
#include <utility>

class QLineEdit;

namespace Ui {
class TFrmMain;
}

namespace zentorix {

class TFrmMain : public QMainWindow {
public:
    explicit TFrmMain(QWidget* parent = nullptr);
    // The settings record is destroyed (and saved) before the controls.
    ~TFrmMain() override;

private:
    // The controls, built from the layout before any other member exists.
    std::unique_ptr<Ui::TFrmMain> ui;

public:
    // Read from the settings file once the controls exist.
    TIniDatas IniDatas;

    // The four quantities, always walked in this order.
    double R = 0.0;
    double V = 0.0;
    double I = 0.0;
    double P = 0.0;

    // Handlers, bound by the window's binding table.
    void FormShow();
    void BtnComputeRClick();
    void BtnComputeVClick();
    void BtnComputeIClick();
    void BtnComputePClick();
    void BtnSampleClick();
    void BtnComputeRsClick();
    void MnuExitClick();
    void MnuSetClick();
    void MnuChineseClick();
    void MnuEnglishClick();
    void MnuContentClick();
    void MnuWebClick();
    void MnuPhoneClick();
    void MnuAboutClick();

protected:
    void showEvent(QShowEvent* event) override;

private:
    // For R, V, I, P in that order: text box to quantity, quantity to text box.
    std::array<std::pair<QLineEdit*, double TFrmMain::*>, 4> QuantityBoxes() const;
    void ReadQuantities();
    void DisplayQuantities();

    // One result of the list page into its box; false for an empty list.
    bool ComputeList(double (*compute)(std::span<const double>), QLineEdit* result);

    bool formShown_ = false;
    bool computeAfterPaste_ = false;  // Compute pressed during a long paste
};

extern TFrmMain* FrmMain;

}  // namespace zentorix
