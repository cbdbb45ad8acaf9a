#include "TimerEngine.hpp"

#include <algorithm>

namespace quorvane {

namespace {

constexpr int kClockTickPeriod = 50;
// The clock modes tick every 50 ms to catch the turn of the second; their flashing keeps the
// rhythm of a one-second count instead of strobing at the tick.
constexpr int kClockFlashTick = 1000;
constexpr int kTickPeriodMin = 50;
constexpr int kTickPeriodMax = 5000;
constexpr int kStayOnTopPeriod = 100;
// 4 Hz: a change of half every 125 ms, 24 halves in 3 s.
constexpr int kAttentionHalfPeriod = 125;
constexpr int kAttentionHalves = 24;
// The longest time the start time's editors hold, 99:59:59.
constexpr std::int32_t kLongestTime = 99 * 3600 + 59 * 60 + 59;

std::string TrimControls(const std::string& text) {
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && static_cast<unsigned char>(text[begin]) <= 32)
        ++begin;
    while (end > begin && static_cast<unsigned char>(text[end - 1]) <= 32)
        --end;
    return text.substr(begin, end - begin);
}

} // namespace

TControls::TControls() {
    btEndActive.SetChecked(true);
    EdStartMinutes.SetHint("Start time minutes");
    EdStartSeconds.SetHint("Start time seconds");
    EdWarnHours.SetHint("Warning time hours");
    EdWarnMinutes.SetHint("Warning time minutes");
    EdWarnSeconds.SetHint("Warning time seconds");
    EdAutoPauseHours.SetHint("Auto pause time hours");
    EdAutoPauseMinutes.SetHint("Auto pause time minutes");
    EdAutoPauseSeconds.SetHint("Auto pause time seconds");
    for (TColourSelector* c :
         {&EdRunColour, &EdPauseColour, &EdWarnColour, &EdExpiredColour, &EdStopColour})
        c->SetHint("Click to set the text colour");
    EdBackColour.SetHint("Click to set the background colour");
    EdMessageColour.SetHint("Click to set the message text colour");
    edCounterMode.SetHint("Choose the count / time display mode");
    edDisplayWidth.SetHint("Choose the way the counter is displayed");
    edTimeFontName.SetHint("Choose the font to use for the time in the display window");
    cbMinimiseControlsToTray.SetHint(
        "Minimise the control window to a tray icon instead of the task bar");
    cbShowCountInTitleBar.SetHint("Show the countdown time in the title bar");
    cbQuickRestart.SetHint("Enables the quick restart function (via the space key)");
    cbShowTimePie.SetHint("Show the pie graphic beside the time");
    edCounterInterval.SetHint("Counter interval (N/A for clock mode)");
    edSoundAtEndLoop.SetHint("Loop Until \"Set Start\" Is Pressed Again");
    edMessageTime.SetHint("Display message for this many seconds");
    edMessageFontName.SetHint("Choose the font to use for the message");
}

std::optional<std::pair<double, double>> PieValues(int counterMode, std::int32_t count,
                                                   std::int32_t startTime) {
    const std::int64_t c = count;
    const std::int64_t t = startTime;
    const auto abs64 = [](std::int64_t v) { return v < 0 ? -v : v; };
    switch (counterMode) {
    case 0:
        return std::pair<double, double>(static_cast<double>(c), static_cast<double>(t - c));
    case 1:
        return std::pair<double, double>(static_cast<double>(abs64(c)),
                                         static_cast<double>(abs64(t - c)));
    case 2:
        if (c > 0)
            return std::pair<double, double>(static_cast<double>(c), static_cast<double>(t - c));
        return std::pair<double, double>(0.0, 0.0);
    case 3:
        if (c < 0)
            return std::pair<double, double>(static_cast<double>(abs64(c)),
                                             static_cast<double>(abs64(t) - abs64(c)));
        return std::pair<double, double>(0.0, 0.0);
    default:
        return std::nullopt;
    }
}

int FlashPeriodFor(int tickPeriod) {
    const long long scaled = 7LL * tickPeriod;
    long long q = scaled / 10;
    const long long r = scaled % 10;
    if (r > 5 || (r == 5 && (q % 2) != 0))
        ++q;
    return static_cast<int>(q);
}

