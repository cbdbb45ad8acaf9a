#include "TToggleButton.hpp"

TToggleButton::TToggleButton(const QString& caption, QWidget* parent)
    : QPushButton(caption, parent) {
    setCheckable(true);
    setFocusPolicy(Qt::ClickFocus);
}
