#include "TColourPalette.hpp"

#include "ColourConversion.hpp"

#include <QGridLayout>
#include <QHideEvent>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QToolButton>

namespace {

constexpr int kSwatchSize = 18;

QIcon SwatchIcon(quorvane::Colour colour) {
    QPixmap pixmap(kSwatchSize - 6, kSwatchSize - 6);
    pixmap.fill(ToQColor(colour));
    QPainter painter(&pixmap);
    painter.setPen(Qt::gray);
    painter.drawRect(0, 0, pixmap.width() - 1, pixmap.height() - 1);
    return QIcon(pixmap);
}

QString ColourName(quorvane::Colour colour) {
    return QStringLiteral("0x") +
           QString::number(colour, 16).rightJustified(6, QLatin1Char('0')).toUpper();
}

} // namespace

const std::array<quorvane::Colour, TColourPalette::kRows* TColourPalette::kColumns>
    TColourPalette::Swatches = {
        0x000000, 0x003399, 0x003333, 0x003300, 0x663300, 0x800000, 0x353333, 0x333333,
        0x000080, 0x0066FF, 0x008080, 0x008000, 0x808000, 0xFF0000, 0x996666, 0x808080,
        0x0000FF, 0x0099FF, 0x00CC99, 0x669933, 0xCCCC33, 0xFF6633, 0x800080, 0x999999,
        0xFF00FF, 0x00CCFF, 0x00FFFF, 0x00FF00, 0xFFFF00, 0xFFCC00, 0x663399, 0xC0C0C0,
        0xCC99FF, 0x99CCFF, 0x99FFFF, 0xCCFFCC, 0xFFFFCC, 0xFFCC99, 0xFF99CC, 0xFFFFFF,
};

TColourPalette::TColourPalette(QWidget* parent)
    : QFrame(parent, Qt::Popup) {
    setObjectName(QStringLiteral("Palette"));
    setFrameShape(QFrame::StyledPanel);
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(3, 3, 3, 3);
    grid->setSpacing(1);

    auto* automatic = new QPushButton(tr("Automatic"), this);
    automatic->setObjectName(QStringLiteral("Automatic"));
    automatic->setIcon(SwatchIcon(kAutomatic));
    connect(automatic, &QPushButton::clicked, this, [this] { Finish(true, kAutomatic); });
    grid->addWidget(automatic, 0, 0, 1, kColumns);

    for (int i = 0; i < kRows * kColumns; ++i) {
        const quorvane::Colour colour = Swatches[static_cast<std::size_t>(i)];
        auto* swatch = new QToolButton(this);
        swatch->setObjectName(QStringLiteral("Swatch%1").arg(i));
        swatch->setAutoRaise(true);
        swatch->setFixedSize(kSwatchSize, kSwatchSize);
        swatch->setIcon(SwatchIcon(colour));
        swatch->setAccessibleName(ColourName(colour));
        swatch->setToolTip(ColourName(colour));
        connect(swatch, &QToolButton::clicked, this, [this, colour] { Finish(true, colour); });
        grid->addWidget(swatch, 1 + i / kColumns, i % kColumns);
    }

    auto* more = new QPushButton(tr("More Colors..."), this);
    more->setObjectName(QStringLiteral("MoreColours"));
    connect(more, &QPushButton::clicked, this, [this] { Finish(false); });
    grid->addWidget(more, 1 + kRows, 0, 1, kColumns);
}

void TColourPalette::Popup(const QPoint& globalPos) {
    adjustSize();
    move(globalPos);
    m_open = true;
    show();
}

void TColourPalette::Finish(bool picked, quorvane::Colour colour) {
    if (!m_open)
        return;
    m_open = false;
    hide();
    if (picked)
        emit Picked(colour);
    else
        emit MoreColoursRequested();
}

void TColourPalette::hideEvent(QHideEvent* event) {
    QFrame::hideEvent(event);
    // Escape or a click outside closes the pop-up without a choice.
    if (m_open) {
        m_open = false;
        emit Dismissed();
    }
}
