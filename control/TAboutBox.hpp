#pragma once

#include "TExeInfo.hpp"

#include <QDialog>

class QLabel;
class QPushButton;

// Names the product and its version from the executable's version record, which is read once,
// here. Shown modally from the control window, centred over it. UI thread only.
class TAboutBox : public QDialog {
    Q_OBJECT
public:
    // `record` may be null: an executable without a version record.
    TAboutBox(const TVersionRecord* record, QWidget* mainWindow);

    // The contact address shown in the box.
    static QString ContactAddress();

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;

private:
    void FormShow();
    void btOKClick();

    TExeInfo ExeInfo;
    QWidget* m_mainWindow;
    QLabel* ProgramName = nullptr;
    QLabel* Version = nullptr;
    QLabel* Email = nullptr;
    QPushButton* btOK = nullptr;
};
