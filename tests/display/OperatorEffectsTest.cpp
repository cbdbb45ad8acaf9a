// Blackout and the attention blink as the audience sees them: the display window's own pixels.
#include "ColourConversion.hpp"
#include "DisplayWorld.hpp"
#include "TDisplayLabel.hpp"
#include "TVrPercentPie.hpp"

#include <QImage>
#include <gtest/gtest.h>

using namespace quorvane;
using namespace quorvane::testing;

namespace {

struct OperatorEffects : ::testing::Test, DisplayWorld {
    // Time above, message below, the pie beside the time: everything the window can show.
    void ShowEverything(bool pie = true) {
        c.cbShowTimePie.SetChecked(pie);
        c.edMessageMode.SetItemIndex(3);
        c.cbBorderless.SetChecked(true);
        Prepare(0, 600);
        Show(10, 10, 640, 400);
        engine.actRun.Execute();
        c.edtMessageText.SetText("Wrap up");
        engine.actMessageSend.Execute();
        ASSERT_TRUE(engine.MessageShowing);
    }
    QImage Window() { return display.grab().toImage(); }
    void Ticks(int n) {
        for (int i = 0; i < n; ++i)
            timers.Advance(engine.SecondTimer->Interval());
    }
    int Pixels(QWidget* part, Colour colour) {
        return CountPixels(display.grab(part->geometry()).toImage(), ToQColor(colour));
    }
};

TEST_F(OperatorEffects, BlackoutShowsOnlyTheBackgroundWhileTheCountGoesOn) {
    ShowEverything();
    ASSERT_GT(Pixels(display.LaTime, kRun), 200);
    ASSERT_GT(Pixels(display.lblMessage, kMessage), 100);
    ASSERT_TRUE(display.PieChart->isVisible());

    engine.actBlackout.Execute();
    QImage image = Window();
    EXPECT_EQ(CountPixels(image, ToQColor(kBack)), image.width() * image.height());
    EXPECT_FALSE(display.PieChart->isVisible());

    // Ticks, a warning and a message sent again do not light the window.
    c.btWarnActive.SetChecked(true);
    engine.Counter.WarningTime = 597;
    Ticks(5);
    EXPECT_EQ(engine.CurrentState(), CounterState::Warning);
    engine.actMessageClear.Execute();
    c.edtMessageText.SetText("Now");
    engine.actMessageSend.Execute();
    image = Window();
    EXPECT_EQ(CountPixels(image, ToQColor(kBack)), image.width() * image.height());

    engine.actBlackout.Execute();
    EXPECT_GT(Pixels(display.LaTime, kWarn), 200);
    EXPECT_EQ(display.LaTime->text(), QStringLiteral("00:09:55"));
    EXPECT_GT(Pixels(display.lblMessage, kMessage), 50);
    EXPECT_TRUE(display.PieChart->isVisible());
}

TEST_F(OperatorEffects, BlackoutOverTheColourKeyShowsNothingAtAll) {
    ShowEverything();
    c.cbTransparent.SetChecked(true);
    engine.SetDisplayBackColour(kBack);
    ASSERT_TRUE(display.ColourKeyActive());
    engine.actBlackout.Execute();
    const QImage image = Window();
    int seen = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            seen += image.pixelColor(x, y).alpha() != 0;
    EXPECT_EQ(seen, 0);
}

TEST_F(OperatorEffects, AttentionBlinksDigitsAndMessageInTheExpiredColourThenRestores) {
    ShowEverything(false); // the pie lies over the digits' band in the time colour
    engine.actAttention.Execute();
    struct Half {
        int at; // ms after the press
        bool shown;
    };
    const Half halves[] = {{0, true}, {125, false}, {250, true}, {375, false}, {2875, false}};
    long long now = 0;
    for (const Half& h : halves) {
        timers.Advance(h.at - now);
        now = h.at;
        EXPECT_EQ(Pixels(display.LaTime, kExpired) > 200, h.shown) << h.at;
        EXPECT_EQ(Pixels(display.lblMessage, kExpired) > 50, h.shown) << h.at;
        EXPECT_EQ(Pixels(display.LaTime, kRun), 0) << h.at;
        EXPECT_EQ(Pixels(display.lblMessage, kMessage), 0) << h.at;
    }
    timers.Advance(3000 - now);
    EXPECT_GT(Pixels(display.LaTime, kRun), 200);
    EXPECT_EQ(Pixels(display.LaTime, kExpired), 0);
    EXPECT_GT(Pixels(display.lblMessage, kMessage), 50);
    EXPECT_EQ(display.LaTime->text(), QStringLiteral("00:09:57"));
}

TEST_F(OperatorEffects, AttentionShowsBlankedDigitsAndLeavesThemBlankedAgain) {
    c.edStopDisplayMode.SetItemIndex(1); // Blanked
    Show(10, 10, 500, 300);
    Prepare(0, 90);
    ASSERT_EQ(Pixels(display.LaTime, kStop), 0);
    engine.actAttention.Execute();
    EXPECT_GT(Pixels(display.LaTime, kExpired), 200);
    timers.Advance(3000);
    EXPECT_EQ(Pixels(display.LaTime, kExpired), 0);
    EXPECT_EQ(Pixels(display.LaTime, kStop), 0);
    EXPECT_TRUE(display.LaTime->text().isEmpty());
}

TEST_F(OperatorEffects, BlackoutStandsOverTheAttentionBlink) {
    ShowEverything();
    engine.actBlackout.Execute();
    engine.actAttention.Execute();
    for (int half = 0; half < 3; ++half) {
        QImage image = Window();
        EXPECT_EQ(CountPixels(image, ToQColor(kBack)), image.width() * image.height()) << half;
        timers.Advance(125);
    }
}

} // namespace
