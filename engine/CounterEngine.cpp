#include "CounterEngine.hpp"

namespace quorvane {

TCounterEngine::TCounterEngine(ICounterInputs& inputs, ICounterView& view, ITimer& tick)
    : m_inputs(inputs)
    , m_view(view)
    , m_tick(tick) {}

void TCounterEngine::SecondTimerTimer() {
    if (OnTickBegin)
        OnTickBegin();
    const int mode = m_inputs.CounterMode();
    if (mode < 0 || mode > 7)
        return;
    if (mode == 0 || mode == 2)
        --Count;
    else if (mode == 1 || mode == 3)
        ++Count;
    actUpdateDisplayText();
    if (m_inputs.WarnActive() && WarningRuleHolds())
        ApplyCounterState(CounterState::Warning);
    else
        ApplyCounterState(CounterState::Running);
    if (ExpiryRuleHolds())
        ApplyCounterState(CounterState::Expired);
    // Both can fire in the same tick; the state entered last is the one that stays.
    if (m_inputs.AutoPauseActive() && AutoPauseRuleHolds())
        ApplyCounterState(CounterState::Paused);
}

void TCounterEngine::ApplyCounterState(CounterState state) {
    m_state = state;
    const bool ticking = state == CounterState::Running || state == CounterState::Warning;
    // Switching an enabled tick on again must not restart its period.
    const bool wanted = ticking && LimitRuleHolds();
    if (m_tick.Enabled() != wanted)
        m_tick.SetEnabled(wanted);
    if (OnStateApplied)
        OnStateApplied(state);
}

void TCounterEngine::actUpdateDisplayText() {
    const int mode = m_inputs.CounterMode();
    if (IsCountingMode(mode))
        TimeText = FormatCount(Count, m_inputs.DisplayWidth(), MaxWidthChars);
    else if (IsClockMode(mode))
        TimeText = FormatClock(mode, m_inputs.SecondOfDay(), m_inputs.TimeSeparator());
    else
        return;
    m_view.SetControlTimeText(TimeText);
    m_view.RefreshDisplay();
    m_view.SetTitleText(m_inputs.ShowCountInTitleBar() ? TimeText : std::string("Quorvane"));
}

bool TCounterEngine::WarningRuleHolds() const {
    switch (m_inputs.CounterMode()) {
    case 0:
        return Count <= WarningTime;
    case 1:
        return Count >= WarningTime;
    case 2:
        return Count > 0 && Count <= WarningTime;
    case 3:
        return static_cast<std::int64_t>(-static_cast<std::int64_t>(WarningTime)) <= Count &&
               Count < 0;
    case 4:
    case 5:
    case 6:
    case 7:
        return m_inputs.SecondOfDay() >= WarningTime;
    default:
        return false;
    }
}

bool TCounterEngine::ExpiryRuleHolds() const {
    switch (m_inputs.CounterMode()) {
    case 0:
        return Count == 0;
    case 1:
        return Count == StartTime;
    case 2:
        return Count == CountMin;
    case 3:
        return Count == CountMax;
    case 4:
    case 5:
    case 6:
    case 7:
        return m_inputs.SecondOfDay() == StartTime;
    default:
        return false;
    }
}

bool TCounterEngine::AutoPauseRuleHolds() const {
    // The clock modes never change Count, so comparing it there would pause at an arbitrary
    // moment; they do not auto-pause.
    switch (m_inputs.CounterMode()) {
    case 0:
    case 1:
    case 2:
        return Count == AutoPauseTime;
    case 3:
        return static_cast<std::int64_t>(Count) == -static_cast<std::int64_t>(AutoPauseTime);
    default:
        return false;
    }
}

bool TCounterEngine::LimitRuleHolds() const {
    switch (m_inputs.CounterMode()) {
    case 0:
        return Count > 0;
    case 1:
        return Count < StartTime;
    case 2:
        return Count > CountMin;
    case 3:
        return Count < CountMax;
    case 4:
    case 5:
    case 6:
    case 7:
        return true;
    default:
        return false;
    }
}

} // namespace quorvane
