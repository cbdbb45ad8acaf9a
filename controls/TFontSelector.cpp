#include "TFontSelector.hpp"

#include <QFontDatabase>
#include <QRegularExpression>
#include <QSignalBlocker>
#include <algorithm>

TFontSelector::TFontSelector(QWidget* parent)
    : TFontSelector(QFontDatabase::families(), parent) {}

TFontSelector::TFontSelector(const QStringList& installed, QWidget* parent)
    : QComboBox(parent) {
    setEditable(false);
    addItems(Entries(installed));
    setCurrentIndex(-1);
    setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    setMinimumContentsLength(8);
    connect(this, &QComboBox::currentTextChanged, this, &TFontSelector::FontNameChanged);
}

QStringList TFontSelector::Entries(const QStringList& installed) {
    static const QRegularExpression foundry(QStringLiteral("\\s*\\[[^\\[\\]]*\\]$"));
    QStringList entries;
    entries.reserve(installed.size());
    for (QString family : installed) {
        family.remove(foundry);
        family = family.trimmed();
        if (!family.isEmpty())
            entries << family;
    }
    // Case apart, then exactly, so that the order does not depend on the database's order.
    std::sort(entries.begin(), entries.end(), [](const QString& a, const QString& b) {
        const int folded = a.compare(b, Qt::CaseInsensitive);
        return folded != 0 ? folded < 0 : a < b;
    });
    entries.erase(std::unique(entries.begin(), entries.end()), entries.end());
    return entries;
}

void TFontSelector::SetFontName(const QString& name) {
    // Entries come and go above the selected one here; only a change of the name is an event.
    const QString before = currentText();
    {
        const QSignalBlocker quiet(this);
        Select(name);
    }
    if (currentText() != before)
        emit FontNameChanged(currentText());
}

void TFontSelector::Select(const QString& name) {
    if (name.isEmpty()) {
        setCurrentIndex(-1);
        return;
    }
    int index = findText(name, Qt::MatchExactly);
    const bool notInstalled = index < 0;
    if (notInstalled) {
        insertItem(0, name);
        index = 0;
    }
    setCurrentIndex(index);
    // Only the name stored now stands above the installed families.
    if (!m_notInstalled.isEmpty() && m_notInstalled != name) {
        const int old = findText(m_notInstalled, Qt::MatchExactly);
        if (old >= 0)
            removeItem(old);
        m_notInstalled.clear();
    }
    if (notInstalled)
        m_notInstalled = name;
}
