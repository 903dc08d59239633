// The caption of any control, whatever its kind.
#pragma once

#include <QAbstractButton>
#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QTabWidget>

namespace zentorix::test {

// A window's title, a menu's title, an item's, label's or button's text, a
// group box's title, a page's tab text; nothing for other objects.
inline std::optional<QString> CaptionOf(QObject* control)
{
    if (auto* action = qobject_cast<QAction*>(control))
        return action->text();
    if (auto* menu = qobject_cast<QMenu*>(control))
        return menu->title();
    if (auto* group = qobject_cast<QGroupBox*>(control))
        return group->title();
    if (auto* label = qobject_cast<QLabel*>(control))
        return label->text();
    if (auto* button = qobject_cast<QAbstractButton*>(control))
        return button->text();
    auto* widget = qobject_cast<QWidget*>(control);
    if (widget != nullptr && widget->isWindow())
        return widget->windowTitle();
    if (widget != nullptr && widget->parentWidget() != nullptr) {
        // A page sits in a stack inside its tab widget.
        if (auto* tabs = qobject_cast<QTabWidget*>(widget->parentWidget()->parentWidget()))
            return tabs->tabText(tabs->indexOf(widget));
    }
    return std::nullopt;
}

}  // namespace zentorix::test
