#include "app/startup.h"
#include "frame/errors.h"
#include "tests/recorder.h"

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>
#include <QTimer>

#include <gtest/gtest.h>

#include <stdexcept>

namespace zentorix {
namespace {

const std::string kTitle = kApplicationTitle;

TEST(WithFullStop, LastCharacterDecides)
{
    const struct {
        const char* name;
        std::string message;
        CodePage page;
        std::string shown;
    } cases[] = {
        {"full stop", "Done.", CodePage::Utf8, "Done."},
        {"exclamation", "Done!", CodePage::Utf8, "Done!"},
        {"parenthesis", "(x)", CodePage::Utf8, "(x)"},
        {"blank", "x ", CodePage::Utf8, "x "},
        {"line break", "x\n", CodePage::Utf8, "x\n"},
        {"comma", "x,", CodePage::Utf8, "x,"},
        {"hyphen", "x-", CodePage::Utf8, "x-"},
        {"quote", "'x'", CodePage::Utf8, "'x'"},
        {"question", "Why?", CodePage::Utf8, "Why?."},
        {"colon", "Path:", CodePage::Utf8, "Path:."},
        {"slash", "a/", CodePage::Utf8, "a/."},
        {"letter", "Floating point division by zero", CodePage::Utf8, "Floating point division by zero."},
        {"digit", "2024", CodePage::Utf8, "2024."},
        {"Chinese character", "电阻", CodePage::Utf8, "电阻."},
        {"Chinese full stop", "完成。", CodePage::Utf8, "完成。."},
        {"empty", "", CodePage::Utf8, ""},
        {"GBK character", "\xB5\xE7", CodePage::Gbk, "\xB5\xE7."},
        // The second byte of this GBK character is "\"; the character as a
        // whole is compared, and starts above ".".
        {"GBK second byte 0x5C", "\x95\x5C", CodePage::Gbk, "\x95\x5C."},
        {"GBK after a full stop", ".\xB5\xE7", CodePage::Gbk, ".\xB5\xE7."},
        // After a lead byte "!" is taken with it as one character, which
        // starts above ".", as the platform's own character stepping does.
        {"GBK lead byte then !", "\x81!", CodePage::Gbk, "\x81!."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(WithFullStop(c.message, c.page), c.shown);
    }
}

TEST(Dispatch, FailuresReachTheBoxUnderTheTitle)
{
    const struct {
        const char* name;
        std::function<void()> handler;
        std::vector<std::string> shown;  // the texts of the boxes, in order
    } cases[] = {
        {"a failure object", [] { throw EZeroDivide("Floating point division by zero", FaultRecord{}); },
            {"Floating point division by zero."}},
        {"an abort is silent", [] { throw EAbort("Operation aborted"); }, {}},
        {"another exception", [] { throw std::runtime_error("bad thing"); }, {"bad thing."}},
        {"anything else", [] { throw 42; }, {""}},
        {"no failure", [] {}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        test::MessageBoxRecorder recorder;
        Dispatch(c.handler);
        ASSERT_EQ(recorder.boxes.size(), c.shown.size());
        for (std::size_t i = 0; i < c.shown.size(); ++i) {
            EXPECT_EQ(recorder.boxes[i].text, c.shown[i]);
            EXPECT_EQ(recorder.boxes[i].caption, kTitle);
            EXPECT_EQ(recorder.boxes[i].flags, mb::kIconStop | mb::kOk);
        }
    }
}

TEST(Dispatch, AbortStopsTheHandler)
{
    test::MessageBoxRecorder recorder;
    bool before = false;
    bool after = false;
    Dispatch([&] {
        before = true;
        throw EAbort("");
        after = true;
    });
    EXPECT_TRUE(before);
    EXPECT_FALSE(after);
    EXPECT_TRUE(recorder.boxes.empty());
}

TEST(Dispatch, PressedButtonIsReleasedBeforeTheBox)
{
    QPushButton button;
    button.show();
    bool downWhenShown = true;
    const MessageBoxService previous = ReplaceMessageBoxService([&](auto&, auto&, auto) {
        downWhenShown = button.isDown();
        return mb::kIdOk;
    });
    QObject::connect(&button, &QPushButton::pressed, &button,
        [] { Dispatch([] { throw EConvertError("'x' is not a valid floating point value"); }); });
    QTest::mousePress(&button, Qt::LeftButton);
    ReplaceMessageBoxService(previous);
    EXPECT_FALSE(downWhenShown);
    EXPECT_FALSE(button.isDown());
}

// The real box, closed from a timer: caption, icon, one OK button, the
// platform's id for OK, and the message exactly as written (a CR LF is one
// line end), whatever its length: nothing inserted, nothing left out, a long
// text scrolled. Ctrl+C copies the caption and the whole text.
TEST(ShowMessageBox, RealBoxShowsTheMessageAsWritten)
{
    const struct {
        const char* name;
        std::string text;
        std::string shown;
        bool scrolls;
    } cases[] = {
        {"short", "Floating point overflow.", "Floating point overflow.", false},
        {"two lines", "不能打开帮助文件/a.chm\r\nCan not Open Help File/a.chm",
            "不能打开帮助文件/a.chm\nCan not Open Help File/a.chm", false},
        {"a right-to-left mark in a list line", "'\u200F2' is not a valid floating point value.",
            "'\u200F2' is not a valid floating point value.", false},
        {"a pasted megabyte", "'" + std::string(1 << 20, '1') + "' is not a valid floating point value.",
            "'" + std::string(1 << 20, '1') + "' is not a valid floating point value.", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QString shown, caption, copied;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        int buttons = 0;
        bool modal = false, scrolls = false, fitsScreen = false, leftToRight = false;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            auto* area = box->findChild<QPlainTextEdit*>("MessageText");
            ASSERT_NE(area, nullptr);
            shown = area->toPlainText();
            leftToRight = area->document()->firstBlock().textDirection() == Qt::LeftToRight;
            scrolls = area->verticalScrollBar()->maximum() > 0;
            fitsScreen = box->screen()->availableGeometry().contains(box->frameGeometry());
            caption = box->windowTitle();
            icon = box->icon();
            buttons = static_cast<int>(box->buttons().size());
            modal = box->windowModality() == Qt::ApplicationModal;
            QTest::keyClick(box, Qt::Key_C, Qt::ControlModifier);
            copied = QGuiApplication::clipboard()->text();
            box->button(QMessageBox::Ok)->click();
        });
        const int answer = ShowMessageBox(c.text, kTitle, mb::kOk | mb::kIconStop);
        EXPECT_EQ(answer, mb::kIdOk);
        EXPECT_TRUE(shown == QString::fromStdString(c.shown)) << shown.left(200).toStdString();
        EXPECT_EQ(scrolls, c.scrolls);
        EXPECT_TRUE(leftToRight);
        EXPECT_TRUE(fitsScreen);
        EXPECT_EQ(caption, QString::fromUtf8(kTitle.c_str()));
        EXPECT_EQ(icon, QMessageBox::Critical);
        EXPECT_EQ(buttons, 1);
        EXPECT_TRUE(modal);
        EXPECT_TRUE(copied.contains(QString::fromStdString(c.text)));
        EXPECT_TRUE(copied.contains(QString::fromUtf8(kTitle.c_str())));
    }
}

}  // namespace
}  // namespace zentorix
