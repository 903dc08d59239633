// Error presentation: every failure that leaves a handler is shown in one
// modal box captioned with the application title, and the program goes on.
#pragma once

#include "calc/failures.h"
#include "frame/os/codepage.h"

#include <cstdint>
#include <exception>
#include <functional>
#include <string>

class QString;
class QWidget;

namespace zentorix {

// `message` with a full stop appended when its last character, compared
// byte by byte without sign, is greater than ".": after letters, digits, "?",
// ":" and every byte from 0x80 up; not after ".", "!", ")", a blank or a line
// break. In a double-byte code page the last character may be two bytes.
std::string WithFullStop(std::string message, CodePage page);

// Message-box flags and answers, with the platform's values.
namespace mb {
constexpr std::uint32_t kOk = 0x00;
constexpr std::uint32_t kOkCancel = 0x01;
constexpr std::uint32_t kYesNo = 0x04;
constexpr std::uint32_t kIconStop = 0x10;
constexpr std::uint32_t kIconQuestion = 0x20;
constexpr std::uint32_t kIconExclamation = 0x30;
constexpr std::uint32_t kIconInformation = 0x40;
constexpr int kIdOk = 1;
constexpr int kIdCancel = 2;
constexpr int kIdYes = 6;
constexpr int kIdNo = 7;
}  // namespace mb

// The application's own hidden top-level window: it carries the title and
// owns every message box. Set once by the application object.
void SetApplicationWindow(QWidget* window);

// The title as the application window holds it now, cut to 255 bytes.
std::string ApplicationTitle();

// Shows an application-modal box and returns the id of the button that closed
// it, 0 when no box could be shown. Texts are in the system's code page.
int ShowMessageBox(const std::string& text, const std::string& caption, std::uint32_t flags);
// The same, for texts the program holds as Qt text.
int ShowMessageBox(const QString& text, const QString& caption, std::uint32_t flags);

// Replaces the box by `service` (tests record the calls); an empty service
// restores the real box. Returns the previous service.
using MessageBoxService = std::function<int(const std::string&, const std::string&, std::uint32_t)>;
MessageBoxService ReplaceMessageBoxService(MessageBoxService service);

// The failure's message, with the full-stop rule, in a box with the stop icon.
void ShowFailure(const Exception& failure);

// Releases a mouse grab, then shows the failure unless it is an EAbort.
void ReportFailure(std::exception_ptr failure) noexcept;

// Runs a handler; any failure that leaves it is reported, and the caller goes
// on as if the handler had finished. No exception unwinds through Qt.
template <typename Handler> void Dispatch(Handler&& handler) noexcept
{
    try {
        handler();
    } catch (...) {
        ReportFailure(std::current_exception());
    }
}

}  // namespace zentorix
