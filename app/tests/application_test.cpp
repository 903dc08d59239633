#include "app/application.h"
#include "calc/numtext.h"
#include "tests/recorder.h"
#include "ui/UMain.h"
#include "ui/pictures.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>

namespace zentorix {
namespace {

// A changed locale gives the next conversion the new mark; texts already
// shown are not rewritten, so a box still showing "0.5" no longer converts.
TEST(Application, LocaleChangeRereadsTheDecimalMark)
{
    test::MessageBoxRecorder recorder;
    TFrmMain window;
    window.show();
    window.findChild<QLineEdit*>("EditV")->setText("1");
    window.findChild<QLineEdit*>("EditI")->setText("2");
    QTest::mouseClick(window.findChild<QPushButton*>("BtnComputeR"), Qt::LeftButton);
    ASSERT_EQ(window.findChild<QLineEdit*>("EditR")->text(), "0.5");

    setenv("LC_ALL", "de_DE.UTF-8", 1);
    QEvent localeChange(QEvent::LocaleChange);
    QCoreApplication::sendEvent(QCoreApplication::instance(), &localeChange);
    EXPECT_EQ(DecimalMark, ',');
    EXPECT_EQ(window.findChild<QLineEdit*>("EditR")->text(), "0.5");

    QTest::mouseClick(window.findChild<QPushButton*>("BtnComputeR"), Qt::LeftButton);
    ASSERT_EQ(recorder.boxes.size(), 1u);
    EXPECT_EQ(recorder.boxes[0].text, "'0.5' is not a valid floating point value.");

    setenv("LC_ALL", "C.UTF-8", 1);
    QCoreApplication::sendEvent(QCoreApplication::instance(), &localeChange);
    EXPECT_EQ(DecimalMark, '.');
}

// What start-up does with pictures (the window icon read, the menu bar
// built) loads none of Qt's image plugins: asking each whether it reads a
// file costs some 3 ms of a 40 ms start. Each test runs in a process of its
// own, so nothing earlier has loaded them (ui/imageplugins.h keeps it so).
TEST(Application, StartsWithoutImagePlugins)
{
    const QPixmap icon = ProgramIcon().pixmap(64);
    ASSERT_FALSE(icon.isNull());
    TFrmMain window;
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    std::ifstream maps("/proc/self/maps");
    for (std::string line; std::getline(maps, line);)
        EXPECT_EQ(line.find("/imageformats/"), std::string::npos) << line;
}

}  // namespace
}  // namespace zentorix
