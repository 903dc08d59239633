// The menu commands and the two information dialogs.
#include "captions.h"
#include "frame/os/exepath.h"
#include "frame/shell.h"
#include "tests/recorder.h"
#include "ui/UAboutBox.h"
#include "ui/UMain.h"
#include "ui/UVisitePhone.h"
#include "ui/website.h"

#include <QAbstractButton>
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sys/stat.h>
#include <utime.h>

namespace zentorix {
namespace {

std::string ReadFile(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

// The program's windows beside an executable in a fresh folder, with the
// desktop replaced by a recorder.
class Menus : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/zentorix-menu-XXXXXX";
        folder = mkdtemp(pattern);
        previousExecutable = ExecutablePath();
        OverrideExecutablePath(folder + "/zentorix");
        // A desktop of its own, with a CHM viewer registered.
        for (const char* variable : {"XDG_CONFIG_HOME", "XDG_CONFIG_DIRS", "XDG_DATA_HOME", "XDG_DATA_DIRS"})
            setenv(variable, (folder + "/xdg").c_str(), 1);
        RegisterViewer(true);
        previousShell
            = ReplaceShellService([this](Verb verb, const std::string& target, std::function<void()> failed) {
                  verbs.push_back(verb);
                  opened.push_back(target);
                  ifFailed.push_back(std::move(failed));
              });
        StartWindows();
    }
    void TearDown() override
    {
        StopWindows();
        ReplaceShellService(previousShell);
        for (const char* variable : {"XDG_CONFIG_HOME", "XDG_CONFIG_DIRS", "XDG_DATA_HOME", "XDG_DATA_DIRS"})
            unsetenv(variable);
        std::filesystem::remove_all(folder);
        // Later tests' windows keep their settings where the test main put them,
        // not in the user's own folder.
        OverrideExecutablePath(previousExecutable);
    }

    // Created in the program's order, destroyed in reverse.
    void StartWindows()
    {
        main = std::make_unique<TFrmMain>();
        FrmMain = main.get();
        phone = std::make_unique<TFrmVisitePhone>();
        FrmVisitePhone = phone.get();
        about = std::make_unique<TAboutBox>();
        AboutBox = about.get();
        main->show();
    }
    void StopWindows()
    {
        about.reset();
        phone.reset();
        main.reset();
        AboutBox = nullptr;
        FrmVisitePhone = nullptr;
        FrmMain = nullptr;
    }

    void Trigger(const char* item) const { main->findChild<QAction*>(item)->trigger(); }

    // What the Set menu shows when it is opened.
    std::pair<bool, bool> OpenSetMenu() const
    {
        emit main->findChild<QMenu*>("MnuSet")->aboutToShow();
        return {main->findChild<QAction*>("MnuChinese")->isChecked(),
            main->findChild<QAction*>("MnuEnglish")->isChecked()};
    }

    void RegisterViewer(bool registered) const
    {
        const std::string entry = folder + "/xdg/applications/chmviewer.desktop";
        std::filesystem::create_directories(folder + "/xdg/applications");
        std::filesystem::remove(entry);
        if (registered) {
            std::ofstream(entry) << "[Desktop Entry]\nType=Application\nName=CHM\nExec=chmviewer %f\n"
                                    "MimeType=application/vnd.ms-htmlhelp;\n";
        }
    }

    std::string IniPath() const { return folder + "/zentorix.ini"; }
    std::string HelpPath() const { return folder + "/zentorix.chm"; }

