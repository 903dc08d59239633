#include "frame/os/mimeapps.h"

#include "frame/os/boundedscan.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdlib>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace zentorix {
namespace {

// Beyond these the answer is "no program" (and beyond the scan's own limits,
// boundedscan.h): the help pages open instead.
constexpr int kDeepest = 8;  // folders below an applications folder
constexpr std::size_t kMostFolders = 64;  // in each XDG variable

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

std::string Variable(const char* name)
{
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

// A variable's folders as xdg-utils reads them: its value when set and not
// empty, else the default; only absolute paths.
std::vector<std::string> Folders(const char* variable, const std::string& fallback)
{
    const std::string value = Variable(variable);
    std::vector<std::string> folders;
    for (const std::string& folder : Split(value.empty() ? fallback : value, ':')) {
        if (folder.front() == '/')
            folders.push_back(folder);
    }
    if (folders.size() > kMostFolders)
        throw OutOfBounds();
    return folders;
}

std::string Trimmed(const std::string& text)
{
    const auto begin = text.find_first_not_of(" \t");
    if (begin == std::string::npos)
        return {};
    return text.substr(begin, text.find_last_not_of(" \t") - begin + 1);
}

// The first word, as the shell's `read first rest` gives it.
std::string FirstWord(const std::string& text)
{
    const auto begin = text.find_first_not_of(" \t");
    if (begin == std::string::npos)
        return {};
    return text.substr(begin, text.find_first_of(" \t", begin) - begin);
}

bool IsProgram(const std::string& name)
{
    if (name.empty())
        return false;
    const auto executable = [](const std::string& path) {
        struct stat status;
        return stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode) && access(path.c_str(), X_OK) == 0;
    };
    if (name.find('/') != std::string::npos)
        return executable(name);
    for (const std::string& folder : Split(Variable("PATH"), ':')) {
        if (executable(folder + "/" + name))
            return true;
    }
    return false;
}

// The desktop's folders, as xdg-mime and xdg-open find them.
struct Places {
    std::vector<std::string> config;  // where the mimeapps.list files are
    std::vector<std::string> data;  // each with its applications folder
};

Places FindPlaces()
{
    const std::string home = Variable("HOME");
    const std::string configHome = Variable("XDG_CONFIG_HOME");
    const std::string dataHome = Variable("XDG_DATA_HOME");
    Places places;
    places.config = Folders("XDG_CONFIG_DIRS", "/etc/xdg");
    places.config.insert(places.config.begin(), configHome.empty() ? home + "/.config" : configHome);
    places.data = Folders("XDG_DATA_DIRS", "/usr/local/share/:/usr/share/");
    places.data.insert(places.data.begin(), dataHome.empty() ? home + "/.local/share" : dataHome);
    return places;
}

// The value of the first "Exec=" line (a translated one counts too).
std::string ExecLine(const std::string& entry)
{
    for (const std::string& line : Split(entry, '\n')) {
        if (!line.starts_with("Exec"))
            continue;
        std::size_t at = 4;
        if (at < line.size() && line[at] == '[') {
            const auto close = line.find(']', at);
            if (close == std::string::npos || line.find_first_of("]=", at + 1) != close)
                continue;
            at = close + 1;
        }
        if (at < line.size() && line[at] == '=')
            return line.substr(at + 1);
    }
    return {};
}

// Whether the entry named `id` (its name alone counts) is installed and its
// program is there, as xdg-mime checks a default found in a mimeapps.list:
// the first entry by that name decides.
bool EntryHasProgram(BoundedScan& scan, const Places& places, const std::string& id)
{
    const std::string name = id.substr(id.rfind('/') + 1);
    for (const std::string& data : places.data) {
        if (!scan.IsFolder(data + "/applications") && !scan.IsFolder(data + "/applnk"))
            continue;
        std::vector<std::string> candidates;
        if (const auto dash = name.find('-'); dash != std::string::npos) {
            const std::string vendor = name.substr(0, name.rfind('-'));
            const std::string rest = name.substr(dash + 1);
            candidates
                = {data + "/applications/" + vendor + "/" + rest, data + "/applnk/" + vendor + "/" + rest};
        }
        for (const char* top : {"/applications", "/applnk"}) {
            candidates.push_back(data + top + "/" + name);
            for (const std::string& folder : scan.List(data + top, true))
                candidates.push_back(data + top + "/" + folder + "/" + name);
        }
        for (const std::string& candidate : candidates) {
            if (const auto entry = scan.Read(candidate))
                return IsProgram(FirstWord(ExecLine(*entry)));
        }
    }
    return false;
}

// The default named in the "[Default Applications]" group of the
// mimeapps.list files in `folder` (the current desktops' own first), when
// its entry has its program.
std::optional<std::string> DefaultInLists(
    BoundedScan& scan, const Places& places, const std::string& folder, const std::string& type)
{
    std::vector<std::string> prefixes;
    for (std::string desktop : Split(Variable("XDG_CURRENT_DESKTOP"), ':')) {
        std::transform(desktop.begin(), desktop.end(), desktop.begin(),
            [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        prefixes.push_back(desktop + "-");
    }
    prefixes.emplace_back();
    for (const std::string& prefix : prefixes) {
        const auto list = scan.Read(folder + "/" + prefix + "mimeapps.list");
        if (!list)
            continue;
        // Lines as they stand: "type = id" or a group's other name is no match.
        bool inDefaults = false;
        std::string id;
        for (const std::string& line : Split(*list, '\n')) {
            if (line.starts_with("[Default Applications]")) {
                inDefaults = true;
            } else if (line.starts_with("[")) {
                inDefaults = false;
            } else if (inDefaults && line.starts_with(type + "=")) {
                id = line.substr(type.size() + 1);
                break;
            }
        }
        id = id.substr(0, id.find(';'));
        if (!id.empty() && EntryHasProgram(scan, places, id))
            return id;
    }
    return std::nullopt;
}

// The default in the desktop database's caches: the first id on the first
// line that names the type.
std::optional<std::string> DefaultInCaches(
    BoundedScan& scan, const std::string& applications, const std::string& type)
{
    for (const std::string& prefix : {Variable("XDG_MENU_PREFIX"), std::string()}) {
        for (const char* name : {"defaults.list", "mimeinfo.cache"}) {
            const auto cache = scan.Read(applications + "/" + prefix + name);
            if (!cache)
                continue;
            for (const std::string& line : Split(*cache, '\n')) {
                if (line.find(type + "=") == std::string::npos)
                    continue;
                // The second "="-separated field, up to its first ";".
                const std::string fields = line.substr(line.find('=') + 1);
                const std::string id
                    = Trimmed(fields.substr(0, std::min(fields.find('='), fields.find(';'))));
                if (!id.empty())
                    return id;
            }
        }
    }
    return std::nullopt;
}

// An entry's InitialPreference: 0 without one; nothing when the shell's
// comparison would fail on it.
std::optional<long> Preference(const std::string& entry)
{
    const auto at = entry.find("InitialPreference=");
    if (at == std::string::npos)
        return 0;
    const auto from = entry.find('=', at) + 1;
    const std::string value = entry.substr(from, entry.find_first_of("=\n", from) - from);
    long preference = 0;
    const auto [stop, error] = std::from_chars(value.data(), value.data() + value.size(), preference);
    if (!value.empty() && (error != std::errc() || stop != value.data() + value.size()))
        return std::nullopt;
    return preference;
}

// The entries below `folder` whose text names the type (followed by ";"),
// folder by folder: the name of the first with the highest preference.
void EntriesNaming(BoundedScan& scan, const std::string& folder, const std::string& type, int depth,
    std::optional<std::string>& chosen, long& best)
{
    if (depth > kDeepest)
        throw OutOfBounds();
    for (const std::string& name : scan.List(folder, false)) {
        const auto entry = scan.Read(folder + "/" + name);
        if (!entry || entry->find(type + ";") == std::string::npos)
            continue;
        if (const auto preference = Preference(*entry); preference && *preference > best) {
            best = *preference;
            chosen = name;
        }
    }
    for (const std::string& sub : scan.List(folder, true))
        EntriesNaming(scan, folder + "/" + sub, type, depth + 1, chosen, best);
}

// Whether xdg-open finds the entry `id` to start: by its name, or with its
// first "-" as a folder, in an applications folder or any folder below it.
bool Findable(BoundedScan& scan, const std::string& folder, const std::string& id, int depth)
{
    if (depth > kDeepest)
        throw OutOfBounds();
    std::string asFolder = id;
    if (const auto dash = asFolder.find('-'); dash != std::string::npos)
        asFolder[dash] = '/';
    if (scan.IsFile(folder + "/" + id) || scan.IsFile(folder + "/" + asFolder))
        return true;
    for (const std::string& sub : scan.List(folder, true)) {
        if (Findable(scan, folder + "/" + sub, id, depth + 1))
            return true;
    }
    return false;
}

}  // namespace

bool HasApplicationFor(const std::string& mimeType)
{
    try {
        BoundedScan scan;
        const Places places = FindPlaces();
        std::optional<std::string> id;
        for (const std::string& folder : places.config) {
            if (!id)
                id = DefaultInLists(scan, places, folder, mimeType);
        }
        for (const std::string& data : places.data) {
            if (!id)
                id = DefaultInLists(scan, places, data + "/applications", mimeType);
        }
        for (const std::string& data : places.data) {
            if (!id)
                id = DefaultInCaches(scan, data + "/applications", mimeType);
        }
        if (!id) {
            long best = -1;
            for (const std::string& data : places.data)
                EntriesNaming(scan, data + "/applications", mimeType, 0, id, best);
        }
        if (!id)
            return false;
        for (const std::string& data : places.data) {
            if (Findable(scan, data + "/applications", *id, 0))
                return true;
        }
        return false;
    } catch (const OutOfBounds&) {
        return false;
    }
}

}  // namespace zentorix
