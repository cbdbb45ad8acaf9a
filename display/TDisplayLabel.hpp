#pragma once

#include <QColor>
#include <QLabel>
#include <optional>

// One of the display window's two labels: plain text in a colour over an opaque background,
// centred horizontally, clipped at the label's edges and never shrunk to fit. It paints itself
// so that, while the window's colour key is on, its pixels of exactly the key colour come out
// fully transparent, as a colour-keyed window shows them. Every setter leaves the label alone
// when the value is the one it has, since the engine re-applies its state at every tick.
class TDisplayLabel : public QLabel {
    Q_OBJECT
public:
    TDisplayLabel(const QString& caption, QWidget* parent);

    void SetCaption(const QString& caption);
    QColor TextColour() const { return m_textColour; }
    void SetTextColour(const QColor& colour);
    QColor BackColour() const { return m_backColour; }
    void SetBackColour(const QColor& colour);
    const std::optional<QColor>& ColourKey() const { return m_colourKey; }
    void SetColourKey(const std::optional<QColor>& key);
    void SetTextAlignment(Qt::Alignment alignment);
    void SetFontFamily(const QString& family);
    void SetFontPointSize(int points);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int DrawFlags() const;

    QColor m_textColour = Qt::black;
    QColor m_backColour = Qt::black;
    std::optional<QColor> m_colourKey;
};

// Makes every pixel of exactly the key colour (and opaque) fully transparent.
void KeyOutColour(QImage& image, const QColor& key);