TTimerEngine::TTimerEngine(IControlView& view, IClock& clock, ITimerFactory& timers,
                           ISoundCues& sound)
    : SecondTimer(timers.CreateTimer())
    , FlashTimer(timers.CreateTimer())
    , StayOnTopTimer(timers.CreateTimer())
    , MessageTimer(timers.CreateTimer())
    , Counter(*this, *this, *SecondTimer)
    , m_view(view)
    , m_clock(clock)
    , m_sound(sound) {
    Counter.OnStateApplied = [this](CounterState s) { OnStateApplied(s); };
    Counter.OnTickBegin = [this] {
        // A clock's 50 ms tick would restart the flash period before it ever ran out.
        if (FlashTimer->Enabled() && !TCounterEngine::IsClockMode(CounterMode())) {
            FlashTimer->SetEnabled(false);
            FlashTimer->SetEnabled(true);
        }
    };

    SecondTimer->SetOnTimer([this] { SecondTimerTimer(); });
    FlashTimer->SetOnTimer([this] { FlashTimerTimer(); });
    StayOnTopTimer->SetOnTimer([this] { StayOnTopTimerTimer(); });
    MessageTimer->SetOnTimer([this] { actMessageClear.Execute(); });
    StayOnTopTimer->SetInterval(kStayOnTopPeriod);
    SecondTimer->SetEnabled(true);
    FlashTimer->SetEnabled(true);
    StayOnTopTimer->SetEnabled(true);

    actRun.OnExecute = [this] { actRunExecute(); };
    actPause.OnExecute = [this] { actPauseExecute(); };
    actSetStartTime.OnExecute = [this] { actSetStartTimeExecute(); };
    actSetTime.OnExecute = [this] { actSetTimeExecute(); };
    actJump.OnExecute = [this] { actJumpExecute(); };
    actRestart.OnExecute = [this] { actRestartExecute(); };
    actUpdateDisplayText.OnExecute = [this] { Counter.actUpdateDisplayText(); };
    actMessageSend.OnExecute = [this] { actMessageSendExecute(); };
    actMessageClear.OnExecute = [this] { actMessageClearExecute(); };

    AttentionTimer = timers.CreateTimer();
    AttentionTimer->SetInterval(kAttentionHalfPeriod);
    AttentionTimer->SetOnTimer([this] { AttentionTimerTimer(); });
    actAddMinute.SetHint("Add a minute to the time left");
    actTakeMinute.SetHint("Take a minute off the time left");
    actBlackout.SetHint("Show only the background in the display window");
    actAttention.SetHint("Blink the display for 3 seconds to catch the speaker's eye");
    actAddMinute.OnExecute = [this] { ChangeTimeLeft(60); };
    actTakeMinute.OnExecute = [this] { ChangeTimeLeft(-60); };
    actBlackout.OnExecute = [this] { SetBlackout(!m_blackout); };
    actAttention.OnExecute = [this] { actAttentionExecute(); };

    auto& c = Controls;
    actCalcStartTime.OnExecute = [this, &c] {
        RecalcTime(Counter.StartTime, c.EdStartHours, c.EdStartMinutes, c.EdStartSeconds);
    };
    actCalcWarningTime.OnExecute = [this, &c] {
        RecalcTime(Counter.WarningTime, c.EdWarnHours, c.EdWarnMinutes, c.EdWarnSeconds);
    };
    actCalcAutoPauseTime.OnExecute = [this, &c] {
        RecalcTime(Counter.AutoPauseTime, c.EdAutoPauseHours, c.EdAutoPauseMinutes,
                   c.EdAutoPauseSeconds);
    };
    for (TSpinEdit* e : {&c.EdStartHours, &c.EdStartMinutes, &c.EdStartSeconds})
        e->OnChange = [this] { actCalcStartTime.Execute(); };
    for (TSpinEdit* e : {&c.EdWarnHours, &c.EdWarnMinutes, &c.EdWarnSeconds})
        e->OnChange = [this] { actCalcWarningTime.Execute(); };
    for (TSpinEdit* e : {&c.EdAutoPauseHours, &c.EdAutoPauseMinutes, &c.EdAutoPauseSeconds})
        e->OnChange = [this] { actCalcAutoPauseTime.Execute(); };

    c.edCounterMode.OnChange = [this] {
        Relabel(CounterMode());
        actSetTime.Execute();
    };
    c.edDisplayWidth.OnChange = [this] { actSetTime.Execute(); };
    c.edCounterInterval.OnChange = [this] {
        if (TCounterEngine::IsCountingMode(CounterMode()))
            SecondTimer->SetInterval(CountingTickPeriod());
    };

    for (TColourSelector* sel :
         {&c.EdRunColour, &c.EdPauseColour, &c.EdWarnColour, &c.EdExpiredColour, &c.EdStopColour})
        sel->OnChosen = [this, sel](Colour colour) { EdSelectTextColor(*sel, colour); };
    c.EdBackColour.OnChosen = [this](Colour colour) { EdBackColourSelectColor(colour); };
    for (TColourSelector* sel :
         {&c.EdRunColour, &c.EdPauseColour, &c.EdWarnColour, &c.EdExpiredColour, &c.EdStopColour,
          &c.EdBackColour, &c.EdMessageColour}) {
        sel->OnDropDown = [this] { EdColourDropDown(); };
        sel->OnDropDownClose = [this] { EdColourDropDownClose(); };
    }
    for (TSelector* sel : {&c.edStopDisplayMode, &c.edPauseDisplayMode, &c.edExpiredDisplayMode,
                           &c.edWarningDisplayMode})
        sel->OnChange = [this] { ApplyCounterState(CurrentState()); };
    c.cbTransparent.OnClick = [this] { SetDisplayBackColour(Controls.EdBackColour.Selected()); };
    c.cbStayOnTop.OnClick = [this] {
        const bool onTop = Controls.cbStayOnTop.Checked();
        m_view.SetStayOnTop(onTop);
        StayOnTopTimer->SetEnabled(onTop);
    };

    const auto applyFonts = [this] {
        if (m_display)
            m_display->ApplyDisplayFonts();
    };
    c.edTimeFontName.OnChange = applyFonts;
    c.edMessageFontName.OnChange = applyFonts;
    c.edTimeFontSize.OnChange = applyFonts;
    c.edMessageFontSize.OnChange = applyFonts;
    const auto applyBorder = [this] {
        if (m_display)
            m_display->ApplyBorder();
    };
    c.cbBorderless.OnClick = applyBorder;
    c.edSoundAtEndLoop.OnClick = applyBorder;
    c.cbAutoClearEditor.OnClick = applyBorder;
    c.cbShowTimePie.OnClick = [this] {
        if (m_display)
            m_display->RefreshTimePie();
    };
    c.MnDisplayWindow.OnClick = [this] {
        m_view.ShowDisplayWindow(Controls.MnDisplayWindow.Checked());
    };

    c.edtMessageText.OnChange = [this] {
        actMessageSend.SetEnabled(m_display && m_display->IsVisible() &&
                                  !Controls.edtMessageText.Text().empty());
    };
    c.edMessageMode.OnChange = [this] {
        if (m_display)
            m_display->ArrangeDisplay();
    };
    c.edMessageDisplayMode.OnChange = [this] {
        const int index = Controls.edMessageDisplayMode.ItemIndex();
        if (index == 0)
            SetMessageDisplayMode(DisplayMode::SteadyOn);
        else if (index == 1)
            SetMessageDisplayMode(DisplayMode::Flashing);
    };

    actTimingSoundPlay.OnExecute = [this] {
        const std::string path = Controls.edSoundTiming.Text();
        if (!m_sound.FileExists(path))
            return;
        m_sound.PlayTiming(path);
        actTimingSoundPlay.SetEnabled(false);
        actTimingSoundStop.SetEnabled(true);
    };
    actTimingSoundStop.OnExecute = [this] {
        m_sound.StopTiming();
        actTimingSoundStop.SetEnabled(false);
        actTimingSoundPlay.SetEnabled(true);
    };
    actEndSoundPlay.OnExecute = [this] {
        const std::string path = Controls.edSoundAtEnd.Text();
        if (!m_sound.FileExists(path))
            return;
        m_sound.PlayEnd(path, Controls.edSoundAtEndLoop.Checked());
        actEndSoundPlay.SetEnabled(false);
        actEndSoundStop.SetEnabled(true);
    };
    actEndSoundStop.OnExecute = [this] {
        m_sound.StopEnd();
        actEndSoundPlay.SetEnabled(true);
        actEndSoundStop.SetEnabled(false);
    };
}

