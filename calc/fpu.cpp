#include "fpu.h"

#include "failures.h"

namespace zentorix {
namespace {

struct Unit {
    std::uint16_t controlWord = kControlWord;
    std::uint16_t statusWord = 0;
};

// One unit for the one thread that calculates.
Unit unit;

// The stored result of an operation whose conditions are `raised`: the
// conditions go into the status word, and a fault among them is raised.
double Store(Extended result, Conditions raised)
{
    const double stored = StoreToDouble(result, raised);
    unit.statusWord |= raised;
    if ((raised & ~unit.controlWord & condition::kAll) != 0) [[unlikely]]
        RaiseFloatingPointFault(raised & ~unit.controlWord);
    return stored;
}

}  // namespace

void SetFloatingPointEnvironment() noexcept
{
    unit = Unit{};
}

void LoadControlWord(std::uint16_t controlWord) noexcept
{
    unit.controlWord = controlWord;
}

std::uint16_t CurrentControlWord() noexcept
{
    return unit.controlWord;
}

std::uint16_t CurrentStatusWord() noexcept
{
    return unit.statusWord;
}

void RaiseFloatingPointFault(std::uint16_t status)
{
    using namespace condition;
    FaultRecord record;
    if (status & kInvalid)
        record.code = faultcode::kFloatInvalidOperation;
    else if (status & kDenormal)
        record.code = faultcode::kFloatDenormalOperand;
    else if (status & kZeroDivide)
        record.code = faultcode::kFloatDivideByZero;
    else if (status & kOverflow)
        record.code = faultcode::kFloatOverflow;
    else if (status & kUnderflow)
        record.code = faultcode::kFloatUnderflow;
    else
        record.code = faultcode::kFloatInexactResult;
    std::rethrow_exception(MapHardwareFault(record));
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
