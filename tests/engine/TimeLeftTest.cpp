// Adding and taking time during a count, and the attention blink, in a stepped world.
#include "EngineHarness.hpp"

#include <algorithm>
#include <gtest/gtest.h>
#include <memory>

using namespace quorvane;
using namespace quorvane::testing;

namespace {

constexpr int kOff = -1;

struct World : EngineWorld {
    // Warning and auto-pause are switched on when given a time.
    World(int mode, int start, int warning = kOff, int autoPause = kOff) {
        auto& c = engine.Controls;
        c.btWarnActive.SetChecked(warning != kOff);
        c.btAutoPauseActive.SetChecked(autoPause != kOff);
        Prepare(mode, start, std::max(warning, 0), std::max(autoPause, 0));
    }
};

struct CountCase {
    const char* name;
    int mode, start, warning, autoPause;
    int ticks;        // ticks run before the change
    std::int32_t set; // unless 0, the count put here after the ticks (the far ends)
    bool pause;       // Pause pressed before the change
    int seconds;
    std::int32_t count;
    CounterState state;
    const char* text;
};

constexpr CounterState kRunning = CounterState::Running, kWarning = CounterState::Warning,
                       kPaused = CounterState::Paused, kExpired = CounterState::Expired;

const CountCase kCountCases[] = {
    {"mode 0: an add moves the count up", 0, 100, kOff, kOff, 10, 0, false, 60, 150, kRunning,
     "00:02:30"},
    {"mode 0: a take moves the count down", 0, 100, kOff, kOff, 10, 0, false, -60, 30, kRunning,
     "00:00:30"},
    {"mode 0: a take stops at zero and expires", 0, 100, kOff, kOff, 60, 0, false, -60, 0, kExpired,
     "00:00:00"},
    {"mode 0: an add may go beyond the start time", 0, 30, kOff, kOff, 0, 0, false, 60, 90,
     kRunning, "00:01:30"},
    {"mode 1: an add moves the count back", 1, 300, kOff, kOff, 100, 0, false, 60, 40, kRunning,
     "00:00:40"},
    {"mode 1: an add stops where the count began", 1, 300, kOff, kOff, 10, 0, false, 60, 0,
     kRunning, "00:00:00"},
    {"mode 1: a take reaching the end value expires", 1, 100, kOff, kOff, 50, 0, false, -60, 100,
     kExpired, "00:01:40"},
    {"mode 2: a take goes on into overtime", 2, 30, kOff, kOff, 10, 0, false, -60, -40, kRunning,
     "-00:00:40"},
    {"mode 2: an add brings overtime back", 2, 30, kOff, kOff, 40, 0, false, 60, 50, kRunning,
     "00:00:50"},
    {"mode 2: a take stops at -99:00:00 and expires", 2, 30, kOff, kOff, 0, kCountMin + 30, false,
     -60, kCountMin, kExpired, "-99:00:00"},
    {"mode 3: an add stops where the count began", 3, 100, kOff, kOff, 10, 0, false, 60, -100,
     kRunning, "-00:01:40"},
    {"mode 3: a take moves the count up into overtime", 3, 100, kOff, kOff, 90, 0, false, -60, 50,
     kRunning, "00:00:50"},
    {"mode 3: a take stops at 99:00:00 and expires", 3, 100, kOff, kOff, 0, kCountMax - 10, false,
     -60, kCountMax, kExpired, "99:00:00"},
    {"a take enters the warning", 0, 100, 60, kOff, 10, 0, false, -60, 30, kWarning, "00:00:30"},
    {"an add leaves the warning", 0, 100, 60, kOff, 50, 0, false, 60, 110, kRunning, "00:01:50"},
    {"mode 2: a take into overtime leaves the warning", 2, 100, 60, kOff, 50, 0, false, -60, -10,
     kRunning, "-00:00:10"},
    {"a take stops at the auto-pause point and pauses", 0, 100, kOff, 40, 10, 0, false, -60, 40,
     kPaused, "00:00:40"},
    {"a take landing on the auto-pause point pauses", 0, 100, kOff, 30, 10, 0, false, -60, 30,
     kPaused, "00:00:30"},
    {"from the auto-pause point a take goes past it", 0, 200, kOff, 100, 100, 0, false, -60, 40,
     kPaused, "00:00:40"},
    {"mode 1: a take stops at the auto-pause point", 1, 100, kOff, 40, 10, 0, false, -60, 40,
     kPaused, "00:00:40"},
    {"mode 3: a take stops at the negative auto-pause point", 3, 100, kOff, 50, 10, 0, false, -60,
     -50, kPaused, "-00:00:50"},
    {"an add moving away from the auto-pause point runs on", 0, 100, kOff, 80, 10, 0, false, 60,
     150, kRunning, "00:02:30"},
    {"paused: an add keeps the count paused", 0, 100, kOff, kOff, 10, 0, true, 60, 150, kPaused,
     "00:02:30"},
    {"paused: a take into the warning stays paused", 0, 100, 60, kOff, 10, 0, true, -60, 30,
     kPaused, "00:00:30"},
    {"paused: a take reaching zero expires", 0, 100, kOff, kOff, 70, 0, true, -60, 0, kExpired,
     "00:00:00"},
};

TEST(TimeLeft, AddAndTakeDuringACountFollowTheTicksRules) {
    for (const CountCase& t : kCountCases) {
        auto w = std::make_unique<World>(t.mode, t.start, t.warning, t.autoPause);
        TTimerEngine& e = w->engine;
        e.actRun.Execute();
        w->Ticks(t.ticks);
        if (t.set != 0) {
            e.Counter.Count = t.set;
            e.actUpdateDisplayText.Execute();
        }
        if (t.pause)
            e.actPause.Execute();
        ASSERT_TRUE(e.actAddMinute.Enabled()) << t.name;
        ASSERT_TRUE(e.actTakeMinute.Enabled()) << t.name;
        w->sound.log.clear();
        (t.seconds > 0 ? e.actAddMinute : e.actTakeMinute).Execute();
        EXPECT_EQ(e.Counter.Count, t.count) << t.name;
        EXPECT_EQ(w->State(), t.state) << t.name;
        // The text and the colours follow at once.
        EXPECT_EQ(w->view.timeText, t.text) << t.name;
        EXPECT_EQ(w->display.timeLabel, t.text) << t.name;
        const bool overtime = (t.mode == 2 && t.count <= 0) || (t.mode == 3 && t.count >= 0);
        const Colour colour = t.state == kWarning   ? EngineWorld::kWarn
                              : t.state == kPaused  ? EngineWorld::kPause
                              : t.state == kExpired ? EngineWorld::kExpired
                              : overtime            ? EngineWorld::kExpired
                                                    : EngineWorld::kRun;
        EXPECT_EQ(w->view.timeColour, colour) << t.name;
        EXPECT_EQ(w->display.textColour, colour) << t.name;
        const bool ticking = t.state == kRunning || t.state == kWarning;
        EXPECT_EQ(e.SecondTimer->Enabled(), ticking) << t.name;
        if (t.state == kExpired) {
            ASSERT_FALSE(w->sound.log.empty()) << t.name;
            EXPECT_EQ(w->sound.log.back(), "end play") << t.name;
            EXPECT_FALSE(e.actAddMinute.Enabled()) << t.name;
        }
    }
}

TEST(TimeLeft, TheCountGoesOnFromTheChangedValue) {
    World w(0, 100);
    w.engine.actRun.Execute();
    w.Ticks(10);
    w.engine.actAddMinute.Execute();
    w.engine.actAddMinute.Execute();
    w.Ticks(5);
    EXPECT_EQ(w.engine.Counter.Count, 205);
    EXPECT_EQ(w.view.timeText, "00:03:25");
}

struct StoppedCase {
    const char* name;
    int mode;
    int start;
    int seconds;
    std::int32_t startAfter;
    std::int32_t countAfter;
    int editors[3];
};

TEST(TimeLeft, WhileStoppedTheStartTimesEditorsChangeAndSetStartFollows) {
    const StoppedCase cases[] = {
        {"an add raises the start time", 0, 90, 60, 150, 150, {0, 2, 30}},
        {"a take lowers the start time", 2, 3630, -60, 3570, 3570, {0, 59, 30}},
        {"a take stops at 00:00:00", 0, 30, -60, 0, 0, {0, 0, 0}},
        {"an add stops at 99:59:59", 0, 359950, 60, 359999, 359999, {99, 59, 59}},
        {"mode 1: the end time moves, the count stays at zero", 1, 100, 60, 160, 0, {0, 2, 40}},
        {"mode 3: the count starts from the new start time", 3, 100, 60, 160, -160, {0, 2, 40}},
    };
    for (const StoppedCase& t : cases) {
        World w(t.mode, t.start);
        TTimerEngine& e = w.engine;
        const auto& c = e.Controls;
        (t.seconds > 0 ? e.actAddMinute : e.actTakeMinute).Execute();
        EXPECT_EQ(w.State(), CounterState::Stopped) << t.name;
        EXPECT_EQ(e.Counter.StartTime, t.startAfter) << t.name;
        EXPECT_EQ(e.Counter.Count, t.countAfter) << t.name;
        EXPECT_EQ(c.EdStartHours.Value(), t.editors[0]) << t.name;
        EXPECT_EQ(c.EdStartMinutes.Value(), t.editors[1]) << t.name;
        EXPECT_EQ(c.EdStartSeconds.Value(), t.editors[2]) << t.name;
        EXPECT_EQ(w.view.timeText, FormatCount(t.countAfter, 0, e.Counter.MaxWidthChars)) << t.name;
    }
    // A start of zero cannot be run in mode 0; a minute added makes it runnable.
    World w(0, 30);
    w.engine.actTakeMinute.Execute();
    EXPECT_FALSE(w.engine.actRun.Enabled());
    w.engine.actAddMinute.Execute();
    EXPECT_TRUE(w.engine.actRun.Enabled());
}

TEST(TimeLeft, DisabledWhereTheCountCannotChange) {
    struct {
        const char* name;
        int mode;
        bool jump; // Jump pressed after Run: Expired in modes 0 and 1
    } cases[] = {
        {"Expired in mode 0", 0, true},
        {"Expired in mode 1", 1, true},
        {"the 12 hour clock", 4, false},
        {"the 24 hour clock hh:mm", 7, false},
    };
    for (const auto& t : cases) {
        World w(t.mode, 100);
        TTimerEngine& e = w.engine;
        e.actRun.Execute();
        if (t.jump)
            e.actJump.Execute();
        const std::int32_t count = e.Counter.Count;
        const CounterState state = w.State();
        EXPECT_FALSE(e.actAddMinute.Enabled()) << t.name;
        EXPECT_FALSE(e.actTakeMinute.Enabled()) << t.name;
        e.actAddMinute.Execute();
        e.actTakeMinute.Execute();
        e.ChangeTimeLeft(60);
        EXPECT_EQ(e.Counter.Count, count) << t.name;
        EXPECT_EQ(w.State(), state) << t.name;
        // Set Start makes them usable again in a counting mode.
        e.actSetStartTime.Execute();
        EXPECT_EQ(e.actAddMinute.Enabled(), TCounterEngine::IsCountingMode(t.mode)) << t.name;
    }
}

TEST(Attention, BlinksAtFourHertzForThreeSecondsAndASecondPressRestartsIt) {
    World w(0, 100);
    TTimerEngine& e = w.engine;
    EXPECT_FALSE(e.AttentionShowing());
    e.actAttention.Execute();
    EXPECT_TRUE(e.AttentionShowing());
    EXPECT_EQ(e.AttentionPhase(), 0);
    std::vector<int> phases;
    for (int i = 0; i < 8; ++i) {
        w.timers.Advance(125);
        phases.push_back(e.AttentionPhase());
    }
    EXPECT_EQ(phases, (std::vector<int>{1, 0, 1, 0, 1, 0, 1, 0}));
    w.timers.Advance(1000);
    e.actAttention.Execute(); // at 2 s: another 3 s from here
    EXPECT_EQ(e.AttentionPhase(), 0);
    w.timers.Advance(2875);
    EXPECT_TRUE(e.AttentionShowing());
    w.timers.Advance(125);
    EXPECT_FALSE(e.AttentionShowing());
    EXPECT_EQ(e.AttentionPhase(), 0);
    EXPECT_FALSE(e.AttentionTimer->Enabled());
}

TEST(Blackout, TogglesAndTellsTheCheckItems) {
    World w(0, 100);
    TTimerEngine& e = w.engine;
    int told = 0;
    e.actBlackout.Changed.Watch([&told] { ++told; });
    EXPECT_FALSE(e.Blackout());
    e.actBlackout.Execute();
    EXPECT_TRUE(e.Blackout());
    EXPECT_EQ(told, 1);
    // The count goes on in the dark.
    e.actRun.Execute();
    w.Ticks(3);
    EXPECT_EQ(w.view.timeText, "00:01:37");
    e.actBlackout.Execute();
    EXPECT_FALSE(e.Blackout());
    EXPECT_EQ(told, 2);
}

} // namespace
