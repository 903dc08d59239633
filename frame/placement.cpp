#include "placement.h"

#include <QEvent>
#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QWidget>

namespace zentorix {
namespace {

void MoveToCentre(QWidget* window, const QScreen* screen)
{
    QRect frame = window->frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    window->move(frame.topLeft());
}

// Waits for the window manager's frame and centres the window with it, once.
// The frame becomes known with a move of the window, or (where the window
// manager keeps the window where it was and puts the frame around it) by its
// first paint.
class CentreWhenFramed : public QObject {
public:
    CentreWhenFramed(QWidget* window, const QScreen* screen) : QObject(window), screen_(screen)
    {
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        auto* window = static_cast<QWidget*>(watched);
        const bool placed = event->type() == QEvent::Move || event->type() == QEvent::Show
            || event->type() == QEvent::Paint;
        if (placed && window->isVisible() && window->frameGeometry() != window->geometry()) {
            window->removeEventFilter(this);
            if (screen_)
                MoveToCentre(window, screen_);
            deleteLater();
        }
        return false;
    }

private:
    QPointer<const QScreen> screen_;
};

}  // namespace

void CentreOnScreen(QWidget* window, const QScreen* screen)
{
    if (screen == nullptr)
        screen = QGuiApplication::primaryScreen();
    if (screen == nullptr)
        return;
    MoveToCentre(window, screen);
    if (window->frameGeometry() == window->geometry())
        new CentreWhenFramed(window, screen);
}

}  // namespace zentorix
