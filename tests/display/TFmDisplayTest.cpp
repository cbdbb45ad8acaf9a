#include "ColourConversion.hpp"
#include "DisplayWorld.hpp"
#include "TDisplayLabel.hpp"
#include "TVrPercentPie.hpp"

#include <QFontMetrics>
#include <QImage>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

using namespace quorvane;
using namespace quorvane::testing;

namespace {

struct Display : ::testing::Test, DisplayWorld {
    QImage Grab(QWidget* child) { return display.grab(child->geometry()).toImage(); }
    int DigitHeight() const { return QFontMetrics(display.LaTime->font()).height(); }
};

TEST_F(Display, IsAToolWindowWithATitleAndNoButtonsThatCannotBeClosedOrShrunk) {
    Show(50, 40, 420, 260);
    EXPECT_EQ(display.windowTitle(), QStringLiteral("Quorvane"));
    const Qt::WindowFlags flags = display.windowFlags();
    EXPECT_EQ(flags & Qt::WindowType_Mask, Qt::Tool); // no taskbar entry of its own
    for (Qt::WindowType button : {Qt::WindowSystemMenuHint, Qt::WindowMinimizeButtonHint,
                                  Qt::WindowMaximizeButtonHint, Qt::WindowCloseButtonHint})
        EXPECT_FALSE(flags & button) << button;
    EXPECT_TRUE(flags & Qt::WindowTitleHint);

    display.resize(50, 20);
    EXPECT_GE(display.frameGeometry().width(), 200);
    EXPECT_GE(display.frameGeometry().height(), 100);

    QSignalSpy closing(&display, &TFmDisplay::CloseRequested);
    EXPECT_FALSE(display.close());
    EXPECT_TRUE(display.isVisible());
    EXPECT_EQ(closing.count(), 1);
}

// Bands in a client area 401 pixels high: the upper label of a split gets the smaller half.
struct LayoutCase {
    const char* name;
    int before; // the mode laid out first, without a message
    int mode;   // -1: nothing selected
    bool withMessage;
    bool timeShown;
    int timeTop, timeHeight;
    Qt::Alignment timeAlign;
    bool messageShown;
    int messageTop, messageHeight;
    Qt::Alignment messageAlign;
    enum { Centred, BelowMiddleByDigits, AboveMiddleByDigits } pie;
};

TEST_F(Display, LaysOutEveryMessageModeWithAndWithoutAMessage) {
    constexpr auto top = Qt::AlignTop, bottom = Qt::AlignBottom, centre = Qt::AlignVCenter;
    constexpr auto up = LayoutCase::BelowMiddleByDigits, down = LayoutCase::AboveMiddleByDigits,
                   mid = LayoutCase::Centred;
    const LayoutCase cases[] = {
        {"replaces time, no message: the time alone", 1, 0, false, true, 0, 401, centre, false, 0,
         0, top, mid},
        {"replaces time: the message alone; the pie stays where it was", 3, 0, true, false, 0, 0,
         top, true, 0, 401, centre, down},
        {"above time, no message: an empty upper half", 0, 1, false, true, 200, 201, top, true, 0,
         200, bottom, up},
        {"above time", 0, 1, true, true, 200, 201, top, true, 0, 200, bottom, up},
        {"above time, auto centre, no message: the time alone", 1, 2, false, true, 0, 401, centre,
         false, 0, 0, top, mid},
        {"above time, auto centre", 0, 2, true, true, 200, 201, top, true, 0, 200, bottom, up},
        {"below time, no message: an empty lower half", 0, 3, false, true, 0, 200, bottom, true,
         200, 201, top, down},
        {"below time", 0, 3, true, true, 0, 200, bottom, true, 200, 201, top, down},
        {"below time, auto centre, no message: the time alone", 3, 4, false, true, 0, 401, centre,
         false, 0, 0, top, mid},
        {"below time, auto centre", 0, 4, true, true, 0, 200, bottom, true, 200, 201, top, down},
        {"nothing selected changes nothing", 3, -1, true, true, 0, 200, bottom, true, 200, 201, top,
         down},
    };
    c.cbBorderless.SetChecked(true); // outer bounds are then the client area
    Show(10, 10, 640, 401);
    ASSERT_EQ(display.height(), 401);
    const int h = DigitHeight();
    for (const auto& k : cases) {
        SendMessage("");
        c.edMessageMode.SetItemIndex(k.before);
        display.ArrangeDisplay();
        SendMessage(k.withMessage ? "Five minutes" : "");
        c.edMessageMode.SetItemIndex(k.mode);
        display.ArrangeDisplay();

        const TDisplayLabel& time = *display.LaTime;
        const TDisplayLabel& message = *display.lblMessage;
        EXPECT_EQ(!time.isHidden(), k.timeShown) << k.name;
        EXPECT_EQ(!message.isHidden(), k.messageShown) << k.name;
        if (k.timeShown) {
            EXPECT_EQ(time.geometry(), QRect(0, k.timeTop, 640, k.timeHeight)) << k.name;
            EXPECT_EQ(time.alignment(), Qt::AlignHCenter | k.timeAlign) << k.name;
        }
        if (k.messageShown) {
            EXPECT_EQ(message.geometry(), QRect(0, k.messageTop, 640, k.messageHeight)) << k.name;
            EXPECT_EQ(message.alignment(), Qt::AlignHCenter | k.messageAlign) << k.name;
        }
        const int pieTop = k.pie == mid  ? 401 / 2 - 37
                           : k.pie == up ? 200 + h / 2 - 37
                                         : 200 - h / 2 - 37;
        EXPECT_EQ(display.PieChart->geometry(), QRect(4, pieTop, 75, 75)) << k.name;
    }
}

TEST_F(Display, ResizingSplitsTheWindowAgain) {
    c.edMessageMode.SetItemIndex(3);
    c.cbBorderless.SetChecked(true);
    Show(10, 10, 640, 401);
    display.resize(640, 300);
    EXPECT_EQ(display.LaTime->geometry(), QRect(0, 0, 640, 150));
    EXPECT_EQ(display.lblMessage->geometry(), QRect(0, 150, 640, 150));
    EXPECT_EQ(display.PieChart->y(), 150 - DigitHeight() / 2 - 37);
}

TEST_F(Display, FontsAreSetInPointsWithFallbacks) {
    const struct {
        const char* name;
        std::string size, family;
        int expectedSize;
        QString expectedFamily;
    } cases[] = {
        {"size and name as set", "72", "DejaVu Serif", 72, QStringLiteral("DejaVu Serif")},
        {"an empty size is 48 points; an empty name keeps the name", "", "", 48,
         QStringLiteral("DejaVu Serif")},
        {"a size that is no number reads as the minimum", "big", "DejaVu Sans", 24,
         QStringLiteral("DejaVu Sans")},
        {"a font that is not installed is Arial", "999", "No Such Font Anywhere", 999,
         QStringLiteral("Arial")},
    };
    Show(10, 10, 400, 300);
    for (const auto& k : cases) {
        c.edTimeFontSize.SetText(k.size);
        c.edTimeFontName.SetText(k.family);
        c.edMessageFontSize.SetText(k.size);
        c.edMessageFontName.SetText(k.family);
        display.ApplyDisplayFonts();
        for (const TDisplayLabel* label : {display.LaTime, display.lblMessage}) {
            EXPECT_EQ(label->font().pointSize(), k.expectedSize) << k.name;
            EXPECT_EQ(label->font().family(), k.expectedFamily) << k.name;
            EXPECT_TRUE(label->font().bold()) << k.name;
        }
    }
    // Not fitted to the window: the size stays whatever the window's size.
    display.resize(200, 100);
    EXPECT_EQ(display.LaTime->font().pointSize(), 999);
}

TEST_F(Display, GeometryThroughHideShowAndTheMaximiseToggle) {
    TDisplayGeometry& g = engine.DisplayGeometry;
    Show(40, 30, 420, 260);
    EXPECT_EQ(display.frameGeometry(), QRect(40, 30, 420, 260));
    EXPECT_FALSE(display.windowFlags() & Qt::FramelessWindowHint);

    display.move(100, 120);
    display.HideRecordingGeometry();
    EXPECT_FALSE(display.isVisible());
    EXPECT_EQ((std::tuple{g.Left, g.Top, g.Width, g.Height}), std::tuple(100, 120, 420, 260));

    // A double-click records the normal bounds and maximises without a border.
    c.cbBorderless.SetChecked(true);
    display.ShowWithGeometry();
    EXPECT_TRUE(display.windowFlags() & Qt::FramelessWindowHint);
    c.cbBorderless.SetChecked(false);
    display.ApplyBorder();
    EXPECT_FALSE(display.windowFlags() & Qt::FramelessWindowHint);
    display.move(150, 90);
    QTest::mouseDClick(display.lblMessage, Qt::LeftButton);
    EXPECT_TRUE(display.isMaximized());
    EXPECT_TRUE(display.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ((std::tuple{g.Left, g.Top}), std::tuple(150, 90));
    EXPECT_FALSE(g.Maximised);

    // Borderless Window does nothing while maximised; restoring applies it.
    c.cbBorderless.SetChecked(false);
    display.ApplyBorder();
    EXPECT_TRUE(display.windowFlags() & Qt::FramelessWindowHint);
    display.LaTimeDblClick();
    EXPECT_FALSE(display.isMaximized());
    EXPECT_FALSE(display.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(display.frameGeometry(), QRect(150, 90, 420, 260));

    // Hiding a maximised window records the maximised bounds; it comes back maximised only
    // when DisplayGeometry says so.
    display.LaTimeDblClick();
    const QRect maximised = display.frameGeometry();
    display.HideRecordingGeometry();
    EXPECT_EQ(QRect(g.Left, g.Top, g.Width, g.Height), maximised);
    display.ShowWithGeometry();
    EXPECT_FALSE(display.isMaximized());
    display.HideRecordingGeometry();
    g.Maximised = true;
    display.ShowWithGeometry();
    EXPECT_TRUE(display.isMaximized());
    EXPECT_TRUE(display.windowFlags() & Qt::FramelessWindowHint);
}

TEST_F(Display, HidingAHiddenWindowKeepsTheGeometry) {
    engine.DisplayGeometry = {5, 6, 300, 200, false};
    display.HideRecordingGeometry();
    EXPECT_EQ(engine.DisplayGeometry.Left, 6);
    EXPECT_EQ(engine.DisplayGeometry.Width, 300);
}

TEST_F(Display, ShowingReappliesTheStateThenTheTexts) {
    c.edStopDisplayMode.SetItemIndex(1); // Blanked
    Prepare(0, 90);
    EXPECT_EQ(display.LaTime->text(), QString());
    Show(10, 10, 400, 300);
    EXPECT_EQ(display.LaTime->text(), QStringLiteral("00:01:30"));

    // Expired again, end sound included.
    display.HideRecordingGeometry();
    engine.actJump.SetEnabled(true);
    engine.actJump.Execute();
    ASSERT_EQ(engine.CurrentState(), CounterState::Expired);
    engine.EndSoundEnded();
    sound.log.clear();
    display.ShowWithGeometry();
    EXPECT_EQ(sound.log, std::vector<std::string>{"end play"});
}

TEST_F(Display, DigitsInTheStateColourAndBlankedDigits) {
    Prepare(0, 90);
    Show(10, 10, 500, 300);
    QImage digits = Grab(display.LaTime);
    EXPECT_GT(CountPixels(digits, ToQColor(kStop)), 200);
    EXPECT_EQ(digits.pixelColor(1, 1), ToQColor(kBack));

    engine.actRun.Execute();
    EXPECT_GT(CountPixels(Grab(display.LaTime), ToQColor(kRun)), 200);
    EXPECT_EQ(CountPixels(Grab(display.LaTime), ToQColor(kStop)), 0);

    engine.SetTimeDisplayMode(DisplayMode::Blanked);
    digits = Grab(display.LaTime);
    EXPECT_EQ(CountPixels(digits, ToQColor(kBack)), digits.width() * digits.height());
}

TEST_F(Display, TimeWiderThanTheWindowIsClippedOnBothSides) {
    c.edTimeFontSize.SetValue(300);
    Prepare(0, 36000);
    Show(10, 10, 300, 500);
    const QImage digits = Grab(display.LaTime);
    const auto inkInColumns = [&](int from, int to) {
        int n = 0;
        for (int x = from; x < to; ++x)
            for (int y = 0; y < digits.height(); ++y)
                n += digits.pixelColor(x, y) == ToQColor(kStop);
        return n;
    };
    EXPECT_EQ(display.LaTime->font().pointSize(), 300);
    EXPECT_GT(inkInColumns(0, 20), 0);
    EXPECT_GT(inkInColumns(digits.width() - 20, digits.width()), 0);
}

TEST_F(Display, TheMessageWrapsAtWordBoundaries) {
    c.edMessageFontSize.SetValue(40);
    c.edMessageMode.SetItemIndex(0);
    Show(10, 10, 400, 300);
    SendMessage("Wrap up now please");
    const QImage text = Grab(display.lblMessage);
    int first = -1, last = -1;
    for (int y = 0; y < text.height(); ++y)
        for (int x = 0; x < text.width(); ++x)
            if (text.pixelColor(x, y) != ToQColor(kBack)) {
                first = first < 0 ? y : first;
                last = y;
            }
    const int line = QFontMetrics(display.lblMessage->font()).height();
    EXPECT_GT(last - first, line); // more than one line
}

TEST_F(Display, PieShowsTheShareStillToGo) {
    // Quadrants of the pie, clockwise from 12 o'clock, and the top of its outline.
    const QPoint quadrant[] = {{56, 20}, {56, 56}, {20, 56}, {20, 20}};
    const struct {
        const char* name;
        int count, start;
        bool textIn[4];
    } cases[] = {
        {"at Set Start the whole disc", 400, 400, {true, true, true, true}},
        {"three quarters to go", 300, 400, {true, true, true, false}},
        {"half to go: the right half", 200, 400, {true, true, false, false}},
        {"a quarter to go", 100, 400, {true, false, false, false}},
        {"less than 1 % to go: all black", 1, 600, {false, false, false, false}},
    };
    c.cbShowTimePie.SetChecked(true);
    Show(10, 10, 500, 300);
    for (const auto& k : cases) {
        Prepare(0, k.start);
        engine.Counter.Count = k.count;
        display.RefreshDisplay();
        ASSERT_TRUE(display.PieChart->isVisible()) << k.name;
        const QImage pie = Grab(display.PieChart);
        for (int q = 0; q < 4; ++q)
            EXPECT_EQ(pie.pixelColor(quadrant[q]),
                      k.textIn[q] ? ToQColor(kStop) : QColor(Qt::black))
                << k.name << " quadrant " << q;
        EXPECT_EQ(pie.pixelColor(37, 0), ToQColor(kStop)) << k.name; // the outline
        EXPECT_EQ(pie.pixelColor(1, 1), ToQColor(kBack)) << k.name;  // the label shows beside it
    }
}

TEST_F(Display, PieVisibilityAndValuesFollowTheCounter) {
    const struct {
        const char* name;
        int mode, count, start;
        double segment0, segment1;
    } values[] = {
        {"count down: to go and used", 0, 100, 300, 100, 200},
        {"count up: counted and the rest", 1, 100, 300, 100, 200},
        {"count down to Tmin before zero", 2, 10, 300, 10, 290},
        {"count down to Tmin in overtime draws nothing", 2, -5, 300, 0, 0},
        {"count up from T- before zero", 3, -100, 300, 100, 200},
        {"count up from T- past zero draws nothing", 3, 5, 300, 0, 0},
    };
    c.cbShowTimePie.SetChecked(true);
    Show(10, 10, 500, 300);
    for (const auto& k : values) {
        c.edCounterMode.SetItemIndex(k.mode);
        engine.Counter.StartTime = k.start;
        engine.Counter.Count = k.count;
        display.RefreshDisplay();
        EXPECT_FALSE(display.PieChart->isHidden()) << k.name;
        EXPECT_EQ(display.PieChart->Segment(0).Value, k.segment0) << k.name;
        EXPECT_EQ(display.PieChart->Segment(1).Value, k.segment1) << k.name;
    }

    // Never in the clock modes, and hidden values stay as they were.
    c.edCounterMode.SetItemIndex(5);
    engine.Counter.Count = 42;
    display.RefreshDisplay();
    EXPECT_TRUE(display.PieChart->isHidden());
    EXPECT_EQ(display.PieChart->Segment(0).Value, 0);

    // Hidden once Expired; unticking the box hides it.
    Prepare(0, 60);
    engine.ApplyCounterState(CounterState::Expired);
    display.RefreshDisplay();
    EXPECT_TRUE(display.PieChart->isHidden());
    Prepare(0, 60);
    c.cbShowTimePie.SetChecked(false);
    display.RefreshTimePie();
    EXPECT_TRUE(display.PieChart->isHidden());

    // Switched on while the digits are blanked, it waits for the next refresh.
    engine.SetTimeDisplayMode(DisplayMode::Blanked);
    c.cbShowTimePie.SetChecked(true);
    display.RefreshTimePie();
    EXPECT_TRUE(display.PieChart->isHidden());
    display.RefreshDisplay();
    EXPECT_FALSE(display.PieChart->isHidden());
}

TEST_F(Display, ColourKeyMakesExactlyTheKeyColourSeeThrough) {
    c.cbShowTimePie.SetChecked(true);
    Prepare(0, 400);
    engine.Counter.Count = 100;
    Show(10, 10, 500, 300);
    const QRect pie = display.PieChart->geometry();

    c.cbTransparent.SetChecked(true);
    engine.SetDisplayBackColour(0x000000); // black: the pie's black segment goes too
    ASSERT_TRUE(display.ColourKeyActive());
    QImage window = display.grab().toImage();
    EXPECT_EQ(window.pixelColor(pie.right() + 5, 2).alpha(), 0);             // label background
    EXPECT_EQ(window.pixelColor(pie.topLeft() + QPoint(20, 56)).alpha(), 0); // black segment
    EXPECT_EQ(window.pixelColor(pie.topLeft() + QPoint(56, 20)), ToQColor(kStop));
    const QImage digits = Grab(display.LaTime);
    EXPECT_GT(CountPixels(digits, ToQColor(kStop)), 200); // the digits stay opaque

    c.cbTransparent.SetChecked(false);
    engine.SetDisplayBackColour(0x000000);
    EXPECT_FALSE(display.ColourKeyActive());
    window = display.grab().toImage();
    EXPECT_EQ(window.pixelColor(pie.right() + 5, 2), QColor(Qt::black));
    EXPECT_EQ(window.pixelColor(pie.topLeft() + QPoint(20, 56)), QColor(Qt::black));
}

class PaintCounter : public QObject {
public:
    int paints = 0;
    bool eventFilter(QObject*, QEvent* e) override {
        paints += e->type() == QEvent::Paint;
        return false;
    }
};

TEST_F(Display, AnUnchangedStateEveryTickRepaintsNothing) {
    c.cbShowTimePie.SetChecked(true);
    c.edMessageMode.SetItemIndex(3);
    Prepare(5, 0); // the 24-hour clock ticks every 50 ms
    clock.second = 12 * 3600;
    Show(10, 10, 500, 300);
    SendMessage("Questions");
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&display));
    engine.actRun.Execute();
    QCoreApplication::processEvents();
    PaintCounter counter;
    for (QWidget* w : std::initializer_list<QWidget*>{display.LaTime, display.lblMessage,
                                                      display.PieChart, &display})
        w->installEventFilter(&counter);

    for (int tick = 0; tick < 19; ++tick) {
        timers.Advance(50);
        engine.SetDisplayBackColour(kBack);
        display.ApplyDisplayFonts();
        QCoreApplication::processEvents();
    }
    EXPECT_EQ(counter.paints, 0);

    clock.second += 1;
    timers.Advance(50);
    QTRY_VERIFY(counter.paints > 0);
}

TEST_F(Display, DraggingEitherLabelMovesTheWindow) {
    Show(100, 100, 400, 300);
    for (TDisplayLabel* label : {display.LaTime, display.lblMessage}) {
        const QPoint start = display.pos();
        const QPoint grip(30, 20);
        QTest::mousePress(label, Qt::LeftButton, {}, grip);
        QMouseEvent move(QEvent::MouseMove, QPointF(grip + QPoint(50, 30)),
                         QPointF(label->mapToGlobal(grip + QPoint(50, 30))), Qt::NoButton,
                         Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(label, &move);
        QTest::mouseRelease(label, Qt::LeftButton, {}, grip + QPoint(50, 30));
        EXPECT_EQ(display.pos(), start + QPoint(50, 30)) << label->objectName().toStdString();
    }
}

TEST_F(Display, SnapsToTheScreenEdgesWithinFivePixels) {
    Show(100, 100, 400, 300);
    const QRect area = display.screen()->availableGeometry();
    display.move(area.left() + 5, area.top() + 3);
    EXPECT_EQ(display.pos(), area.topLeft());
    display.move(area.right() - 400 - 3, area.top() + 6);
    EXPECT_EQ(display.pos(), QPoint(area.right() - 400 + 1, area.top() + 6));
    display.move(area.left() + 6, area.top() + 50);
    EXPECT_EQ(display.pos(), QPoint(area.left() + 6, area.top() + 50));
}

} // namespace
