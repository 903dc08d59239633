#include "pathrule.h"

namespace zentorix {

std::string ReplaceExtension(std::string_view path, std::string_view extension, CodePage page)
{
    std::size_t i = path.size();
    while (i > 0) {
        --i;
        const char c = path[i];
        if (c != '.' && c != '/' && c != '\\' && c != ':')
            continue;
        if (i > 0 && IsSecondByte(page, path, i)) {
            --i;  // the lead byte in front of it belongs to the same character
            continue;
        }
        if (c == '.')
            return std::string(path.substr(0, i)).append(extension);
        break;
    }
    return std::string(path).append(extension);
}

}  // namespace zentorix
