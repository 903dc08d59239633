#include "frame/errors.h"
#include "frame/failuretext.h"
#include "tests/recorder.h"

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTextBlock>
#include <QScrollBar>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <stdexcept>

namespace zentorix {
namespace {

const std::string kTitle = "Zentorix2024电阻计算器2024";

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
