// Reading the reference vectors: tab-separated lines with escaped texts.
#pragma once

#include <fstream>
#include <string>
#include <vector>

namespace zentorix::test {

// The rows of a table, each split at its tabs; no rows when the file is missing.
inline std::vector<std::vector<std::string>> ReadTable(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    std::vector<std::vector<std::string>> rows;
    std::string line;
    while (std::getline(file, line)) {
        std::vector<std::string> fields;
        std::size_t start = 0;
        for (std::size_t tab; (tab = line.find('\t', start)) != std::string::npos; start = tab + 1)
            fields.push_back(line.substr(start, tab - start));
        fields.push_back(line.substr(start));
        rows.push_back(std::move(fields));
    }
    return rows;
}

// \t \r \n \\ and \xNN back to their bytes.
inline std::string Unescape(const std::string& text)
{
    std::string bytes;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            bytes += text[i];
            continue;
        }
        const char kind = text[++i];
        if (kind == 't')
            bytes += '\t';
        else if (kind == 'r')
            bytes += '\r';
        else if (kind == 'n')
            bytes += '\n';
        else if (kind == 'x') {
            bytes += static_cast<char>(std::stoi(text.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else
            bytes += kind;
    }
    return bytes;
}

}  // namespace zentorix::test
