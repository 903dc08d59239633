#include "frame/os/pathrule.h"

namespace zentorix {

std::string ReplaceExtension(std::string_view path, std::string_view extension, CodePage page)
{
    std::size_t i = path.size();
    while (i > 0) {
        --i;
        const char c = path[i];
        if (c != '.' && c != '/' && c != '\\' && c != ':')
            continue;
        // Only a byte that can end a character is taken as a second byte:
        // "." and "/" never can, so the result never names another folder.
        if (i > 0 && IsTrailByte(page, static_cast<unsigned char>(c)) && IsSecondByte(page, path, i)) {
            --i;  // the lead byte in front of it belongs to the same character
            continue;
        }
        if (c == '.')
            return std::string(path.substr(0, i)).append(extension);
        break;
    }
    return std::string(path).append(extension);
}

std::string FolderOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

}  // namespace zentorix
