#pragma once

#include <QColor>
#include <QWidget>
#include <optional>
#include <vector>

// A point of the pie's bounding box, y growing downwards.
struct TPiePoint {
    int X = 0;
    int Y = 0;
    bool operator==(const TPiePoint&) const = default;
};

// What one segment draws: the sector clockwise from From (the previous boundary) to To (its own).
struct TPieWedge {
    int Percent = 0; // the whole percentage of the running sum at this segment's boundary
    TPiePoint From;
    TPiePoint To;
    bool Drawn = false; // only a positive value draws, outline included
    bool Whole = false; // To == From: the wedge is the whole ellipse
};

// x to the nearest whole number, halves to the even neighbour.
double NearestEven(double x);

// The drawing rule's arithmetic for segments of the given values in a box of width × height:
// boundaries in whole percents of the total, clockwise from 12 o'clock.
std::vector<TPieWedge> PieWedges(const std::vector<double>& values, int width, int height);

struct TVrPieSegment {
    QColor Color;
    double Value = 0.0;
    Qt::BrushStyle Pattern = Qt::SolidPattern;
};

// A pie of segments in the widget's ellipse. Setting a property to the value it has repaints
// nothing, since the display re-applies its state at every tick.
class TVrPercentPie : public QWidget {
    Q_OBJECT
public:
    explicit TVrPercentPie(QWidget* parent = nullptr);

    int AddSegment(const QColor& color, double value, Qt::BrushStyle pattern = Qt::SolidPattern);
    int SegmentCount() const { return static_cast<int>(m_segments.size()); }
    const TVrPieSegment& Segment(int index) const { return m_segments.at(index); }
    void SetSegmentValue(int index, double value);
    void SetSegmentColor(int index, const QColor& color);
    void SetSegmentPattern(int index, Qt::BrushStyle pattern);

    // The sum of the segments' values.
    double Total() const { return m_total; }

    QColor OutlineColor() const { return m_outline; }
    void SetOutlineColor(const QColor& color);

    // Outside the ellipse, what lies beneath shows through; otherwise the palette's window colour.
    bool Transparent() const { return m_transparent; }
    void SetTransparent(bool transparent);

    // On a window whose pixels of exactly the key colour are see-through, what the pie paints in
    // that colour must be see-through too, also where it covers the labels beneath it.
    const std::optional<QColor>& ColourKey() const { return m_colourKey; }
    void SetColourKey(const std::optional<QColor>& key);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void ValuesChanged();

    std::vector<TVrPieSegment> m_segments;
    double m_total = 0.0;
    QColor m_outline = Qt::black;
    bool m_transparent = true;
    std::optional<QColor> m_colourKey;
};
