// The floating-point environment and the checked arithmetic of the calculator.
//
// Every calculation loads its double operands into the extended format,
// performs one operation there and rounds the result to double when it is
// stored (extended.h does the arithmetic). The environment is the state of
// that software unit: a control word whose unmasked conditions are faults,
// and the status word of the conditions raised since the last reset. A
// checked operation whose own conditions include a fault raises its failure
// and leaves its destination unwritten.
#pragma once

#include "extended.h"

#include <cstdint>

namespace zentorix {

// Precision 64 bits, rounding to nearest (ties to even); invalid operation,
// division by zero and overflow are faults, the other conditions masked.
constexpr std::uint16_t kControlWord = 0x1332;

// The status-word bits of the three conditions that are failures.
constexpr std::uint16_t kInvalidFlag = condition::kInvalid;
constexpr std::uint16_t kZeroDivideFlag = condition::kZeroDivide;
constexpr std::uint16_t kOverflowFlag = condition::kOverflow;
constexpr std::uint16_t kFaultFlags = kInvalidFlag | kZeroDivideFlag | kOverflowFlag;

// Resets the unit (status cleared) and loads kControlWord. Run at start-up
// and after every fault.
void SetFloatingPointEnvironment() noexcept;

void LoadControlWord(std::uint16_t controlWord) noexcept;
std::uint16_t CurrentControlWord() noexcept;
std::uint16_t CurrentStatusWord() noexcept;

// Raises the failure for the first condition in `status`, in the x87's order
// of priority (invalid operation, denormal operand, division by zero,
// overflow, underflow, inexact result).
[[noreturn]] void RaiseFloatingPointFault(std::uint16_t status);

// One extended operation, its result rounded to double. Raise EInvalidOp,
// EZeroDivide or EOverflow when the operation or the store faults.
double CheckedDivide(Extended dividend, Extended divisor);
double CheckedMultiply(Extended left, Extended right);
double CheckedAdd(Extended left, Extended right);
// sum + 1 / value: the reciprocal stays extended, the sum is rounded to double.
double CheckedAddReciprocal(Extended sum, Extended value);
// Rounds an extended value to double; EOverflow beyond the double range.
double CheckedStore(Extended value);

}  // namespace zentorix
