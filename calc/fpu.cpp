#include "fpu.h"

#include "failures.h"

namespace zentorix {
namespace {

// Out of line, so that the operations' own code stays small.
[[noreturn, gnu::cold, gnu::noinline]] void RaiseFault(Conditions faults)
{
    std::rethrow_exception(MapHardwareFault(faults));
}

// The stored result of an operation whose conditions are `raised`; a fault
// among them is raised instead.
double Store(Extended result, Conditions raised)
{
    const double stored = StoreToDouble(result, raised);
    if ((raised & kFaults) != 0) [[unlikely]]
        RaiseFault(raised);
    return stored;
}

}  // namespace

std::exception_ptr MapHardwareFault(Conditions faults)
{
    if (faults & condition::kInvalid)
        return std::make_exception_ptr(EInvalidOp("Invalid floating point operation"));
    if (faults & condition::kZeroDivide)
        return std::make_exception_ptr(EZeroDivide("Floating point division by zero"));
    return std::make_exception_ptr(EOverflow("Floating point overflow"));
}

double CheckedDivide(Extended dividend, Extended divisor)
{
    Conditions raised = 0;
    const Extended result = Divide(dividend, divisor, raised);
    return Store(result, raised);
}

double CheckedMultiply(Extended left, Extended right)
{
    Conditions raised = 0;
    const Extended result = Multiply(left, right, raised);
    return Store(result, raised);
}

double CheckedAdd(Extended left, Extended right)
{
    Conditions raised = 0;
    const Extended result = Add(left, right, raised);
    return Store(result, raised);
}

double CheckedAddReciprocal(Extended sum, Extended value)
{
    Conditions raised = 0;
    const Extended reciprocal = Divide(1.0, value, raised);
    const Extended result = Add(sum, reciprocal, raised);
    return Store(result, raised);
}

double CheckedStore(Extended value)
{
    return Store(value, 0);
}

}  // namespace zentorix
