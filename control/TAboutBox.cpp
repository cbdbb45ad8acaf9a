#include "TAboutBox.hpp"

#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>

namespace {

constexpr int kClientWidth = 226;
constexpr int kClientHeight = 102;
constexpr int kMargin = 8;

QLabel* BoldLabel(const QString& text, const char* name, int top, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
    label->setGeometry(kMargin, top, kClientWidth - 2 * kMargin, 16);
    return label;
}

} // namespace

TAboutBox::TAboutBox(const TVersionRecord* record, QWidget* mainWindow)
    : QDialog(mainWindow, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                              Qt::WindowCloseButtonHint)
    , ExeInfo(record)
    , m_mainWindow(mainWindow) {
    setObjectName(QStringLiteral("AboutBox"));
    setWindowTitle(QStringLiteral("About This Program"));
    setFont(QFont(QStringLiteral("MS Sans Serif"), 8));
    setFixedSize(kClientWidth, kClientHeight);

    ProgramName = BoldLabel(QStringLiteral("Program Name"), "ProgramName", 6, this);
    Version = BoldLabel(QStringLiteral("Version"), "Version", 22, this);
    BoldLabel(QStringLiteral("Copyright \u00A9 2026 the Quorvane developers"), "Rights", 38, this);
    Email = BoldLabel(QStringLiteral("Email"), "Email", 54, this);

    btOK = new QPushButton(QStringLiteral("Close"), this);
    btOK->setObjectName(QStringLiteral("btOK"));
    btOK->setGeometry(kMargin, kClientHeight - 25 - 4, 75, 25);
    btOK->setDefault(true);
    connect(btOK, &QPushButton::clicked, this, &TAboutBox::btOKClick);
}

QString TAboutBox::ContactAddress() {
    return QStringLiteral("team@quorvane.org");
}

void TAboutBox::FormShow() {
    setWindowTitle(QStringLiteral("About ") + QString::fromStdString(ExeInfo.ProductName));
    ProgramName->setText(QString::fromStdString(ExeInfo.ProductName));
    Version->setText(QString::fromStdString(ExeInfo.FileVersion));
    Email->setText(ContactAddress());
    for (QLabel* label : {ProgramName, Version, Email})
        label->setAccessibleName(label->text());
    if (m_mainWindow != nullptr) {
        QRect place(QPoint(), frameGeometry().size());
        place.moveCenter(m_mainWindow->frameGeometry().center());
        move(place.topLeft());
    }
    btOK->setFocus();
}

void TAboutBox::btOKClick() {
    accept();
}

void TAboutBox::showEvent(QShowEvent* event) {
    if (!event->spontaneous())
        FormShow();
    QDialog::showEvent(event);
}

// Escape closes the box when it is let go, not when it goes down, so a key held down from the
// control window does not close it at once.
void TAboutBox::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TAboutBox::keyReleaseEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && !event->isAutoRepeat()) {
        event->accept();
        reject();
        return;
    }
    QDialog::keyReleaseEvent(event);
}
