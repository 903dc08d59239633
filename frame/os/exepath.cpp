#include "frame/os/exepath.h"

#include <unistd.h>

#include <vector>

namespace zentorix {
namespace {

std::string overridden;

std::string ReadExecutablePath()
{
    // readlink does not say whether it cut the path short: grow until it fits.
    std::vector<char> buffer(256);
    for (;;) {
        const ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (length < 0)
            return {};
        if (static_cast<std::size_t>(length) < buffer.size())
            return std::string(buffer.data(), static_cast<std::size_t>(length));
        buffer.resize(buffer.size() * 2);
    }
}

}  // namespace

const std::string& ExecutablePath()
{
    static const std::string held = ReadExecutablePath();
    return overridden.empty() ? held : overridden;
}

void OverrideExecutablePath(std::string path)
{
    overridden = std::move(path);
}

}  // namespace zentorix
