#pragma once

#include <QComboBox>

// A drop-down list of every installed font family. A name that is not installed is added to the
// list when it is set, so that it stays selected and is read back unchanged. FontNameChanged
// fires whenever the selected name changes, also when the program sets it.
class TFontSelector : public QComboBox {
    Q_OBJECT
public:
    explicit TFontSelector(QWidget* parent = nullptr);

    QString FontName() const { return currentText(); }
    void SetFontName(const QString& name);

signals:
    void FontNameChanged(const QString& name);
};
