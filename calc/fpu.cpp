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

// Each operation is one asm block, so that the operation, the store to
// double and the flag test can be neither reordered nor folded.
//
// The flags are read once, after the store. Clearing them first would cost
// more than the operation (fnclex makes that read wait for it), so they are
// cleared only when a fault flag is found set, which an earlier masked fault
// may have left: the operation is then done again from clean flags, and its
// own conditions decide. Its destination is written only when it succeeds.
namespace {

// `step(result, clear)` runs the operation, clearing the flags first when
// `clear` is set, and gives the status word after the store.
template <typename Step> double Checked(Step step)
{
    double result;
    std::uint16_t status = step(result, false);
    if (status & kFaultFlags) [[unlikely]] {
        status = step(result, true);
        if (status & kFaultFlags)
            RaiseFloatingPointFault(status);
    }
    return result;
}

#define ZENTORIX_CLEAR_IF_ASKED    \
    "testb %[clear], %[clear]\n\t" \
    "jz 1f\n\t"                    \
    "fnclex\n"                     \
    "1:\n\t"

// "fop %st(1), %st" computes st = st op st(1): the left operand is loaded last.
#define ZENTORIX_BINARY_STEP(Instruction)                                                        \
    [&](double& result, bool clear) {                                                            \
        std::uint16_t status;                                                                    \
        asm volatile(ZENTORIX_CLEAR_IF_ASKED "fldt %[right]\n\t"                                 \
                                             "fldt %[left]\n\t" Instruction " %%st(1), %%st\n\t" \
                                             "fstpl %[result]\n\t"                               \
                                             "fstp %%st(0)\n\t"                                  \
                                             "fnstsw %%ax"                                       \
                     : [result] "=m"(result), "=a"(status)                                       \
                     : [left] "m"(left), [right] "m"(right), [clear] "q"(clear)                  \
                     : "st", "st(1)");                                                           \
        return status;                                                                           \
    }

}  // namespace

double CheckedDivide(long double left, long double right)
{
    return Checked(ZENTORIX_BINARY_STEP("fdiv"));
}

double CheckedMultiply(long double left, long double right)
{
    return Checked(ZENTORIX_BINARY_STEP("fmul"));
}

double CheckedAdd(long double left, long double right)
{
    return Checked(ZENTORIX_BINARY_STEP("fadd"));
}

#undef ZENTORIX_BINARY_STEP

double CheckedAddReciprocal(long double sum, long double value)
{
    return Checked([&](double& result, bool clear) {
        std::uint16_t status;
        asm volatile(ZENTORIX_CLEAR_IF_ASKED "fldt %[value]\n\t"
                                             "fld1\n\t"
                                             "fdiv %%st(1), %%st\n\t"
                                             "fldt %[sum]\n\t"
                                             "fadd %%st(1), %%st\n\t"
                                             "fstpl %[result]\n\t"
                                             "fstp %%st(0)\n\t"
                                             "fstp %%st(0)\n\t"
                                             "fnstsw %%ax"
                     : [result] "=m"(result), "=a"(status)
                     : [sum] "m"(sum), [value] "m"(value), [clear] "q"(clear)
                     : "st", "st(1)", "st(2)");
        return status;
    });
}

double CheckedStore(long double value)
{
    return Checked([&](double& result, bool clear) {
        std::uint16_t status;
        asm volatile(ZENTORIX_CLEAR_IF_ASKED "fldt %[value]\n\t"
                                             "fstpl %[result]\n\t"
                                             "fnstsw %%ax"
                     : [result] "=m"(result), "=a"(status)
                     : [value] "m"(value), [clear] "q"(clear)
                     : "st");
        return status;
    });
}

#undef ZENTORIX_CLEAR_IF_ASKED

}  // namespace zentorix
