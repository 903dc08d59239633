// Eight characters stored from one word whose lowest byte is the first
// character, whatever the machine's byte order: the digit code builds eight
// digits at a time this way. On a little-endian machine the store is one move.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>

namespace zentorix {

inline void StoreLittleWord(std::uint64_t word, char* bytes)
{
    if constexpr (std::endian::native == std::endian::big)
        word = __builtin_bswap64(word);
    std::memcpy(bytes, &word, 8);
}

}  // namespace zentorix
