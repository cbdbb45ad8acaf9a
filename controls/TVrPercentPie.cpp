#include "TVrPercentPie.hpp"

#include <QPainter>
#include <QStringList>
#include <algorithm>
#include <cmath>
#include <numbers>

double NearestEven(double x) {
    const double lower = std::floor(x);
    const double fraction = x - lower;
    if (fraction < 0.5)
        return lower;
    if (fraction > 0.5)
        return lower + 1.0;
    return std::fmod(lower, 2.0) == 0.0 ? lower : lower + 1.0;
}

namespace {

int WholePercent(double sum, double total) {
    const double t = NearestEven(total);
    if (t == 0.0)
        return 0;
    const double p = std::trunc(100.0 * NearestEven(sum) / t);
    if (std::isnan(p))
        return 0;
    // Negative values can push the share far outside 0..100; the angle only needs it modulo 100.
    return static_cast<int>(std::clamp(p, -1.0e9, 1.0e9));
}

// The angle, in degrees counter-clockwise from 3 o'clock as QPainter counts them, of the radial
// through a point of the box. QPainter takes the angle of the circle it scales to the ellipse.
double PainterAngle(const TPiePoint& point, const QRectF& ellipse) {
    const QPointF c = ellipse.center();
    const double rx = ellipse.width() / 2.0;
    const double ry = ellipse.height() / 2.0;
    const double dx = rx > 0 ? (point.X - c.x()) / rx : 0.0;
    const double dy = ry > 0 ? (c.y() - point.Y) / ry : 0.0;
    return std::atan2(dy, dx) * 180.0 / std::numbers::pi;
}

} // namespace

std::vector<TPieWedge> PieWedges(const std::vector<double>& values, int width, int height) {
    double total = 0.0;
    for (double v : values)
        total += v;
    const int hw = width / 2;
    const int hh = height / 2;
    std::vector<TPieWedge> wedges;
    wedges.reserve(values.size());
    TPiePoint boundary{hw, 0};
    double sum = 0.0;
    for (double value : values) {
        sum += value;
        TPieWedge w;
        w.Percent = WholePercent(sum, total);
        const double theta = (w.Percent / 50.0 + 0.5) * std::numbers::pi;
        w.From = boundary;
        w.To = {static_cast<int>(NearestEven((1.0 - std::cos(theta)) * hw)),
                static_cast<int>(NearestEven((1.0 - std::sin(theta)) * hh))};
        w.Drawn = value > 0.0;
        w.Whole = w.To == w.From;
        wedges.push_back(w);
        boundary = w.To;
    }
    return wedges;
}

TVrPercentPie::TVrPercentPie(QWidget* parent)
    : QWidget(parent) {
    setAccessibleName(QStringLiteral("Pie"));
}

int TVrPercentPie::AddSegment(const QColor& color, double value, Qt::BrushStyle pattern) {
    m_segments.push_back({color, value, pattern});
    ValuesChanged();
    return SegmentCount() - 1;
}

void TVrPercentPie::SetSegmentValue(int index, double value) {
    TVrPieSegment& s = m_segments.at(index);
    if (s.Value == value)
        return;
    s.Value = value;
    ValuesChanged();
}

void TVrPercentPie::SetSegmentColor(int index, const QColor& color) {
    TVrPieSegment& s = m_segments.at(index);
    if (s.Color == color)
        return;
    s.Color = color;
    update();
}

void TVrPercentPie::SetSegmentPattern(int index, Qt::BrushStyle pattern) {
    TVrPieSegment& s = m_segments.at(index);
    if (s.Pattern == pattern)
        return;
    s.Pattern = pattern;
    update();
}

void TVrPercentPie::SetOutlineColor(const QColor& color) {
    if (m_outline == color)
        return;
    m_outline = color;
    update();
}

void TVrPercentPie::SetTransparent(bool transparent) {
    if (m_transparent == transparent)
        return;
    m_transparent = transparent;
    update();
}

void TVrPercentPie::SetColourKey(const std::optional<QColor>& key) {
    if (m_colourKey == key)
        return;
    m_colourKey = key;
    update();
}

void TVrPercentPie::ValuesChanged() {
    m_total = 0.0;
    for (const auto& s : m_segments)
        m_total += s.Value;
    // A screen reader cannot see the picture; it reads the shares instead.
    QStringList shares;
    for (const auto& s : m_segments) {
        const int percent =
            m_total > 0 ? static_cast<int>(std::lround(100.0 * s.Value / m_total)) : 0;
        shares << QStringLiteral("%1%").arg(percent);
    }
    setAccessibleDescription(shares.join(QStringLiteral(", ")));
    update();
}

void TVrPercentPie::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    if (!m_transparent)
        painter.fillRect(rect(), palette().window());
    if (width() < 2 || height() < 2)
        return;
    std::vector<double> values;
    values.reserve(m_segments.size());
    for (const auto& s : m_segments)
        values.push_back(s.Value);
    const auto wedges = PieWedges(values, width(), height());

    // Drawn without antialiasing, so every pixel has exactly a segment's or the outline's colour
    // and a colour key on the window matches all of it.
    const auto keyed = [this](const QColor& colour) {
        return m_colourKey && colour.rgb() == m_colourKey->rgb();
    };
    const bool outlineKeyed = keyed(m_outline);
    const QRect box(0, 0, width() - 1, height() - 1);
    painter.setPen(QPen(outlineKeyed ? QColor(Qt::transparent) : m_outline, 1));
    for (std::size_t i = 0; i < wedges.size(); ++i) {
        const TPieWedge& w = wedges[i];
        if (!w.Drawn)
            continue;
        const TVrPieSegment& segment = m_segments[i];
        const bool fillKeyed = keyed(segment.Color);
        // Pixels of the key colour are written as transparent rather than blended over the
        // labels, so the desktop shows through them as through the labels' background. Only a
        // solid fill may do so: the gaps of a hatched one would wipe out what lies beneath.
        const bool punch = (fillKeyed || outlineKeyed) && segment.Pattern == Qt::SolidPattern;
        painter.setCompositionMode(punch ? QPainter::CompositionMode_Source
                                         : QPainter::CompositionMode_SourceOver);
        painter.setBrush(
            QBrush(fillKeyed ? QColor(Qt::transparent) : segment.Color, segment.Pattern));
        if (w.Whole) {
            painter.drawEllipse(box);
            continue;
        }
        const double start = PainterAngle(w.To, box);
        double span = PainterAngle(w.From, box) - start;
        while (span <= 0.0)
            span += 360.0;
        while (span > 360.0)
            span -= 360.0;
        painter.drawPie(box, static_cast<int>(std::lround(start * 16.0)),
                        static_cast<int>(std::lround(span * 16.0)));
    }
}