    std::string folder;
    std::string previousExecutable;
    std::vector<Verb> verbs;
    std::vector<std::string> opened;
    std::vector<std::function<void()>> ifFailed;  // what each request runs when the desktop fails
    ShellService previousShell;
    test::MessageBoxRecorder recorder;
    std::unique_ptr<TFrmMain> main;
    std::unique_ptr<TFrmVisitePhone> phone;
    std::unique_ptr<TAboutBox> about;
};

// Every caption of every window, by object name.
std::map<std::string, std::string> Captions(const std::vector<QWidget*>& windows)
{
    std::map<std::string, std::string> captions;
    for (QWidget* window : windows) {
        captions[window->objectName().toStdString()] = window->windowTitle().toStdString();
        for (QObject* child : window->findChildren<QObject*>()) {
            if (const std::optional<QString> caption = test::CaptionOf(child))
                captions[child->objectName().toStdString()] = caption->toStdString();
        }
    }
    return captions;
}

TEST_F(Menus, EnglishIsRememberedAndChecked)
{
    EXPECT_EQ(OpenSetMenu(), std::make_pair(true, false));
    const auto before = Captions({main.get(), phone.get(), about.get()});
    Trigger("MnuEnglish");
    EXPECT_FALSE(std::filesystem::exists(IniPath())) << "nothing is written until exit";
    EXPECT_EQ(OpenSetMenu(), std::make_pair(false, true));
    EXPECT_EQ(Captions({main.get(), phone.get(), about.get()}), before);

    StopWindows();
    EXPECT_EQ(ReadFile(IniPath()), "[Setting]\nbChinese=0\n");
    StartWindows();
    EXPECT_EQ(OpenSetMenu(), std::make_pair(false, true));
    EXPECT_EQ(Captions({main.get(), phone.get(), about.get()}), before);
}

TEST_F(Menus, OnlyTheLastChoiceIsSaved)
{
    Trigger("MnuChinese");
    Trigger("MnuEnglish");
    StopWindows();
    EXPECT_EQ(ReadFile(IniPath()), "[Setting]\nbChinese=0\n");
    StartWindows();
    Trigger("MnuEnglish");
    Trigger("MnuChinese");
    EXPECT_EQ(OpenSetMenu(), std::make_pair(true, false));
    StopWindows();
    EXPECT_EQ(ReadFile(IniPath()), "[Setting]\nbChinese=1\n");
    StartWindows();
}

TEST_F(Menus, WebOpensTheAddress)
{
    Trigger("MnuWeb");
    EXPECT_EQ(opened, std::vector<std::string>{kWebAddress});
    EXPECT_TRUE(recorder.boxes.empty());
}

// The help file is there when it is a regular file or a link to one,
// whatever its times (Nix and reproducible builds date files 1970).
TEST_F(Menus, HelpFile)
{
    const auto written = [](std::time_t when) {
        return [when](const std::string& path) {
            std::ofstream(path) << "x";
            const utimbuf times{when, when};
            ASSERT_EQ(utime(path.c_str(), &times), 0);
        };
    };
    const struct {
        const char* name;
        std::function<void(const std::string&)> prepare;
        bool present;
    } cases[] = {
        {"no file", [](const std::string&) {}, false},
        {"a directory of that name", [](const std::string& path) { std::filesystem::create_directory(path); },
            false},
        {"a link to nothing",
            [](const std::string& path) { std::filesystem::create_symlink("gone.chm", path); }, false},
        {"written in 1970", written(0), true},
        {"written in 2200", written(7258118400), true},
        {"a link to the file",
            [this](const std::string& path) {
                std::ofstream(folder + "/real.chm") << "x";
                std::filesystem::create_symlink("real.chm", path);
            },
            true},
        {"written now", [](const std::string& path) { std::ofstream(path) << "x"; }, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove_all(HelpPath());
        c.prepare(HelpPath());
        recorder.boxes.clear();
        opened.clear();
        Trigger("MnuContent");
        if (c.present) {
            EXPECT_EQ(opened, std::vector<std::string>{HelpPath()});
            EXPECT_TRUE(recorder.boxes.empty());
        } else {
            EXPECT_TRUE(opened.empty());
            ASSERT_EQ(recorder.boxes.size(), 1u);
            EXPECT_EQ(recorder.boxes[0].text,
                "不能打开帮助文件" + HelpPath() + "\r\nCan not Open Help File" + HelpPath());
            EXPECT_EQ(recorder.boxes[0].caption, "系统提示System Hint");
            EXPECT_EQ(recorder.boxes[0].flags, 48u);
        }
    }
}

TEST_F(Menus, PhonePictureIsTheWebAddress)
{
    const QImage picture = QrPicture(kWebAddress, 210);
    EXPECT_EQ(picture.size(), QSize(210, 210));
    EXPECT_EQ(picture.depth(), 24);

    // The picture the dialog shows, drawn at the screen's pixel ratio (sharp
    // at any scale) and read back by a QR reader.
    const auto* shown = phone->findChild<QLabel*>("Img2DimsCode");
    ASSERT_EQ(shown->pixmap().deviceIndependentSize(), QSizeF(210, 210));
    EXPECT_EQ(shown->pixmap().devicePixelRatio(), phone->devicePixelRatioF());
    const std::string file = folder + "/code.png";
    ASSERT_TRUE(shown->pixmap().save(QString::fromStdString(file)));
    FILE* reader = popen(("zbarimg --raw -q " + file).c_str(), "r");
    ASSERT_NE(reader, nullptr);
    char decoded[256] = {};
    const std::size_t length = std::fread(decoded, 1, sizeof decoded - 1, reader);
    EXPECT_EQ(pclose(reader), 0) << "zbarimg found no code";
    EXPECT_EQ(std::string(decoded, length), std::string(kWebAddress) + "\n");
}

// A click as the window system delivers it, so that a modal window blocks it.
bool ClickComputesTheList(QMainWindow* window)
{
    auto* rs = window->findChild<QLineEdit*>("EditRs");
    auto* button = window->findChild<QPushButton*>("BtnComputeRs");
    rs->clear();
    QTest::mouseClick(
        window->windowHandle(), Qt::LeftButton, {}, button->mapTo(window, button->rect().center()));
    return !rs->text().isEmpty();
}

struct DialogCase {
    const char* name;
    const char* item;
    std::function<QDialog*(Menus*)> dialog;
    std::function<void(QDialog*)> close;
};

// Shown modally (the main window takes no input meanwhile), closed, hidden
// afterwards, and shown again unchanged.
TEST_F(Menus, DialogsAreModalAndCloseEveryWay)
{
    const auto click = [](const char* button) {
        return [button](QDialog* dialog) {
            QTest::mouseClick(dialog->findChild<QPushButton*>(button), Qt::LeftButton);
        };
    };
    const std::function<QDialog*(Menus*)> aboutBox = [](Menus*) -> QDialog* { return AboutBox; };
    const std::function<QDialog*(Menus*)> phoneDialog = [](Menus*) -> QDialog* { return FrmVisitePhone; };
    const DialogCase cases[] = {
        {"about box, OK button", "MnuAbout", aboutBox, click("OKButton")},
        {"about box, Enter", "MnuAbout", aboutBox, [](QDialog* d) { QTest::keyClick(d, Qt::Key_Return); }},
        {"about box, close box", "MnuAbout", aboutBox, [](QDialog* d) { d->close(); }},
        {"phone dialog, close button", "MnuPhone", phoneDialog, click("BtnClose")},
        {"phone dialog, close box", "MnuPhone", phoneDialog, [](QDialog* d) { d->close(); }},
    };
    ASSERT_TRUE(ClickComputesTheList(main.get())) << "the click must reach the window when nothing is modal";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QDialog* dialog = c.dialog(this);
        const auto captions = Captions({dialog});
        const QSize size = dialog->size();
        EXPECT_FALSE(dialog->isVisible());
        bool modal = false;
        bool mainTookInput = true;
        QTimer::singleShot(0, [&] {
            modal = QApplication::activeModalWidget() == dialog && dialog->isVisible();
            mainTookInput = ClickComputesTheList(main.get());
            c.close(dialog);
        });
        Trigger(c.item);
        EXPECT_TRUE(modal);
        EXPECT_FALSE(mainTookInput);
        EXPECT_FALSE(dialog->isVisible());
        EXPECT_EQ(Captions({dialog}), captions);
        EXPECT_EQ(dialog->size(), size);
    }
}

// What the dialogs' code adds to their layouts: a size the user cannot
// change, the program's font at each dialog's height, the About box's icon.
TEST(Dialogs, FixedSizeFontAndIcon)
{
    TAboutBox about;
    TFrmVisitePhone phone;
    const struct {
        QDialog* dialog;
        int pixels;
    } cases[] = {{&about, 12}, {&phone, 15}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.dialog->objectName().toStdString());
        EXPECT_EQ(c.dialog->minimumSize(), c.dialog->maximumSize());
        EXPECT_EQ(c.dialog->font().pixelSize(), c.pixels);
    }
    EXPECT_FALSE(about.findChild<QLabel*>("ProgramIcon")->pixmap().isNull());
}

