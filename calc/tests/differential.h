// Every operation of the software unit on one pair of operands, and the
// same on the x87 (on x86 only), as comparable results.
#pragma once

#include "calc/extended.h"
#include "x87.h"

#include <array>
#include <bit>
#include <cstdint>
#include <cstdio>
#include <iterator>
#include <string>

namespace zentorix::test {

// One result: the 80 bits (a double's 64 in `significand`, an ordering in
// `signExponent`) and the conditions.
struct Result {
    std::uint16_t signExponent;
    std::uint64_t significand;
    Conditions raised;
    bool operator==(const Result&) const = default;
};

inline constexpr const char* kOperations[]
    = {"add", "subtract", "multiply", "divide", "round", "store", "compare", "integer"};
using Results = std::array<Result, std::size(kOperations)>;

inline Result Of(Extended value, Conditions raised)
{
    return {value.SignExponent(), value.Significand(), raised};
}

inline Results Software(Extended a, Extended b, std::int64_t integer)
{
    Results out;
    const auto run = [](auto operation) {
        Conditions raised = 0;
        const Extended value = operation(raised);
        return Of(value, raised);
    };
    out[0] = run([&](Conditions& c) { return Add(a, b, c); });
    out[1] = run([&](Conditions& c) { return Subtract(a, b, c); });
    out[2] = run([&](Conditions& c) { return Multiply(a, b, c); });
    out[3] = run([&](Conditions& c) { return Divide(a, b, c); });
    out[4] = run([&](Conditions& c) { return RoundToWhole(a, c); });
    Conditions stored = 0;
    const double bits = StoreToDouble(a, stored);
    out[5] = {0, std::bit_cast<std::uint64_t>(bits), stored};
    Conditions compared = 0;
    const Ordering ordering = Compare(a, b, compared);
    out[6] = {static_cast<std::uint16_t>(ordering), 0, compared};
    out[7] = Of(Extended::FromInteger(integer), 0);
    return out;
}

inline std::string Describe(const Result& r)
{
    char text[64];
    std::snprintf(text, sizeof text, "%04X %016llX flags %02X", r.signExponent,
        static_cast<unsigned long long>(r.significand), r.raised);
    return text;
}

#ifdef ZENTORIX_HAVE_X87
inline Results Hardware(Extended a, Extended b, std::int64_t integer)
{
    Results out;
    const auto of = [](x87::Outcome o) { return Of(o.value, o.raised); };
    out[0] = of(x87::fadd_(a, b));
    out[1] = of(x87::fsub_(a, b));
    out[2] = of(x87::fmul_(a, b));
    out[3] = of(x87::fdiv_(a, b));
    out[4] = of(x87::frndint_(a));
    const x87::Stored stored = x87::fstl_(a);
    out[5] = {0, stored.bits, stored.raised};
    const x87::Compared compared = x87::fcomi_(a, b);
    out[6] = {static_cast<std::uint16_t>(compared.ordering), 0, compared.raised};
    out[7] = of(x87::fild_(integer));
    return out;
}
#endif

}  // namespace zentorix::test
