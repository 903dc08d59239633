// Every operation of the software extended arithmetic on any two 80-bit
// patterns and any 64-bit integer gives the x87 instruction's result and
// conditions, bit for bit.
#include "calc/tests/differential.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace zentorix;
    if (size < 28)
        return 0;
    const auto read = [&](std::size_t at) {
        std::uint64_t significand;
        std::uint16_t signExponent;
        std::memcpy(&significand, data + at, 8);
        std::memcpy(&signExponent, data + at + 8, 2);
        return Extended::FromBits(signExponent, significand);
    };
    std::int64_t integer;
    std::memcpy(&integer, data + 20, 8);
    if (test::Software(read(0), read(10), integer) != test::Hardware(read(0), read(10), integer))
        std::abort();
    return 0;
}
