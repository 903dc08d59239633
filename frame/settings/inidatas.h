// The settings record: the interface-language choice, remembered between runs
// in an INI file beside the executable (or, for a system-wide install, in the
// user's configuration folder).
#pragma once

#include <string>

namespace zentorix {

class TIniDatas {
public:
    // The settings file's name (chosen once, here), then Load.
    TIniDatas();
    // Save. A failure to save cannot leave a destructor: it is shown through
    // the failure sink (the error box) and shutdown goes on.
    ~TIniDatas() noexcept;
    TIniDatas(const TIniDatas&) = delete;
    TIniDatas& operator=(const TIniDatas&) = delete;

    void Load();
    // Raises EIniFileException when the file cannot be written.
    void Save();

    std::string IniFileName;
    bool bChinese = true;  // false: the English interface

private:
    bool inConfigFolder_ = false;  // its folder is made at the first save
};

// The settings file for `executable`: beside it (its name with the extension
// ".ini") when anything by that name is there or this user may create a file
// in its folder (root only where no one else can reach it: one file of
// root's would stand for every user of that copy).
// Otherwise (a system-wide install, or an unknown executable path)
// $XDG_CONFIG_HOME/zentorix/zentorix.ini, ~/.config when the variable is
// unset or not absolute. Always an absolute path. Root given another user's
// folder there (`su` without "-", `sudo -E`) reads it as no file and cannot
// save: it makes nothing in that user's home.
std::string SettingsFileFor(const std::string& executable);

}  // namespace zentorix
