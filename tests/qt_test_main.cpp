// main() of the Qt test programs: the real application object on the
// offscreen platform, titled as the program titles it.
#include "app/application.h"
#include "app/startup.h"
#include "calc/fpu.h"

#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    setenv("LC_ALL", "C.UTF-8", 1);
    zentorix::SetFloatingPointEnvironment();
    zentorix::TApplication application(argv[0]);
    application.SetTitle(QString::fromUtf8(zentorix::kApplicationTitle));
    return RUN_ALL_TESTS();
}
