#pragma once

#include "ControlModel.hpp"
#include "CounterEngine.hpp"
#include "Timer.hpp"

#include <memory>
#include <optional>
#include <string>
#include <utility>

namespace quorvane {

enum class DisplayMode { SteadyOn = 0, Blanked = 1, Flashing = 2 };

struct TDisplayGeometry {
    std::int32_t Top = 0;
    std::int32_t Left = 0;
    std::int32_t Width = 500;
    std::int32_t Height = 200;
    bool Maximised = false;
};

// The local time of day and the desktop's time separator.
class IClock {
public:
    virtual ~IClock() = default;
    virtual int SecondOfDay() const = 0;
    virtual std::string TimeSeparator() const = 0;
};

// What the engine asks of the control window.
class IControlView {
public:
    virtual ~IControlView() = default;
    virtual void SetControlTimeText(const std::string& text) = 0;
    virtual void SetControlTimeColour(Colour colour) = 0;
    virtual void SetControlTimeBackColour(Colour colour) = 0;
    // The title of the taskbar entry and, while the tray icon shows, its tooltip.
    virtual void SetTitleText(const std::string& text) = 0;
    virtual void ProcessPendingEvents() = 0;
    virtual void ShowWarning(const std::string& text) = 0;
    virtual void SetStayOnTop(bool onTop) = 0;
    virtual void ShowDisplayWindow(bool show) = 0;
    virtual void FocusMessageClear() = 0;
    virtual void FocusMessageEditor() = 0;
};

// The display window's operations; the engine holds none while the window does not exist.
class IDisplayView {
public:
    virtual ~IDisplayView() = default;
    virtual bool IsVisible() const = 0;
    virtual void RefreshDisplay() = 0;
    virtual void SetTimeText(const std::string& text) = 0;
    virtual void SetTextColour(Colour colour) = 0;
    virtual void SetMessageCaption(const std::string& text) = 0;
    virtual void SetMessageColour(Colour colour) = 0;
    virtual void ShowMessageText() = 0;
    virtual void SetBackColour(Colour colour, bool transparent) = 0;
    virtual void ArrangeDisplay() = 0;
    virtual void ApplyDisplayFonts() = 0;
    virtual void RefreshTimePie() = 0;
    virtual void ApplyBorder() = 0;
    // Blackout or the attention blink started, stepped or ended: the labels show what the
    // engine's Blackout(), AttentionShowing() and AttentionPhase() say over what the state shows.
    virtual void ApplyOperatorEffects() {}
};

// The two sound cues. Play may throw; the error then passes out of the command before its
// enabled states switch, so the cue stays idle.
class ISoundCues {
public:
    virtual ~ISoundCues() = default;
    virtual bool FileExists(const std::string& path) const = 0;
    virtual void PlayTiming(const std::string& path) = 0;
    virtual void StopTiming() = 0;
    virtual void PlayEnd(const std::string& path, bool loop) = 0;
    virtual void StopEnd() = 0;
};

// Every control of the control window that the engine and the settings read or set.
struct TControls {
    // Times
    TSpinEdit EdStartHours{0, 99, 0}, EdStartMinutes{0, 59, 0}, EdStartSeconds{0, 59, 0};
    TSpinEdit EdWarnHours{0, 99, 0}, EdWarnMinutes{0, 59, 0}, EdWarnSeconds{0, 59, 0};
    TSpinEdit EdAutoPauseHours{0, 99, 0}, EdAutoPauseMinutes{0, 59, 0},
        EdAutoPauseSeconds{0, 59, 0};
    TCheck btEndActive, btWarnActive, btAutoPauseActive;
    TCaption gbStartPosition{"Start Time"};
    // Colours
    TColourSelector EdRunColour, EdPauseColour, EdWarnColour, EdExpiredColour, EdStopColour,
        EdBackColour, EdMessageColour;
    TSelector edPauseDisplayMode{{"Steady On", "Blanked", "Flashing"}};
    TSelector edWarningDisplayMode{{"Steady On", "Flashing"}};
    TSelector edExpiredDisplayMode{{"Steady On", "Blanked", "Flashing"}};
    TSelector edStopDisplayMode{{"Steady On", "Blanked", "Flashing"}};
    TSelector edMessageDisplayMode{{"Steady On", "Flashing"}, 0};
    TCheck cbTransparent;
    // Options
    TSelector edCounterMode{{"Count Down (T+ to Zero)", "Count Up (Zero to T+)",
                             "Count Down (T+ to Tmin)", "Count Up (T- to Tmax)",
                             "12 Hour Clock hh:mm:ss", "24 Hour Clock hh:mm:ss",
                             "12 Hour Clock hh:mm", "24 Hour Clock hh:mm"}};
    TSelector edDisplayWidth{{"Always Full Width", "Suppress Leading Zeros", "Maintain Max Width",
                              "Whole Time As Seconds"}};
    TTextEdit edTimeFontName;
    TSpinEdit edTimeFontSize{24, 999, 24};
    TCheck cbBorderless, cbStayOnTop, cbMinimiseControlsToTray, cbShowCountInTitleBar,
        cbQuickRestart, cbShowTimePie;
    TSpinEdit edCounterInterval{50, 5000, 1000};
    // Sound
    TTextEdit edSoundTiming, edSoundAtEnd;
    TCheck edSoundAtEndLoop;
    // Message
    TTextEdit edtMessageText;
    TSpinEdit edMessageTime{0, 10, 5};
    TCheck cbAutoClearEditor;
    TSelector edMessageMode{{"Msg Replaces Time", "Msg Above Time", "Msg Above Time (Auto Centre)",
                             "Msg Below Time", "Msg Below Time (Auto Centre)"},
                            4};
    TTextEdit edMessageFontName;
    TSpinEdit edMessageFontSize{24, 200, 24};
    // View menu
    TCheck MnDisplayWindow;

