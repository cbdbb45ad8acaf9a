#pragma once
// The engine in a stepped world, as in the engine's tests, with the real display window attached.

#include "TFmDisplay.hpp"
#include "engine/EngineHarness.hpp"

#include <QColor>
#include <QImage>

namespace quorvane::testing {

inline int CountPixels(const QImage& image, const QColor& colour) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += image.pixelColor(x, y) == colour;
    return n;
}

struct DisplayWorld {
    FakeTimerHost timers;
    FakeClock clock;
    FakeSound sound;
    FakeControlView view;
    TTimerEngine engine{view, clock, timers, sound};
    TFmDisplay display{engine};
    TControls& c = engine.Controls;

    // Colours with red and blue apart, so that a swapped byte order shows.
    static constexpr Colour kStop = 0x2040E0, kRun = 0x10C040, kWarn = 0x00C0F0, kPause = 0xE08020,
                            kExpired = 0x3010D0, kBack = 0x400000, kMessage = 0xF0F0F0;

    DisplayWorld() {
        c.EdStopColour.SetColour(kStop);
        c.EdRunColour.SetColour(kRun);
        c.EdWarnColour.SetColour(kWarn);
        c.EdPauseColour.SetColour(kPause);
        c.EdExpiredColour.SetColour(kExpired);
        c.EdBackColour.SetColour(kBack);
        c.EdMessageColour.SetColour(kMessage);
        for (TSelector* s : {&c.edStopDisplayMode, &c.edPauseDisplayMode, &c.edExpiredDisplayMode,
                             &c.edWarningDisplayMode})
            s->SetItemIndex(0);
        c.edDisplayWidth.SetItemIndex(0);
        c.edSoundTiming.SetText("tick.wav");
        c.edSoundAtEnd.SetText("end.wav");
        c.edTimeFontName.SetText("DejaVu Sans");
        c.edMessageFontName.SetText("DejaVu Sans");
        engine.SetDisplay(&display);
        engine.SetDisplayBackColour(kBack);
    }

    ~DisplayWorld() { engine.SetDisplay(nullptr); }

    // Shows the window with these outer bounds, as the control window does.
    void Show(int left, int top, int width, int height) {
        engine.DisplayGeometry = {top, left, width, height, false};
        display.ShowWithGeometry();
    }

    // Mode and start time as the operator enters them, then Set Start.
    void Prepare(int mode, int start) {
        c.edCounterMode.SetItemIndex(mode);
        engine.Counter.StartTime = start;
        engine.ShowTimesInEditors();
        engine.actSetStartTime.Execute();
        sound.log.clear();
    }

    void SendMessage(const std::string& text) {
        engine.MessageText = text;
        engine.MessageShowing = !text.empty();
        display.ShowMessageText();
    }
};

} // namespace quorvane::testing
