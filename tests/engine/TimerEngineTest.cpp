#include "EngineHarness.hpp"

#include <gtest/gtest.h>

using namespace quorvane;
using namespace quorvane::testing;

namespace {

struct Scenario : ::testing::Test, EngineWorld {
    TControls& c = engine.Controls;
};

using Log = std::vector<std::string>;

} // namespace

TEST(FlashPeriod, SeventyPercentRoundedHalfToEven) {
    const std::pair<int, int> cases[] = {{1000, 700},  {50, 35},   {55, 38},   {65, 46},
                                         {5000, 3500}, {150, 105}, {250, 175}, {350, 245}};
    for (auto [tick, flash] : cases)
        EXPECT_EQ(FlashPeriodFor(tick), flash) << tick;
}

TEST_F(Scenario, Mode2FromFiveWithWarningThree) {
    c.btWarnActive.SetChecked(true);
    Prepare(2, 5, 3);
    engine.actRun.Execute();
    EXPECT_EQ(sound.log, Log{"timing play"});
    struct Step {
        const char* text;
        CounterState state;
        Colour colour;
    } steps[] = {
        {"00:00:04", CounterState::Running, kRun},
        {"00:00:03", CounterState::Warning, kWarn},
        {"00:00:02", CounterState::Warning, kWarn},
        {"00:00:01", CounterState::Warning, kWarn},
        {"00:00:00", CounterState::Running, kExpired},
        {"-00:00:01", CounterState::Running, kExpired},
    };
    for (const auto& s : steps) {
        Ticks(1);
        EXPECT_EQ(view.timeText, s.text);
        EXPECT_EQ(display.timeLabel, s.text);
        EXPECT_EQ(State(), s.state) << s.text;
        EXPECT_EQ(display.textColour, s.colour) << s.text;
        EXPECT_EQ(view.timeColour, s.colour) << s.text;
    }
    EXPECT_EQ(sound.log, Log{"timing play"}); // no end sound in overtime
    engine.Counter.Count = kCountMin + 1;
    Ticks(1);
    EXPECT_EQ(State(), CounterState::Expired);
    EXPECT_EQ(sound.log, (Log{"timing play", "timing stop", "end play"}));
}

TEST_F(Scenario, Mode0WithStartZeroCannotBeStarted) {
    c.cbQuickRestart.SetChecked(true);
    Prepare(0, 0);
    EXPECT_FALSE(engine.actRun.Enabled());
    EXPECT_FALSE(engine.actRestart.Enabled());
    engine.actRun.Execute();
    EXPECT_EQ(State(), CounterState::Stopped);
}

TEST_F(Scenario, Mode1WithStartZeroRunsWithTheTickOff) {
    Prepare(1, 0);
    EXPECT_TRUE(engine.actRun.Enabled());
    engine.actRun.Execute();
    EXPECT_EQ(State(), CounterState::Running);
    EXPECT_FALSE(engine.SecondTimer->Enabled());
}

TEST_F(Scenario, AutoPauseZeroInMode0ExpiresThenPauses) {
    c.btAutoPauseActive.SetChecked(true);
    Prepare(0, 2, 0, 0);
    engine.actRun.Execute();
    Ticks(2);
    EXPECT_EQ(State(), CounterState::Paused);
    EXPECT_EQ(sound.log, (Log{"timing play", "timing stop", "end play"}));
    EXPECT_EQ(display.textColour, kPause);
    engine.actRun.Execute();
    EXPECT_EQ(State(), CounterState::Running);
    EXPECT_FALSE(engine.SecondTimer->Enabled());
}

TEST_F(Scenario, AutoPauseLeavesTheTimingSoundAndPauseStopsIt) {
    c.btAutoPauseActive.SetChecked(true);
    Prepare(0, 5, 0, 3);
    engine.actRun.Execute();
    Ticks(2);
    EXPECT_EQ(State(), CounterState::Paused);
    EXPECT_EQ(sound.log, Log{"timing play"});
    engine.actRun.Execute();
    engine.actPause.Execute();
    EXPECT_EQ(sound.log, (Log{"timing play", "timing stop"}));
}

