#pragma once

// The track list view's scrolling, as the logic that finds a row asks for it.
// User-interface thread only.
class ListScroller
{
public:
    virtual ~ListScroller() = default;

    // Scrolls the track list so that row `pos` (1-based) is visible. A
    // position outside the list, or a list not shown, changes nothing.
    virtual void scrollToRow(int pos) = 0;
};
