#include "ControlAccessibility.hpp"

#include "TSpinEditor.hpp"

#include <QAbstractItemView>
#include <QAccessibleObject>
#include <QAccessibleWidget>
#include <QApplication>
#include <QComboBox>
#include <QKeySequence>
#include <QLineEdit>
#include <QMenu>
#include <QWindow>
#include <algorithm>

namespace {

// Qt gives the inner editor of a spin box no interface of its own; its text is read and edited
// through the spin box, as with Qt's own spin boxes.
class TSpinEditorAccessible : public QAccessibleWidget,
                              public QAccessibleValueInterface,
                              public QAccessibleTextInterface,
                              public QAccessibleEditableTextInterface {
public:
    explicit TSpinEditorAccessible(TSpinEditor* editor)
        : QAccessibleWidget(editor, QAccessible::SpinBox) {}

    void* interface_cast(QAccessible::InterfaceType type) override {
        switch (type) {
        case QAccessible::ValueInterface:
            return static_cast<QAccessibleValueInterface*>(this);
        case QAccessible::TextInterface:
            return static_cast<QAccessibleTextInterface*>(this);
        case QAccessible::EditableTextInterface:
            return static_cast<QAccessibleEditableTextInterface*>(this);
        default:
            return QAccessibleWidget::interface_cast(type);
        }
    }

    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Value)
            return Editor()->Text();
        return QAccessibleWidget::text(t);
    }
    using QAccessibleTextInterface::text;

    // ---- value: what the reading rules give; a value set is clamped like a step of the arrows
    // and reaches the program through the editor's text, as typing does.
    QVariant currentValue() const override { return Editor()->Value(); }
    void setCurrentValue(const QVariant& value) override {
        bool ok = false;
        const double number = value.toDouble(&ok);
        if (!ok || !Editable())
            return;
        Editor()->SetValue(number >= Editor()->Maximum()   ? Editor()->Maximum()
                           : number <= Editor()->Minimum() ? Editor()->Minimum()
                                                           : static_cast<int>(number));
    }
    QVariant maximumValue() const override { return Editor()->Maximum(); }
    QVariant minimumValue() const override { return Editor()->Minimum(); }
    QVariant minimumStepSize() const override { return Editor()->Step(); }

    QStringList actionNames() const override {
        QStringList names = QAccessibleWidget::actionNames();
        if (Editable())
            names << increaseAction() << decreaseAction();
        return names;
    }
    void doAction(const QString& action) override {
        if (action == increaseAction() || action == decreaseAction()) {
            if (Editable())
                Editor()->stepBy(action == increaseAction() ? 1 : -1);
            return;
        }
        QAccessibleWidget::doAction(action);
    }

    // ---- text
    void selection(int index, int* start, int* end) const override {
        *start = *end = 0;
        if (index == 0 && Line()->hasSelectedText()) {
            *start = Line()->selectionStart();
            *end = *start + static_cast<int>(Line()->selectedText().size());
        }
    }
    int selectionCount() const override { return Line()->hasSelectedText() ? 1 : 0; }
    void addSelection(int start, int end) override { setSelection(0, start, end); }
    void removeSelection(int index) override {
        if (index == 0)
            Line()->deselect();
    }
    void setSelection(int index, int start, int end) override {
        if (index == 0)
            Line()->setSelection(start, end - start);
    }
    int cursorPosition() const override { return Line()->cursorPosition(); }
    void setCursorPosition(int position) override { Line()->setCursorPosition(position); }
    QString text(int start, int end) const override {
        const QString all = Line()->text();
        start = std::clamp(start, 0, static_cast<int>(all.size()));
        end = end < 0 ? static_cast<int>(all.size())
                      : std::clamp(end, start, static_cast<int>(all.size()));
        return all.mid(start, end - start);
    }
    int characterCount() const override { return static_cast<int>(Line()->text().size()); }
    QRect characterRect(int offset) const override {
        const QString all = Line()->text();
        if (offset < 0 || offset >= all.size())
            return QRect();
        const QFontMetrics metrics(Line()->font());
        const QRect area = Line()->contentsRect();
        const int x = area.left() + metrics.horizontalAdvance(all.left(offset));
        const QRect local(x, area.top(), metrics.horizontalAdvance(all.at(offset)), area.height());
        return QRect(Line()->mapToGlobal(local.topLeft()), local.size());
    }
    int offsetAtPoint(const QPoint& point) const override {
        return Line()->cursorPositionAt(Line()->mapFromGlobal(point));
    }
    void scrollToSubstring(int, int) override {}
    QString attributes(int, int* start, int* end) const override {
        *start = 0;
        *end = characterCount();
        return QString();
    }

    // ---- editing, which is typing into the editor
    void deleteText(int start, int end) override { replaceText(start, end, QString()); }
    void insertText(int offset, const QString& text) override { replaceText(offset, offset, text); }
    void replaceText(int start, int end, const QString& text) override {
        if (!Editable())
            return;
        const QString all = Line()->text();
        start = std::clamp(start, 0, static_cast<int>(all.size()));
        end = std::clamp(end, start, static_cast<int>(all.size()));
        Editor()->SetText(all.left(start) + text + all.mid(end));
    }