TEST_F(Scenario, JumpPerModeRunningAndPaused) {
    struct Case {
        const char* name;
        int mode;
        bool paused;
        std::int32_t count;
        CounterState state;
        bool ticking;
        Log sound;
    } cases[] = {
        {"mode 0 running",
         0,
         false,
         0,
         CounterState::Expired,
         false,
         {"timing play", "timing stop", "end play"}},
        {"mode 0 paused",
         0,
         true,
         0,
         CounterState::Expired,
         false,
         {"timing play", "timing stop", "end play"}},
        {"mode 1 running",
         1,
         false,
         60,
         CounterState::Expired,
         false,
         {"timing play", "timing stop", "end play"}},
        {"mode 2 running keeps counting",
         2,
         false,
         0,
         CounterState::Running,
         true,
         {"timing play"}},
        {"mode 2 paused stays paused",
         2,
         true,
         0,
         CounterState::Paused,
         false,
         {"timing play", "timing stop"}},
        {"mode 3 running keeps counting",
         3,
         false,
         0,
         CounterState::Running,
         true,
         {"timing play"}},
    };
    for (const auto& k : cases) {
        EngineWorld w;
        w.Prepare(k.mode, 60);
        w.engine.actRun.Execute();
        w.Ticks(2);
        if (k.paused)
            w.engine.actPause.Execute();
        w.engine.actJump.Execute();
        EXPECT_EQ(w.engine.Counter.Count, k.count) << k.name;
        EXPECT_EQ(w.State(), k.state) << k.name;
        EXPECT_EQ(w.engine.SecondTimer->Enabled(), k.ticking) << k.name;
        EXPECT_EQ(w.sound.log, k.sound) << k.name;
    }
}

TEST_F(Scenario, JumpInMode2WhileRunningRestartsTheTickPeriod) {
    Prepare(2, 60);
    engine.actRun.Execute();
    timers.Advance(600);
    engine.actJump.Execute();
    timers.Advance(600);
    EXPECT_EQ(engine.Counter.Count, 0);
    timers.Advance(400);
    EXPECT_EQ(engine.Counter.Count, -1);
}

TEST_F(Scenario, RestartWhileTheEndSoundLoopsLeavesItLooping) {
    c.cbQuickRestart.SetChecked(true);
    c.edSoundAtEndLoop.SetChecked(true);
    Prepare(0, 1);
    engine.actRun.Execute();
    Ticks(1);
    EXPECT_EQ(State(), CounterState::Expired);
    EXPECT_TRUE(engine.actRestart.Enabled());
    engine.actRestart.Execute();
    EXPECT_EQ(State(), CounterState::Running);
    EXPECT_EQ(engine.Counter.Count, 1);
    EXPECT_TRUE(engine.actEndSoundStop.Enabled());
    Ticks(1); // expires again: the looping end sound is not started twice
    EXPECT_EQ(sound.log,
              (Log{"timing play", "timing stop", "end play loop", "timing play", "timing stop"}));
    engine.actSetStartTime.Execute();
    EXPECT_EQ(sound.log.back(), "end stop");
}

TEST_F(Scenario, ColourChosenWhileExpiredReplaysTheEndedEndSound) {
    Prepare(0, 1);
    engine.actRun.Execute();
    Ticks(1);
    engine.EndSoundEnded();
    sound.log.clear();
    c.EdPauseColour.Choose(0x123456);
    EXPECT_EQ(sound.log, Log{"end play"});
    EXPECT_EQ(State(), CounterState::Expired);
}

TEST_F(Scenario, WarningLoweredWhileRunningReturnsToRunningAtTheNextTick) {
    c.btWarnActive.SetChecked(true);
    Prepare(0, 10, 9);
    engine.actRun.Execute();
    Ticks(1);
    EXPECT_EQ(State(), CounterState::Warning);
    c.EdWarnSeconds.SetValue(5);
    EXPECT_EQ(engine.Counter.WarningTime, 5);
    EXPECT_EQ(engine.Counter.Count, 9);
    Ticks(1);
    EXPECT_EQ(State(), CounterState::Running);
}

