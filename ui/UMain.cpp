#include "UMain.h"

#include "UAboutBox.h"
#include "UVisitePhone.h"
#include "calc/fpu.h"
#include "calc/resistors.h"
#include "dialogframe.h"
#include "frame/bindings.h"
#include "frame/os/exepath.h"
#include "frame/os/mimeapps.h"
#include "frame/os/pathrule.h"
#include "frame/placement.h"
#include "frame/shell.h"
#include "frame/textcodec.h"
#include "listbox.h"
#include "pictures.h"
#include "programfont.h"
#include "spokenboxes.h"
#include "ui_UMain.h"
#include "website.h"

#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QShortcut>
#include <QShowEvent>

#include <sys/stat.h>
#include <utility>

namespace zentorix {

TFrmMain* FrmMain = nullptr;

namespace {

const Binding<Ui::TFrmMain, TFrmMain> kBindings[] = {
    {&Ui::TFrmMain::BtnComputeR, &TFrmMain::BtnComputeRClick},
    {&Ui::TFrmMain::BtnComputeV, &TFrmMain::BtnComputeVClick},
    {&Ui::TFrmMain::BtnComputeI, &TFrmMain::BtnComputeIClick},
    {&Ui::TFrmMain::BtnComputeP, &TFrmMain::BtnComputePClick},
    {&Ui::TFrmMain::BtnSample, &TFrmMain::BtnSampleClick},
    {&Ui::TFrmMain::BtnComputeRs, &TFrmMain::BtnComputeRsClick},
    {&Ui::TFrmMain::MnuExit, &TFrmMain::MnuExitClick},
    {&Ui::TFrmMain::MnuSet, &TFrmMain::MnuSetClick},
    {&Ui::TFrmMain::MnuChinese, &TFrmMain::MnuChineseClick},
    {&Ui::TFrmMain::MnuEnglish, &TFrmMain::MnuEnglishClick},
    {&Ui::TFrmMain::MnuContent, &TFrmMain::MnuContentClick},
    {&Ui::TFrmMain::MnuWeb, &TFrmMain::MnuWebClick},
    {&Ui::TFrmMain::MnuPhone, &TFrmMain::MnuPhoneClick},
    {&Ui::TFrmMain::MnuAbout, &TFrmMain::MnuAboutClick},
};

// The same help as HTML pages, in a folder beside the executable named after
// it: "zentorix-help/index.html".
std::string HelpPagesIndex()
{
    return ReplaceExtension(ExecutablePath(), "-help") + "/index.html";
}

// A regular file, or a link to one, is there whatever its times say (Nix,
// OSTree and reproducible builds date files 1970).
bool IsRegularFile(const std::string& path)
{
    struct stat status;
    return stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode);
}

void ShowHelpNotice(const std::string& help)
{
    const QString path = PathText(help);
    ShowMessageBox(
        QStringLiteral("不能打开帮助文件") + path + QStringLiteral("\r\nCan not Open Help File") + path,
        QStringLiteral("系统提示System Hint"), mb::kOk | mb::kIconExclamation);
}

constexpr int kClientWidth = 805;
constexpr int kClientHeight = 465;  // below the menu bar

// The status bar's panels: fixed texts, never changed while the program runs.
const struct {
    const char* name;
    int width;
    const char* text;
} kStatusPanels[] = {
    {"StatusPanel1", 150, "就绪"},
    {"StatusPanel2", 50, "V1.0"},
};

}  // namespace

// The layout's controls, built into `window`.
static std::unique_ptr<Ui::TFrmMain> BuildControls(QMainWindow* window)
{
    InstallWholeTextBoxes();
    auto controls = std::make_unique<Ui::TFrmMain>();
    controls->setupUi(window);
    return controls;
}

TFrmMain::TFrmMain(QWidget* parent) : QMainWindow(parent), ui(BuildControls(this))
{
    // A single border: minimise and close, no maximise, no resizing.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
        | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setWindowIcon(ProgramIcon());
    SetProgramFont(this, 15);
    setFixedSize(kClientWidth, kClientHeight + menuBar()->sizeHint().height());
    AskForFrame(this);  // answered while the rest of the program starts

    ui->N1->setSeparator(true);
    ui->StatusBar1->raise();  // over the page control's last three pixels
    for (const auto& panel : kStatusPanels) {
        auto* label = new QLabel(QString::fromUtf8(panel.text), ui->StatusBar1);
        label->setObjectName(QString::fromLatin1(panel.name));
        label->setFixedWidth(panel.width);
        ui->StatusBar1->addWidget(label);
    }
    ApplyBindings(this, *ui, kBindings);
    connect(ui->Memo, &TListBox::PasteFinished, this, [this] {
        if (std::exchange(computeAfterPaste_, false))
            Dispatch([this] { BtnComputeRsClick(); });
    });

    // The style decides whether to elide a menu item by measuring its text
    // with the accelerator's "&" as a glyph: leave room for it, or the longest
    // item of a menu is cut.
    for (QMenu* menu : menuBar()->findChildren<QMenu*>()) {
        menu->setMinimumWidth(
            menu->sizeHint().width() + menu->fontMetrics().horizontalAdvance(QLatin1Char('&')) + 1);
    }

    // The keyboard starts on the page control, the first stop of the window.
    ui->PageControl1->setFocus();
    // Ctrl+PgDn and Ctrl+PgUp switch pages as in other tabbed programs; the
    // page control itself knows only Ctrl+Tab.
    for (const auto& [key, step] : {std::pair{Qt::Key_PageDown, 1}, std::pair{Qt::Key_PageUp, -1}}) {
        auto* shortcut = new QShortcut(QKeySequence(Qt::CTRL | key), this);
        connect(shortcut, &QShortcut::activated, this, [pages = ui->PageControl1, step] {
            pages->setCurrentIndex((pages->currentIndex() + step + pages->count()) % pages->count());
        });
    }
}

