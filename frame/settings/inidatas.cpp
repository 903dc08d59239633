#include "frame/settings/inidatas.h"

#include "frame/os/codepage.h"
#include "frame/os/exepath.h"
#include "frame/os/pathrule.h"
#include "frame/settings/inifile.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <vector>

namespace zentorix {
namespace {

bool IsAbsolute(const char* path)
{
    return path != nullptr && path[0] == '/';
}

// The user's home folder: $HOME when it is absolute, else the password
// database's entry for this user.
std::string HomeFolder()
{
    if (const char* home = std::getenv("HOME"); IsAbsolute(home))
        return home;
    long size = sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(size > 0 ? static_cast<std::size_t>(size) : 16384);
    passwd entry;
    passwd* found = nullptr;
    if (getpwuid_r(geteuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found != nullptr
        && IsAbsolute(found->pw_dir))
        return found->pw_dir;
    return "/";  // never a name relative to the working folder
}

std::string ConfigFile()
{
    const char* config = std::getenv("XDG_CONFIG_HOME");
    std::string folder = IsAbsolute(config) ? std::string(config) : HomeFolder() + "/.config";
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    return (folder == "/" ? "" : folder) + "/zentorix/zentorix.ini";
}

// Creates each missing folder on the way to `file`, private to this user.
// Failures are left to the write that follows, which reports the file.
void MakeFoldersFor(const std::string& file)
{
    const std::string folder = FolderOf(file);
    for (std::size_t slash = folder.find('/', 1);; slash = folder.find('/', slash + 1)) {
        const std::string step = folder.substr(0, slash);
        if (mkdir(step.c_str(), 0700) != 0 && errno != EEXIST)
            return;
        if (slash == std::string::npos)
            return;
    }
}

// Whether the folder of a settings file under the config home may be used:
// missing (it is made, private to this user), or this user's, or root's with
// no one else able to write it; a link to it counts as the link's owner's
// too. Another user's folder there (a config home in a shared folder) could
// steer the file anywhere.
bool IsOwnFolder(const std::string& folder)
{
    const auto trusted = [](const struct stat& status) {
        return status.st_uid == geteuid() || (status.st_uid == 0 && (status.st_mode & 022) == 0);
    };
    struct stat link;
    if (lstat(folder.c_str(), &link) != 0)
        return errno == ENOENT;
    struct stat target;
    return trusted(link) && stat(folder.c_str(), &target) == 0 && S_ISDIR(target.st_mode) && trusted(target);
}

// Whether root was given another user's folder (`su` without "-", `sudo -E`
// keep the user's HOME): the nearest part of `folder` that exists is not
// root's. A folder root made there would lock that user out of it.
bool OthersFolderForRoot(const std::string& folder)
{
    if (geteuid() != 0)
        return false;
    for (std::string part = folder;; part = FolderOf(part)) {
        struct stat status;
        if (lstat(part.c_str(), &status) == 0)
            return status.st_uid != 0;
        if (part == "/" || part == ".")
            return false;
    }
}

// Whether no one but root can reach `folder`: it or a folder above it is
// root's and closed to everyone else. A file root makes beside an executable
// that others can run would be read by them instead of theirs, and they
// could not write it.
bool OnlyRootReaches(const std::string& folder)
{
    for (std::string part = folder;; part = FolderOf(part)) {
        struct stat status;
        if (stat(part.c_str(), &status) == 0 && status.st_uid == 0 && (status.st_mode & 0011) == 0)
            return true;
        if (part == "/" || part == ".")
            return false;
    }
}

}  // namespace

std::string SettingsFileFor(const std::string& executable)
{
    if (!executable.empty()) {
        std::string beside = ReplaceExtension(executable, ".ini");
        const std::string folder = FolderOf(beside);
        struct stat status;
        if (lstat(beside.c_str(), &status) == 0)
            return beside;
        if (faccessat(AT_FDCWD, folder.c_str(), W_OK | X_OK, AT_EACCESS) == 0
            && (geteuid() != 0 || OnlyRootReaches(folder)))
            return beside;
    }
    return ConfigFile();
}

TIniDatas::TIniDatas()
{
    IniFileName = SettingsFileFor(ExecutablePath());
    inConfigFolder_ = IniFileName != ReplaceExtension(ExecutablePath(), ".ini");
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
    if (inConfigFolder_ && !IsOwnFolder(FolderOf(IniFileName))) {
        bChinese = true;  // another user's folder: as if there were no file
        return;
    }
    const TIniFile file(IniFileName);
    bChinese = file.ReadFlag("Setting", "bChinese", true);
}

void TIniDatas::Save()
{
    if (inConfigFolder_) {
        if (OthersFolderForRoot(FolderOf(IniFileName)))
            throw EIniFileException("Unable to write to " + PathForMessage(IniFileName));
        MakeFoldersFor(IniFileName);
        if (!IsOwnFolder(FolderOf(IniFileName)))
            throw EIniFileException("Unable to write to " + PathForMessage(IniFileName));
    }
    TIniFile file(IniFileName);
    file.WriteFlag("Setting", "bChinese", bChinese);
}

}  // namespace zentorix
