#include "calc/failures.h"
#include "calc/fpu.h"
#include "calc/numtext.h"

#include <gtest/gtest.h>

#include <exception>
#include <functional>
#include <limits>
#include <string>
#include <typeinfo>

namespace zentorix {
namespace {

enum class Outcome { Value, ZeroDivide, InvalidOp, Overflow };

// Runs `step` into a destination that holds 42 and reports what happened;
// a faulting step must leave the destination as it was.
Outcome RunStep(const std::function<double()>& step, double& destination, std::string& message)
{
    destination = 42.0;
    try {
        destination = step();
        return Outcome::Value;
    } catch (const EZeroDivide& failure) {
        message = failure.Message();
        return Outcome::ZeroDivide;
    } catch (const EInvalidOp& failure) {
        message = failure.Message();
        return Outcome::InvalidOp;
    } catch (const EOverflow& failure) {
        message = failure.Message();
        return Outcome::Overflow;
    }
}

TEST(CheckedArithmetic, ResultsAndFaults)
{
    constexpr double kMax = std::numeric_limits<double>::max();
    const struct {
        const char* name;
        std::function<double()> step;
        Outcome outcome;
        const char* shown;  // the destination's text afterwards
    } cases[] = {
        {"R = V / I with I = 0", [] { return CheckedDivide(5.0, 0.0); }, Outcome::ZeroDivide, "42"},
        {"R = V / I with both 0", [] { return CheckedDivide(0.0, 0.0); }, Outcome::InvalidOp, "42"},
        {"V = R x I past the range", [] { return CheckedMultiply(1e200, 1e200); }, Outcome::Overflow, "42"},
        {"V = R x I below the range", [] { return CheckedMultiply(1e-200, 1e-200); }, Outcome::Value, "0"},
        {"R = 1 / 3", [] { return CheckedDivide(1.0, 3.0); }, Outcome::Value, "0.333333333333333"},
        {"12 / 4", [] { return CheckedDivide(12.0, 4.0); }, Outcome::Value, "3"},
        {"operand order of division", [] { return CheckedDivide(3.0, 12.0); }, Outcome::Value, "0.25"},
        {"sum past the range", [] { return CheckedAdd(kMax, kMax); }, Outcome::Overflow, "42"},
        {"negative sum", [] { return CheckedAdd(-1.5, -1.0); }, Outcome::Value, "-2.5"},
        {"store past the range", [] { return CheckedStore(TextToReal("1e400")); }, Outcome::Overflow, "42"},
        {"store rounds to nearest", [] { return CheckedStore(TextToReal("0.1")); }, Outcome::Value, "0.1"},
        {"reciprocal of zero", [] { return CheckedAddReciprocal(1.0, 0.0); }, Outcome::ZeroDivide, "42"},
        {"reciprocal past the range",
            [] { return CheckedAddReciprocal(0.0, std::numeric_limits<double>::denorm_min()); },
            Outcome::Overflow, "42"},
        {"reciprocal of a negative", [] { return CheckedAddReciprocal(1.0, -4.0); }, Outcome::Value, "0.75"},
    };
    const char* const messages[] = {
        "", "Floating point division by zero", "Invalid floating point operation", "Floating point overflow"};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        double destination;
        std::string message;
        const Outcome outcome = RunStep(c.step, destination, message);
        EXPECT_EQ(outcome, c.outcome);
        EXPECT_EQ(message, messages[static_cast<int>(c.outcome)]);
        EXPECT_EQ(RealToText(destination), c.shown);
    }
}

// A fault flag an earlier step left in the calculator's status word (with
// every fault masked) is not this step's fault: its own conditions decide.
TEST(CheckedArithmetic, StaleFlagsAreNotFaults)
{
    const struct {
        const char* name;
        std::function<double()> step;
        double result;
    } cases[] = {
        {"divide", [] { return CheckedDivide(1.0, 4.0); }, 0.25},
        {"multiply", [] { return CheckedMultiply(2.0, 3.0); }, 6.0},
        {"add", [] { return CheckedAdd(1.0, 2.0); }, 3.0},
        {"add a reciprocal", [] { return CheckedAddReciprocal(1.0, 2.0); }, 1.5},
        {"store", [] { return CheckedStore(0.5); }, 0.5},
        {"read a text", [] { return CheckedStore(TextToReal("2.5")); }, 2.5},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SetFloatingPointEnvironment();
        LoadControlWord(0x137F);  // everything masked
        CheckedDivide(1.0, 0.0);
        CheckedMultiply(1e300, 1e300);
        LoadControlWord(kControlWord);
        ASSERT_EQ(CurrentStatusWord() & kFaultFlags, kZeroDivideFlag | kOverflowFlag);
        double result = 0.0;
        EXPECT_NO_THROW(result = c.step());
        EXPECT_EQ(result, c.result);
    }
    SetFloatingPointEnvironment();
}

// The reciprocals are taken in extended and only the sums are rounded to
// double, which is what makes 1, 2, 3 in parallel show ...546.
TEST(CheckedArithmetic, ParallelOfOneTwoThree)
{
    double sum = 0.0;
    const double sums[] = {1.0, 1.5, 1.8333333333333333};
    const double values[] = {1.0, 2.0, 3.0};
    for (int i = 0; i < 3; ++i) {
        sum = CheckedAddReciprocal(sum, values[i]);
        EXPECT_EQ(sum, sums[i]);
    }
    const double parallel = CheckedDivide(1.0, sum);
    EXPECT_EQ(parallel, 0.5454545454545455);
    EXPECT_EQ(RealToText(parallel), "0.545454545454546");
}

TEST(MapHardwareFault, FaultCodes)
{
    const struct {
        std::uint32_t code;
        const std::type_info& kind;
        const char* message;
    } cases[] = {
        {faultcode::kFloatDivideByZero, typeid(EZeroDivide), "Floating point division by zero"},
        {faultcode::kFloatInexactResult, typeid(EInvalidOp), "Invalid floating point operation"},
        {faultcode::kFloatInvalidOperation, typeid(EInvalidOp), "Invalid floating point operation"},
        {faultcode::kFloatStackCheck, typeid(EInvalidOp), "Invalid floating point operation"},
        {faultcode::kFloatOverflow, typeid(EOverflow), "Floating point overflow"},
        {faultcode::kFloatUnderflow, typeid(EUnderflow), "Floating point underflow"},
        {faultcode::kFloatDenormalOperand, typeid(EUnderflow), "Floating point underflow"},
        {faultcode::kIntegerDivideByZero, typeid(EDivByZero), "Division by zero"},
        {faultcode::kAccessViolation, typeid(EAccessViolation), "Access violation"},
        {0xE0001234, typeid(EExternalException), "External exception E0001234"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        // A fault leaves the unit in any state; the mapping restores it.
        LoadControlWord(0x007F);
        CheckedDivide(1.0, 0.0);
        const std::exception_ptr failure = MapHardwareFault(FaultRecord{c.code});
        EXPECT_EQ(CurrentControlWord(), kControlWord);
        EXPECT_EQ(CurrentStatusWord(), 0);
        try {
            std::rethrow_exception(failure);
        } catch (const EExternal& external) {
            EXPECT_EQ(typeid(external), c.kind);
            EXPECT_EQ(external.Message(), c.message);
            EXPECT_EQ(external.Record().code, c.code);
        }
    }
}

}  // namespace
}  // namespace zentorix
