#pragma once

#include <QColor>
#include <QString>
#include <optional>

class QWidget;

// The modal dialogs of the program. Widgets ask for them through this seam so that a test can
// answer them instead of blocking in a dialog's event loop.
class IDialogs {
public:
    virtual ~IDialogs() = default;
    // The colour dialog opened on `initial`; nothing when the operator cancels it.
    virtual std::optional<QColor> ChooseColour(QWidget* parent, const QColor& initial) = 0;
    // The file-open dialog prepared with `fileName`, without a filter; nothing when cancelled.
    virtual std::optional<QString> OpenFileName(QWidget* parent, const QString& fileName) = 0;
    // Message boxes with an OK button.
    virtual void Information(QWidget* parent, const QString& title, const QString& text) = 0;
    virtual void Warning(QWidget* parent, const QString& title, const QString& text) = 0;
    virtual void Error(QWidget* parent, const QString& title, const QString& text) = 0;
};
