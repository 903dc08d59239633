// Eight characters as one word whose lowest byte is the first character,
// whatever the machine's byte order: the digit code looks at eight digits at
// a time this way. On a little-endian machine a load or store is one move.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>

namespace zentorix {

inline std::uint64_t LoadLittleWord(const char* bytes)
{
    std::uint64_t word;
    std::memcpy(&word, bytes, 8);
    if constexpr (std::endian::native == std::endian::big)
        word = __builtin_bswap64(word);
    return word;
}

inline void StoreLittleWord(std::uint64_t word, char* bytes)
{
    if constexpr (std::endian::native == std::endian::big)
        word = __builtin_bswap64(word);
    std::memcpy(bytes, &word, 8);
}

}  // namespace zentorix
