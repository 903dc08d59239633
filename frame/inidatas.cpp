#include "inidatas.h"

#include "exepath.h"
#include "failuretext.h"
#include "inifile.h"
#include "pathrule.h"

namespace zentorix {

TIniDatas::TIniDatas()
{
    IniFileName = ReplaceExtension(ExecutablePath(), ".ini");
    Load();
}

TIniDatas::~TIniDatas() noexcept
{
    try {
        Save();
    } catch (const Exception& failure) {
        PassOnFailure(failure);
    } catch (...) {
        PassOnFailure(Exception(""));
    }
}

void TIniDatas::Load()
{
    const TIniFile file(IniFileName);
    bChinese = file.ReadFlag("Setting", "bChinese", true);
}

void TIniDatas::Save()
{
    TIniFile file(IniFileName);
    file.WriteFlag("Setting", "bChinese", bChinese);
}

}  // namespace zentorix