TFrmMain::~TFrmMain() = default;

void TFrmMain::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    // Only the first show: restoring a minimised window must not overwrite
    // what the user typed, nor move the window.
    if (!formShown_ && !event->spontaneous()) {
        formShown_ = true;
        CentreOnScreen(this);  // before it is mapped
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
    return {{{ui->EditR, &TFrmMain::R}, {ui->EditV, &TFrmMain::V}, {ui->EditI, &TFrmMain::I},
        {ui->EditP, &TFrmMain::P}}};
}

// Each quantity is stored before the next box is read: a failure leaves the
// ones before it changed and the rest as they were.
void TFrmMain::ReadQuantities()
{
    for (const auto& [box, quantity] : QuantityBoxes())
        this->*quantity = CheckedStore(ReadNumber(box->text()));
}

void TFrmMain::DisplayQuantities()
{
    for (const auto& [box, quantity] : QuantityBoxes())
        box->setText(NumberText(this->*quantity));
}

void TFrmMain::BtnComputeRClick()
{
    ReadQuantities();
    R = CheckedDivide(V, I);
    DisplayQuantities();
    AnnounceResults(this, {ui->EditR});
}

void TFrmMain::BtnComputeVClick()
{
    ReadQuantities();
    V = CheckedMultiply(R, I);
    DisplayQuantities();
    AnnounceResults(this, {ui->EditV});
}

void TFrmMain::BtnComputeIClick()
{
    ReadQuantities();
    I = CheckedDivide(V, R);
    DisplayQuantities();
    AnnounceResults(this, {ui->EditI});
}

void TFrmMain::BtnComputePClick()
{
    ReadQuantities();
    P = CheckedMultiply(V, I);
    DisplayQuantities();
    AnnounceResults(this, {ui->EditP});
}

// The series result first: it stays shown when the parallel one fails. During
// a long paste the sums wait for its end, the window answering meanwhile.
void TFrmMain::BtnComputeRsClick()
{
    if (ui->Memo->IsPasting()) {
        computeAfterPaste_ = true;
        return;
    }
    if (ComputeList(SeriesResistance, ui->EditRs) && ComputeList(ParallelResistance, ui->EditRp))
        AnnounceResults(this, {ui->EditRs, ui->EditRp});
}

// Reads the list afresh; an empty list leaves the result box as it is and
// gives false.
bool TFrmMain::ComputeList(double (*compute)(std::span<const double>), QLineEdit* result)
{
    const std::vector<double> values = ReadList(ui->Memo->Text());
    if (values.empty())
        return false;
    result->setText(NumberText(compute(values)));
    return true;
}

void TFrmMain::MnuExitClick()
{
    close();
}

// The check marks follow the flag each time the Set menu opens.
void TFrmMain::MnuSetClick()
{
    ui->MnuChinese->setChecked(IniDatas.bChinese);
    ui->MnuEnglish->setChecked(!IniDatas.bChinese);
}

// Captions carry both languages: a language command changes the flag alone,
// which is written when the window is destroyed.
void TFrmMain::MnuChineseClick()
{
    IniDatas.bChinese = true;
}

void TFrmMain::MnuEnglishClick()
{
    IniDatas.bChinese = false;
}

// The help file goes to the desktop where a program is registered for it.
// Elsewhere (xdg-open would hand it to the browser, which shows a blank
// page), and where the viewer or its launcher fails, the same help as HTML
// pages goes to the browser; where that fails too, the notice box says so.
void TFrmMain::MnuContentClick()
{
    const std::string help = ReplaceExtension(ExecutablePath(), ".chm");
    if (!IsRegularFile(help)) {
        ShowHelpNotice(help);
        return;
    }
    const auto browsePages = [help] {
        const std::string pages = HelpPagesIndex();
        if (IsRegularFile(pages))
            ShellBrowse(pages, [help] { ShowHelpNotice(help); });
        else
            ShowHelpNotice(help);
    };
    // The type file(1) and the shared MIME database give a help file.
    if (HasApplicationFor("application/vnd.ms-htmlhelp"))
        ShellOpen(help, browsePages);
    else
        browsePages();
}

void TFrmMain::MnuWebClick()
{
    ShellOpen(kWebAddress);
}

void TFrmMain::MnuPhoneClick()
{
    ExecDialog(FrmVisitePhone);
}

void TFrmMain::MnuAboutClick()
{
    ExecDialog(AboutBox);
}

void TFrmMain::BtnSampleClick()
{
    R = 1.0;
    V = 3.0;
    I = 3.0;
    P = 9.0;
    DisplayQuantities();
    AnnounceResults(this, {ui->EditR, ui->EditV, ui->EditI, ui->EditP});
}

}  // namespace zentorix
