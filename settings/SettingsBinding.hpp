#pragma once

#include "TIniDocument.hpp"
#include "TimerEngine.hpp"

namespace quorvane {

// The control window's own place on the screen, which the settings keep too.
struct TWindowPlace {
    std::int32_t Top = 0;
    std::int32_t Left = 0;
};

// Puts every setting of the document into its control or variable in load order ("Display
// Maximised" after the bounds). Values go in the way the program sets a control: check boxes,
// selectors and colours raise no change event, spin editors and font names do. A selector
// ignores an index it does not have; a spin editor clamps.
void LoadSettings(const TIniDocument& document, TTimerEngine& engine, TWindowPlace& mainWindow);

// Writes every setting into the document in file order; "Display Maximised" is the display
// window's live state, `displayMaximised`.
void SaveSettings(TIniDocument& document, TTimerEngine& engine, const TWindowPlace& mainWindow,
                  bool displayMaximised);

} // namespace quorvane