TEST_F(Scenario, IntervalChangedWhileRunningTicksThatLongAfterTheChange) {
    Prepare(0, 60);
    engine.actRun.Execute();
    timers.Advance(700);
    c.edCounterInterval.SetValue(500);
    timers.Advance(499);
    EXPECT_EQ(engine.Counter.Count, 60);
    timers.Advance(1);
    EXPECT_EQ(engine.Counter.Count, 59);
}

TEST_F(Scenario, ClockWarningWithFlashingStaysSteady) {
    c.btWarnActive.SetChecked(true);
    c.edWarningDisplayMode.SetItemIndex(1);
    clock.second = 13 * 3600;
    Prepare(5, 23 * 3600, 12 * 3600);
    engine.actRun.Execute();
    EXPECT_EQ(engine.SecondTimer->Interval(), 50);
    for (int i = 0; i < 20; ++i) {
        timers.Advance(50);
        EXPECT_EQ(display.timeLabel, "13:00:00");
    }
    EXPECT_EQ(State(), CounterState::Warning);
    EXPECT_EQ(engine.TimeDisplayMode, DisplayMode::SteadyOn);
}

TEST_F(Scenario, FlashingWarningShowsAtEachTickAndBlanksSeventyPercentLater) {
    c.btWarnActive.SetChecked(true);
    c.edWarningDisplayMode.SetItemIndex(1);
    Prepare(0, 20, 30);
    engine.actRun.Execute();
    for (int tick = 0; tick < 3; ++tick) {
        timers.Advance(1);
        EXPECT_FALSE(display.timeLabel.empty()) << tick;
        timers.Advance(698);
        EXPECT_FALSE(display.timeLabel.empty()) << tick;
        timers.Advance(1);
        EXPECT_TRUE(display.timeLabel.empty()) << tick;
        timers.Advance(300);
        EXPECT_FALSE(display.timeLabel.empty()) << tick;
    }
    EXPECT_EQ(view.timeText, "00:00:17"); // the control window is never blanked
}

TEST_F(Scenario, FlashingMessageAndDigitsBlinkTogether) {
    c.edStopDisplayMode.SetItemIndex(2);
    c.edMessageDisplayMode.SetItemIndex(1);
    Prepare(0, 20);
    c.edtMessageText.SetText("Wrap up");
    engine.actMessageSend.Execute();
    for (int half = 0; half < 4; ++half) {
        timers.Advance(1000);
        const bool hidden = half % 2 == 0;
        EXPECT_EQ(display.timeLabel.empty(), hidden) << half;
        EXPECT_EQ(display.messageLabel.empty(), hidden) << half;
    }
}

TEST_F(Scenario, BlankedStopEmptiesOnlyTheDisplayDigits) {
    c.edStopDisplayMode.SetItemIndex(1);
    Prepare(0, 20);
    EXPECT_EQ(display.timeLabel, "");
    EXPECT_EQ(view.timeText, "00:00:20");
}

TEST_F(Scenario, ReapplyingAnUnchangedStateChangesNoColour) {
    Prepare(0, 100);
    engine.actRun.Execute();
    const int changes = display.colourChanges;
    Ticks(10);
    EXPECT_EQ(display.colourChanges, changes);
}

TEST_F(Scenario, CounterModeChangeRelabelsTheStartGroup) {
    struct Case {
        int mode;
        const char* caption;
        const char* hoursHint;
        const char* jumpHint;
        bool endActiveEnabled;
    } cases[] = {
        {0, "Start Time", "Start time hours", "Force to zero & stop counter", false},
        {1, "End Time", "End time hours", "Force to end-count & stop counter", false},
        {2, "Start Time", "Start time hours", "Force to zero but keep counting down", false},
        {3, "Start Time", "Start time hours", "Force to zero but keep counting up", false},
        {5, "End Time", "End time hours", "Force to zero but keep counting up", true},
    };
    c.btEndActive.SetChecked(false);
    for (const auto& k : cases) {
        c.edCounterMode.Choose(k.mode);
        EXPECT_EQ(c.gbStartPosition.Text(), k.caption) << k.mode;
        EXPECT_EQ(c.EdStartHours.Hint(), k.hoursHint) << k.mode;
        EXPECT_EQ(engine.actJump.Hint(), k.jumpHint) << k.mode;
        EXPECT_EQ(c.btEndActive.Enabled(), k.endActiveEnabled) << k.mode;
        EXPECT_TRUE(c.btEndActive.Checked()) << k.mode;
        EXPECT_EQ(State(), CounterState::Stopped);
    }
}