TTimerEngine::~TTimerEngine() {
    for (auto* timer : {SecondTimer.get(), FlashTimer.get(), StayOnTopTimer.get(),
                        MessageTimer.get(), AttentionTimer.get()})
        timer->SetEnabled(false);
}

void TTimerEngine::RefreshDisplay() {
    if (m_display)
        m_display->RefreshDisplay();
}

// ---- time entry -------------------------------------------------------------------------------

void TTimerEngine::RecalcTime(std::int32_t& value, const TSpinEdit& h, const TSpinEdit& m,
                              const TSpinEdit& s) {
    // A set half written by ShowTimesInEditors must not be taken as a value.
    if (EditorsUpdating)
        return;
    value = h.Value() * 3600 + m.Value() * 60 + s.Value();
}

void TTimerEngine::ClearGroup(TSpinEdit& h, TSpinEdit& m, TSpinEdit& s) {
    h.SetValue(0);
    m.SetValue(0);
    s.SetValue(0);
}

void TTimerEngine::BtClearStartClick() {
    ClearGroup(Controls.EdStartHours, Controls.EdStartMinutes, Controls.EdStartSeconds);
}

void TTimerEngine::BtClearEndClick() {
    ClearGroup(Controls.EdWarnHours, Controls.EdWarnMinutes, Controls.EdWarnSeconds);
}

