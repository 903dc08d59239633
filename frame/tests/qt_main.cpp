// main() of the frame's Qt tests: a plain application object on the offscreen
// platform, and a hidden window, titled as the program's, as the application
// window whose title the message boxes take.
#include "qt_main.h"
#include "frame/errors.h"

#include <QApplication>
#include <QWidget>

#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    setenv("LC_ALL", "C.UTF-8", 1);
    QApplication application(argc, argv);
    QWidget window;
    window.setWindowTitle(QString::fromUtf8(zentorix::test::kTitle));
    zentorix::SetApplicationWindow(&window);
    const int result = RUN_ALL_TESTS();
    zentorix::SetApplicationWindow(nullptr);
    return result;
}
