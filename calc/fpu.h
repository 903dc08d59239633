// The checked arithmetic of the calculator.
//
// Every calculation loads its double operands into the extended format,
// performs one operation there (64 bits of precision, rounding to nearest,
// ties to even) and rounds the result to double when it is stored
// (extended.h does the arithmetic). Invalid operation, division by zero and
// overflow are faults: a checked operation whose own conditions include one
// raises its failure and leaves its destination unwritten. The other
// conditions only give their default results (an underflow is a subnormal or
// zero).
#pragma once

#include "extended.h"

#include <exception>

namespace zentorix {

// The conditions that are faults.
constexpr Conditions kFaults = condition::kInvalid | condition::kZeroDivide | condition::kOverflow;

// The failure for the first fault among `faults`, in the x87's order of
// priority: EInvalidOp, EZeroDivide, then EOverflow, each with its fixed
// message.
std::exception_ptr MapHardwareFault(Conditions faults);

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
