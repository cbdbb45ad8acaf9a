#pragma once

#include "ControlModel.hpp"

#include <functional>

class QAbstractButton;
class QAction;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QWidget;
class TColourButton;
class TFileNameEdit;
class TFontSelector;
class TSpinEditor;

// Binds each widget two-way to its model object: the widget mirrors the model whenever the model
// says it changed, and the operator's action on the widget goes to the model's operator method,
// which raises the change events the right way. Every operator action runs through `run`, which
// reports what escapes it.
class TBinder {
public:
    using TOperatorRun = std::function<void(const std::function<void()>&)>;
    explicit TBinder(TOperatorRun run)
        : m_run(std::move(run)) {}

    void Command(QAction* action, quorvane::TCommand& command) const;
    void Button(QAbstractButton* button, quorvane::TCommand& command) const;
    void Spin(TSpinEditor* editor, quorvane::TSpinEdit& model) const;
    void Selector(QComboBox* box, quorvane::TSelector& model) const;
    void Check(QAbstractButton* box, quorvane::TCheck& model) const;
    void CheckItem(QAction* item, quorvane::TCheck& model) const;
    void Colour(TColourButton* button, quorvane::TColourSelector& model) const;
    void Text(QLineEdit* editor, quorvane::TTextEdit& model) const;
    void FileName(TFileNameEdit* editor, quorvane::TTextEdit& model) const;
    void Font(TFontSelector* selector, quorvane::TTextEdit& model) const;
    void Caption(QGroupBox* group, quorvane::TCaption& model) const;

private:
    static void Mirror(QWidget* widget, quorvane::TControl& model);

    TOperatorRun m_run;
};