void TTimerEngine::btClearAutoPauseClick() {
    ClearGroup(Controls.EdAutoPauseHours, Controls.EdAutoPauseMinutes, Controls.EdAutoPauseSeconds);
}

void TTimerEngine::ShowTimesInEditors() {
    EditorsUpdating = true;
    const auto write = [](std::int32_t v, TSpinEdit& h, TSpinEdit& m, TSpinEdit& s) {
        const std::int64_t a = v < 0 ? -static_cast<std::int64_t>(v) : v;
        h.SetValue(static_cast<int>(std::min<std::int64_t>(a / 3600, 99)));
        m.SetValue(static_cast<int>((a % 3600) / 60));
        s.SetValue(static_cast<int>(a % 60));
    };
    auto& c = Controls;
    write(Counter.StartTime, c.EdStartHours, c.EdStartMinutes, c.EdStartSeconds);
    write(Counter.WarningTime, c.EdWarnHours, c.EdWarnMinutes, c.EdWarnSeconds);
    write(Counter.AutoPauseTime, c.EdAutoPauseHours, c.EdAutoPauseMinutes, c.EdAutoPauseSeconds);
    EditorsUpdating = false;
}

int TTimerEngine::CountingTickPeriod() const {
    // The editor keeps what is typed, digit by digit: "250" passes through "2" and "25", and an
    // emptied editor reads 0. None of these may race the count or stop its tick.
    return std::clamp(Controls.edCounterInterval.Value(), kTickPeriodMin, kTickPeriodMax);
}

// ---- commands ---------------------------------------------------------------------------------

void TTimerEngine::actRunExecute() {
    actUpdateDisplayText.Execute();
    const int mode = CounterMode();
    if (TCounterEngine::IsCountingMode(mode))
        SecondTimer->SetInterval(CountingTickPeriod());
    else if (TCounterEngine::IsClockMode(mode))
        SecondTimer->SetInterval(kClockTickPeriod);
    if (Controls.btWarnActive.Checked() && Counter.WarningRuleHolds())
        ApplyCounterState(CounterState::Warning);
    else
        ApplyCounterState(CounterState::Running);
    // Both windows repaint before the sound starts.
    m_view.ProcessPendingEvents();
    actTimingSoundPlay.Execute();
}

void TTimerEngine::actPauseExecute() {
    ApplyCounterState(CounterState::Paused);
    actTimingSoundStop.Execute();
}

void TTimerEngine::actSetStartTimeExecute() {
    actEndSoundStop.Execute();
    actSetTime.Execute();
}

void TTimerEngine::actSetTimeExecute() {
    const int mode = CounterMode();
    const std::int32_t start = Counter.StartTime;
    switch (mode) {
    case 0:
    case 2:
        Counter.Count = start;
        break;
    case 1:
        Counter.Count = 0;
        break;
    case 3:
        // A stored start of INT32_MIN has no negation in 32 bits; saturate instead.
        Counter.Count = start == INT32_MIN ? INT32_MAX : -start;
        break;
    default:
        break;
    }
    if (TCounterEngine::IsCountingMode(mode))
        Counter.MaxWidthChars = MaxWidthCharsFor(start);
    actUpdateDisplayText.Execute();
    ApplyCounterState(CounterState::Stopped);
}

