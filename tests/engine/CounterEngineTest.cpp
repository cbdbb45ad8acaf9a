#include "CounterEngine.hpp"

#include <gtest/gtest.h>
#include <vector>

using namespace quorvane;

namespace {

struct FakeInputs : ICounterInputs {
    int mode = 0;
    int width = 0;
    bool warn = false;
    bool autoPause = false;
    bool title = false;
    int second = 0;
    int CounterMode() const override { return mode; }
    int DisplayWidth() const override { return width; }
    bool WarnActive() const override { return warn; }
    bool AutoPauseActive() const override { return autoPause; }
    bool ShowCountInTitleBar() const override { return title; }
    int SecondOfDay() const override { return second; }
    std::string TimeSeparator() const override { return ":"; }
};

struct FakeView : ICounterView {
    std::vector<std::string> texts;
    std::string title;
    void SetControlTimeText(const std::string& text) override { texts.push_back(text); }
    void RefreshDisplay() override {}
    void SetTitleText(const std::string& text) override { title = text; }
};

struct FakeTick : ITimer {
    bool enabled = false;
    int restarts = 0;
    int interval = 1000;
    int Interval() const override { return interval; }
    void SetInterval(int ms) override { interval = ms; }
    void SetOnTimer(std::function<void()>) override {}
    bool Enabled() const override { return enabled; }
    void SetEnabled(bool on) override {
        if (on && !enabled)
            ++restarts;
        enabled = on;
    }
};

struct CounterFixture : ::testing::Test {
    FakeInputs inputs;
    FakeView view;
    FakeTick tick;
    TCounterEngine engine{inputs, view, tick};
    std::vector<CounterState> entered;

    CounterFixture() {
        engine.OnStateApplied = [this](CounterState s) { entered.push_back(s); };
    }
    void Start(int mode, std::int32_t count) {
        inputs.mode = mode;
        engine.Count = count;
        engine.ApplyCounterState(CounterState::Running);
        entered.clear();
    }
};

} // namespace

TEST_F(CounterFixture, RulesPerMode) {
    struct Case {
        const char* name;
        int mode;
        std::int32_t count, start, warning, autoPause;
        int second;
        bool warn, expiry, pause, limit;
    } cases[] = {
        {"mode 0 inside the warning", 0, 3, 10, 5, 0, 0, true, false, false, true},
        {"mode 0 at zero", 0, 0, 10, 5, 0, 0, true, true, true, false},
        {"mode 1 reaching its end", 1, 10, 10, 8, 4, 0, true, true, false, false},
        {"mode 1 below the warning", 1, 4, 10, 8, 4, 0, false, false, true, true},
        {"mode 2 at zero is no warning", 2, 0, 10, 5, 0, 0, false, false, true, true},
        {"mode 2 in overtime", 2, -5, 10, 5, 0, 0, false, false, false, true},
        {"mode 2 at its end", 2, kCountMin, 10, 5, 0, 0, false, true, false, false},
        {"mode 3 before zero", 3, -3, 60, 5, 3, 0, true, false, true, true},
        {"mode 3 at zero is no warning", 3, 0, 60, 5, 0, 0, false, false, true, true},
        {"mode 3 at its end", 3, kCountMax, 60, 5, 0, 0, false, true, false, false},
        {"clock past the warning time", 5, 0, 3600, 1800, 0, 1800, true, false, false, true},
        {"clock at the end time", 5, 0, 3600, 1800, 0, 3600, true, true, false, true},
        {"clock never auto-pauses", 7, 0, 3600, 7200, 0, 100, false, false, false, true},
        {"no mode selected", -1, 0, 0, 0, 0, 0, false, false, false, false},
    };
    for (const auto& c : cases) {
        inputs.mode = c.mode;
        inputs.second = c.second;
        engine.Count = c.count;
        engine.StartTime = c.start;
        engine.WarningTime = c.warning;
        engine.AutoPauseTime = c.autoPause;
        EXPECT_EQ(engine.WarningRuleHolds(), c.warn) << c.name;
        EXPECT_EQ(engine.ExpiryRuleHolds(), c.expiry) << c.name;
        EXPECT_EQ(engine.AutoPauseRuleHolds(), c.pause) << c.name;
        EXPECT_EQ(engine.LimitRuleHolds(), c.limit) << c.name;
    }
}

TEST_F(CounterFixture, ExpiryAndAutoPauseInOneTickLeaveThePauseStanding) {
    inputs.autoPause = true;
    engine.AutoPauseTime = 0;
    Start(0, 1);
    engine.SecondTimerTimer();
    EXPECT_EQ(entered, (std::vector<CounterState>{CounterState::Running, CounterState::Expired,
                                                  CounterState::Paused}));
    EXPECT_EQ(engine.CurrentState(), CounterState::Paused);
    EXPECT_FALSE(tick.enabled);
    engine.ApplyCounterState(CounterState::Running); // Run from there: the limit rule fails
    EXPECT_FALSE(tick.enabled);
}

