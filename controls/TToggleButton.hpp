#pragma once

#include <QPushButton>

// A two-position button that latches down on one click and up on the next. It is reached by
// the mouse only, never by the Tab key.
class TToggleButton : public QPushButton {
    Q_OBJECT
public:
    explicit TToggleButton(const QString& caption, QWidget* parent = nullptr);
};
