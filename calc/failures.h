// The failure classes of the numeric core. Failures travel as exceptions and
// stop at the window layer's dispatch wrapper, which shows their message.
#pragma once

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

// The failures that stand for arithmetic faults and their kin.
class EExternal : public Exception {
public:
    using Exception::Exception;
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
// Faults of the same family that the calculator never raises.
ZENTORIX_FAILURE(EIntError, EExternal);
ZENTORIX_FAILURE(EDivByZero, EIntError);
ZENTORIX_FAILURE(EIntOverflow, EIntError);
ZENTORIX_FAILURE(EAccessViolation, EExternal);
ZENTORIX_FAILURE(EPrivilege, EExternal);
ZENTORIX_FAILURE(EStackOverflow, EExternal);
ZENTORIX_FAILURE(EExternalException, EExternal);

#undef ZENTORIX_FAILURE

// Where a failure goes that cannot leave the place it arose in (a
// destructor): the error box once the window layer has set its sink, standard
// error before that.
using FailureSink = void (*)(const Exception&);
void SetFailureSink(FailureSink sink);
void PassOnFailure(const Exception& failure) noexcept;

}  // namespace zentorix
