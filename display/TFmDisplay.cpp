#include "TFmDisplay.hpp"

#include "DesktopCompositing.hpp"
#include "StayOnTop.hpp"
#include "TDisplayLabel.hpp"
#include "TVrPercentPie.hpp"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QWindow>
#include <algorithm>
#include <cstdlib>

using quorvane::Colour;
using quorvane::CounterState;

namespace {

constexpr int kMinimumOuterWidth = 200;
constexpr int kMinimumOuterHeight = 100;
constexpr int kSnapDistance = 5;
constexpr int kPieLeft = 4;
constexpr int kPieSize = 75;
constexpr int kFallbackPoints = 48;
const char* const kFallbackFamily = "Arial";

// The engine's colours are 0x00BBGGRR, red in the low byte.
QColor QColorFromColour(Colour colour) {
    return QColor(static_cast<int>(colour & 0xFFu), static_cast<int>((colour >> 8) & 0xFFu),
                  static_cast<int>((colour >> 16) & 0xFFu));
}

QFont LabelFont() {
    QFont font(QString::fromLatin1(kFallbackFamily), kFallbackPoints);
    font.setBold(true);
    font.setFixedPitch(true);
    return font;
}

// Where a frame moves when each of its edges within `distance` of the same edge of `area` goes
// onto that edge.
QPoint SnappedPosition(const QRect& frame, const QRect& area, int distance) {
    QPoint at = frame.topLeft();
    if (std::abs(frame.left() - area.left()) <= distance)
        at.setX(area.left());
    else if (std::abs(frame.right() - area.right()) <= distance)
        at.setX(area.right() - frame.width() + 1);
    if (std::abs(frame.top() - area.top()) <= distance)
        at.setY(area.top());
    else if (std::abs(frame.bottom() - area.bottom()) <= distance)
        at.setY(area.bottom() - frame.height() + 1);
    return at;
}

Qt::Alignment VerticalAlignment(quorvane::TTextPlace place) {
    switch (place) {
    case quorvane::TTextPlace::Top:
        return Qt::AlignTop;
    case quorvane::TTextPlace::Bottom:
        return Qt::AlignBottom;
    case quorvane::TTextPlace::Centre:
        break;
    }
    return Qt::AlignVCenter;
}

void PlaceLabel(TDisplayLabel& label, const quorvane::TLabelLayout& layout,
                const quorvane::TBand& band, int width) {
    const QRect bounds(0, band.Top, width, band.Height);
    if (label.geometry() != bounds)
        label.setGeometry(bounds);
    label.SetTextAlignment(Qt::AlignHCenter | VerticalAlignment(layout.Text));
    if (label.isHidden() == layout.Visible)
        label.setVisible(layout.Visible);
}

} // namespace