// The help file goes to a viewer registered for it. Where none is, or the
// viewer fails, the HTML pages beside the executable go to the browser; where
// that fails too, the notice box.
TEST_F(Menus, HelpWhereTheDesktopCannotOpenIt)
{
    const std::string pages = folder + "/zentorix-help/index.html";
    const std::string notice = "不能打开帮助文件" + HelpPath() + "\r\nCan not Open Help File" + HelpPath();
    const struct {
        const char* name;
        bool viewer;
        bool pagesThere;
        std::vector<bool> succeeds;  // each request in turn
        std::vector<std::string> requests;
        bool box;
    } cases[] = {
        {"the viewer opens it", true, true, {true}, {"open " + HelpPath()}, false},
        {"the viewer fails: the pages in the browser", true, true, {false, true},
            {"open " + HelpPath(), "browse " + pages}, false},
        {"the viewer fails, no browser", true, true, {false, false},
            {"open " + HelpPath(), "browse " + pages}, true},
        {"the viewer fails, no pages", true, false, {false}, {"open " + HelpPath()}, true},
        {"no viewer registered: the pages in the browser", false, true, {true}, {"browse " + pages}, false},
        {"no viewer, no browser", false, true, {false}, {"browse " + pages}, true},
        {"nothing at all", false, false, {}, {}, true},
    };
    std::ofstream(HelpPath()) << "x";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        RegisterViewer(c.viewer);
        std::filesystem::remove_all(folder + "/zentorix-help");
        if (c.pagesThere) {
            std::filesystem::create_directory(folder + "/zentorix-help");
            std::ofstream(pages) << "<html></html>";
        }
        recorder.boxes.clear();
        verbs.clear();
        opened.clear();
        ifFailed.clear();
        Trigger("MnuContent");
        // The desktop answers each request after the command has returned.
        for (std::size_t i = 0; i < ifFailed.size() && i < c.succeeds.size(); ++i) {
            if (!c.succeeds[i] && ifFailed[i])
                ifFailed[i]();
        }
        std::vector<std::string> requests;
        for (std::size_t i = 0; i < opened.size(); ++i)
            requests.push_back((verbs[i] == Verb::kOpen ? "open " : "browse ") + opened[i]);
        EXPECT_EQ(requests, c.requests);
        ASSERT_EQ(recorder.boxes.size(), c.box ? 1u : 0u);
        if (c.box) {
            EXPECT_EQ(recorder.boxes[0].text, notice);
            EXPECT_EQ(recorder.boxes[0].caption, "系统提示System Hint");
            EXPECT_EQ(recorder.boxes[0].flags, 48u);
        }
    }
}

}  // namespace
}  // namespace zentorix
