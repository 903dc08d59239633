// The INI accessor: one short-lived object bound to one settings file.
#pragma once

#include "calc/failures.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zentorix {

class EIniFileException : public Exception {
public:
    using Exception::Exception;
};

// A text as a 32-bit whole number: leading blanks (code 32 only), then a
// decimal number with an optional sign, or a hexadecimal one after "$", "x",
// "X" or "0x"; nothing may follow. Nothing when the text is not such a number.
std::optional<std::int32_t> TextToWhole(std::string_view text);

class TIniFile {
public:
    explicit TIniFile(std::string fileName) : fileName_(std::move(fileName)) { }
    virtual ~TIniFile() { Flush(); }
    TIniFile(const TIniFile&) = delete;
    TIniFile& operator=(const TIniFile&) = delete;

    // The key's value (at most 2047 bytes), or `defaultValue` when there is none.
    virtual std::string ReadText(
        std::string_view section, std::string_view key, std::string_view defaultValue) const;
    // Raises EIniFileException "Unable to write to <file name>" on failure.
    void WriteText(std::string_view section, std::string_view key, std::string_view value);

    // The value read as a whole number ("0x" taken as "$"), or `defaultValue`.
    std::int32_t ReadNumber(std::string_view section, std::string_view key, std::int32_t defaultValue) const;
    // ReadNumber with the default as 1 or 0; true when the number is not 0.
    bool ReadFlag(std::string_view section, std::string_view key, bool defaultValue) const;
    // "1" for true, "0" for false.
    void WriteFlag(std::string_view section, std::string_view key, bool value);

    // Nothing is cached: every write has reached the disk when it returns.
    void Flush() { }

private:
    std::string fileName_;
};

}  // namespace zentorix