TFmDisplay::TFmDisplay(quorvane::TTimerEngine& engine)
    : QWidget(nullptr, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
    , LaTime(new TDisplayLabel(QStringLiteral("00:00:00"), this))
    , lblMessage(new TDisplayLabel(QStringLiteral("Message"), this))
    , PieChart(new TVrPercentPie(this))
    , m_engine(engine) {
    setObjectName(QStringLiteral("FmDisplay"));
    setWindowTitle(QStringLiteral("Quorvane"));
    setAttribute(Qt::WA_TranslucentBackground);
    setMinimumSize(kMinimumOuterWidth, kMinimumOuterHeight);
    resize(engine.DisplayGeometry.Width, engine.DisplayGeometry.Height);

    LaTime->setObjectName(QStringLiteral("LaTime"));
    LaTime->setFont(LabelFont());
    LaTime->SetTextColour(QColor(0, 128, 0));
    LaTime->SetBackColour(Qt::black);
    lblMessage->setObjectName(QStringLiteral("lblMessage"));
    lblMessage->setFont(LabelFont());
    lblMessage->setWordWrap(true);
    lblMessage->SetTextColour(QColor(128, 0, 128));
    lblMessage->SetBackColour(Qt::black);
    for (TDisplayLabel* label : {LaTime, lblMessage})
        label->installEventFilter(this);

    PieChart->setObjectName(QStringLiteral("PieChart"));
    PieChart->setGeometry(kPieLeft, m_layout.PieTop, kPieSize, kPieSize);
    PieChart->SetOutlineColor(Qt::black);
    PieChart->AddSegment(QColor(0, 128, 0), 75.0);
    PieChart->AddSegment(Qt::black, 25.0);
    PieChart->SetTransparent(true);

    ApplyLayout();
}

TFmDisplay::~TFmDisplay() = default;

// ---- the engine's operations ------------------------------------------------------------------

bool TFmDisplay::IsVisible() const {
    return isVisible();
}

void TFmDisplay::RefreshDisplay() {
    ShowTimeCaption(QString::fromStdString(m_engine.Counter.TimeText));
    ShowMessageCaption(m_engine.MessageShowing ? QString::fromStdString(m_engine.MessageText)
                                               : QString());
    UpdateTimePie(false);
    ArrangeDisplay();
}

void TFmDisplay::SetTimeText(const std::string& text) {
    ShowTimeCaption(QString::fromStdString(text));
}

void TFmDisplay::SetTextColour(Colour colour) {
    const QColor c = QColorFromColour(colour);
    m_timeColour = c;
    PresentCaptions();
    PieChart->SetOutlineColor(c);
    PieChart->SetSegmentColor(0, c);
    PieChart->SetSegmentColor(1, Qt::black);
}

void TFmDisplay::SetMessageCaption(const std::string& text) {
    ShowMessageCaption(QString::fromStdString(text));
}

void TFmDisplay::SetMessageColour(Colour colour) {
    m_messageColour = QColorFromColour(colour);
    PresentCaptions();
}

void TFmDisplay::ShowMessageText() {
    ShowMessageCaption(m_engine.MessageShowing ? QString::fromStdString(m_engine.MessageText)
                                               : QString());
    ArrangeDisplay();
}

void TFmDisplay::SetBackColour(Colour colour, bool transparent) {
    m_keyColour = QColorFromColour(colour);
    m_transparent = transparent;
    LaTime->SetBackColour(m_keyColour);
    lblMessage->SetBackColour(m_keyColour);
    UpdateColourKey();
}

void TFmDisplay::ArrangeDisplay() {
    const int digitHeight = QFontMetrics(LaTime->font()).height();
    m_layout = quorvane::ArrangeLayout(m_layout, m_engine.Controls.edMessageMode.ItemIndex(),
                                       m_engine.MessageText.empty(), height(), digitHeight,
                                       PieChart->height());
    ApplyLayout();
}

void TFmDisplay::ApplyDisplayFonts() {
    const auto& c = m_engine.Controls;
    // Sizes are taken in points as they are, never fitted to the window.
    const auto size = [](const quorvane::TSpinEdit& edit) {
        const int points = edit.Value();
        return points > 0 ? points : kFallbackPoints;
    };
    // An empty selection keeps the name; a font that is not installed falls back to Arial.
    const auto applyName = [](TDisplayLabel& label, const quorvane::TTextEdit& edit) {
        if (edit.Text().empty())
            return;
        const QString family = QString::fromStdString(edit.Text());
        label.SetFontFamily(
            QFontDatabase::hasFamily(family) ? family : QString::fromLatin1(kFallbackFamily));
    };
    LaTime->SetFontPointSize(size(c.edTimeFontSize));
    applyName(*LaTime, c.edTimeFontName);
    lblMessage->SetFontPointSize(size(c.edMessageFontSize));
    applyName(*lblMessage, c.edMessageFontName);
    // The pie sits on the middle of the digits, which moves with the time font.
    ArrangeDisplay();
    // So that the new fonts show at once.
    QCoreApplication::processEvents();
}

void TFmDisplay::RefreshTimePie() {
    UpdateTimePie(true);
    ArrangeDisplay();
}

void TFmDisplay::ApplyBorder() {
    if (!IsNormalState())
        return;
    // The outer bounds stay; the client area gives the new border its room.
    if (isVisible())
        SetOuterBounds(frameGeometry());
    SetBorderless(m_engine.Controls.cbBorderless.Checked());
}

void TFmDisplay::ApplyOperatorEffects() {
    PresentCaptions();
}

void TFmDisplay::ShowTimeCaption(const QString& caption) {
    m_timeCaption = caption;
    PresentCaptions();
}

void TFmDisplay::ShowMessageCaption(const QString& caption) {
    m_messageCaption = caption;
    PresentCaptions();
}

// The labels' own setters repaint only what changed, so this runs as often as the engine asks.
void TFmDisplay::PresentCaptions() {
    const bool dark = m_engine.Blackout();
    // Blackout stands over the attention blink: a dark stage stays dark.
    const bool attention = !dark && m_engine.AttentionShowing();
    QString time = m_timeCaption;
    QString message = m_messageCaption;
    if (attention) {
        // The digits and the message blink whatever the state's own display mode shows.
        time = QString::fromStdString(m_engine.Counter.TimeText);
        message =
            m_engine.MessageShowing ? QString::fromStdString(m_engine.MessageText) : QString();
    }
    if (dark || (attention && m_engine.AttentionPhase() == 1)) {
        time.clear();
        message.clear();
    }
    const QColor alert = QColorFromColour(m_engine.Controls.EdExpiredColour.Selected());
    LaTime->SetTextColour(attention ? alert : m_timeColour);
    lblMessage->SetTextColour(attention ? alert : m_messageColour);
    LaTime->SetCaption(time);
    lblMessage->SetCaption(message);
    if (dark != m_dark) {
        m_dark = dark;
        UpdateTimePie(true);
    }
}

void TFmDisplay::UpdateTimePie(bool needsTimeText) {
    const int mode = m_engine.CounterMode();
    bool visible = m_engine.Controls.cbShowTimePie.Checked() && mode >= 0 && mode <= 3 &&
                   m_engine.CurrentState() != CounterState::Expired && !m_engine.Blackout();
    // Switching the pie on while the digits are blanked or in their hidden flash half keeps it
    // hidden until the next refresh.
    if (needsTimeText)
        visible = visible && !m_timeCaption.isEmpty();
    if (visible) {
        if (const auto values =
                quorvane::PieValues(mode, m_engine.Counter.Count, m_engine.Counter.StartTime)) {
            PieChart->SetSegmentValue(0, values->first);
            PieChart->SetSegmentValue(1, values->second);
        }
    }
    if (PieChart->isHidden() == visible)
        PieChart->setVisible(visible);
}

void TFmDisplay::UpdateColourKey() {
    const bool active = m_transparent && DesktopComposites();
    const std::optional<QColor> key = active ? std::optional<QColor>(m_keyColour) : std::nullopt;
    LaTime->SetColourKey(key);
    lblMessage->SetColourKey(key);
    PieChart->SetColourKey(key);
}

bool TFmDisplay::ColourKeyActive() const {
    return LaTime->ColourKey().has_value();
}

void TFmDisplay::ApplyLayout() {
    const quorvane::TLabelBands bands = quorvane::DockLabels(m_layout, height());
    PlaceLabel(*LaTime, m_layout.Time, bands.Time, width());
    PlaceLabel(*lblMessage, m_layout.Message, bands.Message, width());
    const QRect pie(kPieLeft, m_layout.PieTop, PieChart->width(), PieChart->height());
    if (PieChart->geometry() != pie)
        PieChart->setGeometry(pie);
}

// ---- showing, hiding and the window's bounds --------------------------------------------------

void TFmDisplay::FormShow() {
    m_engine.ApplyCounterState(m_engine.CurrentState());
    RefreshDisplay();
    ApplyDisplayFonts();
}

void TFmDisplay::ShowWithGeometry() {
    const bool wasHidden = isHidden();
    const quorvane::TDisplayGeometry& g = m_engine.DisplayGeometry;
    if (g.Maximised) {
        m_wantedOuter.reset();
        SetBorderless(true);
        setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowMaximized);
    } else {
        SetBorderless(m_engine.Controls.cbBorderless.Checked());
        setWindowState(windowState() &
                       ~(Qt::WindowMaximized | Qt::WindowMinimized | Qt::WindowFullScreen));
        SetOuterBounds(QRect(g.Left, g.Top, g.Width, g.Height));
    }
    if (!wasHidden)
        return;
    // A compositing manager may have come or gone while the window was hidden.
    UpdateColourKey();
    show();
    FormShow();
}

