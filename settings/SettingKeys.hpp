#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace quorvane {

// One name per key of the settings file, in the order the file is written.
enum class SettingId {
    CounterInterval,
    StartTime,
    WarningTime,
    AutoPauseTime,
    WarningActive,
    AutoPauseActive,
    EndActive,
    CounterMode,
    DisplayWidthMode,
    MinimiseControlsToTray,
    StayOnTop,
    EnableQuickRestart,
    ShowCountdownInTitleBar,
    ShowTimePie,
    TimeFontName,
    TimeFontSize,
    StopDisplayMode,
    ExpiredDisplayMode,
    PauseDisplayMode,
    WarningDisplayMode,
    TimingSound,
    EndSound,
    EndSoundLoop,
    MainTop,
    MainLeft,
    DisplayVisible,
    DisplayBorderless,
    DisplayMaximised,
    DisplayTop,
    DisplayLeft,
    DisplayWidth,
    DisplayHeight,
    StopColour,
    RunColour,
    WarnColour,
    PauseColour,
    ExpiredColour,
    BackColour,
    TransparentBack,
    MessageColour,
    MessageTimeout,
    AutoClearEditor,
    MessageMode,
    MessageDisplayMode,
    MessageFontName,
    MessageFontSize,
};

enum class SettingType { Integer, Boolean, ColourValue, String };

// What loading does with a value read from the file.
enum class LoadRule {
    None,          // taken as read (booleans, sound paths)
    Clamped,       // clamped into Minimum..Maximum by its spin editor
    ItemIndex,     // Minimum (-1, nothing selected) to Maximum (the last item) selects that item;
                   // any other value is ignored and the selector keeps its selection
    FontName,      // a name the font selector lacks is added to it, so it is written back as read
    NoCheck,       // no range check; the part that owns the value uses it as it is
    AnyValue,      // colours: every 32-bit value is taken
    AppliedAtOnce, // the control window's position, applied while loading
};

struct SettingKey {
    SettingId Id;
    std::string_view Section;
    std::string_view Key;
    SettingType Type;
    std::int32_t DefaultNumber;   // integers, colours, and booleans as 0 or 1
    std::string_view DefaultText; // strings
    LoadRule Rule;
    std::int32_t Minimum; // Clamped and ItemIndex only
    std::int32_t Maximum; // Clamped and ItemIndex only
};

constexpr std::size_t kSettingKeyCount = 46;

// Every key in the order the file is written; its sections come in the order "Times", "Options",
// "Sound", "Windows", "Colours", "Message". Several keys share a name in different sections
// ("Display Width", "Font Name", "Font Size"), so a key is always looked up with its section.
std::span<const SettingKey, kSettingKeyCount> SettingKeys();

// The same keys in the order they are read: "Display Maximised" moves behind "Display Height", so
// the display window's normal bounds are known before it is maximised.
const std::array<const SettingKey*, kSettingKeyCount>& SettingKeysInLoadOrder();

const SettingKey& SettingKeyOf(SettingId id);

} // namespace quorvane