    TControls();
};

// Segment values of the time pie, or nothing outside the counting modes.
std::optional<std::pair<double, double>> PieValues(int counterMode, std::int32_t count,
                                                   std::int32_t startTime);

// 0.7 × the tick period, to the nearest millisecond with halves to the even neighbour.
int FlashPeriodFor(int tickPeriod);

// The timing engine of the control window: counter, commands, state effects, display effects and
// the message overlay, all decided here and carried out by the views. UI thread only.
class TTimerEngine : private ICounterInputs, private ICounterView {
public:
    TTimerEngine(IControlView& view, IClock& clock, ITimerFactory& timers, ISoundCues& sound);
    ~TTimerEngine() override;

    TControls Controls;
    // Declared before Counter, which holds the tick.
    std::unique_ptr<ITimer> SecondTimer, FlashTimer, StayOnTopTimer, MessageTimer;
    TCounterEngine Counter;

    TCommand actRun{"Run", "Ctrl+R"}, actPause{"Pause", "Ctrl+P"},
        actSetStartTime{"Set Start", "Ctrl+S"}, actJump{"Jump", "Ctrl+J"}, actRestart{"", "Space"},
        actSetTime{"Set Time"}, actUpdateDisplayText{"Update Display Text"}, actCalcStartTime{""},
        actCalcWarningTime{""}, actCalcAutoPauseTime{""}, actTimingSoundPlay{"Play"},
        actTimingSoundStop{"Stop", {}, false}, actEndSoundPlay{"Play"},
        actEndSoundStop{"Stop", {}, false}, actMessageSend{"Send", {}, false},
        actMessageClear{"Clear", {}, false};

    // The operator's actions during a show. Add and take are enabled in the counting modes in
    // every state but Expired; blackout and attention always.
    TCommand actAddMinute{"Add a Minute", "Ctrl+Up", false},
        actTakeMinute{"Take a Minute", "Ctrl+Down", false}, actBlackout{"Blackout", "Ctrl+B"},
        actAttention{"Attention", "Ctrl+T"};
    // Steps the attention blink; made after the four timers above.
    std::unique_ptr<ITimer> AttentionTimer;

    // Gives the speaker `seconds` more time (less when negative): the count moves away from or
    // towards its end value, never past it and never back past where the count began, and takes
    // stop at the auto-pause point; the state then follows as after a tick. While stopped, the
    // start time's editors change instead and Set Start follows.
    void ChangeTimeLeft(std::int32_t seconds);
    // The display window shows only its background. Never saved: a new start is never dark.
    bool Blackout() const { return m_blackout; }
    void SetBlackout(bool on);
    // For a few seconds the digits and message blink in the expired colour; phase 1 is the
    // hidden half.
    bool AttentionShowing() const { return m_attentionSteps > 0; }
    int AttentionPhase() const { return m_attentionPhase; }

