#pragma once

#include "ControlModel.hpp"

#include <QPushButton>

class IDialogs;
class TColourPalette;

// A colour selector: a button showing its caption and the selected colour that drops down the
// colour palette. Opening the palette raises DroppedDown and its end raises ClosedUp; the
// "More Colors..." dialog runs between the two, so whatever a caller suspends while the palette
// is open stays suspended during the dialog. Chosen follows ClosedUp and comes only from the
// operator: with a picked colour, or after the dialog with its colour when confirmed and the
// unchanged colour when cancelled. SetColour raises nothing.
class TColourButton : public QPushButton {
    Q_OBJECT
public:
    TColourButton(const QString& caption, IDialogs& dialogs, QWidget* parent = nullptr);

    quorvane::Colour Colour() const { return m_colour; }
    void SetColour(quorvane::Colour colour);
    TColourPalette* Palette() const { return m_palette; }

    // Opens the palette below the button, as a click does.
    void DropDown();

signals:
    void DroppedDown();
    void ClosedUp();
    void Chosen(quorvane::Colour colour);

private:
    void ChooseMoreColours();
    void UpdateSwatch();

    IDialogs& m_dialogs;
    TColourPalette* m_palette;
    quorvane::Colour m_colour = 0;
};
