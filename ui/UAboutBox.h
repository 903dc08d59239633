// The about box: the program's name, version, purpose and copyright.
// Created hidden at start-up, shown modally from the Help menu.
#pragma once

#include <QDialog>

#include <memory>

namespace Ui {
class TAboutBox;
}

namespace zentorix {

class TAboutBox : public QDialog {
public:
    explicit TAboutBox(QWidget* parent = nullptr);
    ~TAboutBox() override;

    void OKButtonClick();

private:
    std::unique_ptr<Ui::TAboutBox> ui;
};

extern TAboutBox* AboutBox;

}  // namespace zentorix
