// The settings record: the interface-language choice, remembered between runs
// in an INI file beside the executable.
#pragma once

#include <string>

namespace zentorix {

class TIniDatas {
public:
    // The file name beside the executable, then Load.
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
};

}  // namespace zentorix
