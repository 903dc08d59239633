// The main window driven as a user drives it: typed text and clicks.
#include "app/startup.h"
#include "calc/numtext.h"
#include "tests/recorder.h"
#include "ui/UMain.h"
#include "ui/listbox.h"

#include <QApplication>
#include <QClipboard>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <optional>

namespace zentorix {
namespace {

const std::string kTitle = kApplicationTitle;
const char* const kBoxes[] = {"EditR", "EditV", "EditI", "EditP"};

class MainWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        window = std::make_unique<TFrmMain>();
        window->show();
    }

    QLineEdit* Box(const char* name) const { return window->findChild<QLineEdit*>(name); }

    // ASCII is typed key by key; other text arrives as an input method
    // commits it (QTest cannot type it as keys).
    void Type(const char* box, const QString& text) const
    {
        QLineEdit* edit = Box(box);
        edit->clear();
        if (std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 128; })) {
            QTest::keyClicks(edit, text);
        } else {
            QInputMethodEvent commit;
            commit.setCommitString(text);
            QCoreApplication::sendEvent(edit, &commit);
        }
    }

    void Click(const char* button) const
    {
        QTest::mouseClick(window->findChild<QPushButton*>(button), Qt::LeftButton);
    }

    std::vector<QString> Shown() const
    {
        std::vector<QString> texts;
        for (const char* box : kBoxes)
            texts.push_back(Box(box)->text());
        return texts;
    }

    test::MessageBoxRecorder recorder;
    std::unique_ptr<TFrmMain> window;
};

TEST_F(MainWindow, ShowsZerosWhenFirstShown)
{
    EXPECT_EQ(Shown(), (std::vector<QString>{"0", "0", "0", "0"}));
}

TEST_F(MainWindow, RestoringFromMinimisedKeepsWhatWasTyped)
{
    Type("EditV", "12");
    window->showMinimized();
    window->showNormal();
    window->hide();
    window->show();
    EXPECT_EQ(Box("EditV")->text(), "12");
}

struct Computation {
    const char* name;
    QString typed[4];  // R, V, I, P
    const char* button;
    QString shown[4];  // the boxes afterwards
    std::string failure;  // the box's text, empty when none
    double quantities[4];  // R, V, I, P afterwards
};

