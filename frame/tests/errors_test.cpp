#include "frame/errors.h"
#include "frame/failuretext.h"
#include "tests/recorder.h"

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QMessageBox>
#include <QPushButton>
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

// The real box, closed from a timer: text, caption, icon, one OK button, and
// the platform's id for OK.
TEST(ShowMessageBox, RealBoxIsApplicationModal)
{
    QString text;
    QString caption;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    int buttons = 0;
    bool modal = false;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        text = box->text();
        caption = box->windowTitle();
        icon = box->icon();
        buttons = static_cast<int>(box->buttons().size());
        modal = box->windowModality() == Qt::ApplicationModal;
        box->button(QMessageBox::Ok)->click();
    });
    const int answer = ShowMessageBox("Floating point overflow.", kTitle, mb::kOk | mb::kIconStop);
    EXPECT_EQ(answer, mb::kIdOk);
    EXPECT_EQ(text, QString("Floating point overflow."));
    EXPECT_EQ(caption, QString::fromUtf8(kTitle.c_str()));
    EXPECT_EQ(icon, QMessageBox::Critical);
    EXPECT_EQ(buttons, 1);
    EXPECT_TRUE(modal);
}

// A pasted megabyte is quoted whole in the failure; the box shows its two
// ends, broken into lines, and opens at once. Ctrl+C copies the whole text.
TEST(ShowMessageBox, HugeTextShowsItsEnds)
{
    const std::string text = "'" + std::string(1 << 20, '1') + "' is not a valid floating point value.";
    QString shown;
    QString copied;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        shown = box->text();
        QTest::keyClick(box, Qt::Key_C, Qt::ControlModifier);
        copied = QGuiApplication::clipboard()->text();
        box->button(QMessageBox::Ok)->click();
    });
    ShowMessageBox(text, kTitle, mb::kOk | mb::kIconStop);
    EXPECT_LT(shown.size(), 1000);
    EXPECT_TRUE(shown.startsWith("'111"));
    EXPECT_TRUE(shown.endsWith("11' is not a valid floating point value."));
    EXPECT_TRUE(shown.contains(QChar(0x200B)));
    EXPECT_TRUE(copied.contains(QString::fromStdString(text)));
    EXPECT_TRUE(copied.contains(QString::fromUtf8(kTitle.c_str())));
}

}  // namespace
}  // namespace zentorix
