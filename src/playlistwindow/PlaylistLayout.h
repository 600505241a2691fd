#pragma once

#include <QRect>
#include <QSize>
#include <QString>

#include <array>

// Where everything of the playlist window sits. Positions are client pixels.
//
// compute() runs the window's layout steps in their fixed order on the
// current placement: each step reads what earlier steps set, and a step
// whose result makes no sense (a negative width or height on a very small
// window) is skipped, leaving that element where it was.
struct PlaylistLayout {
    static constexpr int ButtonCount = 6;
    // Buttons 3 to 6 stand this far apart.
    static constexpr int ButtonStep = 55;

    QRect back;         // imgListBackImage
    QRect tree;         // the library tree; its width is the splitter position
    QRect list;         // lvwListView
    QRect splitterGrip; // imgSplitter
    QRect splitterBar;  // picSplitter
    QRect addressBox;   // txtAddressBox
    QRect searchIcon;   // imgSearchBox
    QRect searchBox;    // txtSearchBox
    std::array<QRect, ButtonCount> buttons; // imgListButtonImage 1..6 at index 0..5
    QRect seek;         // prgSeek
    QRect status;       // txtStatusBox
    QRect speaker;      // imgSpeaker
    QRect volumeBar;    // imgVolumeBack
    QRect knob;         // imgVolume

    // The placement the window's elements are created with. `flat` gives the
    // boxes and the seek bar their flat heights (16 and 9 pixels instead of
    // 17 and 12).
    static PlaylistLayout design(bool flat = false);

    // The layout steps for client size `client`, with the knob
    // `volumePercent` pixels right of the volume bar's left edge.
    static PlaylistLayout compute(const PlaylistLayout &current, QSize client, int volumePercent);

    // The same placement with another tree width (the splitter's release;
    // run compute() afterwards).
    PlaylistLayout withTreeWidth(int width) const;
};

// Splitter arithmetic.
struct Splitter {
    // The bar's left edge for the pointer at client x: no lower bound, at
    // most W - 20.
    static int barLeft(int pointerX, int clientWidth);
    // The tree width for the bar released at `barLeft`: barLeft - 4 when that
    // exceeds 4, otherwise 0 (the tree is then hidden).
    static int treeWidthFor(int barLeft);
};

// The volume step: what a knob `offset` pixels right of the volume bar's left
// edge means.
struct VolumeStep {
    static constexpr int MaxOffset = 100;

    int offset = 0;        // the offset, at most 100
    int channelVolume = 0; // 0..255: offset / 100 x 255 rounded half to even
    int percent = 0;       // VolumePercent: channelVolume / 255 x 100, same rounding
    QString tooltip;       // the offset followed by "%"

    static VolumeStep forOffset(int offset);
    // Where the knob's release puts a knob at `offset`: at most 100.
    static int releasedOffset(int offset) { return offset > MaxOffset ? MaxOffset : offset; }
};