private:
    TSpinEditor* Editor() const { return static_cast<TSpinEditor*>(widget()); }
    QLineEdit* Line() const { return Editor()->findChild<QLineEdit*>(); }
    bool Editable() const { return Editor()->isEnabled() && !Editor()->isReadOnly(); }
};

class TSelectorAccessible : public QAccessibleWidget {
public:
    explicit TSelectorAccessible(QComboBox* box)
        : QAccessibleWidget(box, QAccessible::ComboBox) {}

    // The list of items, as Qt gives it.
    int childCount() const override { return 1; }
    QAccessibleInterface* child(int index) const override {
        return index == 0 ? QAccessible::queryAccessibleInterface(Box()->view()) : nullptr;
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        return child != nullptr && child->object() == Box()->view() ? 0 : -1;
    }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }

    QString text(QAccessible::Text t) const override {
        switch (t) {
        case QAccessible::Name: {
            // The accessible name or the label's text; a list with neither goes by its item.
            const QString name = QAccessibleWidget::text(t);
            return name.isEmpty() ? Box()->currentText() : name;
        }
        case QAccessible::Value:
            return Box()->currentText();
        case QAccessible::Accelerator:
            return QKeySequence(Qt::Key_Down).toString(QKeySequence::NativeText);
        default:
            return QAccessibleWidget::text(t);
        }
    }

    QAccessible::State state() const override {
        QAccessible::State s = QAccessibleWidget::state();
        s.expandable = true;
        s.expanded = Box()->view()->isVisible();
        return s;
    }

    QStringList actionNames() const override { return {showMenuAction(), pressAction()}; }
    void doAction(const QString& action) override {
        if (action != showMenuAction() && action != pressAction())
            return;
        if (Box()->view()->isVisible())
            Box()->hidePopup();
        else
            Box()->showPopup();
    }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }

private:
    QComboBox* Box() const { return static_cast<QComboBox*>(widget()); }
};

// The program as the root of its accessible tree: its windows as Qt lists them, and besides them
// a pop-up menu of its own while it is open. Qt leaves every pop-up out of the list, which is
// right for a menu opened from a menu bar (it hangs below its bar), but a menu that stands on its
// own, such as the tray's, then has no place in the tree at all.
class TApplicationAccessible : public QAccessibleObject {
public:
    TApplicationAccessible()
        : QAccessibleObject(qApp) {}

    QWindow* window() const override { return nullptr; }
    int childCount() const override { return static_cast<int>(Children().size()); }
    QAccessibleInterface* child(int index) const override {
        const QObjectList children = Children();
        if (index < 0 || index >= children.size())
            return nullptr;
        return QAccessible::queryAccessibleInterface(children.at(index));
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        return child != nullptr ? static_cast<int>(Children().indexOf(child->object())) : -1;
    }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QAccessibleInterface* parent() const override { return nullptr; }
    QAccessibleInterface* focusChild() const override {
        if (QWindow* focused = QGuiApplication::focusWindow())
            return focused->accessibleRoot();
        return nullptr;
    }
    QString text(QAccessible::Text t) const override {
        switch (t) {
        case QAccessible::Name:
            return QGuiApplication::applicationName();
        case QAccessible::Description:
            return QGuiApplication::applicationVersion();
        default:
            return QString();
        }
    }
    QAccessible::Role role() const override { return QAccessible::Application; }
    QAccessible::State state() const override { return {}; }

private:
    static QObjectList Children() {
        QObjectList children;
        const QWindowList windows = QGuiApplication::topLevelWindows();
        for (QWindow* w : windows) {
            if (w->type() == Qt::Desktop)
                continue;
            QAccessibleInterface* root = w->accessibleRoot();
            if (root == nullptr || root->object() == nullptr)
                continue;
            if (w->type() == Qt::Popup && !StandsAlone(root))
                continue;
            children.append(root->object());
        }
        return children;
    }
    static bool StandsAlone(QAccessibleInterface* popup) {
        const auto* menu = qobject_cast<QMenu*>(popup->object());
        if (menu == nullptr || !menu->isVisible())
            return false;
        const QAccessibleInterface* parent = popup->parent();
        return parent != nullptr && parent->object() == qApp;
    }
};

QAccessibleInterface* ControlFactory(const QString& className, QObject* object) {
    if (className == QLatin1String("TSpinEditor")) {
        if (auto* editor = qobject_cast<TSpinEditor*>(object))
            return new TSpinEditorAccessible(editor);
    } else if (className == QLatin1String("QApplication") && object == qApp) {
        return new TApplicationAccessible;
    } else if (className == QLatin1String("QComboBox")) {
        // Free-text lists keep Qt's interface, with its text editor inside.
        auto* box = qobject_cast<QComboBox*>(object);
        if (box != nullptr && !box->isEditable())
            return new TSelectorAccessible(box);
    }
    return nullptr;
}

} // namespace

void InstallControlAccessibility() {
    // Qt asks the factories installed last first, so these come before its own.
    static const bool installed = [] {
        QAccessible::installFactory(&ControlFactory);
        // Qt keeps the first interface it made for an object: one made for the program before
        // this goes, so that the next request makes the program's own. Nothing holds it yet.
        QAccessibleInterface* application = QAccessible::queryAccessibleInterface(qApp);
        if (application != nullptr && dynamic_cast<TApplicationAccessible*>(application) == nullptr)
            QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(application));
        return true;
    }();
    (void)installed;
}
