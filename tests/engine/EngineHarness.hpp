#pragma once
// A stepped world for the engine: virtual time, timers that fire when the test advances it, and
// fake windows and sound that record what reached them.

#include "TimerEngine.hpp"

#include <algorithm>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

namespace quorvane::testing {

class FakeTimerHost;

class FakeTimer : public ITimer {
public:
    explicit FakeTimer(FakeTimerHost& host)
        : m_host(host) {}
    bool Enabled() const override { return enabled; }
    void SetEnabled(bool on) override;
    int Interval() const override { return interval; }
    void SetInterval(int ms) override {
        if (ms == interval)
            return;
        const bool was = enabled;
        SetEnabled(false);
        interval = ms;
        SetEnabled(was);
    }
    void SetOnTimer(std::function<void()> h) override { handler = std::move(h); }

    bool enabled = false;
    int interval = 1000;
    long long due = 0;
    std::function<void()> handler;

private:
    FakeTimerHost& m_host;
};

class FakeTimerHost : public ITimerFactory {
public:
    long long now = 0;
    std::vector<FakeTimer*> timers;

    std::unique_ptr<ITimer> CreateTimer() override {
        auto t = std::make_unique<FakeTimer>(*this);
        timers.push_back(t.get());
        return t;
    }
    // Fires every event that falls due up to now + ms, in time order.
    void Advance(long long ms) {
        const long long target = now + ms;
        for (;;) {
            FakeTimer* next = nullptr;
            for (FakeTimer* t : timers)
                if (t->enabled && t->interval > 0 && t->due <= target &&
                    (!next || t->due < next->due))
                    next = t;
            if (!next)
                break;
            now = next->due;
            next->due += next->interval;
            if (next->handler) {
                try {
                    next->handler();
                } catch (...) {
                    // Timer events discard what escapes them.
                }
            }
        }
        now = target;
    }
};

inline void FakeTimer::SetEnabled(bool on) {
    if (on && !enabled)
        due = m_host.now + interval;
    enabled = on;
}

struct FakeClock : IClock {
    int second = 0;
    int SecondOfDay() const override { return second; }
    std::string TimeSeparator() const override { return ":"; }
};

struct FakeSound : ISoundCues {
    std::set<std::string> files{"tick.wav", "end.wav"};
    std::vector<std::string> log;
    bool failEnd = false;
    bool FileExists(const std::string& p) const override { return files.count(p) > 0; }
    void PlayTiming(const std::string&) override { log.push_back("timing play"); }
    void StopTiming() override { log.push_back("timing stop"); }
    void PlayEnd(const std::string&, bool loop) override {
        if (failEnd)
            throw std::runtime_error("Audio file is empty.");
        log.push_back(loop ? "end play loop" : "end play");
    }
    void StopEnd() override { log.push_back("end stop"); }
};

struct FakeControlView : IControlView {
    std::string timeText, title;
    Colour timeColour = 0, backColour = 0;
    std::vector<std::string> warnings;
    int processed = 0;
    bool onTop = false;
    std::string focus;
    void SetControlTimeText(const std::string& t) override { timeText = t; }
    void SetControlTimeColour(Colour c) override { timeColour = c; }
    void SetControlTimeBackColour(Colour c) override { backColour = c; }
    void SetTitleText(const std::string& t) override { title = t; }
    void ProcessPendingEvents() override { ++processed; }
    void ShowWarning(const std::string& t) override { warnings.push_back(t); }
    void SetStayOnTop(bool on) override { onTop = on; }
    void ShowDisplayWindow(bool) override {}
    void FocusMessageClear() override { focus = "clear"; }
    void FocusMessageEditor() override { focus = "editor"; }
};

struct FakeDisplay : IDisplayView {
    const TTimerEngine* engine = nullptr;
    bool visible = true;
    std::string timeLabel, messageLabel;
    Colour textColour = 0, messageColour = 0;
    int colourChanges = 0, arranged = 0;
    bool IsVisible() const override { return visible; }
    void RefreshDisplay() override {
        timeLabel = engine->Counter.TimeText;
        messageLabel = engine->MessageShowing ? engine->MessageText : std::string();
        ++arranged;
    }
    void SetTimeText(const std::string& t) override { timeLabel = t; }
    void SetTextColour(Colour c) override {
        if (c != textColour)
            ++colourChanges;
        textColour = c;
    }
    void SetMessageCaption(const std::string& t) override { messageLabel = t; }
    void SetMessageColour(Colour c) override { messageColour = c; }
    void ShowMessageText() override {
        messageLabel = engine->MessageShowing ? engine->MessageText : std::string();
        ++arranged;
    }
    void SetBackColour(Colour, bool) override {}
    void ArrangeDisplay() override { ++arranged; }
    void ApplyDisplayFonts() override {}
    void RefreshTimePie() override {}
    void ApplyBorder() override {}
};

// The engine set up as start-up leaves it with the built-in defaults, a display window present.
struct EngineWorld {
    FakeTimerHost timers;
    FakeClock clock;
    FakeSound sound;
    FakeControlView view;
    FakeDisplay display;
    TTimerEngine engine{view, clock, timers, sound};

    static constexpr Colour kStop = 0xC0C0C0, kRun = 0x008000, kWarn = 0x00FFFF, kPause = 0xFF0000,
                            kExpired = 0x0000FF;

    EngineWorld() {
        auto& c = engine.Controls;
        c.EdStopColour.SetColour(kStop);
        c.EdRunColour.SetColour(kRun);
        c.EdWarnColour.SetColour(kWarn);
        c.EdPauseColour.SetColour(kPause);
        c.EdExpiredColour.SetColour(kExpired);
        for (TSelector* s : {&c.edStopDisplayMode, &c.edPauseDisplayMode, &c.edExpiredDisplayMode,
                             &c.edWarningDisplayMode})
            s->SetItemIndex(0);
        c.edDisplayWidth.SetItemIndex(0);
        c.edSoundTiming.SetText("tick.wav");
        c.edSoundAtEnd.SetText("end.wav");
        display.engine = &engine;
        engine.SetDisplay(&display);
    }

    // Mode, start/warning/auto-pause times as the operator enters them, then Set Start.
    void Prepare(int mode, int start, int warning = 0, int autoPause = 0) {
        auto& c = engine.Controls;
        c.edCounterMode.SetItemIndex(mode);
        engine.Counter.StartTime = start;
        engine.Counter.WarningTime = warning;
        engine.Counter.AutoPauseTime = autoPause;
        engine.ShowTimesInEditors();
        engine.actSetStartTime.Execute();
        sound.log.clear();
    }
    void Ticks(int n) {
        for (int i = 0; i < n; ++i)
            timers.Advance(engine.SecondTimer->Interval());
    }
    CounterState State() const { return engine.CurrentState(); }
};

} // namespace quorvane::testing
