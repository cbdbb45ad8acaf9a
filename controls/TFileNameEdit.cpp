#include "TFileNameEdit.hpp"

#include "IDialogs.hpp"

#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QToolButton>
#include <limits>

TFileNameEdit::TFileNameEdit(IDialogs& dialogs, QWidget* parent)
    : QWidget(parent)
    , m_dialogs(dialogs)
    , m_editor(new QLineEdit(this))
    , m_browse(new QToolButton(this)) {
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(1);
    m_editor->setObjectName(QStringLiteral("Editor"));
    // A path has no length limit of its own; the editor's default would cut it at 32767.
    m_editor->setMaxLength(std::numeric_limits<int>::max());
    m_browse->setObjectName(QStringLiteral("Browse"));
    m_browse->setText(QStringLiteral("..."));
    m_browse->setAccessibleName(tr("Browse"));
    // The editor is the tab stop; the button is reached by mouse or F4.
    m_browse->setFocusPolicy(Qt::ClickFocus);
    row->addWidget(m_editor, 1);
    row->addWidget(m_browse);
    setFocusProxy(m_editor);
    m_editor->installEventFilter(this);
    connect(m_editor, &QLineEdit::textChanged, this, &TFileNameEdit::TextChanged);
    connect(m_browse, &QToolButton::clicked, this, &TFileNameEdit::Browse);
}

QString TFileNameEdit::Text() const {
    return m_editor->text();
}

void TFileNameEdit::SetText(const QString& text) {
    if (text != m_editor->text())
        m_editor->setText(text);
}

void TFileNameEdit::Browse() {
    QString name = m_editor->text();
    if (name.endsWith(QLatin1Char('/')))
        name.chop(1);
    emit ButtonClicked();
    const auto chosen = m_dialogs.OpenFileName(window(), name);
    if (chosen)
        m_editor->setText(*chosen);
    emit DialogClosed(chosen.has_value());
}

bool TFileNameEdit::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_editor && event->type() == QEvent::KeyRelease) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_F4 && !key->isAutoRepeat() && m_editor->isEnabled()) {
            Browse();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}
