#include "failuretext.h"

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

std::string WithFullStop(std::string message, CodePage page)
{
    if (message.empty())
        return message;
    std::size_t last = message.size() - 1;
    if (last > 0 && IsSecondByte(page, message, last))
        --last;
    // std::string_view compares its bytes as unsigned char.
    if (std::string_view(message).substr(last) > ".")
        message += '.';
    return message;
}

}  // namespace zentorix