void TFmDisplay::HideRecordingGeometry() {
    if (!isVisible())
        return;
    RecordGeometry();
    hide();
}

void TFmDisplay::RecordGeometry() {
    const QRect outer = frameGeometry();
    quorvane::TDisplayGeometry& g = m_engine.DisplayGeometry;
    g.Top = outer.top();
    g.Left = outer.left();
    g.Height = outer.height();
    g.Width = outer.width();
}

void TFmDisplay::LaTimeDblClick() {
    if (IsNormalState()) {
        RecordGeometry();
        m_wantedOuter.reset();
        SetBorderless(true);
        setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowMaximized);
    } else {
        setWindowState(windowState() &
                       ~(Qt::WindowMaximized | Qt::WindowMinimized | Qt::WindowFullScreen));
        SetBorderless(m_engine.Controls.cbBorderless.Checked());
        const quorvane::TDisplayGeometry& g = m_engine.DisplayGeometry;
        SetOuterBounds(QRect(g.Left, g.Top, g.Width, g.Height));
    }
    ArrangeDisplay();
}

bool TFmDisplay::IsNormalState() const {
    return !(windowState() & (Qt::WindowMaximized | Qt::WindowMinimized | Qt::WindowFullScreen));
}

void TFmDisplay::SetBorderless(bool borderless) {
    SetWindowFlagInPlace(*this, Qt::FramelessWindowHint, borderless);
}

