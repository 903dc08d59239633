#include "frame/os/mimeapps.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

namespace zentorix {
namespace {

namespace fs = std::filesystem;

// group -> key -> value, the first of each key kept.
using KeyFile = std::map<std::string, std::map<std::string, std::string>>;

// Larger files are no desktop's lists or entries: they are passed over.
constexpr std::uintmax_t kLargestKeyFile = 1 << 20;

std::string Trimmed(const std::string& text)
{
    const auto begin = text.find_first_not_of(" \t\r");
    if (begin == std::string::npos)
        return {};
    return text.substr(begin, text.find_last_not_of(" \t\r") - begin + 1);
}

std::vector<std::string> Split(const std::string& text, char separator)
{
    std::vector<std::string> parts;
    std::size_t begin = 0;
    while (begin <= text.size()) {
        std::size_t end = text.find(separator, begin);
        if (end == std::string::npos)
            end = text.size();
        if (end > begin)
            parts.push_back(text.substr(begin, end - begin));
        begin = end + 1;
    }
    return parts;
}

KeyFile Read(const fs::path& path)
{
    KeyFile groups;
    struct stat status;
    if (stat(path.c_str(), &status) != 0 || !S_ISREG(status.st_mode)
        || static_cast<std::uintmax_t>(status.st_size) > kLargestKeyFile)
        return groups;
    std::ifstream file(path);
    std::string line;
    std::string group;
    while (std::getline(file, line)) {
        line = Trimmed(line);
        if (line.empty() || line[0] == '#')
            continue;
        if (line.front() == '[' && line.back() == ']') {
            group = line.substr(1, line.size() - 2);
            continue;
        }
        const auto equals = line.find('=');
        if (!group.empty() && equals != std::string::npos)
            groups[group].emplace(Trimmed(line.substr(0, equals)), Trimmed(line.substr(equals + 1)));
    }
    return groups;
}

std::string Value(const KeyFile& file, const std::string& group, const std::string& key)
{
    const auto found = file.find(group);
    if (found == file.end())
        return {};
    const auto value = found->second.find(key);
    return value != found->second.end() ? value->second : std::string();
}

// An XDG base folder: the variable's absolute paths, else the default.
std::vector<fs::path> Folders(const char* variable, const std::string& fallback)
{
    const char* value = std::getenv(variable);
    std::vector<fs::path> folders;
    for (const std::string& folder : Split(value != nullptr && *value != '\0' ? value : fallback, ':')) {
        if (folder.front() == '/')
            folders.emplace_back(folder);
    }
    return folders;
}

std::string Home()
{
    const char* home = std::getenv("HOME");
    return home != nullptr ? home : "";
}

bool IsProgram(const std::string& name)
{
    if (name.find('/') != std::string::npos)
        return access(name.c_str(), X_OK) == 0;
    for (const fs::path& folder : Folders("PATH", "/usr/local/bin:/usr/bin:/bin")) {
        if (access((folder / name).c_str(), X_OK) == 0)
            return true;
    }
    return false;
}

// The installed desktop entries by their ids: the path below an
// applications folder with "/" read as "-", the earlier folder winning.
class Entries {
public:
    explicit Entries(const std::vector<fs::path>& dataFolders)
    {
        for (const fs::path& data : dataFolders) {
            const fs::path applications = data / "applications";
            std::error_code error;
            const auto options = fs::directory_options::skip_permission_denied;
            fs::recursive_directory_iterator it(applications, options, error);
            for (const fs::recursive_directory_iterator end; !error && it != end; it.increment(error)) {
                if (it->path().extension() != ".desktop")
                    continue;
                std::string id = it->path().lexically_relative(applications).string();
                std::replace(id.begin(), id.end(), '/', '-');
                paths_.emplace(id, it->path());
            }
        }
    }

    // An application that can be started: not hidden, with a command, and
    // its TryExec program (if it names one) there.
    bool IsUsable(const std::string& id)
    {
        const auto found = paths_.find(id);
        if (found == paths_.end())
            return false;
        const KeyFile& entry = Entry(found->second);
        const std::string tryExec = Value(entry, "Desktop Entry", "TryExec");
        return Value(entry, "Desktop Entry", "Type") == "Application"
            && Value(entry, "Desktop Entry", "Hidden") != "true"
            && !Value(entry, "Desktop Entry", "Exec").empty() && (tryExec.empty() || IsProgram(tryExec));
    }

    // Whether a usable entry lists the type in its MimeType=, its id not in
    // `removed`.
    bool AnyListing(const std::string& type, const std::set<std::string>& removed)
    {
        for (const auto& [id, path] : paths_) {
            const auto types = Split(Value(Entry(path), "Desktop Entry", "MimeType"), ';');
            if (std::find(types.begin(), types.end(), type) != types.end() && removed.count(id) == 0
                && IsUsable(id))
                return true;
        }
        return false;
    }

private:
    const KeyFile& Entry(const fs::path& path)
    {
        auto found = read_.find(path);
        if (found == read_.end())
            found = read_.emplace(path, Read(path)).first;
        return found->second;
    }

    std::map<std::string, fs::path> paths_;
    std::map<fs::path, KeyFile> read_;
};

// The mimeapps.list files, most important first: in each config folder, then
// in each data folder's applications folder, the current desktops' own lists
// before the common one.
std::vector<KeyFile> Lists(const std::vector<fs::path>& dataFolders)
{
    std::vector<std::string> names;
    const char* desktops = std::getenv("XDG_CURRENT_DESKTOP");
    for (std::string desktop : Split(desktops != nullptr ? desktops : "", ':')) {
        std::transform(desktop.begin(), desktop.end(), desktop.begin(),
            [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        names.push_back(desktop + "-mimeapps.list");
    }
    names.push_back("mimeapps.list");

    std::vector<fs::path> folders = Folders("XDG_CONFIG_HOME", Home() + "/.config");
    for (const fs::path& folder : Folders("XDG_CONFIG_DIRS", "/etc/xdg"))
        folders.push_back(folder);
    for (const fs::path& data : dataFolders)
        folders.push_back(data / "applications");
    std::vector<KeyFile> lists;
    for (const fs::path& folder : folders) {
        for (const std::string& name : names)
            lists.push_back(Read(folder / name));
    }
    return lists;
}

}  // namespace

bool HasApplicationFor(const std::vector<std::string>& mimeTypes)
{
    std::vector<fs::path> dataFolders = Folders("XDG_DATA_HOME", Home() + "/.local/share");
    for (const fs::path& folder : Folders("XDG_DATA_DIRS", "/usr/local/share:/usr/share"))
        dataFolders.push_back(folder);
    const std::vector<KeyFile> lists = Lists(dataFolders);
    Entries entries(dataFolders);

    for (const std::string& type : mimeTypes) {
        // A default that is installed, in the first list that names one.
        for (const KeyFile& list : lists) {
            for (const std::string& id : Split(Value(list, "Default Applications", type), ';')) {
                if (entries.IsUsable(id))
                    return true;
            }
        }
        // An added association, then an entry's own MimeType=, unless a more
        // important list removed it.
        std::set<std::string> removed;
        for (const KeyFile& list : lists) {
            for (const std::string& id : Split(Value(list, "Added Associations", type), ';')) {
                if (removed.count(id) == 0 && entries.IsUsable(id))
                    return true;
            }
            for (const std::string& id : Split(Value(list, "Removed Associations", type), ';'))
                removed.insert(id);
        }
        if (entries.AnyListing(type, removed))
            return true;
    }
    return false;
}

}  // namespace zentorix
