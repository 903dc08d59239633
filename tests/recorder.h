// Records the message boxes the program asks for, instead of showing them.
#pragma once

#include "frame/errors.h"

#include <QString>

#include <ostream>

#include <cstdint>
#include <string>
#include <vector>

namespace zentorix::test {

struct RecordedBox {
    std::string text;
    std::string caption;
    std::uint32_t flags;
};

class MessageBoxRecorder {
public:
    MessageBoxRecorder()
    {
        previous_ = ReplaceMessageBoxService(
            [this](const std::string& text, const std::string& caption, std::uint32_t flags) {
                boxes.push_back({text, caption, flags});
                return mb::kIdOk;
            });
    }
    ~MessageBoxRecorder() { ReplaceMessageBoxService(previous_); }
    MessageBoxRecorder(const MessageBoxRecorder&) = delete;
    MessageBoxRecorder& operator=(const MessageBoxRecorder&) = delete;

    std::vector<RecordedBox> boxes;

private:
    MessageBoxService previous_;
};

}  // namespace zentorix::test

// GoogleTest prints QStrings as text.
inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}
