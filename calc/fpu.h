// The floating-point environment and the checked arithmetic of the calculator.
//
// Every calculation loads its operands into the x87 80-bit extended format,
// performs one operation there and rounds the result to double when it is
// stored. Hardware traps stay masked; a fault is found by testing the x87
// exception flags after the store (cleared first, and the step redone, only
// when a stale fault flag was set), and the destination of a faulting step is
// never written.
#pragma once

#include <cfloat>
#include <cstdint>

static_assert(
    LDBL_MANT_DIG == 64, "long double must be the x87 80-bit extended format: the number rules depend on it");

namespace zentorix {

// Precision 64 bits, rounding to nearest (ties to even), every condition
// masked: faults are detected from the flags, never trapped.
constexpr std::uint16_t kControlWord = 0x037F;

// x87 status-word flags of the three conditions that are failures.
constexpr std::uint16_t kInvalidFlag = 0x01;
constexpr std::uint16_t kZeroDivideFlag = 0x04;
constexpr std::uint16_t kOverflowFlag = 0x08;
constexpr std::uint16_t kFaultFlags = kInvalidFlag | kZeroDivideFlag | kOverflowFlag;

// Reinitialises the x87 unit (flags cleared, registers discarded) and loads
// kControlWord. Run at start-up and after every fault.
void SetFloatingPointEnvironment() noexcept;

std::uint16_t CurrentControlWord() noexcept;

// Raises the failure for the first fault flag set in `status`
// (invalid operation, then division by zero, then overflow).
[[noreturn]] void RaiseFloatingPointFault(std::uint16_t status);

// One extended operation, its result rounded to double. Raise EInvalidOp,
// EZeroDivide or EOverflow when the operation or the store faults.
double CheckedDivide(long double dividend, long double divisor);
double CheckedMultiply(long double left, long double right);
double CheckedAdd(long double left, long double right);
// sum + 1 / value: the reciprocal stays extended, the sum is rounded to double.
double CheckedAddReciprocal(long double sum, long double value);
// Rounds an extended value to double; EOverflow beyond the double range.
double CheckedStore(long double value);

}  // namespace zentorix
