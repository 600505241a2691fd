// The track list: path names, row routines, status texts and the item model.
#include "LogicDoubles.h"
#include "PlaylistTestUtil.h"
#include "playlist/PathNames.h"
#include "playlist/TrackList.h"

#include <QAbstractItemModelTester>
#include <QColor>
#include <QDateTime>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace testutil;

namespace {

// Answers the question with `answer`, and refuses to recycle `stays`.
struct ScriptedDeletion : RowDeletion {
    bool answer = true;
    QString stays;
    QString question;
    QStringList recycled;
    bool emptied = false;
    bool askYesNo(const QString &q) override
    {
        question = q;
        return answer;
    }
    bool recycle(const QString &p) override
    {
        if (p == stays)
            return false;
        recycled << p;
        return true;
    }
    void listEmptied() override { emptied = true; }
};

struct PathCase {
    const char *name;
    QString (*fn)(QStringView);
    QString input;
    QString expected;
};

TEST(PathNames, PathFunctions)
{
    const PathCase cases[] = {
        {"base name cut at the last dot", BaseNameOf, "/a/b.c.mp3", "b.c"},
        {"base name without separator is empty", BaseNameOf, "track.mp3", ""},
        {"base name without dot is the whole name", BaseNameOf, "/a/README", "README"},
        {"base name of a dot file is empty", BaseNameOf, "/a/.profile", ""},
        {"extension upper-cased", ExtensionOf, "/a/song.Mp3", "MP3"},
        {"extension of a name without dot", ExtensionOf, "/a/README", ""},
        {"extension without separator", ExtensionOf, "song.mp3", ""},
        {"dot in a folder is no extension", ExtensionOf, "/a.b/c", ""},
        {"extension of a folder named Vol.1", ExtensionOf, "/m/Vol.1", "1"},
        {"parent folder name", ParentFolderNameOf, "/music/Vol.1/a.mp3", "Vol.1"},
        {"parent of a root file", ParentFolderNameOf, "/a.mp3", ""},
        {"parent without two separators", ParentFolderNameOf, "a/b", ""},
        {"folder of a file", FolderOf, "/a/b/c.mp3", "/a/b"},
        {"folder without separator", FolderOf, "c.mp3", ""},
        {"folder of a root file", FolderOf, "/c.mp3", ""},
    };
    for (const PathCase &c : cases)
        EXPECT_EQ(c.fn(c.input), c.expected) << c.name;
}

TEST(PathNames, ArchiveMemberPaths)
{
    const QString member = ArchiveMemberPath(u"/m/set.zip", u"disc1/01.mp3");
    EXPECT_EQ(member, QStringLiteral("\"/m/set.zip\"\\#ZIP#disc1/01.mp3"));
    EXPECT_EQ(member.size(), 30);
    EXPECT_TRUE(IsArchiveMemberPath(member));
    EXPECT_FALSE(IsArchiveMemberPath(u"/m/set.zip"));
    EXPECT_EQ(ArchivePathOfMember(member), QStringLiteral("/m/set.zip"));
    EXPECT_EQ(MemberNameOf(member), QStringLiteral("disc1/01.mp3"));
    // The archive path is cut at the first "#ZIP#", even when the member repeats it.
    EXPECT_EQ(ArchivePathOfMember(ArchiveMemberPath(u"/m/a.zip", u"x#ZIP#y.mp3")), QStringLiteral("/m/a.zip"));
    // Malformed member paths give no archive instead of failing.
    EXPECT_EQ(ArchivePathOfMember(u"\"#ZIP#x.mp3"), QString());
    EXPECT_EQ(ArchivePathOfMember(u"\"/m/a.zip\" no marker"), QString());
    // A member's first title keeps the marker: the marker's backslash is its last separator.
    EXPECT_EQ(InitialTitleOf(member, true), QStringLiteral("disc1/01"));
    EXPECT_EQ(InitialTitleOf(u"/m/01.mp3", false), QStringLiteral("01"));
}

TEST(TrackList, TotalTimeText)
{
    struct Case {
        const char *name;
        QStringList times;
        QString expected;
    };
    const Case cases[] = {
        {"empty list", {}, "00:00"},
        {"minutes and seconds", {"7:05"}, "07:05"},
        {"just under an hour", {"59:59"}, "59:59"},
        {"exactly one hour", {"60:00"}, "1:00:00"},
        {"sum over rows", {"60:00", "2:09"}, "1:02:09"},
        {"empty and odd cells", {"", "abc", "1:xx", "0:30"}, "01:30"},
        {"hundred hours", {"6000:00"}, "100:00:00"},
    };
    for (const Case &c : cases) {
        TrackList list;
        QStringList p;
        for (int i = 0; i < c.times.size(); ++i)
            p << QStringLiteral("/t/%1.mp3").arg(i);
        addRows(list, p);
        for (int i = 0; i < c.times.size(); ++i)
            list.setCellText(i + 1, TrackRow::TimeCell, c.times[i]);
        EXPECT_EQ(list.TotalTimeText(), c.expected) << c.name;
    }
}

TEST(TrackList, StatusTexts)
{
    struct Case {
        const char *name;
        int rows;
        int playingNo;
        bool timeMode;
        QString expected;
    };
    const Case cases[] = {
        {"empty list, positions", 0, 0, false, "0 / 0"},
        {"empty list, times", 0, 0, true, "00:00 / 00:00"},
        {"twelve rows, nothing playing", 12, 0, false, "0 / 12"},
        {"playing row 2 of 12", 12, 2, false, "2 / 12"},
        {"times, nothing playing", 3, 0, true, "00:00 / 09:00"},
        {"times, row 2 playing", 3, 2, true, "3:00 / 09:00"},
    };
    for (const Case &c : cases) {
        TrackList list;
        QStringList p;
        for (int i = 0; i < c.rows; ++i)
            p << QStringLiteral("/t/%1.mp3").arg(i);
        addRows(list, p);
        for (int i = 1; i <= c.rows; ++i)
            list.setCellText(i, TrackRow::TimeCell, u"3:00");
        list.setPlayingNo(c.playingNo);
        list.setStatusMode(c.timeMode);
        list.RenumberList();
        EXPECT_EQ(list.statusText(), c.expected) << c.name;
    }
}

// Rows "/t/e.mp3" .. with titles e, d, c, b, a; row 2 ("d") is playing.
void playingFixture(TrackList &list)
{
    addRows(list, {"/t/e.mp3", "/t/d.mp3", "/t/c.mp3", "/t/b.mp3", "/t/a.mp3"}, {"e", "d", "c", "b", "a"});
    list.setPlayingNo(2);
    list.ListItemForeColorChange(true, 2);
    list.RenumberList();
}

TEST(TrackList, PlayingNoFollowsTheColourAfterReordering)
{
    TrackList list;
    playingFixture(list);
    list.sortRows(TrackRow::TitleCell, Qt::AscendingOrder);
    ASSERT_EQ(list.path(4), QStringLiteral("/t/d.mp3"));
    EXPECT_EQ(list.PlayingNo(), 2); // sorting alone does not move it
    list.PlayingNoUpdate();
    EXPECT_EQ(list.PlayingNo(), 4);
    EXPECT_EQ(list.PlayoldNo(), 4);
    list.RenumberList();
    EXPECT_EQ(list.statusText(), QStringLiteral("4 / 5"));
    EXPECT_EQ(list.cellText(4, TrackRow::NoCell), QStringLiteral("4"));

    // Without a coloured row nothing changes.
    list.ListItemForeColorChange(false, 4);
    list.setPlayingNo(3);
    list.PlayingNoUpdate();
    EXPECT_EQ(list.PlayingNo(), 3);
}

TEST(TrackList, SortIsStableCaseInsensitiveAndNumbersSortAsText)
{
    TrackList list;
    addRows(list, {"/1", "/2", "/3", "/4"}, {"b", "A", "a", "B"});
    list.sortRows(TrackRow::TitleCell, Qt::AscendingOrder);
    EXPECT_EQ(paths(list), (QStringList{"/2", "/3", "/1", "/4"}));
    list.sortRows(TrackRow::TitleCell, Qt::DescendingOrder);
    EXPECT_EQ(paths(list), (QStringList{"/1", "/4", "/2", "/3"}));

    TrackList numbered;
    QStringList p;
    for (int i = 1; i <= 12; ++i)
        p << QStringLiteral("/%1").arg(i);
    addRows(numbered, p);
    numbered.RenumberList();
    numbered.sortRows(TrackRow::NoCell, Qt::AscendingOrder);
    EXPECT_EQ(numbered.path(1), QStringLiteral("/1"));
    EXPECT_EQ(numbered.path(2), QStringLiteral("/10"));
    EXPECT_EQ(numbered.path(5), QStringLiteral("/2"));
}

TEST(TrackList, DeletionMovesPlayingNo)
{
    struct Case {
        const char *name;
        int rows;
        std::vector<int> selected;
        int playingNo;
        int expectedPlayingNo;
    };
    std::vector<int> everyOther;
    for (int i = 1; i <= 300; i += 2)
        everyOther.push_back(i);
    const Case cases[] = {
        {"playing row goes: the row before", 5, {3}, 3, 2},
        {"playing first row goes: none", 5, {1}, 1, 0},
        {"rows above the playing row", 5, {1, 2}, 4, 2},
        {"rows below the playing row", 5, {4, 5}, 2, 2},
        {"nothing playing", 5, {2}, 0, 0},
        {"many scattered rows", 300, everyOther, 201, 100},
    };
    for (const Case &c : cases) {
        TrackList list;
        QStringList p;
        for (int i = 1; i <= c.rows; ++i)
            p << QStringLiteral("/t/%1.mp3").arg(i);
        addRows(list, p);
        QStringList kept = p;
        for (auto it = c.selected.rbegin(); it != c.selected.rend(); ++it) {
            list.setSelected(*it, true);
            kept.removeAt(*it - 1);
        }
        list.setPlayingNo(c.playingNo);
        FakePlayingTrack playing;
        RowsOnlyDeletion rows(playing);
        list.ListItemDelete(0, rows);
        EXPECT_EQ(list.PlayingNo(), c.expectedPlayingNo) << c.name;
        EXPECT_EQ(paths(list), kept) << c.name;
        EXPECT_EQ(list.cellText(list.count(), TrackRow::NoCell), QString::number(list.count())) << c.name;
    }
}

TEST(TrackList, DeleteWithFilesAsksFirst)
{
    struct Case {
        const char *name;
        bool answer;
        bool selectAll;
        QString stays; // a file the trash refuses
        QStringList expectedRows;
        int expectedRecycled;
        bool expectEmptied;
    };
    const Case cases[] = {
        {"answered No: nothing changes", false, false, {}, {"/t/1.mp3", "/t/2.mp3", "/t/3.mp3"}, 0, false},
        {"answered Yes: rows and files go", true, false, {}, {"/t/2.mp3"}, 2, false},
        {"all rows gone: the stream is closed", true, true, {}, {}, 3, true},
        {"a file that stays keeps its row, selected", true, false, "/t/3.mp3", {"/t/2.mp3", "/t/3.mp3"}, 1, false},
    };
    for (const Case &c : cases) {
        TrackList list;
        addRows(list, {"/t/1.mp3", "/t/2.mp3", "/t/3.mp3"});
        if (c.selectAll) {
            list.SelectAll();
        } else {
            list.setSelected(1, true);
            list.setSelected(3, true);
        }
        ScriptedDeletion deletion;
        deletion.answer = c.answer;
        deletion.stays = c.stays;
        EXPECT_EQ(list.ListItemDelete(1, deletion), c.answer) << c.name;
        const QString &question = deletion.question;
        const QStringList &recycled = deletion.recycled;
        const bool emptied = deletion.emptied;
        EXPECT_EQ(question, QString::fromUtf8("選択している%1件のファイルをゴミ箱に移動します。\r\nよろしいですか？")
                                .arg(c.selectAll ? 3 : 2))
            << c.name;
        EXPECT_EQ(paths(list), c.expectedRows) << c.name;
        EXPECT_EQ(recycled.size(), c.expectedRecycled) << c.name;
        EXPECT_EQ(emptied, c.expectEmptied) << c.name;
        if (!c.stays.isEmpty()) {
            EXPECT_TRUE(list.isSelected(list.count())) << c.name;
        }
    }
}

TEST(TrackList, FileInfoRoutines)
{
    QTemporaryDir dir;
    const QString file = touch(dir.path(), "Song.Ogg");
    TrackList list;
    addRows(list, {file, dir.path() + "/gone.mp3"});
    list.setInfo(1, u"t", u"a", u"1:00", u"128");

    EXPECT_TRUE(list.GetFileInfo2(1));
    EXPECT_EQ(list.cellText(1, TrackRow::ExtensionCell), QStringLiteral("OGG"));
    EXPECT_EQ(list.cellText(1, TrackRow::DateCell),
              QFileInfo(file).lastModified().toString(QStringLiteral("yyyy/MM/dd HH:mm:ss")));
    EXPECT_EQ(info(list, 1), QStringLiteral("t|a|1:00|128")); // the info cells stay

    list.GetFileInfo4(1);
    EXPECT_EQ(info(list, 1), QStringLiteral("Song|||"));

    EXPECT_FALSE(list.GetFileInfo(2)); // a missing file: Date stays empty
    EXPECT_EQ(list.cellText(2, TrackRow::DateCell), QString());
    EXPECT_EQ(list.cellText(2, TrackRow::ExtensionCell), QStringLiteral("MP3"));
}

TEST(TrackList, ColoursMarkOnlyThePlayingRow)
{
    TrackList list;
    list.setPlaylistForeColor(0x5F5F5F);
    list.setActiveItemColor(0xFFFFFF);
    addRows(list, {"/1", "/2", "/3"});
    list.ListItemForeColorChange(true, 1);
    list.ListItemForeColorChange(true, 3);
    list.setPlayingNo(3);
    list.ApplyPlaylistForeColor();
    EXPECT_EQ(list.rowColor(1), 0x5F5F5Fu);
    EXPECT_EQ(list.rowColor(3), 0xFFFFFFu);
    // 0x00BBGGRR becomes the model's foreground colour.
    list.setRowColor(2, 0x00336699);
    EXPECT_EQ(list.data(list.index(1, 4), Qt::ForegroundRole).value<QColor>(), QColor(0x99, 0x66, 0x33));
}

TEST(TrackList, ItemModelContract)
{
    TrackList list;
    QAbstractItemModelTester tester(&list, QAbstractItemModelTester::FailureReportingMode::Fatal);
    QStringList header;
    for (int c = 0; c < list.columnCount(); ++c)
        header << list.headerData(c, Qt::Horizontal).toString();
    EXPECT_EQ(header, (QStringList{" ", "No", "Title", "Artist", "Time", "BitRate", "Date", "Extension"}));

    addRows(list, {"/c", "/a", "/b"}, {"c", "a", "b"});
    list.RenumberList();
    EXPECT_EQ(list.data(list.index(1, 0)).toString(), QStringLiteral("/a"));
    EXPECT_EQ(list.data(list.index(1, 1)).toString(), QStringLiteral("2"));
    EXPECT_EQ(list.data(list.index(1, 0), TrackList::IconRole).toInt(), 1);
    const QPersistentModelIndex tracked(list.index(0, 2));
    list.setSortKey(TrackRow::TitleCell);
    list.setSorted(true);
    EXPECT_EQ(tracked.row(), 2); // "/c" went last and its index followed it
    list.setSelected(2, true);
    FakePlayingTrack playing;
    RowsOnlyDeletion rows(playing);
    list.ListItemDelete(0, rows);
    list.swapRows(1, 2);
    list.ClearList();
    EXPECT_EQ(list.rowCount(), 0);
}

TEST(TrackList, HundredThousandRows)
{
    TrackList list;
    std::vector<TrackRow> rows;
    rows.reserve(100000);
    for (int i = 0; i < 100000; ++i)
        rows.push_back(list.makeRow(QStringLiteral("/music/%1.mp3").arg(i)));
    list.appendRows(std::move(rows));
    list.setPlayingNo(99999);
    list.RenumberList();
    EXPECT_EQ(list.cellText(100000, TrackRow::NoCell), QStringLiteral("100000"));
    EXPECT_EQ(list.statusText(), QStringLiteral("99999 / 100000"));
    list.setSelected(40000, true);
    FakePlayingTrack playing;
    RowsOnlyDeletion deletion(playing);
    list.ListItemDelete(0, deletion);
    EXPECT_EQ(list.PlayingNo(), 99998);
    EXPECT_EQ(list.path(40000), QStringLiteral("/music/40000.mp3"));
    // The row stays compact: the texts share one string.
    EXPECT_LE(sizeof(TrackRow), 64u);
}

} // namespace
