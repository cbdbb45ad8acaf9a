#include "SettingKeys.hpp"

namespace quorvane {

namespace {

using enum SettingId;
using enum SettingType;
using enum LoadRule;

constexpr SettingKey Number(SettingId id, std::string_view section, std::string_view key,
                            SettingType type, std::int32_t defaultNumber, LoadRule rule = None,
                            std::int32_t minimum = 0, std::int32_t maximum = 0) {
    return SettingKey{id, section, key, type, defaultNumber, {}, rule, minimum, maximum};
}

constexpr SettingKey Text(SettingId id, std::string_view section, std::string_view key,
                          std::string_view defaultText, LoadRule rule = None) {
    return SettingKey{id, section, key, String, 0, defaultText, rule, 0, 0};
}

constexpr SettingKey Item(SettingId id, std::string_view section, std::string_view key,
                          std::int32_t itemCount) {
    return Number(id, section, key, Integer, 0, ItemIndex, -1, itemCount - 1);
}

constexpr std::array<SettingKey, kSettingKeyCount> kKeys{{
    Number(CounterInterval, "Times", "Counter Interval", Integer, 1000, Clamped, 50, 5000),
    Number(StartTime, "Times", "Start Time", Integer, 10, NoCheck),
    Number(WarningTime, "Times", "Warning Time", Integer, 5, NoCheck),
    Number(AutoPauseTime, "Times", "Auto Pause Time", Integer, 0, NoCheck),
    Number(WarningActive, "Times", "Warning Active", Boolean, 0),
    Number(AutoPauseActive, "Times", "Auto Pause Active", Boolean, 0),
    Number(EndActive, "Times", "End Active", Boolean, 1),

    Item(CounterMode, "Options", "Counter Mode", 8),
    Item(DisplayWidthMode, "Options", "Display Width", 4),
    Number(MinimiseControlsToTray, "Options", "Minimise Controls To Tray", Boolean, 0),
    Number(StayOnTop, "Options", "Stay On Top", Boolean, 0),
    Number(EnableQuickRestart, "Options", "Enable Quick Restart", Boolean, 0),
    Number(ShowCountdownInTitleBar, "Options", "Show Countdown In Title Bar", Boolean, 0),
    Number(ShowTimePie, "Options", "Show Time Pie", Boolean, 0),
    Text(TimeFontName, "Options", "Font Name", "Arial", FontName),
    Number(TimeFontSize, "Options", "Font Size", Integer, 36, Clamped, 24, 999),
    Item(StopDisplayMode, "Options", "Display Mode At Counter Stop", 3),
    Item(ExpiredDisplayMode, "Options", "Display Mode At Counter End", 3),
    Item(PauseDisplayMode, "Options", "Display Mode At Counter Pause", 3),
    Item(WarningDisplayMode, "Options", "Display Mode At Counter Warning", 2),

    Text(TimingSound, "Sound", "Timing", ""),
    Text(EndSound, "Sound", "At End", ""),
    Number(EndSoundLoop, "Sound", "At End Loop", Boolean, 0),

    Number(MainTop, "Windows", "Main Top", Integer, 0, AppliedAtOnce),
    Number(MainLeft, "Windows", "Main Left", Integer, 0, AppliedAtOnce),
    Number(DisplayVisible, "Windows", "Display Visible", Boolean, 0),
    Number(DisplayBorderless, "Windows", "Display Borderless", Boolean, 0),
    Number(DisplayMaximised, "Windows", "Display Maximised", Boolean, 0),
    Number(DisplayTop, "Windows", "Display Top", Integer, 0, NoCheck),
    Number(DisplayLeft, "Windows", "Display Left", Integer, 0, NoCheck),
    Number(DisplayWidth, "Windows", "Display Width", Integer, 500, NoCheck),
    Number(DisplayHeight, "Windows", "Display Height", Integer, 200, NoCheck),

    Number(StopColour, "Colours", "Stop", ColourValue, 0xC0C0C0, AnyValue),
    Number(RunColour, "Colours", "Run", ColourValue, 0x008000, AnyValue),
    Number(WarnColour, "Colours", "Warn", ColourValue, 0x00FFFF, AnyValue),
    Number(PauseColour, "Colours", "Pause", ColourValue, 0xFF0000, AnyValue),
    Number(ExpiredColour, "Colours", "Expired", ColourValue, 0x0000FF, AnyValue),
    Number(BackColour, "Colours", "Back", ColourValue, 0x000000, AnyValue),
    Number(TransparentBack, "Colours", "Transparent Back", Boolean, 0),
    Number(MessageColour, "Colours", "Message", ColourValue, 0xFFFF00, AnyValue),

    Number(MessageTimeout, "Message", "Timeout", Integer, 3, Clamped, 0, 10),
    Number(AutoClearEditor, "Message", "Auto Clear Editor", Boolean, 0),
    Item(MessageMode, "Message", "Message Mode", 5),
    Item(MessageDisplayMode, "Message", "Display Mode", 2),
    Text(MessageFontName, "Message", "Font Name", "Arial", FontName),
    Number(MessageFontSize, "Message", "Font Size", Integer, 36, Clamped, 24, 200),
}};

constexpr bool IdsFollowTableOrder() {
    for (std::size_t i = 0; i < kKeys.size(); ++i) {
        if (static_cast<std::size_t>(kKeys[i].Id) != i) {
            return false;
        }
    }
    return true;
}
static_assert(IdsFollowTableOrder(), "SettingKeyOf indexes the table by its id");

std::array<const SettingKey*, kSettingKeyCount> MakeLoadOrder() {
    std::array<const SettingKey*, kSettingKeyCount> order{};
    std::size_t next = 0;
    for (const SettingKey& key : kKeys) {
        if (key.Id == DisplayMaximised) {
            continue;
        }
        order[next++] = &key;
        if (key.Id == DisplayHeight) {
            order[next++] = &kKeys[static_cast<std::size_t>(DisplayMaximised)];
        }
    }
    return order;
}

} // namespace

std::span<const SettingKey, kSettingKeyCount> SettingKeys() {
    return kKeys;
}

const std::array<const SettingKey*, kSettingKeyCount>& SettingKeysInLoadOrder() {
    static const auto order = MakeLoadOrder();
    return order;
}

const SettingKey& SettingKeyOf(SettingId id) {
    return kKeys[static_cast<std::size_t>(id)];
}

} // namespace quorvane