TEST_F(Scenario, SetStartInMode3AndClearInMode0) {
    Prepare(3, 90);
    EXPECT_EQ(engine.Counter.Count, -90);
    EXPECT_EQ(view.timeText, "-00:01:30");
    EXPECT_TRUE(engine.actRun.Enabled());
    c.edCounterMode.SetItemIndex(0);
    engine.BtClearStartClick();
    EXPECT_EQ(engine.Counter.StartTime, 0);
    engine.actSetStartTime.Execute();
    EXPECT_FALSE(engine.actRun.Enabled());
}

TEST_F(Scenario, SpinEditorReadingRules) {
    struct Case {
        const char* text;
        int value;
    } cases[] = {{"", 0}, {"7", 7}, {"x", 0}, {"1x", 0}, {"+5", 5}, {"42", 42}};
    TSpinEdit edit(10, 99, 10);
    for (const auto& k : cases) {
        edit.SetText(k.text);
        EXPECT_EQ(edit.Value(), k.value == 0 && *k.text != '\0' ? 10 : k.value) << k.text;
    }
    edit.SetValue(500);
    EXPECT_EQ(edit.Text(), "99");
}

TEST_F(Scenario, EndSoundErrorAtExpiryIsDiscardedAndTheCueStaysIdle) {
    sound.failEnd = true;
    Prepare(0, 1);
    engine.actRun.Execute();
    Ticks(1);
    EXPECT_EQ(State(), CounterState::Expired);
    EXPECT_TRUE(engine.actEndSoundPlay.Enabled());
    EXPECT_THROW(engine.actEndSoundPlay.Execute(), std::runtime_error);
}

TEST_F(Scenario, MessageLifecycle) {
    c.edMessageTime.SetValue(3);
    c.edtMessageText.SetText("  Five minutes \t");
    EXPECT_TRUE(engine.actMessageSend.Enabled());
    engine.actMessageSend.Execute();
    EXPECT_EQ(engine.MessageText, "Five minutes");
    EXPECT_EQ(display.messageLabel, "Five minutes");
    EXPECT_FALSE(c.edtMessageText.Enabled());
    EXPECT_TRUE(engine.actMessageClear.Enabled());
    EXPECT_EQ(view.focus, "clear");
    timers.Advance(2999);
    EXPECT_TRUE(engine.MessageShowing);
    timers.Advance(1);
    EXPECT_FALSE(engine.MessageShowing);
    EXPECT_EQ(display.messageLabel, "");
    EXPECT_TRUE(engine.actMessageSend.Enabled()); // the old text stays in the editor
    EXPECT_EQ(view.focus, "editor");
}

TEST_F(Scenario, BlanksOnlyMessageShowsNothingButIsShowing) {
    c.edMessageTime.SetValue(0);
    c.edtMessageText.SetText("   ");
    engine.actMessageSend.Execute();
    EXPECT_TRUE(engine.MessageShowing);
    EXPECT_EQ(engine.MessageText, "");
    EXPECT_EQ(c.edtMessageText.Text(), "");
    timers.Advance(20000);
    EXPECT_TRUE(engine.MessageShowing);
}

TEST_F(Scenario, SendNeedsAVisibleDisplayWindow) {
    display.visible = false;
    c.edtMessageText.SetText("Hello");
    EXPECT_FALSE(engine.actMessageSend.Enabled());
    display.visible = true;
    c.edtMessageText.SetText("Hello!");
    EXPECT_TRUE(engine.actMessageSend.Enabled());
}

