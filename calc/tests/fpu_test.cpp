#include "calc/failures.h"
#include "calc/fpu.h"
#include "calc/numtext.h"

#include <gtest/gtest.h>

#include <exception>
#include <functional>
#include <limits>
#include <string>

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

// Earlier faults leave nothing behind: each step's own conditions decide.
TEST(CheckedArithmetic, EarlierFaultsAreNotThisStepsFault)
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
        EXPECT_THROW(CheckedDivide(1.0, 0.0), EZeroDivide);
        EXPECT_THROW(CheckedMultiply(1e300, 1e300), EOverflow);
        EXPECT_THROW(TextToReal("1e4999"), EConvertError);
        double result = 0.0;
        EXPECT_NO_THROW(result = c.step());
        EXPECT_EQ(result, c.result);
    }
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

}  // namespace
}  // namespace zentorix
