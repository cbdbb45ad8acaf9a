#pragma once

#include "DisplayLayout.hpp"
#include "TimerEngine.hpp"

#include <QColor>
#include <QMargins>
#include <QPoint>
#include <QRect>
#include <QWidget>
#include <optional>

class TDisplayLabel;
class TVrPercentPie;

// The audience-facing window: the time in large digits, an optional message and the time pie.
// It keeps no state of its own: it shows what the engine holds and reads the operator's settings
// from the engine's controls. The engine drives it through IDisplayView; the control window
// shows, hides and closes it through the methods below. UI thread only.
//
// It is a tool window, so it has no taskbar entry of its own, and it is translucent from the
// start, so that the colour key can be switched on and off without re-creating the native window.
class TFmDisplay : public QWidget, public quorvane::IDisplayView {
    Q_OBJECT
public:
    explicit TFmDisplay(quorvane::TTimerEngine& engine);
    ~TFmDisplay() override;

    // The controls, owned by the window, in the order they are painted: the pie lies on top.
    TDisplayLabel* const LaTime;
    TDisplayLabel* const lblMessage;
    TVrPercentPie* const PieChart;

    // IDisplayView
    bool IsVisible() const override;
    void RefreshDisplay() override;
    void SetTimeText(const std::string& text) override;
    void SetTextColour(quorvane::Colour colour) override;
    void SetMessageCaption(const std::string& text) override;
    void SetMessageColour(quorvane::Colour colour) override;
    void ShowMessageText() override;
    void SetBackColour(quorvane::Colour colour, bool transparent) override;
    void ArrangeDisplay() override;
    void ApplyDisplayFonts() override;
    void RefreshTimePie() override;
    // cbBorderlessClick: the border follows "Borderless Window" while the window is normal.
    void ApplyBorder() override;
    void ApplyOperatorEffects() override;

    // ShowDisplayWindow(true): shows the window with the bounds of DisplayGeometry, maximised
    // and borderless when it says Maximised. Coming out of hiding, it re-applies the counter
    // state, refreshes the texts and applies the fonts.
    void ShowWithGeometry();
    // ShowDisplayWindow(false): a visible window records its bounds, whatever its state, and hides.
    void HideRecordingGeometry();
    // Copies the window's outer bounds into DisplayGeometry (also for the control window's close).
    void RecordGeometry();
    // The maximise/restore toggle of a double-click on either label.
    void LaTimeDblClick();
    // Whether pixels of the key colour are see-through at the moment.
    bool ColourKeyActive() const;

signals:
    // A close request (Alt+F4, the window manager) does not close this window: the control
    // window closes instead, which ends the program.
    void CloseRequested();

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormShow();
    void LaTimeMouseMove(const QPointF& globalPosition);
    bool IsNormalState() const;
    void SetBorderless(bool borderless);
    void SetOuterBounds(const QRect& outer);
    void PlaceOuterBounds();
    void FrameMayHaveChanged();
    void SnapToScreenEdges();
    void ApplyLayout();
    void UpdateTimePie(bool needsTimeText);
    void UpdateColourKey();
    QMargins FrameMargins() const;
    // What the state shows goes through these, so that blackout and attention can stand over it.
    void ShowTimeCaption(const QString& caption);
    void ShowMessageCaption(const QString& caption);
    void PresentCaptions();

    quorvane::TTimerEngine& m_engine;
    quorvane::TDisplayLayout m_layout;
    QColor m_keyColour = Qt::black;
    bool m_transparent = false;
    // What the engine last asked the labels to show.
    QString m_timeCaption = QStringLiteral("00:00:00");
    QString m_messageCaption = QStringLiteral("Message");
    QColor m_timeColour = QColor(0, 128, 0);
    QColor m_messageColour = QColor(128, 0, 128);
    bool m_dark = false;

    // Outer bounds the program asked for; re-applied when the window manager's frame turns out
    // different from the one they were applied with, so the outer size stays what was asked.
    std::optional<QRect> m_wantedOuter;
    QMargins m_placedMargins;
    QMargins m_knownMargins;
    bool m_placing = false;
    std::optional<QPoint> m_snappedFrom;

    // Dragging by a label.
    bool m_dragging = false;
    bool m_systemMoveTried = false;
    QPointF m_dragStart;
    QPoint m_dragWindowStart;
};
