#include "SettingsBinding.hpp"

#include "SettingKeys.hpp"

namespace quorvane {

namespace {

// Where one setting lives: exactly one of the pointers is set.
struct TSlot {
    TSpinEdit* Spin = nullptr;
    TSelector* Selector = nullptr;
    TCheck* Check = nullptr;
    TColourSelector* ColourSelector = nullptr;
    TTextEdit* Text = nullptr;
    std::int32_t* Number = nullptr;
    bool* Flag = nullptr;
};

TSlot SlotOf(SettingId id, TTimerEngine& engine, TWindowPlace& place) {
    TControls& c = engine.Controls;
    TDisplayGeometry& g = engine.DisplayGeometry;
    switch (id) {
    case SettingId::CounterInterval: return {.Spin = &c.edCounterInterval};
    case SettingId::StartTime: return {.Number = &engine.Counter.StartTime};
    case SettingId::WarningTime: return {.Number = &engine.Counter.WarningTime};
    case SettingId::AutoPauseTime: return {.Number = &engine.Counter.AutoPauseTime};
    case SettingId::WarningActive: return {.Check = &c.btWarnActive};
    case SettingId::AutoPauseActive: return {.Check = &c.btAutoPauseActive};
    case SettingId::EndActive: return {.Check = &c.btEndActive};
    case SettingId::CounterMode: return {.Selector = &c.edCounterMode};
    case SettingId::DisplayWidthMode: return {.Selector = &c.edDisplayWidth};
    case SettingId::MinimiseControlsToTray: return {.Check = &c.cbMinimiseControlsToTray};
    case SettingId::StayOnTop: return {.Check = &c.cbStayOnTop};
    case SettingId::EnableQuickRestart: return {.Check = &c.cbQuickRestart};
    case SettingId::ShowCountdownInTitleBar: return {.Check = &c.cbShowCountInTitleBar};
    case SettingId::ShowTimePie: return {.Check = &c.cbShowTimePie};
    case SettingId::TimeFontName: return {.Text = &c.edTimeFontName};
    case SettingId::TimeFontSize: return {.Spin = &c.edTimeFontSize};
    case SettingId::StopDisplayMode: return {.Selector = &c.edStopDisplayMode};
    case SettingId::ExpiredDisplayMode: return {.Selector = &c.edExpiredDisplayMode};
    case SettingId::PauseDisplayMode: return {.Selector = &c.edPauseDisplayMode};
    case SettingId::WarningDisplayMode: return {.Selector = &c.edWarningDisplayMode};
    case SettingId::TimingSound: return {.Text = &c.edSoundTiming};
    case SettingId::EndSound: return {.Text = &c.edSoundAtEnd};
    case SettingId::EndSoundLoop: return {.Check = &c.edSoundAtEndLoop};
    case SettingId::MainTop: return {.Number = &place.Top};
    case SettingId::MainLeft: return {.Number = &place.Left};
    case SettingId::DisplayVisible: return {.Check = &c.MnDisplayWindow};
    case SettingId::DisplayBorderless: return {.Check = &c.cbBorderless};
    case SettingId::DisplayMaximised: return {.Flag = &g.Maximised};
    case SettingId::DisplayTop: return {.Number = &g.Top};
    case SettingId::DisplayLeft: return {.Number = &g.Left};
    case SettingId::DisplayWidth: return {.Number = &g.Width};
    case SettingId::DisplayHeight: return {.Number = &g.Height};
    case SettingId::StopColour: return {.ColourSelector = &c.EdStopColour};
    case SettingId::RunColour: return {.ColourSelector = &c.EdRunColour};
    case SettingId::WarnColour: return {.ColourSelector = &c.EdWarnColour};
    case SettingId::PauseColour: return {.ColourSelector = &c.EdPauseColour};
    case SettingId::ExpiredColour: return {.ColourSelector = &c.EdExpiredColour};
    case SettingId::BackColour: return {.ColourSelector = &c.EdBackColour};
    case SettingId::TransparentBack: return {.Check = &c.cbTransparent};
    case SettingId::MessageColour: return {.ColourSelector = &c.EdMessageColour};
    case SettingId::MessageTimeout: return {.Spin = &c.edMessageTime};
    case SettingId::AutoClearEditor: return {.Check = &c.cbAutoClearEditor};
    case SettingId::MessageMode: return {.Selector = &c.edMessageMode};
    case SettingId::MessageDisplayMode: return {.Selector = &c.edMessageDisplayMode};
    case SettingId::MessageFontName: return {.Text = &c.edMessageFontName};
    case SettingId::MessageFontSize: return {.Spin = &c.edMessageFontSize};
    }
    return {};
}

} // namespace

void LoadSettings(const TIniDocument& document, TTimerEngine& engine, TWindowPlace& mainWindow) {
    for (const SettingKey* key : SettingKeysInLoadOrder()) {
        const TSlot slot = SlotOf(key->Id, engine, mainWindow);
        if (slot.Text) {
            slot.Text->SetText(document.ReadString(key->Section, key->Key, key->DefaultText));
            continue;
        }
        const std::int32_t value = document.ReadInteger(key->Section, key->Key, key->DefaultNumber);
        if (slot.Spin)
            slot.Spin->SetValue(value);
        else if (slot.Selector)
            slot.Selector->SetItemIndex(value);
        else if (slot.Check)
            slot.Check->SetChecked(value != 0);
        else if (slot.ColourSelector)
            slot.ColourSelector->SetColour(static_cast<Colour>(value));
        else if (slot.Number)
            *slot.Number = value;
        else if (slot.Flag)
            *slot.Flag = value != 0;
    }
}

void SaveSettings(TIniDocument& document, TTimerEngine& engine, const TWindowPlace& mainWindow,
                  bool displayMaximised) {
    TWindowPlace place = mainWindow;
    for (const SettingKey& key : SettingKeys()) {
        const TSlot slot = SlotOf(key.Id, engine, place);
        if (slot.Text)
            document.WriteString(key.Section, key.Key, slot.Text->Text());
        else if (slot.Spin)
            document.WriteInteger(key.Section, key.Key, slot.Spin->Value());
        else if (slot.Selector)
            document.WriteInteger(key.Section, key.Key, slot.Selector->ItemIndex());
        else if (slot.Check)
            document.WriteBool(key.Section, key.Key, slot.Check->Checked());
        else if (slot.ColourSelector)
            document.WriteInteger(key.Section, key.Key,
                                  static_cast<std::int32_t>(slot.ColourSelector->Selected()));
        else if (slot.Number)
            document.WriteInteger(key.Section, key.Key, *slot.Number);
        else if (slot.Flag) // only "Display Maximised", which is saved from the live window
            document.WriteBool(key.Section, key.Key, displayMaximised);
    }
}

} // namespace quorvane
