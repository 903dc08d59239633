#include "failures.h"

#include <cstdio>

namespace zentorix {
namespace {

FailureSink sink = nullptr;

}  // namespace

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
