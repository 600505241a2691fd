#pragma once

// The search that filters the open list, as commands that replace the list
// end it. The playlist search implements it. User-interface thread only.
class ListFilter
{
public:
    virtual ~ListFilter() = default;

    // Empties the search text: a filtered list gets all its rows back (read
    // again while events run). Nothing happens when no filter is on.
    virtual void clear() = 0;
};