TEST_F(MainWindow, Computations)
{
    const Computation cases[] = {
        {"R from 12 V and 4 A", {"0", "12", "4", "0"}, "BtnComputeR", {"3", "12", "4", "0"}, "",
            {3, 12, 4, 0}},
        {"V from R and I", {"2", "0", "3", "0"}, "BtnComputeV", {"2", "6", "3", "0"}, "", {2, 6, 3, 0}},
        {"I from V and R", {"4", "2", "0", "0"}, "BtnComputeI", {"4", "2", "0.5", "0"}, "", {4, 2, 0.5, 0}},
        {"P from V and I, R unused", {"9", "2", "3", "0"}, "BtnComputeP", {"9", "2", "3", "6"}, "",
            {9, 2, 3, 6}},
        {"a third", {"0", "1", "3", "0"}, "BtnComputeR", {"0.333333333333333", "1", "3", "0"}, "",
            {1.0 / 3.0, 1, 3, 0}},
        {"blanks around a number", {" 2 ", " 6 ", "3", "0"}, "BtnComputeR", {"2", "6", "3", "0"}, "",
            {2, 6, 3, 0}},
        {"every box is rewritten", {"0", "007", "1", "0"}, "BtnComputeP", {"0", "7", "1", "7"}, "",
            {0, 7, 1, 7}},
        {"a result too small is zero", {"1e-200", "0", "1e-200", "0"}, "BtnComputeV",
            {"1E-200", "0", "1E-200", "0"}, "", {1e-200, 0, 1e-200, 0}},
        // Failures: the quantities read before the failure keep their new
        // values, the faulting one keeps its old one, no box is rewritten.
        {"division by zero", {"7", "5", "0", "0"}, "BtnComputeR", {"7", "5", "0", "0"},
            "Floating point division by zero.", {7, 5, 0, 0}},
        {"zero by zero", {"7", "0", "0", "0"}, "BtnComputeR", {"7", "0", "0", "0"},
            "Invalid floating point operation.", {7, 0, 0, 0}},
        {"I from V and a zero R", {"0", "5", "8", "0"}, "BtnComputeI", {"0", "5", "8", "0"},
            "Floating point division by zero.", {0, 5, 8, 0}},
        {"product past the range", {"1e200", "4", "1e200", "0"}, "BtnComputeV", {"1e200", "4", "1e200", "0"},
            "Floating point overflow.", {1e200, 4, 1e200, 0}},
        {"empty box stops the read", {"2", "", "3", "0"}, "BtnComputeV", {"2", "", "3", "0"},
            "'' is not a valid floating point value.", {2, 0, 0, 0}},
        {"R read although unused", {"", "2", "3", "0"}, "BtnComputeP", {"", "2", "3", "0"},
            "'' is not a valid floating point value.", {0, 0, 0, 0}},
        {"a tab is not a blank", {"1", "\t2", "3", "0"}, "BtnComputeR", {"1", "\t2", "3", "0"},
            "'\t2' is not a valid floating point value.", {1, 0, 0, 0}},
        {"beyond the double range", {"1", "2", "1e400", "0"}, "BtnComputeR", {"1", "2", "1e400", "0"},
            "Floating point overflow.", {1, 2, 0, 0}},
        {"Chinese text", {"电阻", "2", "3", "0"}, "BtnComputeR", {"电阻", "2", "3", "0"},
            "'电阻' is not a valid floating point value.", {0, 0, 0, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        recorder.boxes.clear();
        for (int i = 0; i < 4; ++i) {
            Box(kBoxes[i])->clear();
            // keyClicks cannot type a tab into a line edit: it moves focus.
            if (c.typed[i].contains('\t'))
                Box(kBoxes[i])->setText(c.typed[i]);
            else
                Type(kBoxes[i], c.typed[i]);
        }
        Click(c.button);
        EXPECT_EQ(Shown(), std::vector<QString>(std::begin(c.shown), std::end(c.shown)));
        const double quantities[] = {window->R, window->V, window->I, window->P};
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(quantities[i], c.quantities[i]) << kBoxes[i];
        if (c.failure.empty()) {
            EXPECT_TRUE(recorder.boxes.empty());
        } else {
            ASSERT_EQ(recorder.boxes.size(), 1u);
            EXPECT_EQ(recorder.boxes[0].text, c.failure);
            EXPECT_EQ(recorder.boxes[0].caption, kTitle);
        }
    }
}

TEST_F(MainWindow, SampleValuesAndTheirComputations)
{
    Click("BtnSample");
    EXPECT_EQ(Shown(), (std::vector<QString>{"1", "3", "3", "9"}));
    for (const char* button : {"BtnComputeR", "BtnComputeP", "BtnComputeV", "BtnComputeI"}) {
        SCOPED_TRACE(button);
        Click(button);
        EXPECT_EQ(Shown(), (std::vector<QString>{"1", "3", "3", "9"}));
    }
    EXPECT_TRUE(recorder.boxes.empty());
}

TEST_F(MainWindow, AMegabytePastedIsQuotedWhole)
{
    const QString pasted(1 << 20, '1');
    Box("EditR")->setText(pasted);
    Click("BtnComputeR");
    ASSERT_EQ(recorder.boxes.size(), 1u);
    EXPECT_EQ(recorder.boxes[0].text, "'" + pasted.toStdString() + "' is not a valid floating point value.");
    EXPECT_EQ(Box("EditR")->text(), pasted);
}

// Text pasted from another program is quoted as the box shows it, bytes that
// were not UTF-8 included (they arrive as replacement characters).
TEST_F(MainWindow, InvalidUtf8FromTheClipboard)
{
    auto* data = new QMimeData;
    data->setData("text/plain;charset=utf-8",
        QByteArray("1\xFF\xFE"
                   "2"));
    QGuiApplication::clipboard()->setMimeData(data);
    Box("EditR")->clear();
    Box("EditR")->paste();
    const QString shown = Box("EditR")->text();
    ASSERT_FALSE(shown.isEmpty());
    Click("BtnComputeR");
    ASSERT_EQ(recorder.boxes.size(), 1u);
    EXPECT_EQ(QString::fromStdString(recorder.boxes[0].text),
        "'" + shown + "' is not a valid floating point value.");
    EXPECT_EQ(Box("EditR")->text(), shown);
}

TEST_F(MainWindow, TheProgramGoesOnAfterAFailure)
{
    Type("EditI", "0");
    Type("EditV", "5");
    Click("BtnComputeR");
    Type("EditI", "2");
    Click("BtnComputeR");
    EXPECT_EQ(Box("EditR")->text(), "2.5");
    EXPECT_EQ(recorder.boxes.size(), 1u);
}

struct ListCase {
    const char* name;
    QString list;
    QString series;  // EditRs afterwards
    QString parallel;  // EditRp afterwards
    std::string failure;
};

// The list page: boxes start as "before" so that an unchanged box shows.
TEST_F(MainWindow, SeriesAndParallel)
{
    const QString big = QString("1") + QString(40, '0');
    const ListCase cases[] = {
        {"the initial list", "1.0\n2.0\n3.0", "6", "0.545454545454546", ""},
        {"blank lines skipped", "1\n\n2\n\n", "3", "0.666666666666667", ""},
        {"blanks around a value", "  2.5  ", "2.5", "2.5", ""},
        {"a single value", "47", "47", "47", ""},
        {"tabs and CR trimmed", "\t100\r\n100\r\n", "200", "50", ""},
        {"negative values summed", "-2\n4", "2", "-4", ""},
        {"an empty list", "", "before", "before", ""},
        {"blank lines only", "\n   \n\t\n", "before", "before", ""},
        {"not a number", "1\nabc", "before", "before", "'abc' is not a valid floating point value."},
        {"the trimmed line is quoted", "1\n  a b  ", "before", "before",
            "'a b' is not a valid floating point value."},
        {"a zero", "5\n0", "5", "before", "Floating point division by zero."},
        {"reciprocals summing to zero", "1\n-1", "0", "before", "Floating point division by zero."},
        {"beyond the double range", "1e400", "before", "before", "Floating point overflow."},
        {"a partial sum past the range", "1.7e308\n1.7e308", "before", "before", "Floating point overflow."},
        {"a reciprocal past the range", "4.9e-324", "4.94065645841247E-324", "before",
            "Floating point overflow."},
        // A typed line is one entry however the box wraps it on the screen.
        {"a 40-digit number", big, "1E40", "1E40", ""},
        {"a line longer than 4096 characters", QString(5000, '0') + "7", "7", "7", ""},
        // Each reciprocal stays extended until it is added; each sum is a double.
        {"reciprocals added unrounded", "2\n19\n31", "52", "1.70972423802612", ""},
        {"the series sum rounded at each step", "1E16\n1\n1\n-1E16", "0", "0.5", ""},
        // What the quantity boxes refuse, the list refuses: a no-break space
        // is not a blank.
        {"a no-break space kept", QString::fromUtf8("1\n\u00A02"), "before", "before",
            "'\u00A02' is not a valid floating point value."},
        {"a line separator (Shift+Enter) ends a line", QString::fromUtf8("1\u20282"), "3",
            "0.666666666666667", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        recorder.boxes.clear();
        auto* memo = window->findChild<QPlainTextEdit*>("Memo");
        memo->setPlainText(c.list);
        Box("EditRs")->setText("before");
        Box("EditRp")->setText("before");
        Click("BtnComputeRs");
        EXPECT_EQ(Box("EditRs")->text(), c.series);
        EXPECT_EQ(Box("EditRp")->text(), c.parallel);
        if (c.failure.empty()) {
            EXPECT_TRUE(recorder.boxes.empty());
        } else {
            ASSERT_EQ(recorder.boxes.size(), 1u);
            EXPECT_EQ(recorder.boxes[0].text, c.failure);
            EXPECT_EQ(recorder.boxes[0].caption, kTitle);
        }
    }
}

TEST_F(MainWindow, TypedListIsReadAsTyped)
{
    auto* memo = window->findChild<QPlainTextEdit*>("Memo");
    memo->clear();
    memo->setFocus();
    QTest::keyClicks(memo, "10");
    QTest::keyClick(memo, Qt::Key_Return);
    QTest::keyClicks(memo, "  40  ");
    Click("BtnComputeRs");
    EXPECT_EQ(Box("EditRs")->text(), "50");
    EXPECT_EQ(Box("EditRp")->text(), "8");
}

// A long paste goes in slices while the window answers, takes no typing
// meanwhile, undoes as one step, and Compute pressed meanwhile gives the sums
// of all of it when it is in (the window answering until then).
TEST_F(MainWindow, LongPasteArrivesWholeAndUndoesAsOneStep)
{
    auto* memo = window->findChild<TListBox*>("Memo");
    QString pasted = "\n";
    for (int i = 0; i < 120000; ++i)
        pasted += "2\n";
    pasted += QString(70000, '0') + "4";  // a long line: a slice of its own
    QGuiApplication::clipboard()->setText(pasted);

    for (const bool clickAtOnce : {true, false}) {
        SCOPED_TRACE(clickAtOnce ? "Compute pressed during the paste" : "left to the event loop");
        memo->setPlainText("1");
        memo->moveCursor(QTextCursor::End);
        Box("EditRs")->clear();
        memo->paste();
        EXPECT_TRUE(memo->IsPasting());
        QTest::keyClicks(memo, "9");
        if (clickAtOnce) {
            Click("BtnComputeRs");
            Click("BtnComputeRs");
            EXPECT_TRUE(memo->IsPasting()) << "the window waited for the whole paste";
        }
        ASSERT_TRUE(QTest::qWaitFor([&] { return !memo->IsPasting(); }, 30000)) << "the paste never ended";
        EXPECT_EQ(Box("EditRs")->text(), clickAtOnce ? "240005" : "");
        EXPECT_EQ(memo->toPlainText(), "1" + pasted);
        EXPECT_FALSE(memo->isReadOnly());
        memo->undo();
        EXPECT_EQ(memo->toPlainText(), "1");
    }
}

// The keyboard alone: focus starts on the page control's tabs; Tab and
// Shift+Tab walk the page in front in its order and come back round; Ctrl+Tab
// and Ctrl+PgDn switch pages; Enter presses the focused button.
TEST_F(MainWindow, KeyboardAlone)
{
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    const auto focused = [] {
        QWidget* widget = QApplication::focusWidget();
        return widget == nullptr ? QString("none") : widget->objectName();
    };
    const auto press = [&](int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key(key), modifiers);
    };
    EXPECT_EQ(focused(), "qt_tabwidget_tabbar") << "the page control has the focus at start";

    const struct {
        int page;
        std::vector<QString> order;  // from the tabs, once round
    } pages[] = {
        {1, {"qt_tabwidget_tabbar", "Memo", "EditRs", "EditRp", "BtnComputeRs"}},
        {0,
            {"qt_tabwidget_tabbar", "EditR", "EditV", "EditI", "EditP", "BtnComputeR", "BtnComputeV",
                "BtnComputeI", "BtnComputeP", "BtnSample"}},
    };
    for (const auto& page : pages) {
        SCOPED_TRACE(page.page);
        ASSERT_EQ(window->findChild<QTabWidget*>("PageControl1")->currentIndex(), page.page);
        // Where the focus is, then after each of `count` presses of `key`.
        const auto walk = [&](Qt::Key key, std::size_t count) {
            std::vector<QString> visited{focused()};
            for (std::size_t i = 0; i < count; ++i) {
                press(key);
                visited.push_back(focused());
            }
            return visited;
        };
        const std::vector<QString> forward = walk(Qt::Key_Tab, page.order.size());
        const std::vector<QString> backward = walk(Qt::Key_Backtab, page.order.size());
        std::vector<QString> expected = page.order;
        expected.push_back(page.order.front());
        EXPECT_EQ(forward, expected);
        std::reverse(expected.begin(), expected.end());
        EXPECT_EQ(backward, expected);
        press(Qt::Key_Tab, Qt::ControlModifier);  // to the other page
    }
    const auto* tabs = window->findChild<QTabWidget*>("PageControl1");
    EXPECT_EQ(tabs->currentIndex(), 1) << "Ctrl+Tab comes back round";
    window->findChild<QWidget*>("Memo")->setFocus();  // the list box keeps no page key for itself
    const struct {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        int page;
    } switches[] = {{Qt::Key_PageUp, Qt::ControlModifier, 0}, {Qt::Key_PageDown, Qt::ControlModifier, 1},
        {Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier, 0}};
    for (const auto& s : switches) {
        press(s.key, s.modifiers);
        EXPECT_EQ(tabs->currentIndex(), s.page) << QKeySequence(s.key | s.modifiers).toString().toStdString();
    }

    // Enter on the focused Sample button fills in the sample values.
    window->findChild<QPushButton*>("BtnSample")->setFocus();
    press(Qt::Key_Return);
    EXPECT_EQ(Shown(), (std::vector<QString>{"1", "3", "3", "9"}));
}

}  // namespace
}  // namespace zentorix
