// Whether the desktop has a program for the help file's type, from the XDG
// folders as a desktop lays them out.
#include "frame/os/mimeapps.h"
#include "temp_folder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <utility>
#include <vector>

namespace zentorix {
namespace {

using Files = std::vector<std::pair<std::string, std::string>>;  // path below the folder, contents

std::string Entry(const std::string& extra = "")
{
    return "[Desktop Entry]\nType=Application\nName=Viewer\nExec=viewer %f\n" + extra;
}

TEST(HasApplicationFor, FindsWhatTheDesktopWouldOpenTheHelpWith)
{
    const std::string kChm = "MimeType=text/plain;application/vnd.ms-htmlhelp;\n";
    const struct {
        const char* name;
        Files files;
        bool found;
    } cases[] = {
        {"nothing installed", {}, false},
        {"an entry that lists the type", {{"data/applications/viewer.desktop", Entry(kChm)}}, true},
        {"... under its other name",
            {{"data/applications/viewer.desktop", Entry("MimeType=application/x-chm\n")}}, true},
        {"... in the system's folder", {{"system/applications/viewer.desktop", Entry(kChm)}}, true},
        {"... in a subfolder, named with a dash",
            {{"data/applications/kde/viewer.desktop", Entry()},
                {"config/mimeapps.list", "[Default Applications]\napplication/x-chm=kde-viewer.desktop\n"}},
            true},
        {"a browser only", {{"data/applications/browser.desktop", Entry("MimeType=text/html;\n")}}, false},
        {"hidden", {{"data/applications/viewer.desktop", Entry(kChm + "Hidden=true\n")}}, false},
        {"hidden by the user's copy",
            {{"system/applications/viewer.desktop", Entry(kChm)},
                {"data/applications/viewer.desktop", Entry("Hidden=true\n")}},
            false},
        {"its TryExec program missing",
            {{"data/applications/viewer.desktop", Entry(kChm + "TryExec=no-such-viewer-here\n")}}, false},
        {"not an application", {{"data/applications/viewer.desktop", "[Desktop Entry]\nType=Link\n" + kChm}},
            false},
        {"association removed",
            {{"data/applications/viewer.desktop", Entry(kChm)},
                {"config/mimeapps.list",
                    "[Removed Associations]\napplication/vnd.ms-htmlhelp=viewer.desktop;\n"}},
            false},
        {"association added",
            {{"data/applications/viewer.desktop", Entry()},
                {"config/mimeapps.list",
                    "[Added Associations]\napplication/vnd.ms-htmlhelp=viewer.desktop;\n"}},
            true},
        {"a default that is not installed",
            {{"config/mimeapps.list", "[Default Applications]\napplication/vnd.ms-htmlhelp=gone.desktop\n"}},
            false},
        {"the current desktop's own list",
            {{"data/applications/viewer.desktop", Entry()},
                {"system/applications/xfce-mimeapps.list",
                    "[Default Applications]\napplication/vnd.ms-htmlhelp=viewer.desktop\n"}},
            true},
        {"another desktop's list",
            {{"data/applications/viewer.desktop", Entry()},
                {"system/applications/kde-mimeapps.list",
                    "[Default Applications]\napplication/vnd.ms-htmlhelp=viewer.desktop\n"}},
            false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const test::TempFolder folder;
        for (const char* sub : {"config", "system-config", "data/applications", "system/applications"})
            std::filesystem::create_directories(folder.Path(sub));
        for (const auto& [path, contents] : c.files) {
            std::filesystem::create_directories(std::filesystem::path(folder.Path(path)).parent_path());
            test::WriteFile(folder.Path(path), contents);
        }
        setenv("XDG_CONFIG_HOME", folder.Path("config").c_str(), 1);
        setenv("XDG_CONFIG_DIRS", folder.Path("system-config").c_str(), 1);
        setenv("XDG_DATA_HOME", folder.Path("data").c_str(), 1);
        setenv("XDG_DATA_DIRS", folder.Path("system").c_str(), 1);
        setenv("XDG_CURRENT_DESKTOP", "XFCE", 1);
        EXPECT_EQ(HasApplicationFor({"application/vnd.ms-htmlhelp", "application/x-chm"}), c.found);
    }
    for (const char* variable :
        {"XDG_CONFIG_HOME", "XDG_CONFIG_DIRS", "XDG_DATA_HOME", "XDG_DATA_DIRS", "XDG_CURRENT_DESKTOP"})
        unsetenv(variable);
}

}  // namespace
}  // namespace zentorix
