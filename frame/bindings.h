// The binding of controls' events to a window's handlers, kept as data: one
// table per window, applied when the window is constructed.
#pragma once

#include "frame/errors.h"

#include <QAbstractButton>
#include <QAction>
#include <QMenu>

#include <cstddef>
#include <string>

namespace zentorix {

template <typename Window> struct Binding {
    const char* control;  // object name
    void (Window::*handler)();
};

// Connects the click of each named control (a button's click, a menu item's
// trigger, a menu title's opening) to its handler, through the dispatch wrapper.
template <typename Window, std::size_t N>
void ApplyBindings(Window* window, const Binding<Window> (&table)[N])
{
    for (const Binding<Window>& binding : table) {
        const auto run = [window, handler = binding.handler] { Dispatch([&] { (window->*handler)(); }); };
        QObject* control = window->template findChild<QObject*>(QString::fromLatin1(binding.control));
        if (auto* button = qobject_cast<QAbstractButton*>(control))
            QObject::connect(button, &QAbstractButton::clicked, window, run);
        else if (auto* action = qobject_cast<QAction*>(control))
            QObject::connect(action, &QAction::triggered, window, run);
        else if (auto* menu = qobject_cast<QMenu*>(control))
            QObject::connect(menu, &QMenu::aboutToShow, window, run);
        else
            throw Exception(std::string("No control named ") + binding.control + " to bind");
    }
}

}  // namespace zentorix
