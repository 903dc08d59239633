// main() of the Qt test programs: the real application object on the
// offscreen platform, titled as the program titles it.
#include "app/application.h"
#include "app/startup.h"
#include "calc/fpu.h"
#include "frame/os/exepath.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    setenv("LC_ALL", "C.UTF-8", 1);
    // The main window reads and writes its settings beside the executable:
    // keep them out of the build folder.
    char folder[] = "/tmp/zentorix-test-XXXXXX";
    const bool made = mkdtemp(folder) != nullptr;
    if (made)
        zentorix::OverrideExecutablePath(std::string(folder) + "/zentorix");
    int result = 0;
    {
        zentorix::TApplication application(argv[0]);
        application.SetTitle(QString::fromUtf8(zentorix::kApplicationTitle));
        result = RUN_ALL_TESTS();
    }
    if (made) {
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }
    return result;
}
