#include "BuiltInDefaults.hpp"

using namespace quorvane;

void PutBuiltInDefaults(TTimerEngine& engine) {
    TControls& c = engine.Controls;
    // Times
    c.edCounterInterval.SetValue(1000);
    engine.Counter.StartTime = 10;
    engine.Counter.WarningTime = 5;
    engine.Counter.AutoPauseTime = 0;
    c.btWarnActive.SetChecked(false);
    c.btAutoPauseActive.SetChecked(false);
    c.btEndActive.SetChecked(true);
    // Options
    c.edCounterMode.SetItemIndex(0);
    c.edDisplayWidth.SetItemIndex(0);
    c.cbMinimiseControlsToTray.SetChecked(false);
    c.cbStayOnTop.SetChecked(false);
    c.cbQuickRestart.SetChecked(false);
    c.cbShowCountInTitleBar.SetChecked(false);
    c.cbShowTimePie.SetChecked(false);
    c.edTimeFontName.SetText("Arial");
    c.edTimeFontSize.SetValue(36);
    c.edStopDisplayMode.SetItemIndex(0);
    c.edExpiredDisplayMode.SetItemIndex(0);
    c.edPauseDisplayMode.SetItemIndex(0);
    c.edWarningDisplayMode.SetItemIndex(0);
    // Sound
    c.edSoundTiming.SetText(std::string());
    c.edSoundAtEnd.SetText(std::string());
    c.edSoundAtEndLoop.SetChecked(false);
    // Windows
    c.MnDisplayWindow.SetChecked(false);
    c.cbBorderless.SetChecked(false);
    engine.DisplayGeometry = TDisplayGeometry{};
    // Colours
    c.EdStopColour.SetColour(0xC0C0C0);
    c.EdRunColour.SetColour(0x008000);
    c.EdWarnColour.SetColour(0x00FFFF);
    c.EdPauseColour.SetColour(0xFF0000);
    c.EdExpiredColour.SetColour(0x0000FF);
    c.EdBackColour.SetColour(0x000000);
    c.cbTransparent.SetChecked(false);
    c.EdMessageColour.SetColour(0xFFFF00);
    // Message
    c.edMessageTime.SetValue(3);
    c.cbAutoClearEditor.SetChecked(false);
    c.edMessageMode.SetItemIndex(0);
    c.edMessageDisplayMode.SetItemIndex(0);
    c.edMessageFontName.SetText("Arial");
    c.edMessageFontSize.SetValue(36);
}
