#pragma once

// The arithmetic of the display window's layout: where its two labels are docked, how their
// texts sit vertically and where the pie goes. Plain values, so a test can check every branch
// without a window.

namespace quorvane {

// How a label takes its place in the client area: docked to the top or the bottom edge with a
// height of its own, or filling what the docked labels leave.
enum class TDock { Top, Bottom, Client };

enum class TTextPlace { Top, Centre, Bottom };

struct TLabelLayout {
    bool Visible = true;
    TDock Dock = TDock::Top;
    int Height = 0; // for Top and Bottom docks
    TTextPlace Text = TTextPlace::Centre;
    bool operator==(const TLabelLayout&) const = default;
};

struct TDisplayLayout {
    // As the window is created: the time docked to the top, the message to the bottom.
    TLabelLayout Time{true, TDock::Top, 125, TTextPlace::Bottom};
    TLabelLayout Message{true, TDock::Bottom, 133, TTextPlace::Top};
    int PieTop = 4;
    bool operator==(const TDisplayLayout&) const = default;
};

struct TBand {
    int Top = 0;
    int Height = 0;
    bool operator==(const TBand&) const = default;
};

struct TLabelBands {
    TBand Time;
    TBand Message;
};

// The vertical bands the docks give the labels in a client area of the given height: top docks
// first, then bottom docks, then the client-filling label takes the rest. A hidden label takes no
// room; its band is where it would be.
TLabelBands DockLabels(const TDisplayLayout& layout, int clientHeight);

// The layout for `messageMode` (-1 when nothing is selected), starting from the one in force.
// `digitHeight` is the height of "0" in the time font; every halving drops the remainder.
TDisplayLayout ArrangeLayout(const TDisplayLayout& current, int messageMode, bool messageEmpty,
                             int clientHeight, int digitHeight, int pieHeight);

} // namespace quorvane
