// The about box: the program's name, version, purpose and copyright.
// Created hidden at start-up, shown modally from the Help menu.
#pragma once

#include "ui_UAboutBox.h"

#include <QDialog>

namespace zentorix {

class TAboutBox : public QDialog {
public:
    explicit TAboutBox(QWidget* parent = nullptr);
    ~TAboutBox() override;

private:
    Ui::TAboutBox ui;
};

extern TAboutBox* AboutBox;

}  // namespace zentorix
