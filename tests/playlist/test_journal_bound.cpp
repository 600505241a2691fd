// A journal far larger than any list this program writes is not read in.

#include "playlist/ListJournal.h"
#include "playlist/TrackList.h"
#include "CoreTestApp.h"
#include "TestFiles.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

TEST(JournalBound, OnlyJournalsWithinTheBoundAreRecovered)
{
    coreTestApp();
    const struct {
        const char *name;
        qint64 size;
        bool recovered;
    } cases[] = {
        {"Ordinary", 4096, true},
        {"OneByteOver", ListJournal::MaxJournalBytes + 1, false},
        {"TwoHundredFortyMegabytes", qint64(239) << 20, false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir dir;
        TrackList list;
        ListJournal journal{list, dir.filePath(QStringLiteral("AutoPlaylist.journal"))};
        const QString autoPlaylist = dir.filePath(QStringLiteral("AutoPlaylist.m3u"));
        writeBytes(autoPlaylist, "#M3UX\r\n/m/old.mp3\r\n#old;;;\r\n");
        {
            QFile f(journal.path());
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write("#M3UX\r\n/m/new.mp3\r\n#new;;;\r\n");
            ASSERT_TRUE(f.resize(c.size)); // sparse: no disk is used for the rest
        }
        EXPECT_EQ(journal.recover(autoPlaylist) == autoPlaylist, c.recovered);
        EXPECT_EQ(readBytes(autoPlaylist).startsWith("#M3UX\r\n/m/new.mp3"), c.recovered);
    }
}

} // namespace