TEST_F(Scenario, ClearBeforeTheTimeoutStopsItsTimer) {
    c.edMessageTime.SetValue(5);
    c.cbAutoClearEditor.SetChecked(true);
    c.edtMessageText.SetText("Two minutes");
    engine.actMessageSend.Execute();
    EXPECT_FALSE(c.edMessageTime.Enabled());
    EXPECT_FALSE(engine.actMessageSend.Enabled());
    timers.Advance(2000);
    engine.actMessageClear.Execute();
    EXPECT_FALSE(engine.MessageShowing);
    EXPECT_EQ(display.messageLabel, "");
    EXPECT_EQ(c.edtMessageText.Text(), ""); // Auto Clear Editor
    EXPECT_FALSE(engine.actMessageSend.Enabled());
    EXPECT_FALSE(engine.actMessageClear.Enabled());
    EXPECT_TRUE(c.edtMessageText.Enabled());
    EXPECT_TRUE(c.edMessageTime.Enabled());
    EXPECT_EQ(view.focus, "editor");

    // The next message gets its full time: the first one's timeout is gone.
    timers.Advance(1000);
    c.edtMessageText.SetText("One minute");
    engine.actMessageSend.Execute();
    timers.Advance(4999);
    EXPECT_EQ(display.messageLabel, "One minute");
    timers.Advance(1);
    EXPECT_FALSE(engine.MessageShowing);
    EXPECT_FALSE(engine.MessageTimer->Enabled());
}

TEST_F(Scenario, SendEnablementIsDecidedWhenTheTextChanges) {
    c.edMessageTime.SetValue(0);
    c.edtMessageText.SetText("Hello");
    ASSERT_TRUE(engine.actMessageSend.Enabled());
    // Hiding the display window later leaves Send enabled, and Send works on the hidden window.
    display.visible = false;
    EXPECT_TRUE(engine.actMessageSend.Enabled());
    engine.actMessageSend.Execute();
    EXPECT_TRUE(engine.MessageShowing);
    EXPECT_EQ(display.messageLabel, "Hello");
    // Clear without Auto Clear Editor enables Send at once, display window visible or not.
    engine.actMessageClear.Execute();
    EXPECT_TRUE(engine.actMessageSend.Enabled());
    // Emptying the editor disables Send; without a display window no text enables it.
    c.edtMessageText.SetText("");
    EXPECT_FALSE(engine.actMessageSend.Enabled());
    display.visible = true;
    engine.SetDisplay(nullptr);
    c.edtMessageText.SetText("Hello");
    EXPECT_FALSE(engine.actMessageSend.Enabled());
}

TEST_F(Scenario, MessageDisplayModeSharesTheFlashTimerWithTheDigits) {
    Prepare(0, 20); // steady digits: the flash timer is off
    ASSERT_FALSE(engine.FlashTimer->Enabled());
    c.edMessageDisplayMode.Choose(1);
    EXPECT_EQ(engine.MessageDisplayMode, DisplayMode::Flashing);
    EXPECT_TRUE(engine.FlashTimer->Enabled());
    timers.Advance(1000);
    ASSERT_EQ(engine.FlashPhase, 1);
    c.edMessageDisplayMode.Choose(0);
    EXPECT_FALSE(engine.FlashTimer->Enabled());
    EXPECT_EQ(engine.FlashPhase, 0);

    // Send applies the selector again; Clear returns to Steady On, and the timer stops unless
    // the digits still flash.
    c.edMessageDisplayMode.SetItemIndex(1);
    c.edtMessageText.SetText("Wrap up");
    engine.actMessageSend.Execute();
    EXPECT_EQ(engine.MessageDisplayMode, DisplayMode::Flashing);
    engine.SetTimeDisplayMode(DisplayMode::Flashing);
    engine.actMessageClear.Execute();
    EXPECT_EQ(engine.MessageDisplayMode, DisplayMode::SteadyOn);
    EXPECT_TRUE(engine.FlashTimer->Enabled());
    engine.SetTimeDisplayMode(DisplayMode::SteadyOn);
    EXPECT_FALSE(engine.FlashTimer->Enabled());
}

