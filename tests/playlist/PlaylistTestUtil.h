#pragma once

#include "playlist/TrackList.h"

#include "QtPrinters.h"
#include "TestFiles.h"

#include <QString>
#include <QStringList>

namespace testutil {

// Creates `dir`/`name` (and its folders) holding `content`; returns its path.
inline QString touch(const QString &dir, const QString &name, const QByteArray &content = "x")
{
    return touchFile(dir + u'/' + name, content);
}

inline QStringList paths(const TrackList &list)
{
    QStringList out;
    for (int i = 1; i <= list.count(); ++i)
        out << list.path(i);
    return out;
}

// Cells 2..5 of a row joined by "|", for compact comparisons.
inline QString info(const TrackList &list, int pos)
{
    return list.cellText(pos, TrackRow::TitleCell) + u'|' + list.cellText(pos, TrackRow::ArtistCell) + u'|' +
           list.cellText(pos, TrackRow::TimeCell) + u'|' + list.cellText(pos, TrackRow::BitRateCell);
}

// Appends rows with the given paths and titles (titles default to the paths).
inline void addRows(TrackList &list, const QStringList &rowPaths, const QStringList &titles = {})
{
    std::vector<TrackRow> rows;
    for (int i = 0; i < rowPaths.size(); ++i) {
        TrackRow r = list.makeRow(rowPaths[i]);
        r.setTitle(i < titles.size() ? titles[i] : rowPaths[i]);
        rows.push_back(std::move(r));
    }
    list.appendRows(std::move(rows));
}

} // namespace testutil
