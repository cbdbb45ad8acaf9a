// The message overlay carried out by the real display window: Send, Clear and the timeout as the
// engine runs them, the layouts they lead to, and a flashing message blinking with the digits.
#include "ColourConversion.hpp"
#include "DisplayWorld.hpp"
#include "TDisplayLabel.hpp"

#include <QImage>
#include <gtest/gtest.h>

using namespace quorvane;
using namespace quorvane::testing;

namespace {

struct MessageOverlay : ::testing::Test, DisplayWorld {
    const TDisplayLabel& time = *display.LaTime;
    const TDisplayLabel& message = *display.lblMessage;

    // Borderless, so that the outer bounds are the client area: 640 × 401.
    void ShowWindow() {
        c.cbBorderless.SetChecked(true);
        Show(10, 10, 640, 401);
        ASSERT_EQ(display.height(), 401);
    }
    void Send(const std::string& text) {
        c.edtMessageText.SetText(text);
        ASSERT_TRUE(engine.actMessageSend.Enabled());
        engine.actMessageSend.Execute();
    }
    int Pixels(const TDisplayLabel& label, const QColor& colour) {
        const QImage image = display.grab(label.geometry()).toImage();
        int n = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                n += image.pixelColor(x, y) == colour;
        return n;
    }
    // What the audience sees of the digits and of the message: text in the window's pixels.
    bool Seen(const TDisplayLabel& label) {
        return !label.isHidden() && Pixels(label, label.TextColour()) > 50;
    }
    bool DigitsSeen() { return Seen(time); }
    bool MessageSeen() { return Seen(message); }
};

TEST_F(MessageOverlay, EveryMessageModeLaysOutTheSentMessageAtOnce) {
    struct Band {
        bool shown;
        int top, height;
        Qt::Alignment align;
    };
    const struct {
        const char* name;
        int mode;
        Band time, message;
    } cases[] = {
        {"replaces time: the message alone, centred",
         0,
         {false, 0, 0, {}},
         {true, 0, 401, Qt::AlignVCenter}},
        {"above time: message at the bottom of the smaller upper half",
         1,
         {true, 200, 201, Qt::AlignTop},
         {true, 0, 200, Qt::AlignBottom}},
        {"above time, auto centre: as above time",
         2,
         {true, 200, 201, Qt::AlignTop},
         {true, 0, 200, Qt::AlignBottom}},
        {"below time: message at the top of the lower half",
         3,
         {true, 0, 200, Qt::AlignBottom},
         {true, 200, 201, Qt::AlignTop}},
        {"below time, auto centre: as below time",
         4,
         {true, 0, 200, Qt::AlignBottom},
         {true, 200, 201, Qt::AlignTop}},
    };
    Prepare(0, 90);
    ShowWindow();
    c.edMessageTime.SetValue(0);
    Send("Five minutes");
    for (const auto& k : cases) {
        // The operator's choice in the selector re-arranges the window while the message shows.
        c.edMessageMode.Choose(k.mode);
        EXPECT_EQ(!time.isHidden(), k.time.shown) << k.name;
        EXPECT_EQ(!message.isHidden(), k.message.shown) << k.name;
        if (k.time.shown) {
            EXPECT_EQ(time.geometry(), QRect(0, k.time.top, 640, k.time.height)) << k.name;
            EXPECT_EQ(time.alignment(), Qt::AlignHCenter | k.time.align) << k.name;
        }
        EXPECT_EQ(message.geometry(), QRect(0, k.message.top, 640, k.message.height)) << k.name;
        EXPECT_EQ(message.alignment(), Qt::AlignHCenter | k.message.align) << k.name;
        EXPECT_EQ(message.text(), QStringLiteral("Five minutes")) << k.name;
        EXPECT_TRUE(MessageSeen()) << k.name;
    }

    // Clear lays the window out as without a message: in mode 4 the time alone, centred.
    engine.actMessageClear.Execute();
    EXPECT_TRUE(message.isHidden());
    EXPECT_EQ(time.geometry(), QRect(0, 0, 640, 401));
    EXPECT_EQ(time.alignment(), Qt::AlignHCenter | Qt::AlignVCenter);
}

TEST_F(MessageOverlay, TimeoutClearsTheWindowAndBlanksOnlyTextShowsNothing) {
    Prepare(0, 90);
    c.edMessageMode.SetItemIndex(0);
    ShowWindow();
    c.edMessageTime.SetValue(4);
    Send("Questions");
    EXPECT_TRUE(time.isHidden());
    timers.Advance(3999);
    EXPECT_TRUE(MessageSeen());
    timers.Advance(1);
    EXPECT_FALSE(engine.MessageShowing);
    EXPECT_TRUE(message.isHidden());
    EXPECT_EQ(message.text(), QString());
    EXPECT_EQ(time.geometry(), QRect(0, 0, 640, 401));
    EXPECT_TRUE(DigitsSeen());

    // Blanks only: Showing, yet laid out as without a message, until the timeout.
    Send(" \t  ");
    EXPECT_TRUE(engine.MessageShowing);
    EXPECT_TRUE(message.isHidden());
    EXPECT_EQ(time.geometry(), QRect(0, 0, 640, 401));
    EXPECT_TRUE(engine.actMessageClear.Enabled());
    timers.Advance(4000);
    EXPECT_FALSE(engine.MessageShowing);
    EXPECT_FALSE(engine.actMessageSend.Enabled()); // the editor was emptied by the trim
}

TEST_F(MessageOverlay, MessageColourIsTakenAtEachSend) {
    constexpr Colour kOther = 0x20A0F0;
    Prepare(0, 90);
    ShowWindow();
    c.edMessageTime.SetValue(0);
    Send("Wrap up");
    EXPECT_EQ(message.TextColour(), ToQColor(kMessage));
    c.EdMessageColour.Choose(kOther);
    EXPECT_EQ(message.TextColour(), ToQColor(kMessage));
    EXPECT_GT(Pixels(message, ToQColor(kMessage)), 50);
    engine.actMessageClear.Execute();
    Send("Wrap up");
    EXPECT_EQ(message.TextColour(), ToQColor(kOther));
    EXPECT_GT(Pixels(message, ToQColor(kOther)), 50);
}

TEST_F(MessageOverlay, MessageWiderThanTheWindowIsClippedOnBothSides) {
    c.edMessageFontSize.SetValue(120);
    c.edMessageMode.SetItemIndex(0);
    Prepare(0, 90);
    ShowWindow();
    Send("Uninterruptible");
    const QImage text = display.grab(message.geometry()).toImage();
    const auto inkInColumns = [&](int from, int to) {
        int n = 0;
        for (int x = from; x < to; ++x)
            for (int y = 0; y < text.height(); ++y)
                n += text.pixelColor(x, y) == ToQColor(kMessage);
        return n;
    };
    EXPECT_EQ(message.font().pointSize(), 120); // not shrunk to fit
    EXPECT_EQ(message.geometry(), QRect(0, 0, 640, 401));
    EXPECT_GT(inkInColumns(0, 20), 0);
    EXPECT_GT(inkInColumns(text.width() - 20, text.width()), 0);
}

TEST_F(MessageOverlay, FlashingMessageAndFlashingDigitsHideAndShowTogether) {
    c.edStopDisplayMode.SetItemIndex(2);
    c.edMessageDisplayMode.SetItemIndex(1);
    Prepare(0, 90);
    ShowWindow();
    c.edMessageTime.SetValue(0);
    Send("Wrap up");
    ASSERT_TRUE(DigitsSeen());
    ASSERT_TRUE(MessageSeen());
    // Stopped: no ticks, so hidden and shown alternate for a tick period each.
    for (int half = 0; half < 4; ++half) {
        timers.Advance(1000);
        const bool shown = half % 2 == 1;
        EXPECT_EQ(DigitsSeen(), shown) << half;
        EXPECT_EQ(MessageSeen(), shown) << half;
        EXPECT_EQ(message.text().isEmpty(), !shown) << half;
    }
    // The hidden half of the message does not change the layout.
    EXPECT_EQ(message.geometry(), QRect(0, 200, 640, 201));
}

TEST_F(MessageOverlay, FlashingMessageFollowsTheTickWhileTheCountRuns) {
    c.btWarnActive.SetChecked(true);
    c.edWarningDisplayMode.SetItemIndex(1);
    c.edMessageDisplayMode.SetItemIndex(1);
    engine.Counter.WarningTime = 60;
    Prepare(0, 50);
    ShowWindow();
    c.edMessageTime.SetValue(0);
    Send("Wrap up");
    engine.actRun.Execute();
    ASSERT_EQ(engine.CurrentState(), CounterState::Warning);
    // Each tick shows both; both vanish after 70 % of the tick period.
    for (int tick = 0; tick < 2; ++tick) {
        timers.Advance(699);
        EXPECT_TRUE(DigitsSeen()) << tick;
        EXPECT_TRUE(MessageSeen()) << tick;
        timers.Advance(1);
        EXPECT_FALSE(DigitsSeen()) << tick;
        EXPECT_FALSE(MessageSeen()) << tick;
        timers.Advance(300);
        EXPECT_TRUE(DigitsSeen()) << tick;
        EXPECT_TRUE(MessageSeen()) << tick;
    }

    // Steady On chosen in the hidden half: the message stays away until the next tick refreshes
    // the window, and from then on it no longer blinks with the digits.
    timers.Advance(800);
    c.edMessageDisplayMode.Choose(0);
    EXPECT_EQ(engine.MessageDisplayMode, DisplayMode::SteadyOn);
    EXPECT_FALSE(MessageSeen());
    timers.Advance(200);
    EXPECT_TRUE(MessageSeen());
    timers.Advance(800);
    EXPECT_FALSE(DigitsSeen());
    EXPECT_TRUE(MessageSeen());

    // Clear in the hidden half of a flashing message empties it for good; the digits go on.
    timers.Advance(200);
    c.edMessageDisplayMode.Choose(1);
    timers.Advance(800);
    ASSERT_FALSE(MessageSeen());
    engine.actMessageClear.Execute();
    EXPECT_EQ(engine.MessageDisplayMode, DisplayMode::SteadyOn);
    EXPECT_TRUE(engine.FlashTimer->Enabled());
    timers.Advance(200);
    EXPECT_TRUE(DigitsSeen());
    EXPECT_TRUE(message.isHidden());
    EXPECT_EQ(message.text(), QString());
}

} // namespace