TEST_F(Scenario, ColourWarnings) {
    c.EdBackColour.SetColour(0);
    c.EdRunColour.Choose(0);
    ASSERT_EQ(view.warnings.size(), 1u);
    c.EdBackColour.Choose(kPause);
    EXPECT_EQ(view.warnings.size(), 2u);
    EXPECT_EQ(view.backColour, kPause);
}

TEST_F(Scenario, AFlashingClockShowsTheSecondItStoppedAtAndBlinksOncePerSecond) {
    c.edExpiredDisplayMode.SetItemIndex(2);
    const int end = 10 * 3600;
    clock.second = end - 1;
    Prepare(5, end);
    engine.actRun.Execute();
    timers.Advance(50);
    EXPECT_EQ(display.timeLabel, "9:59:59");
    clock.second = end;
    timers.Advance(50);
    ASSERT_EQ(State(), CounterState::Expired);
    ASSERT_EQ(display.timeLabel, "10:00:00");

    // The time of day goes on; the display keeps the second of expiry in every visible half, and
    // each half lasts a second, not the 50 ms of the clock's tick.
    const auto blinks = [&](const std::string& shown, const char* when) {
        for (int half = 0; half < 4; ++half) {
            clock.second += 1;
            timers.Advance(999);
            EXPECT_EQ(display.timeLabel, half % 2 == 0 ? shown : std::string()) << when << half;
            timers.Advance(1);
            EXPECT_EQ(display.timeLabel, half % 2 == 0 ? std::string() : shown) << when << half;
        }
        EXPECT_EQ(view.timeText, shown) << when << ": the control window's mirror stands too";
    };
    blinks("10:00:00", "expired ");

    // A new colour re-applies Expired, which shows the digits again: still the stopped second.
    clock.second += 30;
    c.EdExpiredColour.Choose(0x0000C0);
    EXPECT_EQ(display.timeLabel, "10:00:00");

    // Set Start shows the time of day at that moment and the clock stands there, still flashing.
    clock.second = end + 70;
    engine.actSetStartTime.Execute();
    ASSERT_EQ(State(), CounterState::Stopped);
    ASSERT_EQ(engine.TimeDisplayMode, DisplayMode::Flashing);
    EXPECT_EQ(display.timeLabel, "10:01:10");
    blinks("10:01:10", "after Set Start ");

    // Running again reads the clock at once.
    clock.second = end + 200;
    engine.actRun.Execute();
    EXPECT_EQ(display.timeLabel, "10:03:20");
}

TEST_F(Scenario, ACountIntervalTypedDigitByDigitNeverRacesOrStopsTheCount) {
    Prepare(0, 600);
    engine.actRun.Execute();
    timers.Advance(300);
    // The operator selects "1000" and types "250", then deletes it again.
    struct Step {
        const char* text;
        int period;
    } steps[] = {{"2", 50}, {"25", 50}, {"250", 250}, {"25", 50},     {"2", 50},      {"", 50},
                 {"5", 50}, {"50", 50}, {"500", 500}, {"5000", 5000}, {"50000", 5000}};
    for (const auto& s : steps) {
        c.edCounterInterval.SetText(s.text);
        EXPECT_EQ(engine.SecondTimer->Interval(), s.period) << '"' << s.text << '"';
        EXPECT_TRUE(engine.SecondTimer->Enabled()) << '"' << s.text << '"';
        EXPECT_EQ(c.edCounterInterval.Text(), s.text) << "the editor keeps what is typed";
        timers.Advance(100);
    }
    // Seven steps of 100 ms at 50 ms make two ticks each; the longer periods never ran out.
    EXPECT_EQ(engine.Counter.Count, 600 - 14);
    EXPECT_EQ(State(), CounterState::Running);

    // Run takes the value clamped as well.
    engine.actPause.Execute();
    c.edCounterInterval.SetText("");
    engine.actRun.Execute();
    EXPECT_EQ(engine.SecondTimer->Interval(), 50);
    EXPECT_TRUE(engine.SecondTimer->Enabled());
}
