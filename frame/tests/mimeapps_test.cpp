// Whether the desktop's opener has a program for the help file's type, from
// the XDG folders as a desktop lays them out.
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
    return "[Desktop Entry]\nType=Application\nName=Viewer\nExec=true %f\n" + extra;
}

// Each row as Debian 12's xdg-open decides it on a desktop of its own.
TEST(HasApplicationFor, WhatXdgOpenWouldOpenTheHelpWith)
{
    const std::string kChm = "MimeType=text/plain;application/vnd.ms-htmlhelp;\n";
    const std::string kDefault = "[Default Applications]\napplication/vnd.ms-htmlhelp=viewer.desktop\n";
    const std::string kLarge = Entry(kChm + "Comment=" + std::string(1 << 20, 'x') + "\n");
    std::string deep = "data/applications";
    for (int level = 0; level < 12; ++level)
        deep += "/d";
    const struct {
        const char* name;
        Files files;
        bool found;
    } cases[] = {
        {"nothing installed", {}, false},
        {"an entry that lists the type", {{"data/applications/viewer.desktop", Entry(kChm)}}, true},
        {"... only under its other name",
            {{"data/applications/viewer.desktop", Entry("MimeType=application/x-chm;\n")}}, false},
        {"... in the system's folder", {{"system/applications/viewer.desktop", Entry(kChm)}}, true},
        {"... in a subfolder", {{"system/applications/kde/viewer.desktop", Entry(kChm)}}, true},
        {"a default, in a subfolder named with a dash",
            {{"data/applications/kde/viewer.desktop", Entry()},
                {"config/mimeapps.list",
                    "[Default Applications]\napplication/vnd.ms-htmlhelp=kde-viewer.desktop\n"}},
            true},
        {"a default whose program is missing",
            {{"data/applications/viewer.desktop", "[Desktop Entry]\nExec=no-such-viewer-here %f\n"},
                {"config/mimeapps.list", kDefault}},
            false},
        {"a default with blanks around \"=\"",
            {{"data/applications/viewer.desktop", Entry()},
                {"config/mimeapps.list",
                    "[Default Applications]\napplication/vnd.ms-htmlhelp = viewer.desktop\n"}},
            false},
        {"an added association",
            {{"data/applications/viewer.desktop", Entry()},
                {"config/mimeapps.list",
                    "[Added Associations]\napplication/vnd.ms-htmlhelp=viewer.desktop;\n"}},
            false},
        {"a default that is not installed", {{"config/mimeapps.list", kDefault}}, false},
        {"the desktop database's cache",
            {{"system/applications/viewer.desktop", Entry()},
                {"system/applications/mimeinfo.cache",
                    "[MIME Cache]\napplication/vnd.ms-htmlhelp=viewer.desktop;other.desktop;\n"}},
            true},
        {"a browser only", {{"data/applications/browser.desktop", Entry("MimeType=text/html;\n")}}, false},
        {"the current desktop's own list",
            {{"data/applications/viewer.desktop", Entry()},
                {"system/applications/xfce-mimeapps.list", kDefault}},
            true},
        {"another desktop's list",
            {{"data/applications/viewer.desktop", Entry()},
                {"system/applications/kde-mimeapps.list", kDefault}},
            false},
        {"a list larger than a mebibyte",
            {{"data/applications/viewer.desktop", Entry()},
                {"config/mimeapps.list", kDefault + "#" + std::string(1 << 20, 'x') + "\n"}},
            false},
        {"twenty entries of a mebibyte",
            [&] {
                Files files;
                for (int entry = 0; entry < 20; ++entry)
                    files.emplace_back("data/applications/big" + std::to_string(entry) + ".desktop", kLarge);
                return files;
            }(),
            false},
        {"an entry twelve folders down", {{deep + "/viewer.desktop", Entry(kChm)}}, false},
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
        EXPECT_EQ(HasApplicationFor("application/vnd.ms-htmlhelp"), c.found);
    }
    for (const char* variable :
        {"XDG_CONFIG_HOME", "XDG_CONFIG_DIRS", "XDG_DATA_HOME", "XDG_DATA_DIRS", "XDG_CURRENT_DESKTOP"})
        unsetenv(variable);
}

}  // namespace
}  // namespace zentorix
