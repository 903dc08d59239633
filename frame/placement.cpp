#include "frame/placement.h"

#include <QGuiApplication>
#include <QMargins>
#include <QScreen>
#include <QWidget>

#include <xcb/xcb.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <thread>
#include <vector>

namespace zentorix {
namespace {

// The frame the window manager put around this program's last window: the
// guess for a window whose own frame the window manager does not tell.
std::optional<QMargins> knownFrame;

template <typename Reply> using ReplyPointer = std::unique_ptr<Reply, decltype(&std::free)>;

// The atoms named, asked for together: one round trip.
template <std::size_t N>
std::array<xcb_atom_t, N> Atoms(xcb_connection_t* connection, const char* const (&names)[N])
{
    std::array<xcb_intern_atom_cookie_t, N> cookies;
    for (std::size_t i = 0; i < N; ++i)
        cookies[i]
            = xcb_intern_atom(connection, 0, static_cast<std::uint16_t>(std::strlen(names[i])), names[i]);
    std::array<xcb_atom_t, N> atoms;
    for (std::size_t i = 0; i < N; ++i) {
        const ReplyPointer<xcb_intern_atom_reply_t> reply(
            xcb_intern_atom_reply(connection, cookies[i], nullptr), &std::free);
        atoms[i] = reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
    }
    return atoms;
}

// The CARDINAL values of a window's property, or nothing when it is not set.
std::optional<std::vector<std::uint32_t>> Cardinals(
    xcb_connection_t* connection, xcb_window_t window, xcb_atom_t property, xcb_atom_t type)
{
    const ReplyPointer<xcb_get_property_reply_t> reply(
        xcb_get_property_reply(
            connection, xcb_get_property(connection, 0, window, property, type, 0, 1024), nullptr),
        &std::free);
    if (!reply || reply->type != type || reply->format != 32)
        return std::nullopt;
    const auto* values = static_cast<const std::uint32_t*>(xcb_get_property_value(reply.get()));
    return std::vector<std::uint32_t>(values, values + xcb_get_property_value_length(reply.get()) / 4);
}

// An X11 connection whose window manager tells the frame it will put around
// a window before mapping it (_NET_REQUEST_FRAME_EXTENTS); nothing elsewhere.
struct FrameRequests {
    xcb_connection_t* connection;
    xcb_window_t root;
    xcb_atom_t request;
    xcb_atom_t extents;
};

std::optional<FrameRequests> Offered()
{
    const auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t* connection = x11 != nullptr ? x11->connection() : nullptr;
    if (connection == nullptr)
        return std::nullopt;
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    // Atoms last as long as the X server: asked for once.
    static const auto atoms
        = Atoms(connection, {"_NET_SUPPORTED", "_NET_REQUEST_FRAME_EXTENTS", "_NET_FRAME_EXTENTS"});
    const auto [supportedAtom, request, extents] = atoms;
    const auto supported = Cardinals(connection, root, supportedAtom, XCB_ATOM_ATOM);
    if (!supported || std::find(supported->begin(), supported->end(), request) == supported->end())
        return std::nullopt;
    return FrameRequests{connection, root, request, extents};
}

// The request about `window`, which exists from here on with the type and
// decorations it is shown with; the answer comes as a property on it.
xcb_window_t Ask(const FrameRequests& x, QWidget* window)
{
    const auto id = static_cast<xcb_window_t>(window->winId());
    xcb_client_message_event_t message = {};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = id;
    message.type = x.request;
    xcb_send_event(x.connection, 0, x.root,
        XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
        reinterpret_cast<const char*>(&message));
    xcb_flush(x.connection);
    return id;
}

// A frame is a border and a title bar: one wider than a quarter of the
// screen on any side is a window manager's mistake, and is not believed.
bool Sane(const QMargins& frame, const QWidget* window)
{
    const QSize screen = window->screen()->geometry().size();
    return frame.left() >= 0 && frame.right() >= 0 && frame.top() >= 0 && frame.bottom() >= 0
        && frame.left() <= screen.width() / 4 && frame.right() <= screen.width() / 4
        && frame.top() <= screen.height() / 4 && frame.bottom() <= screen.height() / 4;
}

// The answer, when there is one (a property may hold any 32-bit value).
std::optional<QMargins> Answer(const FrameRequests& x, const QWidget* window)
{
    const auto values
        = Cardinals(x.connection, static_cast<xcb_window_t>(window->winId()), x.extents, XCB_ATOM_CARDINAL);
    if (!values || values->size() != 4)
        return std::nullopt;
    // Left, right, top, bottom, in device pixels.
    const qreal ratio = window->devicePixelRatioF();
    const auto logical = [ratio](std::uint32_t value) {
        return static_cast<int>(std::min<qreal>(std::round(value / ratio), 1 << 24));
    };
    return QMargins(
        logical((*values)[0]), logical((*values)[2]), logical((*values)[1]), logical((*values)[3]));
}

// The frame the window manager announces for `window`: as it answered an
// earlier request, or as it answers one now, waiting a moment for it.
std::optional<QMargins> AnnouncedFrame(QWidget* window)
{
    const auto x = Offered();
    if (!x || window->screen() == nullptr)
        return std::nullopt;
    if (window->testAttribute(Qt::WA_WState_Created)) {
        if (const auto answer = Answer(*x, window))
            return answer;
    }
    Ask(*x, window);
    // A window manager answers in a millisecond or two, a busy one in a
    // quarter of a second: the window waits for it, unshown. One that has let
    // a request go unanswered is not waited for again.
    static bool answers = true;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(answers ? 2 : 0);
    do {
        if (const auto answer = Answer(*x, window))
            return answer;
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    } while (std::chrono::steady_clock::now() < deadline);
    answers = false;
    return std::nullopt;
}

// The frame's width on each side: as the window has it once mapped, else as
// the window manager announces it, else as the program's earlier windows had
// it, else none.
QMargins FrameOf(QWidget* window)
{
    const QRect frame = window->frameGeometry();
    const QRect client = window->geometry();
    std::optional<QMargins> margins;
    if (frame != client) {
        margins = QMargins(client.left() - frame.left(), client.top() - frame.top(),
            frame.right() - client.right(), frame.bottom() - client.bottom());
    } else {
        margins = AnnouncedFrame(window);
    }
    if (margins && Sane(*margins, window))
        knownFrame = margins;
    return knownFrame.value_or(QMargins());
}

}  // namespace

void AskForFrame(QWidget* window)
{
    if (const auto x = Offered())
        Ask(*x, window);
}

void CentreOnScreen(QWidget* window, const QScreen* screen)
{
    // A Wayland compositor places every window itself.
    if (QGuiApplication::platformName().startsWith(QLatin1String("wayland")))
        return;
    if (screen == nullptr)
        screen = QGuiApplication::primaryScreen();
    if (screen == nullptr)
        return;
    // The client area's own position is given, not the frame's: the window
    // manager then puts the frame around it where it stands. A frame larger
    // than the screen has its top left corner (the title bar, the menus) on
    // the screen's.
    const QMargins margins = FrameOf(window);
    const QRect area = screen->availableGeometry();
    QRect frame = window->geometry().marginsAdded(margins);
    frame.moveCenter(area.center());
    frame.moveTopLeft(QPoint(std::max(frame.left(), area.left()), std::max(frame.top(), area.top())));
    window->setGeometry(QRect(frame.topLeft() + QPoint(margins.left(), margins.top()), window->size()));
}

}  // namespace zentorix
