// The binding of controls' events to a window's handlers, kept as data: one
// table per window, applied when the window is constructed. A row names the
// control as a member of the window's generated controls and the handler as
// a member function, so a misspelt name does not compile.
#pragma once

#include "frame/errors.h"

#include <QAbstractButton>
#include <QAction>
#include <QMenu>
#include <QPushButton>

#include <cstddef>
#include <variant>

namespace zentorix {

template <typename Controls, typename Window> struct Binding {
    std::variant<QPushButton * Controls::*, QAction * Controls::*, QMenu * Controls::*> control;
    void (Window::*handler)();
};

namespace binding_detail {

// A button's click, a menu item's trigger, a menu title's opening.
template <typename Run> void ConnectEvent(QAbstractButton* button, QObject* context, Run run)
{
    QObject::connect(button, &QAbstractButton::clicked, context, run);
}
template <typename Run> void ConnectEvent(QAction* action, QObject* context, Run run)
{
    QObject::connect(action, &QAction::triggered, context, run);
}
template <typename Run> void ConnectEvent(QMenu* menu, QObject* context, Run run)
{
    QObject::connect(menu, &QMenu::aboutToShow, context, run);
}

}  // namespace binding_detail

// Connects each control's event to its handler, through the dispatch wrapper.
template <typename Controls, typename Window, std::size_t N>
void ApplyBindings(Window* window, const Controls& controls, const Binding<Controls, Window> (&table)[N])
{
    for (const auto& binding : table) {
        const auto run = [window, handler = binding.handler] { Dispatch([&] { (window->*handler)(); }); };
        std::visit([&](auto member) { binding_detail::ConnectEvent(controls.*member, window, run); },
            binding.control);
    }
}

}  // namespace zentorix