void TTimerEngine::actJumpExecute() {
    switch (CounterMode()) {
    case 0:
    case 1:
        SecondTimer->SetEnabled(false);
        Counter.Count = CounterMode() == 0 ? 0 : Counter.StartTime;
        actUpdateDisplayText.Execute();
        ApplyCounterState(CounterState::Expired);
        actTimingSoundStop.Execute();
        break;
    case 2:
    case 3: {
        const bool ticking = SecondTimer->Enabled();
        SecondTimer->SetEnabled(false);
        Counter.Count = 0;
        actUpdateDisplayText.Execute();
        SecondTimer->SetEnabled(ticking);
        ApplyCounterState(CurrentState());
        if (ticking) {
            m_view.ProcessPendingEvents();
            actTimingSoundPlay.Execute();
        }
        break;
    }
    default:
        break;
    }
}

void TTimerEngine::actRestartExecute() {
    ApplyCounterState(CounterState::Stopped);
    actTimingSoundStop.Execute();
    actSetTime.Execute();
    actRun.Execute();
}

void TTimerEngine::Relabel(int mode) {
    auto& c = Controls;
    const bool start = mode == 0 || mode == 2 || mode == 3;
    if (mode < 0 || mode > 7)
        return;
    const std::string lower = start ? "Start" : "End";
    c.gbStartPosition.SetText(lower + " Time");
    c.EdStartHours.SetHint(lower + " time hours");
    c.EdStartMinutes.SetHint(lower + " time minutes");
    c.EdStartSeconds.SetHint(lower + " time seconds");
    static const char* const jumpHints[] = {
        "Force to zero & stop counter", "Force to end-count & stop counter",
        "Force to zero but keep counting down", "Force to zero but keep counting up"};
    if (TCounterEngine::IsCountingMode(mode)) {
        actJump.SetHint(jumpHints[mode]);
        c.btEndActive.SetChecked(true);
        c.btEndActive.SetEnabled(false);
    } else {
        c.btEndActive.SetEnabled(true);
    }
}

// ---- state effects ----------------------------------------------------------------------------

bool TTimerEngine::Quick() const {
    return Controls.cbQuickRestart.Checked() && TCounterEngine::IsCountingMode(CounterMode());
}

void TTimerEngine::SetFlashPeriod(int period) {
    // The timer ignores an unchanged interval, so re-applying a state restarts nothing.
    FlashTimer->SetInterval(period);
}

void TTimerEngine::ApplyColour(Colour colour) {
    m_view.SetControlTimeColour(colour);
    SetDisplayTextColour(colour);
}

void TTimerEngine::ApplyStateDisplayMode(const TSelector& selector, bool twoItems) {
    const int index = selector.ItemIndex();
    if (index < 0)
        return;
    if (twoItems)
        SetTimeDisplayMode(index == 1 ? DisplayMode::Flashing : DisplayMode::SteadyOn);
    else
        SetTimeDisplayMode(static_cast<DisplayMode>(index));
}

void TTimerEngine::SetSelectorsEnabled(bool enabled) {
    auto& c = Controls;
    c.edCounterMode.SetEnabled(enabled);
    c.edDisplayWidth.SetEnabled(enabled);
    c.edSoundTiming.SetEnabled(enabled);
    c.edSoundAtEnd.SetEnabled(enabled);
    c.edSoundAtEndLoop.SetEnabled(enabled);
}

