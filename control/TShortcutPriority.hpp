#pragma once

#include <QObject>
#include <QPointer>
#include <vector>

class QAction;

// Qt lets a focused editor claim plain keys such as Space before any shortcut sees them. The
// program's commands come first, so while one of the watched actions is enabled its key is
// taken back from that claim, in every window. A disabled action claims nothing and its key
// reaches the focused control. Nothing is taken while a modal dialog or a pop-up is open.
class TShortcutPriority : public QObject {
public:
    explicit TShortcutPriority(QObject* parent);
    void Watch(QAction* action);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::vector<QPointer<QAction>> m_actions;
};
