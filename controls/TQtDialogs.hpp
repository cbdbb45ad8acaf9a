#pragma once

#include "IDialogs.hpp"

// The platform's dialogs, each run modally.
class TQtDialogs : public IDialogs {
public:
    std::optional<QColor> ChooseColour(QWidget* parent, const QColor& initial) override;
    std::optional<QString> OpenFileName(QWidget* parent, const QString& fileName) override;
    void Information(QWidget* parent, const QString& title, const QString& text) override;
    void Warning(QWidget* parent, const QString& title, const QString& text) override;
    void Error(QWidget* parent, const QString& title, const QString& text) override;
};
