#pragma once

#include "ControlModel.hpp"

#include <QFrame>
#include <array>

// The drop-down palette of a colour selector: "Automatic" (black) across the full width, 40
// swatches in five rows of eight, and "More Colors..." across the full width. Each time it is
// shown it ends with exactly one of Picked, MoreColoursRequested or Dismissed.
class TColourPalette : public QFrame {
    Q_OBJECT
public:
    static constexpr int kRows = 5;
    static constexpr int kColumns = 8;
    static const std::array<quorvane::Colour, kRows * kColumns> Swatches;
    static constexpr quorvane::Colour kAutomatic = 0x000000;

    explicit TColourPalette(QWidget* parent);

    // Shows the palette as a pop-up with its top-left corner at `globalPos`.
    void Popup(const QPoint& globalPos);

signals:
    void Picked(quorvane::Colour colour);
    void MoreColoursRequested();
    void Dismissed();

protected:
    void hideEvent(QHideEvent* event) override;

private:
    void Finish(bool picked, quorvane::Colour colour = 0);

    bool m_open = false;
};