QMargins TFmDisplay::FrameMargins() const {
    const QRect outer = frameGeometry();
    const QRect inner = geometry();
    return {inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
            outer.bottom() - inner.bottom()};
}

void TFmDisplay::SetOuterBounds(const QRect& outer) {
    m_wantedOuter = outer;
    PlaceOuterBounds();
}

void TFmDisplay::PlaceOuterBounds() {
    if (!m_wantedOuter)
        return;
    const QMargins frame = FrameMargins();
    m_placedMargins = frame;
    m_placing = true;
    // A window's position is that of its frame, its size that of its client area.
    move(m_wantedOuter->topLeft());
    resize(m_wantedOuter->width() - frame.left() - frame.right(),
           m_wantedOuter->height() - frame.top() - frame.bottom());
    m_placing = false;
}

// The window manager decorates a window some time after it is shown, and again when its border
// comes or goes; only then are the frame's margins known.
void TFmDisplay::FrameMayHaveChanged() {
    const QMargins frame = FrameMargins();
    if (frame == m_knownMargins)
        return;
    m_knownMargins = frame;
    setMinimumSize(std::max(0, kMinimumOuterWidth - frame.left() - frame.right()),
                   std::max(0, kMinimumOuterHeight - frame.top() - frame.bottom()));
    if (m_wantedOuter && IsNormalState() && frame != m_placedMargins)
        PlaceOuterBounds();
}

void TFmDisplay::SnapToScreenEdges() {
    if (m_placing || !isVisible() || !IsNormalState() || !screen())
        return;
    const QRect outer = frameGeometry();
    const QPoint at = SnappedPosition(outer, screen()->availableGeometry(), kSnapDistance);
    if (at == outer.topLeft())
        return;
    // A window manager that will not let the window onto the edge must not start a tug of war.
    if (m_snappedFrom == outer.topLeft())
        return;
    m_snappedFrom = outer.topLeft();
    move(at);
}

// ---- events -----------------------------------------------------------------------------------

void TFmDisplay::closeEvent(QCloseEvent* event) {
    event->ignore();
    emit CloseRequested();
}

void TFmDisplay::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    FrameMayHaveChanged();
    ApplyLayout();
    ArrangeDisplay();
}

void TFmDisplay::moveEvent(QMoveEvent* event) {
    QWidget::moveEvent(event);
    FrameMayHaveChanged();
    SnapToScreenEdges();
}

void TFmDisplay::paintEvent(QPaintEvent* /*event*/) {
    // The labels cover the client area in every layout but the one the window is created with;
    // the window's own background shows only in that gap.
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Button));
}

bool TFmDisplay::eventFilter(QObject* watched, QEvent* event) {
    if (watched != LaTime && watched != lblMessage)
        return QWidget::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton) {
            m_dragging = true;
            m_systemMoveTried = false;
            m_dragStart = mouse->globalPosition();
            m_dragWindowStart = pos();
        }
        break;
    }
    case QEvent::MouseMove: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->buttons() & Qt::LeftButton)
            LaTimeMouseMove(mouse->globalPosition());
        break;
    }
    case QEvent::MouseButtonRelease:
        if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
            m_dragging = false;
        break;
    case QEvent::MouseButtonDblClick:
        if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
            LaTimeDblClick();
        break;
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

// Dragging by a label, with or without a border: the window manager moves the window where it
// can; where it cannot (no window manager, the offscreen platform), the window follows the mouse.
void TFmDisplay::LaTimeMouseMove(const QPointF& globalPosition) {
    if (!m_dragging)
        return;
    if (!m_systemMoveTried) {
        m_systemMoveTried = true;
        if (windowHandle() && windowHandle()->startSystemMove()) {
            // The operator places the window now, not DisplayGeometry.
            m_wantedOuter.reset();
            m_dragging = false;
            return;
        }
    }
    if (!IsNormalState())
        return;
    m_wantedOuter.reset();
    const QPointF offset = globalPosition - m_dragStart;
    move(m_dragWindowStart + offset.toPoint());
}