void TTimerEngine::OnStateApplied(CounterState state) {
    auto& c = Controls;
    const int mode = CounterMode();
    const bool counting = TCounterEngine::IsCountingMode(mode);
    const int tickPeriod =
        TCounterEngine::IsClockMode(mode) ? kClockFlashTick : SecondTimer->Interval();
    switch (state) {
    case CounterState::Stopped: {
        SetFlashPeriod(tickPeriod);
        ApplyColour(c.EdStopColour.Selected());
        if (counting)
            ApplyStateDisplayMode(c.edStopDisplayMode, false);
        const bool zeroStops = mode == 0 || mode == 2 || mode == 3;
        actRun.SetEnabled(!(zeroStops && Counter.Count == 0));
        actPause.SetEnabled(false);
        actSetStartTime.SetEnabled(true);
        actJump.SetEnabled(false);
        actRestart.SetEnabled(false);
        SetSelectorsEnabled(true);
        break;
    }
    case CounterState::Running: {
        Colour colour = c.EdRunColour.Selected();
        SetFlashPeriod(FlashPeriodFor(tickPeriod));
        SetTimeDisplayMode(DisplayMode::SteadyOn);
        const bool overtime =
            (mode == 2 && Counter.Count <= 0) || (mode == 3 && Counter.Count >= 0);
        if (overtime) {
            colour = c.EdExpiredColour.Selected();
            ApplyStateDisplayMode(c.edExpiredDisplayMode, false);
        }
        ApplyColour(colour);
        actRun.SetEnabled(false);
        actPause.SetEnabled(true);
        actSetStartTime.SetEnabled(false);
        actJump.SetEnabled(counting);
        actRestart.SetEnabled(Quick());
        SetSelectorsEnabled(false);
        break;
    }
    case CounterState::Paused:
        ApplyColour(c.EdPauseColour.Selected());
        if (counting)
            ApplyStateDisplayMode(c.edPauseDisplayMode, false);
        actRun.SetEnabled(true);
        actPause.SetEnabled(false);
        actSetStartTime.SetEnabled(true);
        actJump.SetEnabled(counting);
        actRestart.SetEnabled(Quick());
        SetSelectorsEnabled(true);
        break;
    case CounterState::Warning:
        SetFlashPeriod(FlashPeriodFor(tickPeriod));
        if (counting)
            ApplyStateDisplayMode(c.edWarningDisplayMode, true);
        else
            SetTimeDisplayMode(DisplayMode::SteadyOn);
        ApplyColour(c.EdWarnColour.Selected());
        actRun.SetEnabled(false);
        actPause.SetEnabled(true);
        actSetStartTime.SetEnabled(false);
        actJump.SetEnabled(counting);
        actRestart.SetEnabled(Quick());
        SetSelectorsEnabled(false);
        break;
    case CounterState::Expired:
        SetFlashPeriod(tickPeriod);
        ApplyColour(c.EdExpiredColour.Selected());
        ApplyStateDisplayMode(c.edExpiredDisplayMode, false);
        actRun.SetEnabled(false);
        actPause.SetEnabled(false);
        actSetStartTime.SetEnabled(true);
        actJump.SetEnabled(false);
        actRestart.SetEnabled(Quick());
        SetSelectorsEnabled(true);
        // Both windows repaint before the sound cues run.
        m_view.ProcessPendingEvents();
        actTimingSoundStop.Execute();
        actEndSoundPlay.Execute();
        break;
    }
    UpdateTimeLeftCommands(state);
}

// ---- the operator's actions during a show ----------------------------------------------------

void TTimerEngine::UpdateTimeLeftCommands(CounterState state) {
    const bool enabled =
        TCounterEngine::IsCountingMode(CounterMode()) && state != CounterState::Expired;
    actAddMinute.SetEnabled(enabled);
    actTakeMinute.SetEnabled(enabled);
}

void TTimerEngine::ChangeTimeLeft(std::int32_t seconds) {
    const int mode = CounterMode();
    const CounterState state = CurrentState();
    if (!TCounterEngine::IsCountingMode(mode) || state == CounterState::Expired)
        return;
    if (state == CounterState::Stopped) {
        ChangeStartTime(seconds);
        return;
    }
    TCounterEngine& k = Counter;
    // The direction in which a tick moves the count; taking time moves it the same way.
    const std::int64_t tick = (mode == 0 || mode == 2) ? -1 : 1;
    const std::int64_t from = k.Count;
    std::int64_t to = from - tick * seconds;
    // Between where the count began and its end value.
    std::int64_t low = 0;
    std::int64_t high = 0;
    switch (mode) {
    case 0:
        low = 0;
        high = std::max<std::int64_t>(kLongestTime, from);
        break;
    case 1:
        low = 0;
        high = k.StartTime;
        break;
    case 2:
        low = k.CountMin;
        high = std::max<std::int64_t>(kLongestTime, from);
        break;
    default:
        low = -static_cast<std::int64_t>(k.StartTime);
        high = k.CountMax;
        break;
    }
    // The end value bounds last, so that no expiry is ever jumped over.
    if (tick < 0)
        to = std::max(std::min(to, high), low);
    else
        to = std::min(std::max(to, low), high);
    // The count pauses at the auto-pause point as a tick would; a take never jumps past it.
    if (Controls.btAutoPauseActive.Checked()) {
        const std::int64_t point = mode == 3 ? -static_cast<std::int64_t>(k.AutoPauseTime)
                                             : static_cast<std::int64_t>(k.AutoPauseTime);
        if ((point - from) * tick > 0 && (to - point) * tick > 0)
            to = point;
    }
    if (to == from)
        return;
    k.Count = static_cast<std::int32_t>(to);
    actUpdateDisplayText.Execute();
    // The tick's rules, with Paused kept while paused.
    const bool paused = state == CounterState::Paused;
    if (paused)
        ApplyCounterState(CounterState::Paused);
    else if (Controls.btWarnActive.Checked() && k.WarningRuleHolds())
        ApplyCounterState(CounterState::Warning);
    else
        ApplyCounterState(CounterState::Running);
    if (k.ExpiryRuleHolds())
        ApplyCounterState(CounterState::Expired);
    if (!paused && Controls.btAutoPauseActive.Checked() && k.AutoPauseRuleHolds())
        ApplyCounterState(CounterState::Paused);
}

