#include "fpu.h"

#include "failures.h"

namespace zentorix {

void SetFloatingPointEnvironment() noexcept
{
    const std::uint16_t word = kControlWord;
    asm volatile("fninit\n\t"
                 "fldcw %0"
                 :
                 : "m"(word));
}

std::uint16_t CurrentControlWord() noexcept
{
    std::uint16_t word;
    asm volatile("fnstcw %0" : "=m"(word));
    return word;
}

void RaiseFloatingPointFault(std::uint16_t status)
{
    FaultRecord record;
    if (status & kInvalidFlag)
        record.code = faultcode::kFloatInvalidOperation;
    else if (status & kZeroDivideFlag)
        record.code = faultcode::kFloatDivideByZero;
    else
        record.code = faultcode::kFloatOverflow;
    std::rethrow_exception(MapHardwareFault(record));
}

// Each operation is one asm block, so that the flag clearing, the operation,
// the store to double and the flag test can be neither reordered nor folded.
// "fop %st(1), %st" computes st = st op st(1): the left operand is loaded last.
#define ZENTORIX_CHECKED_OP(Name, Instruction)                                                      \
    double Name(long double left, long double right)                                                \
    {                                                                                               \
        double result;                                                                              \
        std::uint16_t status;                                                                       \
        asm volatile(ZENTORIX_CLEAR_FAULT_FLAGS "fldt %[right]\n\t"                                 \
                                                "fldt %[left]\n\t" Instruction " %%st(1), %%st\n\t" \
                                                "fstpl %[result]\n\t"                               \
                                                "fstp %%st(0)\n\t"                                  \
                                                "fnstsw %%ax"                                       \
                     : [result] "=m"(result), "=a"(status)                                          \
                     : [left] "m"(left), [right] "m"(right)                                         \
                     : "st", "st(1)");                                                              \
        if (status & kFaultFlags)                                                                   \
            RaiseFloatingPointFault(status);                                                        \
        return result;                                                                              \
    }

ZENTORIX_CHECKED_OP(CheckedDivide, "fdiv")
ZENTORIX_CHECKED_OP(CheckedMultiply, "fmul")
ZENTORIX_CHECKED_OP(CheckedAdd, "fadd")

#undef ZENTORIX_CHECKED_OP

double CheckedAddReciprocal(long double sum, long double value)
{
    double result;
    std::uint16_t status;
    asm volatile(ZENTORIX_CLEAR_FAULT_FLAGS "fldt %[value]\n\t"
                                            "fld1\n\t"
                                            "fdiv %%st(1), %%st\n\t"
                                            "fldt %[sum]\n\t"
                                            "fadd %%st(1), %%st\n\t"
                                            "fstpl %[result]\n\t"
                                            "fstp %%st(0)\n\t"
                                            "fstp %%st(0)\n\t"
                                            "fnstsw %%ax"
                 : [result] "=m"(result), "=a"(status)
                 : [sum] "m"(sum), [value] "m"(value)
                 : "st", "st(1)", "st(2)");
    if (status & kFaultFlags)
        RaiseFloatingPointFault(status);
    return result;
}

double CheckedStore(long double value)
{
    double result;
    std::uint16_t status;
    asm volatile(ZENTORIX_CLEAR_FAULT_FLAGS "fldt %[value]\n\t"
                                            "fstpl %[result]\n\t"
                                            "fnstsw %%ax"
                 : [result] "=m"(result), "=a"(status)
                 : [value] "m"(value)
                 : "st");
    if (status & kFaultFlags)
        RaiseFloatingPointFault(status);
    return result;
}

}  // namespace zentorix