TEST_F(CounterFixture, MissedEqualityLeavesTheCounterStandingWithoutExpiring) {
    engine.StartTime = 10;
    Start(1, 5);
    engine.StartTime = 3; // lowered below Count while mode 1 runs
    engine.SecondTimerTimer();
    EXPECT_EQ(engine.Count, 6);
    EXPECT_EQ(engine.CurrentState(), CounterState::Running);
    EXPECT_FALSE(tick.enabled);
}

TEST_F(CounterFixture, Mode2CountsThroughZeroAndExpiresOnlyAtItsEnd) {
    inputs.warn = true;
    engine.WarningTime = 3;
    Start(2, 2);
    engine.SecondTimerTimer();
    EXPECT_EQ(engine.CurrentState(), CounterState::Warning);
    engine.SecondTimerTimer();
    engine.SecondTimerTimer();
    EXPECT_EQ(engine.Count, -1);
    EXPECT_EQ(engine.CurrentState(), CounterState::Running);
    EXPECT_EQ(view.texts.back(), "-00:00:01");
    EXPECT_TRUE(tick.enabled);
    engine.Count = kCountMin + 1;
    engine.SecondTimerTimer();
    EXPECT_EQ(engine.CurrentState(), CounterState::Expired);
    EXPECT_EQ(view.texts.back(), "-99:00:00");
}

TEST_F(CounterFixture, Mode3CountsUpThroughZero) {
    inputs.warn = true;
    engine.WarningTime = 2;
    Start(3, -3);
    engine.SecondTimerTimer();
    EXPECT_EQ(engine.CurrentState(), CounterState::Warning);
    engine.SecondTimerTimer();
    engine.SecondTimerTimer();
    EXPECT_EQ(engine.Count, 0);
    EXPECT_EQ(engine.CurrentState(), CounterState::Running);
}

TEST_F(CounterFixture, ClockCrossingMidnightStaysInWarningUntilMidnight) {
    inputs.warn = true;
    engine.WarningTime = 86390;
    engine.StartTime = 5;
    inputs.second = 86399;
    Start(5, 0);
    engine.SecondTimerTimer();
    EXPECT_EQ(engine.CurrentState(), CounterState::Warning);
    EXPECT_EQ(view.texts.back(), "23:59:59");
    inputs.second = 0;
    engine.SecondTimerTimer();
    EXPECT_EQ(engine.CurrentState(), CounterState::Running);
    EXPECT_EQ(view.texts.back(), "0:00:00");
}

TEST_F(CounterFixture, ClockStartedAfterItsEndTimeExpiresAtThatTimeNextDay) {
    engine.StartTime = 3600;
    inputs.second = 7200;
    Start(7, 0);
    for (int s : {7201, 86399, 0, 3599})
        inputs.second = s, engine.SecondTimerTimer();
    EXPECT_EQ(engine.CurrentState(), CounterState::Running);
    inputs.second = 3600;
    engine.SecondTimerTimer();
    EXPECT_EQ(engine.CurrentState(), CounterState::Expired);
    EXPECT_FALSE(tick.enabled);
    EXPECT_EQ(view.texts.back(), "1:00");
}

TEST_F(CounterFixture, NoModeSelectedTickChangesNothing) {
    Start(9, 42);
    view.texts.clear();
    engine.SecondTimerTimer();
    EXPECT_EQ(engine.Count, 42);
    EXPECT_TRUE(view.texts.empty());
    EXPECT_TRUE(entered.empty());
}

TEST_F(CounterFixture, ReenteringRunningDoesNotRestartTheTick) {
    Start(0, 10);
    const int restarts = tick.restarts;
    engine.SecondTimerTimer();
    engine.SecondTimerTimer();
    EXPECT_EQ(tick.restarts, restarts);
}

TEST_F(CounterFixture, TitleFollowsTheCheckBox) {
    Start(0, 10);
    engine.actUpdateDisplayText();
    EXPECT_EQ(view.title, "Quorvane");
    inputs.title = true;
    engine.actUpdateDisplayText();
    EXPECT_EQ(view.title, "00:00:10");
}

TEST_F(CounterFixture, StoredTimesOutsideTheRangeAreUsedAsStored) {
    engine.WarningTime = INT32_MAX;
    inputs.warn = true;
    Start(3, INT32_MIN + 1);
    EXPECT_TRUE(engine.WarningRuleHolds());
    engine.SecondTimerTimer();
    EXPECT_EQ(engine.CurrentState(), CounterState::Warning);
}
