#include "frame/errors.h"
#include "qt_main.h"
#include "tests/recorder.h"

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QImage>
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

const std::string kTitle = test::kTitle;

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
        {"a failure object", [] { throw EZeroDivide("Floating point division by zero"); },
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

// What the real box showed of a message, and what Ctrl+C copied from it.
struct Seen {
    int answer = 0;
    QString shown, caption, copied;
    QImage picture;  // the text area
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    int buttons = 0;
    bool modal = false, scrolls = false, fitsScreen = false, leftToRight = false;
};

// Shows the real box, closed from a timer.
Seen ShowAndClose(const std::string& text)
{
    Seen seen;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        auto* area = box->findChild<QPlainTextEdit*>("MessageText");
        ASSERT_NE(area, nullptr);
        seen.shown = area->toPlainText();
        // Clicked into, then left, as a user who selects a word might.
        QTest::mouseClick(area->viewport(), Qt::LeftButton);
        box->button(QMessageBox::Ok)->setFocus();
        seen.picture = area->grab().toImage();
        seen.leftToRight = area->document()->firstBlock().textDirection() == Qt::LeftToRight;
        seen.scrolls = area->verticalScrollBar()->maximum() > 0;
        seen.fitsScreen = box->screen()->availableGeometry().contains(box->frameGeometry());
        seen.caption = box->windowTitle();
        seen.icon = box->icon();
        seen.buttons = static_cast<int>(box->buttons().size());
        seen.modal = box->windowModality() == Qt::ApplicationModal;
        QTest::keyClick(box, Qt::Key_C, Qt::ControlModifier);
        seen.copied = QGuiApplication::clipboard()->text();
        box->button(QMessageBox::Ok)->click();
    });
    seen.answer = ShowMessageBox(text, kTitle, mb::kOk | mb::kIconStop);
    return seen;
}

// The real box: caption, icon, one OK button, the platform's id for OK, and
// the message exactly as written (a CR LF is one line end), whatever its
// length: nothing inserted, nothing left out, a long text scrolled. Ctrl+C
// copies the caption and the whole text. Bidirectional controls in a quoted
// list line reorder nothing outside the quote: the box looks as it does for
// the line without them.
TEST(ShowMessageBox, RealBoxShowsTheMessageAsWritten)
{
    const std::string kTwo = "'2' is not a valid floating point value.";
    const struct {
        const char* name;
        std::string text;
        std::string shown;
        bool scrolls;
        std::string looksLike;  // another message the box looks exactly like
    } cases[] = {
        {"short", "Floating point overflow.", "Floating point overflow.", false, ""},
        {"two lines", "不能打开帮助文件/a.chm\r\nCan not Open Help File/a.chm",
            "不能打开帮助文件/a.chm\nCan not Open Help File/a.chm", false, ""},
        {"a right-to-left mark in a list line", "'\u200F2' is not a valid floating point value.",
            "'\u200F2' is not a valid floating point value.", false, ""},
        {"a right-to-left override in a list line", "'\u202E2' is not a valid floating point value.",
            "'\u202E2' is not a valid floating point value.", false, kTwo},
        {"a right-to-left embedding in a list line", "'\u202B2' is not a valid floating point value.",
            "'\u202B2' is not a valid floating point value.", false, kTwo},
        {"a right-to-left isolate in a list line", "'\u20672' is not a valid floating point value.",
            "'\u20672' is not a valid floating point value.", false, kTwo},
        {"a pasted megabyte", "'" + std::string(1 << 20, '1') + "' is not a valid floating point value.",
            "'" + std::string(1 << 20, '1') + "' is not a valid floating point value.", true, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Seen seen = ShowAndClose(c.text);
        EXPECT_EQ(seen.answer, mb::kIdOk);
        EXPECT_TRUE(seen.shown == QString::fromStdString(c.shown)) << seen.shown.left(200).toStdString();
        EXPECT_EQ(seen.scrolls, c.scrolls);
        EXPECT_TRUE(seen.leftToRight);
        EXPECT_TRUE(seen.fitsScreen);
        EXPECT_EQ(seen.caption, QString::fromUtf8(kTitle.c_str()));
        EXPECT_EQ(seen.icon, QMessageBox::Critical);
        EXPECT_EQ(seen.buttons, 1);
        EXPECT_TRUE(seen.modal);
        EXPECT_TRUE(seen.copied.contains(QString::fromStdString(c.text)));
        EXPECT_TRUE(seen.copied.contains(QString::fromUtf8(kTitle.c_str())));
        if (!c.looksLike.empty()) {
            EXPECT_TRUE(seen.picture == ShowAndClose(c.looksLike).picture) << "the program's words moved";
        }
    }
}

}  // namespace
}  // namespace zentorix
