#include "DisplayLayout.hpp"

#include <algorithm>

namespace quorvane {

TLabelBands DockLabels(const TDisplayLayout& layout, int clientHeight) {
    int top = 0;
    int bottom = clientHeight;
    TLabelBands bands;
    const auto place = [&](const TLabelLayout& label, TBand& band, TDock pass) {
        if (label.Dock != pass)
            return;
        switch (pass) {
        case TDock::Top:
            band = {top, label.Height};
            if (label.Visible)
                top += label.Height;
            break;
        case TDock::Bottom:
            band = {bottom - label.Height, label.Height};
            if (label.Visible)
                bottom -= label.Height;
            break;
        case TDock::Client:
            band = {top, std::max(0, bottom - top)};
            break;
        }
    };
    for (TDock pass : {TDock::Top, TDock::Bottom, TDock::Client}) {
        place(layout.Time, bands.Time, pass);
        place(layout.Message, bands.Message, pass);
    }
    return bands;
}

TDisplayLayout ArrangeLayout(const TDisplayLayout& current, int messageMode, bool messageEmpty,
                             int clientHeight, int digitHeight, int pieHeight) {
    TDisplayLayout layout = current;
    TLabelLayout& time = layout.Time;
    TLabelLayout& message = layout.Message;
    const int halfPie = pieHeight / 2;

    if (messageEmpty && (messageMode == 0 || messageMode == 2 || messageMode == 4)) {
        message.Visible = false;
        time = {true, TDock::Client, time.Height, TTextPlace::Centre};
        layout.PieTop = DockLabels(layout, clientHeight).Time.Height / 2 - halfPie;
        return layout;
    }
    switch (messageMode) {
    case 0:
        // The message takes the whole window; the pie stays where it was, over the message.
        time.Visible = false;
        message = {true, TDock::Client, message.Height, TTextPlace::Centre};
        break;
    case 1:
    case 2: {
        // The upper label gets the smaller half of an odd height.
        message = {true, TDock::Top, clientHeight / 2, TTextPlace::Bottom};
        time = {true, TDock::Client, time.Height, TTextPlace::Top};
        const TBand band = DockLabels(layout, clientHeight).Time;
        layout.PieTop = band.Top + digitHeight / 2 - halfPie;
        break;
    }
    case 3:
    case 4: {
        time = {true, TDock::Top, clientHeight / 2, TTextPlace::Bottom};
        message = {true, TDock::Client, message.Height, TTextPlace::Top};
        const TBand band = DockLabels(layout, clientHeight).Time;
        layout.PieTop = band.Top + band.Height - digitHeight / 2 - halfPie;
        break;
    }
    default:
        break;
    }
    return layout;
}

} // namespace quorvane
