// The x87 instructions themselves, the reference the software unit is
// compared with: each call starts from a fresh unit with every condition
// masked, precision 64 and rounding to nearest, and reports the result and
// the status word's condition bits. Only on x86.
#pragma once

#if defined(__x86_64__) || defined(__i386__)
#define ZENTORIX_HAVE_X87 1

#include "calc/extended.h"

#include <cstdint>
#include <cstring>

namespace zentorix::x87 {

struct Outcome {
    Extended value;
    Conditions raised = 0;
};

inline long double Load(Extended value)
{
    unsigned char bytes[sizeof(long double)] = {};
    const std::uint64_t significand = value.Significand();
    const std::uint16_t signExponent = value.SignExponent();
    std::memcpy(bytes, &significand, 8);
    std::memcpy(bytes + 8, &signExponent, 2);
    long double result;
    std::memcpy(&result, bytes, sizeof result);
    return result;
}

inline Extended Read(long double value)
{
    unsigned char bytes[sizeof(long double)];
    std::memcpy(bytes, &value, sizeof bytes);
    std::uint64_t significand;
    std::uint16_t signExponent;
    std::memcpy(&significand, bytes, 8);
    std::memcpy(&signExponent, bytes + 8, 2);
    return Extended::FromBits(signExponent, significand);
}

constexpr std::uint16_t kAllMasked = 0x037F;

#define ZENTORIX_X87_START "fninit\n\tfldcw %[control]\n\t"

// clang-format 14 and 19 indent an asm statement's operands differently: the
// layout below is kept by hand.
// clang-format off

// "fop %st(1), %st" computes st = st op st(1): the left operand is loaded last.
#define ZENTORIX_X87_BINARY(Instruction)                                                               \
    inline Outcome Instruction##_(Extended left, Extended right)                                       \
    {                                                                                                  \
        const long double l = Load(left), r = Load(right);                                             \
        long double result;                                                                            \
        std::uint16_t status;                                                                          \
        asm volatile(ZENTORIX_X87_START "fldt %[r]\n\tfldt %[l]\n\t" #Instruction " %%st(1), %%st\n\t" \
                                        "fstpt %[result]\n\tfstp %%st(0)\n\tfnstsw %%ax"               \
                     : [result] "=m"(result), "=a"(status)                                             \
                     : [l] "m"(l), [r] "m"(r), [control] "m"(kAllMasked)                               \
                     : "st", "st(1)");                                                                 \
        return {Read(result), static_cast<Conditions>(status & condition::kAll)};                      \
    }

ZENTORIX_X87_BINARY(fadd)
ZENTORIX_X87_BINARY(fsub)
ZENTORIX_X87_BINARY(fmul)
ZENTORIX_X87_BINARY(fdiv)
#undef ZENTORIX_X87_BINARY

inline Outcome frndint_(Extended value)
{
    const long double v = Load(value);
    long double result;
    std::uint16_t status;
    asm volatile(ZENTORIX_X87_START "fldt %[v]\n\tfrndint\n\tfstpt %[result]\n\tfnstsw %%ax"
                 : [result] "=m"(result), "=a"(status)
                 : [v] "m"(v), [control] "m"(kAllMasked)
                 : "st");
    return {Read(result), static_cast<Conditions>(status & condition::kAll)};
}

inline Outcome fild_(std::int64_t integer)
{
    long double result;
    std::uint16_t status;
    asm volatile(ZENTORIX_X87_START "fildll %[integer]\n\tfstpt %[result]\n\tfnstsw %%ax"
                 : [result] "=m"(result), "=a"(status)
                 : [integer] "m"(integer), [control] "m"(kAllMasked)
                 : "st");
    return {Read(result), static_cast<Conditions>(status & condition::kAll)};
}

struct Stored {
    std::uint64_t bits;
    Conditions raised;
};

inline Stored fstl_(Extended value)
{
    const long double v = Load(value);
    std::uint64_t result;
    std::uint16_t status;
    asm volatile(ZENTORIX_X87_START "fldt %[v]\n\tfstpl %[result]\n\tfnstsw %%ax"
                 : [result] "=m"(result), "=a"(status)
                 : [v] "m"(v), [control] "m"(kAllMasked)
                 : "st");
    return {result, static_cast<Conditions>(status & condition::kAll)};
}

struct Compared {
    Ordering ordering;
    Conditions raised;
};

inline Compared fcomi_(Extended left, Extended right)
{
    const long double l = Load(left), r = Load(right);
    bool carry, zero, parity;
    std::uint16_t status;
    asm volatile(ZENTORIX_X87_START "fldt %[r]\n\tfldt %[l]\n\tfcomi %%st(1), %%st\n\t"
                                    "fstp %%st(0)\n\tfstp %%st(0)\n\tfnstsw %%ax"
                 : "=@ccc"(carry), "=@ccz"(zero), "=@ccp"(parity), "=a"(status)
                 : [l] "m"(l), [r] "m"(r), [control] "m"(kAllMasked)
                 : "st", "st(1)");
    const Ordering ordering = parity ? Ordering::Unordered
        : zero                       ? Ordering::Equal
        : carry                      ? Ordering::Less
                                     : Ordering::Greater;
    return {ordering, static_cast<Conditions>(status & condition::kAll)};
}

// clang-format on

#undef ZENTORIX_X87_START

}  // namespace zentorix::x87

#endif
