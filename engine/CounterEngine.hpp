#pragma once

#include "TimeText.hpp"
#include "Timer.hpp"

#include <cstdint>
#include <functional>
#include <string>

namespace quorvane {

enum class CounterState { Stopped = 0, Running = 1, Paused = 2, Warning = 3, Expired = 4 };

constexpr std::int32_t kCountMin = -356400; // -99:00:00, where mode 2 expires
constexpr std::int32_t kCountMax = 356400;  // +99:00:00, where mode 3 expires

// The operator's controls that the rules read. They are asked afresh each time, never cached,
// so a change made while the counter runs applies from the next tick.
class ICounterInputs {
public:
    virtual ~ICounterInputs() = default;
    virtual int CounterMode() const = 0;  // item index, -1 when nothing is selected
    virtual int DisplayWidth() const = 0; // item index, -1 when nothing is selected
    virtual bool WarnActive() const = 0;
    virtual bool AutoPauseActive() const = 0;
    virtual bool ShowCountInTitleBar() const = 0;
    virtual int SecondOfDay() const = 0;           // local time of day, 0..86399
    virtual std::string TimeSeparator() const = 0; // the desktop's, ":" when it sets none
};

// Where the shown time goes: the control window's label, the display window and the title.
class ICounterView {
public:
    virtual ~ICounterView() = default;
    virtual void SetControlTimeText(const std::string& text) = 0;
    virtual void RefreshDisplay() = 0;
    virtual void SetTitleText(const std::string& text) = 0;
};

// The counter engine: values, the tick and the state rules. Runs on the UI thread only.
class TCounterEngine {
public:
    TCounterEngine(ICounterInputs& inputs, ICounterView& view, ITimer& tick);

    std::int32_t Count = 0;
    std::int32_t StartTime = 0;
    std::int32_t WarningTime = 0;
    std::int32_t AutoPauseTime = 0;
    std::int32_t CountMin = kCountMin;
    std::int32_t CountMax = kCountMax;
    std::uint8_t MaxWidthChars = 8;
    std::string TimeText;

    CounterState CurrentState() const { return m_state; }

    // The tick handler: step, text, then Warning/Running, Expired and Paused by the rules.
    void SecondTimerTimer();

    // Records the state and switches the tick; the visible effects of a state hook in here.
    void ApplyCounterState(CounterState state);
    std::function<void(CounterState)> OnStateApplied;
    // Runs first in every tick; the flash period restarts there so that flashing digits blink
    // once per tick.
    std::function<void()> OnTickBegin;

    void actUpdateDisplayText();

    bool WarningRuleHolds() const;
    bool ExpiryRuleHolds() const;
    bool AutoPauseRuleHolds() const;
    bool LimitRuleHolds() const;

    static bool IsCountingMode(int mode) { return mode >= 0 && mode <= 3; }
    static bool IsClockMode(int mode) { return mode >= 4 && mode <= 7; }

private:
    ICounterInputs& m_inputs;
    ICounterView& m_view;
    ITimer& m_tick;
    CounterState m_state = CounterState::Stopped;
};

} // namespace quorvane
