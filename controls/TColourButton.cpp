#include "TColourButton.hpp"

#include "ColourConversion.hpp"
#include "IDialogs.hpp"
#include "TColourPalette.hpp"

#include <QPainter>
#include <QPixmap>

TColourButton::TColourButton(const QString& caption, IDialogs& dialogs, QWidget* parent)
    : QPushButton(caption, parent)
    , m_dialogs(dialogs)
    , m_palette(new TColourPalette(this)) {
    UpdateSwatch();
    connect(this, &QPushButton::clicked, this, &TColourButton::DropDown);
    connect(m_palette, &TColourPalette::Picked, this, [this](quorvane::Colour colour) {
        SetColour(colour);
        emit ClosedUp();
        emit Chosen(colour);
    });
    connect(m_palette, &TColourPalette::Dismissed, this, &TColourButton::ClosedUp);
    connect(m_palette, &TColourPalette::MoreColoursRequested, this,
            &TColourButton::ChooseMoreColours);
}

void TColourButton::SetColour(quorvane::Colour colour) {
    if (colour == m_colour)
        return;
    m_colour = colour;
    UpdateSwatch();
}

void TColourButton::DropDown() {
    emit DroppedDown();
    m_palette->Popup(mapToGlobal(QPoint(0, height())));
}

void TColourButton::ChooseMoreColours() {
    const auto chosen = m_dialogs.ChooseColour(window(), ToQColor(m_colour));
    if (chosen)
        SetColour(FromQColor(*chosen));
    emit ClosedUp();
    emit Chosen(m_colour);
}

void TColourButton::UpdateSwatch() {
    QPixmap pixmap(24, 12);
    pixmap.fill(ToQColor(m_colour));
    QPainter painter(&pixmap);
    painter.setPen(Qt::gray);
    painter.drawRect(0, 0, pixmap.width() - 1, pixmap.height() - 1);
    painter.end();
    setIcon(QIcon(pixmap));
    setIconSize(pixmap.size());
}
