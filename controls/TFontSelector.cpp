#include "TFontSelector.hpp"

#include <QFontDatabase>

TFontSelector::TFontSelector(QWidget* parent)
    : QComboBox(parent) {
    setEditable(false);
    addItems(QFontDatabase::families());
    setCurrentIndex(-1);
    setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    setMinimumContentsLength(8);
    connect(this, &QComboBox::currentTextChanged, this, &TFontSelector::FontNameChanged);
}

void TFontSelector::SetFontName(const QString& name) {
    if (name.isEmpty()) {
        setCurrentIndex(-1);
        return;
    }
    int index = findText(name, Qt::MatchExactly);
    if (index < 0) {
        addItem(name);
        index = count() - 1;
    }
    setCurrentIndex(index);
}
