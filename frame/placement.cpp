#include "placement.h"

#include <QGuiApplication>
#include <QMargins>
#include <QScreen>
#include <QWidget>

#include <xcb/xcb.h>

#include <algorithm>
#include <chrono>
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

xcb_atom_t Atom(xcb_connection_t* connection, const char* name)
{
    const ReplyPointer<xcb_intern_atom_reply_t> reply(
        xcb_intern_atom_reply(connection,
            xcb_intern_atom(connection, 0, static_cast<std::uint16_t>(std::strlen(name)), name), nullptr),
        &std::free);
    return reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
}

// The CARDINAL values of a window's property, or nothing when it is not set.
std::optional<std::vector<std::uint32_t>> Cardinals(
    xcb_connection_t* connection, xcb_window_t window, xcb_atom_t property, xcb_atom_t type)
{
    const ReplyPointer<xcb_get_property_reply_t> reply(
        xcb_get_property_reply(connection, xcb_get_property(connection, 0, window, property, type, 0, 1024), nullptr),
        &std::free);
    if (!reply || reply->type != type || reply->format != 32)
        return std::nullopt;
    const auto* values = static_cast<const std::uint32_t*>(xcb_get_property_value(reply.get()));
    return std::vector<std::uint32_t>(values, values + xcb_get_property_value_length(reply.get()) / 4);
}

// Asks an X11 window manager for the frame it will put around `window` when
// it maps it (_NET_REQUEST_FRAME_EXTENTS), and waits a moment for the answer.
// Nothing when the window manager does not offer that or does not answer.
std::optional<QMargins> RequestFrame(QWidget* window)
{
    const auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t* connection = x11 != nullptr ? x11->connection() : nullptr;
    if (connection == nullptr || window->screen() == nullptr)
        return std::nullopt;
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    const xcb_atom_t request = Atom(connection, "_NET_REQUEST_FRAME_EXTENTS");
    const xcb_atom_t extents = Atom(connection, "_NET_FRAME_EXTENTS");
    const auto supported = Cardinals(connection, root, Atom(connection, "_NET_SUPPORTED"), XCB_ATOM_ATOM);
    if (!supported || std::find(supported->begin(), supported->end(), request) == supported->end())
        return std::nullopt;

    // The window, with the type and decorations it is shown with, exists
    // before it is mapped: the request is about that window.
    const auto id = static_cast<xcb_window_t>(window->winId());
    xcb_client_message_event_t message = {};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = id;
    message.type = request;
    xcb_send_event(connection, 0, root,
        XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
        reinterpret_cast<const char*>(&message));
    xcb_flush(connection);

    // The answer is a property on the window; a window manager answers in
    // well under a millisecond, and one that does not costs this wait once.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(200);
    do {
        if (const auto values = Cardinals(connection, id, extents, XCB_ATOM_CARDINAL); values && values->size() == 4) {
            // Left, right, top, bottom, in device pixels.
            const qreal ratio = window->devicePixelRatioF();
            return QMargins(qRound((*values)[0] / ratio), qRound((*values)[2] / ratio), qRound((*values)[1] / ratio),
                qRound((*values)[3] / ratio));
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    } while (std::chrono::steady_clock::now() < deadline);
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
        margins = QMargins(client.left() - frame.left(), client.top() - frame.top(), frame.right() - client.right(),
            frame.bottom() - client.bottom());
    } else {
        margins = RequestFrame(window);
    }
    if (margins)
        knownFrame = margins;
    return knownFrame.value_or(QMargins());
}

}  // namespace

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
    // manager then puts the frame around it where it stands.
    const QMargins margins = FrameOf(window);
    QRect frame = window->geometry().marginsAdded(margins);
    frame.moveCenter(screen->availableGeometry().center());
    window->setGeometry(QRect(frame.topLeft() + QPoint(margins.left(), margins.top()), window->size()));
}

}  // namespace zentorix
