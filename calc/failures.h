// The failure classes of the numeric core. Failures travel as exceptions and
// stop at the window layer's dispatch wrapper, which shows their message.
#pragma once

#include <cstdint>
#include <exception>
#include <string>

namespace zentorix {

// The base of every failure the program raises: a message text, nothing else.
class Exception : public std::exception {
public:
    explicit Exception(std::string message) : message_(std::move(message)) { }
    const std::string& Message() const noexcept { return message_; }
    const char* what() const noexcept override { return message_.c_str(); }

private:
    std::string message_;
};

// Abandons a handler without showing anything.
class EAbort : public Exception {
public:
    using Exception::Exception;
};

// A text that is not a number.
class EConvertError : public Exception {
public:
    using Exception::Exception;
};

// Fault codes of a hardware fault record (the values the platform uses).
namespace faultcode {
constexpr std::uint32_t kAccessViolation = 0xC0000005;
constexpr std::uint32_t kFloatDenormalOperand = 0xC000008D;
constexpr std::uint32_t kFloatDivideByZero = 0xC000008E;
constexpr std::uint32_t kFloatInexactResult = 0xC000008F;
constexpr std::uint32_t kFloatInvalidOperation = 0xC0000090;
constexpr std::uint32_t kFloatOverflow = 0xC0000091;
constexpr std::uint32_t kFloatStackCheck = 0xC0000092;
constexpr std::uint32_t kFloatUnderflow = 0xC0000093;
constexpr std::uint32_t kIntegerDivideByZero = 0xC0000094;
constexpr std::uint32_t kIntegerOverflow = 0xC0000095;
constexpr std::uint32_t kPrivilegedInstruction = 0xC0000096;
constexpr std::uint32_t kStackOverflow = 0xC00000FD;
}  // namespace faultcode

// What the hardware reported: the fault code names the condition.
struct FaultRecord {
    std::uint32_t code = 0;
};

// A failure that stands for a hardware fault; it keeps the fault's record.
class EExternal : public Exception {
public:
    EExternal(std::string message, FaultRecord record) : Exception(std::move(message)), record_(record) { }
    const FaultRecord& Record() const noexcept { return record_; }

private:
    FaultRecord record_;
};

#define ZENTORIX_FAILURE(Name, Base) \
    class Name : public Base {       \
    public:                          \
        using Base::Base;            \
    }

ZENTORIX_FAILURE(EMathError, EExternal);
ZENTORIX_FAILURE(EInvalidOp, EMathError);
ZENTORIX_FAILURE(EZeroDivide, EMathError);
ZENTORIX_FAILURE(EOverflow, EMathError);
ZENTORIX_FAILURE(EUnderflow, EMathError);
// Hardware faults the calculator never raises, mapped all the same.
ZENTORIX_FAILURE(EIntError, EExternal);
ZENTORIX_FAILURE(EDivByZero, EIntError);
ZENTORIX_FAILURE(EIntOverflow, EIntError);
ZENTORIX_FAILURE(EAccessViolation, EExternal);
ZENTORIX_FAILURE(EPrivilege, EExternal);
ZENTORIX_FAILURE(EStackOverflow, EExternal);
ZENTORIX_FAILURE(EExternalException, EExternal);

#undef ZENTORIX_FAILURE

// Resets the floating-point environment, then builds the failure that the
// record stands for. Rethrow it with std::rethrow_exception.
std::exception_ptr MapHardwareFault(const FaultRecord& record);

// Where a failure goes that cannot leave the place it arose in (a
// destructor): the error box once the window layer has set its sink, standard
// error before that.
using FailureSink = void (*)(const Exception&);
void SetFailureSink(FailureSink sink);
void PassOnFailure(const Exception& failure) noexcept;

}  // namespace zentorix
