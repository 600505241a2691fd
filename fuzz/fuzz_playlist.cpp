// Feeds arbitrary bytes to the playlist reader. Whatever it reads must
// survive a write and a second read: the same tracks in the same order.
#include "playlist/PlaylistFile.h"
#include "playlist/PlaylistStore.h"
#include "playlist/TrackList.h"

#include <QBuffer>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    TrackList list;
    PlaylistStore store(list, QString());
    store.loadPlaylistData(bytes, QStringLiteral("/"));
    list.RenumberList();
    list.setStatusMode(true);
    list.UpdateStatus();

    QBuffer written;
    written.open(QIODevice::WriteOnly);
    if (!WriteM3ux(written, list.rows()))
        std::abort();
    TrackList again;
    PlaylistStore reader(again, QString());
    if (!reader.loadPlaylistData(written.data(), QStringLiteral("/")) || again.count() != list.count())
        std::abort();
    for (int i = 1; i <= list.count(); ++i) {
        if (again.path(i) != list.path(i) || again.cellText(i, TrackRow::BitRateCell).isEmpty() !=
                                                 list.cellText(i, TrackRow::BitRateCell).isEmpty())
            std::abort();
    }
    return 0;
}
