#pragma once

#include <QString>
#include <vector>

class TrackRow;

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

// What a background reader of the list's files needs from the search while
// it filters: the rows it holds out of sight, and telling apart the search
// refilling the list from the list being emptied for good.
// User-interface thread only.
class FilteredList
{
public:
    virtual ~FilteredList() = default;

    // Every row of the list: while a filter is on, the rows out of sight
    // too; otherwise the rows on show.
    virtual const std::vector<TrackRow> &allRows() const = 0;
    // True while the search itself empties and refills the list (the rows
    // are still the list's).
    virtual bool isRefilling() const = 0;
    // Cells read in the background for the rows of `path`: rows out of
    // sight whose Time cell is empty take them, and the rows on show are
    // matched again soon after (a row may now match the search text, or no
    // longer). True when a row out of sight took them.
    virtual bool takeFilledCells(const QString &path, const QString &title, const QString &artist,
                                 const QString &time, const QString &bitRate) = 0;
};
