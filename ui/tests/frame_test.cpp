// The windows' frames: captions, fixed size, what is in front, and that
// every caption fits the space its control leaves for it.
#include "captions.h"
#include "tests/recorder.h"
#include "ui/UAboutBox.h"
#include "ui/UMain.h"
#include "ui/UVisitePhone.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPlainTextEdit>
#include <QStyle>
#include <QStyleOptionMenuItem>
#include <QTabBar>
#include <QTabWidget>

#include <gtest/gtest.h>

namespace zentorix {
namespace {

TEST(MainWindowFrame, MenusInOrderWithoutShortcutsOrChecks)
{
    TFrmMain window;
    const auto* bar = window.findChild<QMenuBar*>("MainMnu");
    ASSERT_NE(bar, nullptr);
    std::vector<std::string> layout;
    for (QAction* title : bar->actions()) {
        layout.push_back(title->menu()->objectName().toStdString());
        for (QAction* item : title->menu()->actions()) {
            layout.push_back("  " + item->objectName().toStdString());
            EXPECT_TRUE(item->shortcut().isEmpty()) << item->objectName().toStdString();
            EXPECT_FALSE(item->isChecked()) << item->objectName().toStdString();
        }
    }
    const std::vector<std::string> expected = {"MnuFile", "  MnuExit", "MnuSet", "  MnuChinese",
        "  MnuEnglish", "MnuHelp", "  MnuContent", "  MnuWeb", "  MnuPhone", "  N1", "  MnuAbout"};
    EXPECT_EQ(layout, expected);
    EXPECT_TRUE(window.findChild<QAction*>("N1")->isSeparator());
}

TEST(MainWindowFrame, FixedSizeWithoutMaximise)
{
    TFrmMain window;
    window.show();
    EXPECT_EQ(window.minimumSize(), window.maximumSize());
    EXPECT_EQ(window.centralWidget()->size(), QSize(805, 465));
    EXPECT_EQ(window.height(), 465 + window.menuBar()->height());
    EXPECT_FALSE(window.windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(window.windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_EQ(window.windowIcon().availableSizes().size(), 5);
    // The menu bar's overflow icon, read only when drawn, is there then.
    EXPECT_FALSE(
        window.style()->standardIcon(QStyle::SP_ToolBarHorizontalExtensionButton).pixmap(16).isNull());
}

TEST(MainWindowFrame, SeriesParallelPageInFrontWithThreeLines)
{
    test::MessageBoxRecorder recorder;
    TFrmMain window;
    window.show();
    const auto* pages = window.findChild<QTabWidget*>("PageControl1");
    EXPECT_EQ(pages->currentWidget()->objectName(), "TabSheet1");
    EXPECT_EQ(pages->widget(0)->objectName(), "TabRPVI");
    EXPECT_EQ(window.findChild<QPlainTextEdit*>("Memo")->toPlainText(), "1.0\n2.0\n3.0");
    EXPECT_TRUE(window.findChild<QLineEdit*>("EditRs")->text().isEmpty());
}

TEST(MainWindowFrame, AccessibleNamesAndBuddies)
{
    TFrmMain window;
    for (QLabel* label : window.findChildren<QLabel*>()) {
        if (QWidget* box = label->buddy()) {
            EXPECT_EQ(box->accessibleName(), label->text()) << label->objectName().toStdString();
        }
    }
    for (QAbstractButton* button : window.findChildren<QAbstractButton*>()) {
        if (!button->text().isEmpty()) {
            EXPECT_EQ(button->accessibleName(), button->text()) << button->objectName().toStdString();
        }
    }
    for (const char* box : {"EditR", "EditV", "EditI", "EditP", "EditRs", "EditRp", "Memo"})
        EXPECT_FALSE(window.findChild<QWidget*>(box)->accessibleName().isEmpty()) << box;
}

// Whether the style draws the menu item in full at the menu's width: drawn
// again far wider, the same columns show the same pixels (an elided text
// would differ).
bool DrawnInFull(const QMenu* menu, const QAction* action)
{
    struct Probe : QMenu {
        using QMenu::initStyleOption;
    };
    QStyleOptionMenuItem option;
    (menu->*&Probe::initStyleOption)(&option, action);
    const qreal ratio = menu->devicePixelRatioF();
    const auto draw = [&](int width) {
        option.rect = QRect(0, 0, width, menu->actionGeometry(const_cast<QAction*>(action)).height());
        QImage image(option.rect.size() * ratio, QImage::Format_ARGB32);
        image.setDevicePixelRatio(ratio);
        image.fill(Qt::white);
        QPainter painter(&image);
        menu->style()->drawControl(QStyle::CE_MenuItem, &option, &painter, menu);
        return image;
    };
    const int width = menu->actionGeometry(const_cast<QAction*>(action)).width();
    const QImage atWidth = draw(width);
    return atWidth == draw(width + 400).copy(atWidth.rect());
}

// Every caption fits the space its control leaves for it at its fixed size,
// with the font the program uses, at the scale factor the test runs with.
void ExpectCaptionsFit(QWidget& window)
{
    window.show();
    const QStyle* style = window.style();
    const int frame = style->pixelMetric(QStyle::PM_DefaultFrameWidth);
    for (QLabel* label : window.findChildren<QLabel*>()) {
        SCOPED_TRACE(label->objectName().toStdString());
        const QRect space = label->contentsRect();
        if (label->wordWrap()) {
            EXPECT_LE(label->heightForWidth(space.width()), space.height());
        } else {
            EXPECT_LE(label->fontMetrics().horizontalAdvance(label->text()), space.width());
        }
    }
    for (QAbstractButton* button : window.findChildren<QAbstractButton*>()) {
        if (button->text().isEmpty() || button->objectName() == "qt_menubar_ext_button")
            continue;  // the tab bar's scroll arrows, the menu bar's overflow
        SCOPED_TRACE(button->objectName().toStdString());
        const int margin = style->pixelMetric(QStyle::PM_ButtonMargin);
        EXPECT_LE(
            button->fontMetrics().horizontalAdvance(button->text()), button->width() - 2 * (margin + frame));
        EXPECT_LE(button->fontMetrics().height(), button->height() - 2 * frame);
    }
    for (QLineEdit* box : window.findChildren<QLineEdit*>()) {
        SCOPED_TRACE(box->objectName().toStdString());
        const QMargins margins = box->textMargins();
        const int inner = box->height() - 2 * frame - 2 /* the box's own vertical margin */ - margins.top()
            - margins.bottom();
        EXPECT_LE(box->fontMetrics().height(), inner);
    }
    for (const QTabWidget* pages : window.findChildren<QTabWidget*>()) {
        int tabs = 0;
        for (int i = 0; i < pages->count(); ++i) {
            SCOPED_TRACE(pages->tabText(i).toStdString());
            const QRect tab = pages->tabBar()->tabRect(i);
            EXPECT_LE(pages->fontMetrics().horizontalAdvance(pages->tabText(i)), tab.width());
            tabs += tab.width();
        }
        EXPECT_LE(tabs, pages->width());
    }
    for (QGroupBox* group : window.findChildren<QGroupBox*>())
        EXPECT_LE(group->fontMetrics().horizontalAdvance(group->title()), group->width());
    for (QMenuBar* bar : window.findChildren<QMenuBar*>()) {
        for (const QAction* title : bar->actions()) {
            SCOPED_TRACE(title->text().toStdString());
            EXPECT_LE(bar->fontMetrics().horizontalAdvance(QString(title->text()).remove('&')),
                bar->actionGeometry(const_cast<QAction*>(title)).width());
        }
    }
    for (QMenu* menu : window.findChildren<QMenu*>()) {
        if (menu->objectName().isEmpty())
            continue;  // the menu bar's overflow menu, never shown at this width
        menu->popup(QPoint(0, 0));  // laid out as the user sees it
        for (const QAction* action : menu->actions()) {
            SCOPED_TRACE(action->text().toStdString());
            if (!action->isSeparator()) {
                EXPECT_TRUE(DrawnInFull(menu, action));
            }
        }
        menu->hide();
    }
}

TEST(MainWindowFrame, NothingClipped)
{
    TFrmMain window;
    ExpectCaptionsFit(window);
}

TEST(DialogFrames, NothingClipped)
{
    TAboutBox about;
    ExpectCaptionsFit(about);
    TFrmVisitePhone phone;
    ExpectCaptionsFit(phone);
}

}  // namespace
}  // namespace zentorix
