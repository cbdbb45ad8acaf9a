#include "TDisplayLabel.hpp"

#include <QImage>
#include <QPaintEvent>
#include <QPainter>

TDisplayLabel::TDisplayLabel(const QString& caption, QWidget* parent)
    : QLabel(parent) {
    // Messages are shown as typed: no markup, no mnemonics.
    setTextFormat(Qt::PlainText);
    setText(caption);
    // Every pixel of the label is painted, keyed or not, so nothing beneath needs painting.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TDisplayLabel::SetCaption(const QString& caption) {
    if (text() != caption)
        setText(caption);
}

void TDisplayLabel::SetTextColour(const QColor& colour) {
    if (m_textColour == colour)
        return;
    m_textColour = colour;
    update();
}

void TDisplayLabel::SetBackColour(const QColor& colour) {
    if (m_backColour == colour)
        return;
    m_backColour = colour;
    update();
}

void TDisplayLabel::SetColourKey(const std::optional<QColor>& key) {
    if (m_colourKey == key)
        return;
    m_colourKey = key;
    update();
}

void TDisplayLabel::SetTextAlignment(Qt::Alignment wanted) {
    if (alignment() != wanted)
        setAlignment(wanted);
}

void TDisplayLabel::SetFontFamily(const QString& family) {
    if (font().family() == family)
        return;
    QFont f = font();
    f.setFamily(family);
    setFont(f);
}

void TDisplayLabel::SetFontPointSize(int points) {
    if (font().pointSize() == points)
        return;
    QFont f = font();
    f.setPointSize(points);
    setFont(f);
}

int TDisplayLabel::DrawFlags() const {
    return static_cast<int>(alignment()) | (wordWrap() ? Qt::TextWordWrap : Qt::TextSingleLine);
}

void KeyOutColour(QImage& image, const QColor& key) {
    if (image.format() != QImage::Format_ARGB32_Premultiplied)
        image = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const QRgb match = key.rgb(); // opaque, so premultiplied and plain agree
    // The bounds are read once: the loop runs over every pixel of a label at each repaint.
    const int width = image.width();
    const int height = image.height();
    for (int y = 0; y < height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x)
            if (line[x] == match)
                line[x] = 0;
    }
}

void TDisplayLabel::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    const QRect area = rect();
    const QString caption = text();
    const int flags = DrawFlags();
    if (!m_colourKey) {
        painter.fillRect(event->rect(), m_backColour);
        if (!caption.isEmpty()) {
            painter.setPen(m_textColour);
            painter.drawText(area, flags, caption);
        }
        return;
    }

    // Keyed: paint as usual into an image, then take the key colour out of it. Only the text's
    // box needs the pixel pass when the background is the key, as it is on the display window.
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    const bool backKeyed = m_backColour.rgb() == m_colourKey->rgb();
    QRect work = event->rect();
    if (backKeyed) {
        painter.fillRect(event->rect(), Qt::transparent);
        if (caption.isEmpty())
            return;
        // Glyphs may reach a little beyond their advance box.
        const int margin = painter.fontMetrics().height() / 8 + 2;
        work &=
            painter.boundingRect(area, flags, caption).adjusted(-margin, -margin, margin, margin);
        work &= area;
        if (work.isEmpty())
            return;
    }
    const qreal ratio = devicePixelRatioF();
    QImage image(work.size() * ratio, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    image.fill(m_backColour);
    {
        QPainter imagePainter(&image);
        imagePainter.translate(-work.topLeft());
        imagePainter.setFont(font());
        imagePainter.setPen(m_textColour);
        imagePainter.drawText(area, flags, caption);
    }
    KeyOutColour(image, *m_colourKey);
    painter.drawImage(work.topLeft(), image);
}
