#include "TQtDialogs.hpp"

#include <QColorDialog>
#include <QFileDialog>
#include <QMessageBox>

std::optional<QColor> TQtDialogs::ChooseColour(QWidget* parent, const QColor& initial) {
    const QColor chosen = QColorDialog::getColor(initial, parent);
    if (!chosen.isValid())
        return std::nullopt;
    return chosen;
}

std::optional<QString> TQtDialogs::OpenFileName(QWidget* parent, const QString& fileName) {
    // A path that names a file selects that file; one that names a folder opens the folder.
    const QString chosen = QFileDialog::getOpenFileName(parent, QString(), fileName);
    if (chosen.isEmpty())
        return std::nullopt;
    return chosen;
}

void TQtDialogs::Information(QWidget* parent, const QString& title, const QString& text) {
    QMessageBox::information(parent, title, text);
}

void TQtDialogs::Warning(QWidget* parent, const QString& title, const QString& text) {
    QMessageBox::warning(parent, title, text);
}

void TQtDialogs::Error(QWidget* parent, const QString& title, const QString& text) {
    QMessageBox::critical(parent, title, text);
}