void TTimerEngine::ChangeStartTime(std::int32_t seconds) {
    auto& c = Controls;
    const std::int64_t now = static_cast<std::int64_t>(c.EdStartHours.Value()) * 3600 +
                             c.EdStartMinutes.Value() * 60 + c.EdStartSeconds.Value();
    const std::int64_t wanted =
        std::min<std::int64_t>(std::max<std::int64_t>(now + seconds, 0), kLongestTime);
    if (wanted == now)
        return;
    // Written into the editors as the operator would type them; each one's change recalculates
    // the start time.
    c.EdStartHours.SetValue(static_cast<int>(wanted / 3600));
    c.EdStartMinutes.SetValue(static_cast<int>(wanted % 3600 / 60));
    c.EdStartSeconds.SetValue(static_cast<int>(wanted % 60));
    actSetStartTime.Execute();
}

void TTimerEngine::SetBlackout(bool on) {
    if (on == m_blackout)
        return;
    m_blackout = on;
    ApplyOperatorEffects();
    // The check items follow the state.
    actBlackout.Changed.Notify();
}

void TTimerEngine::actAttentionExecute() {
    // A second press starts the blink afresh.
    m_attentionSteps = kAttentionHalves;
    m_attentionPhase = 0;
    AttentionTimer->SetEnabled(false);
    AttentionTimer->SetEnabled(true);
    ApplyOperatorEffects();
}

void TTimerEngine::AttentionTimerTimer() {
    if (m_attentionSteps > 0)
        --m_attentionSteps;
    if (m_attentionSteps == 0) {
        AttentionTimer->SetEnabled(false);
        m_attentionPhase = 0;
    } else {
        m_attentionPhase = 1 - m_attentionPhase;
    }
    ApplyOperatorEffects();
}

void TTimerEngine::ApplyOperatorEffects() {
    if (m_display)
        m_display->ApplyOperatorEffects();
}

// ---- display effects --------------------------------------------------------------------------

void TTimerEngine::UpdateFlashTimer() {
    FlashTimer->SetEnabled(TimeDisplayMode == DisplayMode::Flashing ||
                           MessageDisplayMode == DisplayMode::Flashing);
}

void TTimerEngine::SetTimeDisplayMode(DisplayMode mode) {
    TimeDisplayMode = mode;
    if (mode == DisplayMode::Blanked)
        SetDisplayTimeText(std::string());
    else
        ShowTimeAgain();
    UpdateFlashTimer();
    FlashPhase = 0;
}

void TTimerEngine::ShowTimeAgain() {
    // A clock whose tick is off shows the second at which it stopped or was set; formatting
    // anew would read the time of day again and the stopped clock would run on.
    if (TCounterEngine::IsClockMode(CounterMode()) && !SecondTimer->Enabled())
        SetDisplayTimeText(Counter.TimeText);
    else
        actUpdateDisplayText.Execute();
}

void TTimerEngine::SetDisplayTimeText(const std::string& text) {
    if (m_display)
        m_display->SetTimeText(text);
}

void TTimerEngine::SetDisplayTextColour(Colour colour) {
    if (m_display)
        m_display->SetTextColour(colour);
}

void TTimerEngine::SetDisplayBackColour(Colour colour) {
    if (m_display)
        m_display->SetBackColour(colour, Controls.cbTransparent.Checked());
}

