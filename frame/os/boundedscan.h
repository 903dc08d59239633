// Files and folders read within fixed limits, for the desktop's lists and
// entries: a hostile folder (huge files, endless listings, /proc, a FIFO)
// costs at most these, and the window never waits on it. No Qt.
#pragma once

#include <chrono>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace zentorix {

// Thrown when a limit is passed: the caller's answer is then "not found".
struct OutOfBounds { };

// One scan's reads: at most 2,000 files of 1 MiB each and 8 MiB in all,
// 20,000 folder entries, and 150 ms.
class BoundedScan {
public:
    // The contents of a regular file, opened without waiting; nothing when
    // there is none by that name.
    std::optional<std::string> Read(const std::string& path);

    bool IsFile(const std::string& path);
    bool IsFolder(const std::string& path);

    // The names in a folder that a shell's glob gives ("*/" when `folders`,
    // else "*.desktop"), sorted; none when it is not a folder.
    std::vector<std::string> List(const std::string& folder, bool folders);

private:
    void Tick() const;

    const std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
    int files_ = 0;
    int entries_ = 0;
    std::size_t bytes_ = 0;
};

}  // namespace zentorix
