#include "placement.h"

#include <QElapsedTimer>
#include <QEvent>
#include <QGuiApplication>
#include <QMargins>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <QWidget>

#include <cstdlib>
#include <optional>

namespace zentorix {
namespace {

// The frame the window manager puts around this program's windows, as last
// seen; a window about to be mapped is placed with it.
std::optional<QMargins> knownFrame;

// The frame's width on each side: as the window has it, else as the program's
// earlier windows had it, else none yet.
QMargins FrameOf(const QWidget* window)
{
    const QRect frame = window->frameGeometry();
    const QRect client = window->geometry();
    if (frame != client) {
        return QMargins(client.left() - frame.left(), client.top() - frame.top(),
            frame.right() - client.right(), frame.bottom() - client.bottom());
    }
    return knownFrame.value_or(QMargins());
}

// Places the window's client area so that its frame is centred. The client's
// own position is given, not the frame's: a frame position leaves the window
// manager a gravity to apply, and an answer to an earlier request can then put
// the window one title bar off.
void MoveToCentre(QWidget* window, const QScreen* screen)
{
    const QMargins margins = FrameOf(window);
    QRect frame = window->geometry().marginsAdded(margins);
    frame.moveCenter(screen->availableGeometry().center());
    window->setGeometry(QRect(frame.topLeft() + QPoint(margins.left(), margins.top()), window->size()));
}

bool IsCentred(const QWidget* window, const QScreen* screen)
{
    const QPoint offset = window->frameGeometry().center() - screen->availableGeometry().center();
    return std::abs(offset.x()) <= 1 && std::abs(offset.y()) <= 1;
}

// Centres the window again, with its frame, as the window manager maps it.
// The frame becomes known with a move of the window, or (where the window
// manager keeps the window where it was and puts the frame around it) by its
// first paint; the window manager's answers to earlier requests may still
// arrive after that. So once the window has stayed put for a moment, it is
// put back in the centre if it is not there; this goes on for its first two
// seconds on screen, a few times at most, and after that the window is the
// user's to move.
class CentreWhenFramed : public QObject {
public:
    CentreWhenFramed(QWidget* window, const QScreen* screen)
        : QObject(window),
          window_(window),
          screen_(screen)
    {
        if (window->isVisible())
            shown_.start();  // placed while being shown
        settled_.setSingleShot(true);
        settled_.setInterval(150);
        connect(&settled_, &QTimer::timeout, this, [this] { Settled(); });
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Show && !shown_.isValid())
            shown_.start();
        const bool placed = event->type() == QEvent::Move || event->type() == QEvent::Show
            || event->type() == QEvent::Paint;
        if (placed && shown_.isValid() && window_->isVisible()
            && window_->frameGeometry() != window_->geometry()) {
            knownFrame = FrameOf(window_);
            settled_.start();  // again: wait until the moves have stopped
        }
        return false;
    }

private:
    void Settled()
    {
        if (!screen_ || shown_.elapsed() > 2000 || corrections_ >= 4) {
            window_->removeEventFilter(this);
            deleteLater();
            return;
        }
        if (!IsCentred(window_, screen_)) {
            ++corrections_;
            MoveToCentre(window_, screen_);
        }
        settled_.start();  // and look once more
    }

    QWidget* window_;
    QPointer<const QScreen> screen_;
    QElapsedTimer shown_;
    QTimer settled_;
    int corrections_ = 0;
};

}  // namespace

void CentreOnScreen(QWidget* window, const QScreen* screen)
{
    if (screen == nullptr)
        screen = QGuiApplication::primaryScreen();
    if (screen == nullptr)
        return;
    MoveToCentre(window, screen);
    new CentreWhenFramed(window, screen);
}

}  // namespace zentorix