    DisplayMode TimeDisplayMode = DisplayMode::SteadyOn;
    DisplayMode MessageDisplayMode = DisplayMode::SteadyOn;
    int FlashPhase = 0;
    bool EditorsUpdating = false;
    std::string MessageText;
    bool MessageShowing = false;
    TDisplayGeometry DisplayGeometry;

    CounterState CurrentState() const { return Counter.CurrentState(); }
    int CounterMode() const override { return Controls.edCounterMode.ItemIndex(); }

    // The display window, or null while it does not exist.
    void SetDisplay(IDisplayView* display) { m_display = display; }
    IDisplayView* Display() const { return m_display; }

    void ApplyCounterState(CounterState state) { Counter.ApplyCounterState(state); }
    void ShowTimesInEditors();
    void BtClearStartClick();
    void BtClearEndClick();
    void btClearAutoPauseClick();
    void SetTimeDisplayMode(DisplayMode mode);
    void SetDisplayTimeText(const std::string& text);
    void SetDisplayTextColour(Colour colour);
    void SetDisplayBackColour(Colour colour);
    void SetMessageDisplayMode(DisplayMode mode);

    // Handlers of the operator's controls and of the timers.
    void SecondTimerTimer() { Counter.SecondTimerTimer(); }
    void FlashTimerTimer();
    void StayOnTopTimerTimer();
    void EdSelectTextColor(TColourSelector& sender, Colour colour);
    void EdBackColourSelectColor(Colour colour);
    void EdColourDropDown();
    void EdColourDropDownClose();
    void tsMessageShow();
    void TimingSoundEnded();
    void EndSoundEnded();
    // Modal dialogs (about box, file dialogs) suspend the re-asserting of the topmost order.
    void SuspendStayOnTop();
    void ResumeStayOnTop();

private:
    void OnStateApplied(CounterState state);
    void ApplyColour(Colour colour);
    void ApplyStateDisplayMode(const TSelector& selector, bool twoItems);
    void SetFlashPeriod(int period);
    void SetSelectorsEnabled(bool enabled);
    bool Quick() const;
    void RecalcTime(std::int32_t& value, const TSpinEdit& h, const TSpinEdit& m,
                    const TSpinEdit& s);
    void ClearGroup(TSpinEdit& h, TSpinEdit& m, TSpinEdit& s);
    void Relabel(int mode);
    void UpdateFlashTimer();
    void ShowTimeAgain();
    int CountingTickPeriod() const;

    void actRunExecute();
    void actPauseExecute();
    void actSetStartTimeExecute();
    void actSetTimeExecute();
    void actJumpExecute();
    void actRestartExecute();
    void actMessageSendExecute();
    void actMessageClearExecute();

    // ICounterInputs
    int DisplayWidth() const override { return Controls.edDisplayWidth.ItemIndex(); }
    bool WarnActive() const override { return Controls.btWarnActive.Checked(); }
    bool AutoPauseActive() const override { return Controls.btAutoPauseActive.Checked(); }
    bool ShowCountInTitleBar() const override { return Controls.cbShowCountInTitleBar.Checked(); }
    int SecondOfDay() const override { return m_clock.SecondOfDay(); }
    std::string TimeSeparator() const override { return m_clock.TimeSeparator(); }
    // ICounterView
    void SetControlTimeText(const std::string& text) override { m_view.SetControlTimeText(text); }
    void RefreshDisplay() override;
    void SetTitleText(const std::string& text) override { m_view.SetTitleText(text); }

    IControlView& m_view;
    IClock& m_clock;
    ISoundCues& m_sound;
    IDisplayView* m_display = nullptr;

    void ChangeStartTime(std::int32_t seconds);
    void UpdateTimeLeftCommands(CounterState state);
    void actAttentionExecute();
    void AttentionTimerTimer();
    void ApplyOperatorEffects();
    bool m_blackout = false;
    int m_attentionSteps = 0;
    int m_attentionPhase = 0;
};

} // namespace quorvane
