#pragma once

#include <QComboBox>
#include <QStringList>

// A drop-down list of the installed font families, each once, by its plain name, sorted. A name
// that is not installed is put at the top of the list when it is set, so that it stays selected
// as stored and is read back unchanged. FontNameChanged fires whenever the selected name
// changes, also when the program sets it.
class TFontSelector : public QComboBox {
    Q_OBJECT
public:
    explicit TFontSelector(QWidget* parent = nullptr);
    // With the families the system reports as installed, for tests.
    TFontSelector(const QStringList& installed, QWidget* parent);

    // The entries for the families as the font database names them: a family that several
    // foundries supply comes as "Name [foundry]" once per foundry, and is listed once as "Name".
    static QStringList Entries(const QStringList& installed);

    QString FontName() const { return currentText(); }
    void SetFontName(const QString& name);

signals:
    void FontNameChanged(const QString& name);

private:
    void Select(const QString& name);

    // The stored name that no installed family matches, while it is in the list.
    QString m_notInstalled;
};
