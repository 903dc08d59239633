#include "failures.h"

#include "fpu.h"

#include <cstdio>

namespace zentorix {
namespace {

FailureSink sink = nullptr;

template <typename Failure> std::exception_ptr Make(const char* message, const FaultRecord& record)
{
    return std::make_exception_ptr(Failure(message, record));
}

}  // namespace

std::exception_ptr MapHardwareFault(const FaultRecord& record)
{
    SetFloatingPointEnvironment();
    switch (record.code) {
    case faultcode::kFloatDivideByZero:
        return Make<EZeroDivide>("Floating point division by zero", record);
    case faultcode::kFloatInexactResult:
    case faultcode::kFloatInvalidOperation:
    case faultcode::kFloatStackCheck:
        return Make<EInvalidOp>("Invalid floating point operation", record);
    case faultcode::kFloatOverflow:
        return Make<EOverflow>("Floating point overflow", record);
    case faultcode::kFloatUnderflow:
    case faultcode::kFloatDenormalOperand:
        return Make<EUnderflow>("Floating point underflow", record);
    case faultcode::kIntegerDivideByZero:
        return Make<EDivByZero>("Division by zero", record);
    case faultcode::kIntegerOverflow:
        return Make<EIntOverflow>("Integer overflow", record);
    case faultcode::kAccessViolation:
        return Make<EAccessViolation>("Access violation", record);
    case faultcode::kPrivilegedInstruction:
        return Make<EPrivilege>("Privileged instruction", record);
    case faultcode::kStackOverflow:
        return Make<EStackOverflow>("Stack overflow", record);
    default: {
        char message[40];
        std::snprintf(message, sizeof message, "External exception %08X", record.code);
        return Make<EExternalException>(message, record);
    }
    }
}

void SetFailureSink(FailureSink newSink)
{
    sink = newSink;
}

void PassOnFailure(const Exception& failure) noexcept
{
    try {
        if (sink != nullptr) {
            sink(failure);
            return;
        }
    } catch (...) {
    }
    std::fprintf(stderr, "%s\n", failure.what());
}

}  // namespace zentorix
