#include "TShortcutPriority.hpp"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>

TShortcutPriority::TShortcutPriority(QObject* parent)
    : QObject(parent) {
    qApp->installEventFilter(this);
}

void TShortcutPriority::Watch(QAction* action) {
    m_actions.emplace_back(action);
}

bool TShortcutPriority::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::ShortcutOverride)
        return QObject::eventFilter(watched, event);
    if (QApplication::activeModalWidget() != nullptr ||
        QApplication::activePopupWidget() != nullptr)
        return false;
    auto* key = static_cast<QKeyEvent*>(event);
    const QKeySequence pressed(key->keyCombination());
    for (const QPointer<QAction>& action : m_actions) {
        if (action && action->isEnabled() && action->shortcut() == pressed) {
            // Unclaimed and handled: the focused control does not get the override, so the
            // shortcut map fires the action.
            key->ignore();
            return true;
        }
    }
    return false;
}
