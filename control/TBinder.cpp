#include "TBinder.hpp"

#include "TColourButton.hpp"
#include "TFileNameEdit.hpp"
#include "TFontSelector.hpp"
#include "TSpinEditor.hpp"

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <memory>

using namespace quorvane;

namespace {

QString ToQt(const std::string& text) {
    return QString::fromStdString(text);
}

} // namespace

void TBinder::Mirror(QWidget* widget, TControl& model) {
    const auto update = [widget, &model] {
        widget->setEnabled(model.Enabled());
        widget->setToolTip(ToQt(model.Hint()));
    };
    update();
    model.Changed.Watch(update);
}

void TBinder::Command(QAction* action, TCommand& command) const {
    action->setText(ToQt(command.Caption));
    if (!command.Shortcut.empty()) {
        action->setShortcut(QKeySequence(ToQt(command.Shortcut), QKeySequence::PortableText));
        // Program-wide: the key works in every window that carries the action.
        action->setShortcutContext(Qt::ApplicationShortcut);
    }
    const auto update = [action, &command] {
        action->setEnabled(command.Enabled());
        action->setToolTip(ToQt(command.Hint()));
    };
    update();
    command.Changed.Watch(update);
    QObject::connect(action, &QAction::triggered, action,
                     [run = m_run, &command] { run([&command] { command.Execute(); }); });
}

void TBinder::Button(QAbstractButton* button, TCommand& command) const {
    button->setText(ToQt(command.Caption));
    const auto update = [button, &command] {
        button->setEnabled(command.Enabled());
        button->setToolTip(ToQt(command.Hint()));
    };
    update();
    command.Changed.Watch(update);
    QObject::connect(button, &QAbstractButton::clicked, button,
                     [run = m_run, &command] { run([&command] { command.Execute(); }); });
}

void TBinder::Spin(TSpinEditor* editor, TSpinEdit& model) const {
    Mirror(editor, model);
    const auto update = [editor, &model] { editor->SetText(ToQt(model.Text())); };
    update();
    model.Changed.Watch(update);
    // Text the model already holds is ignored by it, so the echo of an update stops here.
    QObject::connect(editor, &TSpinEditor::TextChanged, editor,
                     [run = m_run, &model](const QString& text) {
                         run([&model, &text] { model.SetText(text.toStdString()); });
                     });
}

void TBinder::Selector(QComboBox* box, TSelector& model) const {
    Mirror(box, model);
    for (const std::string& item : model.Items)
        box->addItem(ToQt(item));
    const auto update = [box, &model] { box->setCurrentIndex(model.ItemIndex()); };
    update();
    model.Changed.Watch(update);
    // Only the operator's choice counts; the program's selection is mirrored, not reported.
    QObject::connect(box, &QComboBox::activated, box, [run = m_run, box, &model](int index) {
        run([box, &model, index] {
            const int byCaption = box->findText(box->currentText(), Qt::MatchExactly);
            model.Choose(byCaption >= 0 ? byCaption : index);
        });
    });
}

void TBinder::Check(QAbstractButton* box, TCheck& model) const {
    Mirror(box, model);
    // Set while the box mirrors the model: a change the program makes raises nothing.
    auto mirroring = std::make_shared<bool>(false);
    const auto update = [box, &model, mirroring] {
        *mirroring = true;
        box->setChecked(model.Checked());
        *mirroring = false;
    };
    update();
    model.Changed.Watch(update);
    // Every change of the box that the program did not make is the operator's: a click, the
    // space bar, and a screen reader's Toggle action, which changes the box without a click.
    QObject::connect(box, &QAbstractButton::toggled, box,
                     [run = m_run, &model, mirroring](bool checked) {
                         if (*mirroring || checked == model.Checked())
                             return;
                         run([&model] { model.Click(); });
                     });
}

void TBinder::CheckItem(QAction* item, TCheck& model) const {
    item->setCheckable(true);
    auto mirroring = std::make_shared<bool>(false);
    const auto update = [item, &model, mirroring] {
        *mirroring = true;
        item->setChecked(model.Checked());
        item->setEnabled(model.Enabled());
        *mirroring = false;
    };
    update();
    model.Changed.Watch(update);
    QObject::connect(item, &QAction::toggled, item, [run = m_run, &model, mirroring](bool checked) {
        if (*mirroring || checked == model.Checked())
            return;
        run([&model] { model.Click(); });
    });
}

void TBinder::Colour(TColourButton* button, TColourSelector& model) const {
    Mirror(button, model);
    const auto update = [button, &model] { button->SetColour(model.Selected()); };
    update();
    model.Changed.Watch(update);
    QObject::connect(button, &TColourButton::DroppedDown, button, [run = m_run, &model] {
        run([&model] {
            if (model.OnDropDown)
                model.OnDropDown();
        });
    });
    QObject::connect(button, &TColourButton::ClosedUp, button, [run = m_run, &model] {
        run([&model] {
            if (model.OnDropDownClose)
                model.OnDropDownClose();
        });
    });
    QObject::connect(button, &TColourButton::Chosen, button,
                     [run = m_run, &model](quorvane::Colour colour) {
                         run([&model, colour] { model.Choose(colour); });
                     });
}

void TBinder::Text(QLineEdit* editor, TTextEdit& model) const {
    Mirror(editor, model);
    const auto update = [editor, &model] {
        const QString text = ToQt(model.ShownText());
        if (editor->text() != text)
            editor->setText(text);
    };
    update();
    model.Changed.Watch(update);
    QObject::connect(editor, &QLineEdit::textChanged, editor,
                     [run = m_run, &model](const QString& text) {
                         run([&model, &text] { model.SetShownText(text.toStdString()); });
                     });
}

void TBinder::FileName(TFileNameEdit* editor, TTextEdit& model) const {
    Mirror(editor, model);
    const auto update = [editor, &model] { editor->SetText(ToQt(model.ShownText())); };
    update();
    model.Changed.Watch(update);
    QObject::connect(editor, &TFileNameEdit::TextChanged, editor,
                     [run = m_run, &model](const QString& text) {
                         run([&model, &text] { model.SetShownText(text.toStdString()); });
                     });
}

void TBinder::Font(TFontSelector* selector, TTextEdit& model) const {
    Mirror(selector, model);
    const auto update = [selector, &model] {
        const QString name = ToQt(model.ShownText());
        if (selector->FontName() != name)
            selector->SetFontName(name);
    };
    update();
    model.Changed.Watch(update);
    QObject::connect(selector, &TFontSelector::FontNameChanged, selector,
                     [run = m_run, &model](const QString& name) {
                         run([&model, &name] { model.SetShownText(name.toStdString()); });
                     });
}

void TBinder::Caption(QGroupBox* group, TCaption& model) const {
    const auto update = [group, &model] { group->setTitle(ToQt(model.Text())); };
    update();
    model.Changed.Watch(update);
}
