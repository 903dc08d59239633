// The text of the error box, and the silent failure.
#pragma once

#include "calc/failures.h"
#include "codepage.h"

#include <string>

namespace zentorix {

// Abandons a handler without showing anything.
class EAbort : public Exception {
public:
    using Exception::Exception;
};

// `message` with a full stop appended when its last character, compared
// byte by byte without sign, is greater than ".": after letters, digits, "?",
// ":" and every byte from 0x80 up; not after ".", "!", ")", a blank or a line
// break. In a double-byte code page the last character may be two bytes.
std::string WithFullStop(std::string message, CodePage page);

// Where a failure goes that cannot leave the place it arose in (a
// destructor): the error box once the window layer has set its sink, standard
// error before that.
using FailureSink = void (*)(const Exception&);
void SetFailureSink(FailureSink sink);
void PassOnFailure(const Exception& failure) noexcept;

}  // namespace zentorix