void TTimerEngine::FlashTimerTimer() {
    FlashPhase = 1 - FlashPhase;
    if (TimeDisplayMode == DisplayMode::Flashing) {
        if (FlashPhase == 1)
            SetDisplayTimeText(std::string());
        else
            ShowTimeAgain();
    }
    if (MessageDisplayMode == DisplayMode::Flashing && m_display)
        m_display->SetMessageCaption(FlashPhase == 1 ? std::string() : MessageText);
}

void TTimerEngine::StayOnTopTimerTimer() {
    m_view.SetStayOnTop(Controls.cbStayOnTop.Checked());
}

void TTimerEngine::EdSelectTextColor(TColourSelector& /*sender*/, Colour colour) {
    ApplyCounterState(CurrentState());
    if (colour == Controls.EdBackColour.Selected())
        m_view.ShowWarning("The chosen text colour is now the same as the\r\nbackground and will "
                           "make that text invisible.");
}

void TTimerEngine::EdBackColourSelectColor(Colour colour) {
    m_view.SetControlTimeBackColour(colour);
    SetDisplayBackColour(colour);
    const auto& c = Controls;
    for (const TColourSelector* sel :
         {&c.EdRunColour, &c.EdPauseColour, &c.EdWarnColour, &c.EdExpiredColour, &c.EdStopColour}) {
        if (sel->Selected() == colour) {
            m_view.ShowWarning("The background colour is now the same as one of the\r\ntext "
                               "colours and will make the display text invisible.");
            break;
        }
    }
}

void TTimerEngine::EdColourDropDown() {
    SuspendStayOnTop();
}
void TTimerEngine::EdColourDropDownClose() {
    ResumeStayOnTop();
}
void TTimerEngine::SuspendStayOnTop() {
    StayOnTopTimer->SetEnabled(false);
}
void TTimerEngine::ResumeStayOnTop() {
    StayOnTopTimer->SetEnabled(true);
}

// ---- message overlay --------------------------------------------------------------------------

void TTimerEngine::SetMessageDisplayMode(DisplayMode mode) {
    MessageDisplayMode = mode;
    UpdateFlashTimer();
    FlashPhase = 0;
}

void TTimerEngine::actMessageSendExecute() {
    auto& c = Controls;
    MessageShowing = true;
    if (m_display)
        m_display->SetMessageColour(c.EdMessageColour.Selected());
    c.edtMessageText.SetText(TrimControls(c.edtMessageText.Text()));
    MessageText = c.edtMessageText.Text();
    if (m_display)
        m_display->ShowMessageText();
    const int index = c.edMessageDisplayMode.ItemIndex();
    if (index == 0)
        SetMessageDisplayMode(DisplayMode::SteadyOn);
    else if (index == 1)
        SetMessageDisplayMode(DisplayMode::Flashing);
    const int timeout = c.edMessageTime.Value();
    if (timeout > 0) {
        MessageTimer->SetInterval(timeout * 1000);
        MessageTimer->SetEnabled(true);
    }
    c.edtMessageText.SetEnabled(false);
    c.edMessageTime.SetEnabled(false);
    actMessageSend.SetEnabled(false);
    actMessageClear.SetEnabled(true);
    m_view.FocusMessageClear();
}

void TTimerEngine::actMessageClearExecute() {
    auto& c = Controls;
    MessageShowing = false;
    MessageTimer->SetEnabled(false);
    MessageText.clear();
    SetMessageDisplayMode(DisplayMode::SteadyOn);
    if (m_display)
        m_display->ShowMessageText();
    if (c.cbAutoClearEditor.Checked())
        c.edtMessageText.SetText(std::string());
    actMessageSend.SetEnabled(!c.edtMessageText.Text().empty());
    c.edtMessageText.SetEnabled(true);
    c.edMessageTime.SetEnabled(true);
    actMessageClear.SetEnabled(false);
    m_view.FocusMessageEditor();
}

void TTimerEngine::tsMessageShow() {
    m_view.FocusMessageEditor();
}

// ---- sound ------------------------------------------------------------------------------------

void TTimerEngine::TimingSoundEnded() {
    actTimingSoundStop.SetEnabled(false);
    actTimingSoundPlay.SetEnabled(true);
}

void TTimerEngine::EndSoundEnded() {
    actEndSoundStop.SetEnabled(false);
    actEndSoundPlay.SetEnabled(true);
}

} // namespace quorvane
