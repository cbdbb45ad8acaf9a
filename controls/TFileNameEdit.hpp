#pragma once

#include <QWidget>

class IDialogs;
class QLineEdit;
class QToolButton;

// A free-text file-name editor with a browse button at its right end. The button, and releasing
// F4 inside the editor, open the file-open dialog prepared with the current text (one trailing
// path separator removed). ButtonClicked comes just before the dialog opens and DialogClosed,
// with whether it was confirmed, just after it closes; a confirmed choice replaces the text.
class TFileNameEdit : public QWidget {
    Q_OBJECT
public:
    explicit TFileNameEdit(IDialogs& dialogs, QWidget* parent = nullptr);

    QString Text() const;
    void SetText(const QString& text);
    QLineEdit* Editor() const { return m_editor; }
    QToolButton* BrowseButton() const { return m_browse; }

    void Browse();

signals:
    void TextChanged(const QString& text);
    void ButtonClicked();
    void DialogClosed(bool confirmed);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    IDialogs& m_dialogs;
    QLineEdit* m_editor;
    QToolButton* m_browse;
};
