#include "playback/TagFiller.h"
#include "playlist/PathNames.h"
#include "playlist/PlaylistSearch.h"
#include "playlist/PlaylistStore.h"
#include "playlist/TrackList.h"
#include "CoreTestApp.h"
#include "FakeTrackInfo.h"
#include "LogicDoubles.h"
#include "WaitUntil.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>

namespace {

// A list with its search box and a background filler over scripted files
// /m/a.mp3 .. /m/e.mp3 ("Title A" by "Artist A", 3 minutes, 128 kbit/s).
struct Fixture {
    FakeTrackInfo files;
    TrackList list;
    QTemporaryDir playlists;
    PlaylistStore store{list, playlists.path() + "/"};
    FakePlayingTrack player;
    RecordingScroller scroller;
    PlaylistSearch search{list, store, player, scroller};
    TagFiller filler{list, search, files};

    Fixture()
    {
        coreTestApp();
        for (const char c : QByteArrayLiteral("abcde"))
            files.addFile(path(c), QStringLiteral("Title %1").arg(QChar(c).toUpper()),
                          QStringLiteral("Artist %1").arg(QChar(c).toUpper()), 180000, 2880000);
    }
    // A read still held at a gate would keep the reader from stopping.
    ~Fixture() { files.openAll(); }
    static QString path(char c) { return QStringLiteral("/m/%1.mp3").arg(QChar(c)); }
    void add(const QString &p, QStringView time = {})
    {
        TrackRow row = list.makeRow(p);
        row.setInfo(BaseNameOf(p), {}, time, {});
        list.appendRow(std::move(row));
    }
    void add(const char *names)
    {
        for (const char *c = names; *c; ++c)
            add(path(*c));
    }
    int posOf(const QString &p) const
    {
        for (int pos = 1; pos <= list.count(); ++pos)
            if (list.path(pos) == p)
                return pos;
        return 0;
    }
    QString title(const QString &p) const { return list.cellText(posOf(p), TrackRow::TitleCell); }
    bool idle() const { return !filler.isBusy(); }
    bool settled() { return waitUntil([this] { return idle(); }); }
    bool filled(const QString &p) const
    {
        return posOf(p) && !list.cellText(posOf(p), TrackRow::TimeCell).isEmpty();
    }
    // The titles on show, in order.
    QStringList titles() const
    {
        QStringList out;
        for (int pos = 1; pos <= list.count(); ++pos)
            out << list.cellText(pos, TrackRow::TitleCell);
        return out;
    }
    bool allFilled() const
    {
        for (int pos = 1; pos <= list.count(); ++pos)
            if (list.cellText(pos, TrackRow::TimeCell).isEmpty())
                return false;
        return true;
    }
};

struct Case {
    const char *name;
    std::function<void(Fixture &)> run;
};

const Case kCases[] = {
    {"rows fill in after an add, in the player's formats",
     [](Fixture &f) {
         f.add("abc");
         ASSERT_TRUE(waitUntil([&] { return f.filled(f.path('a')) && f.filled(f.path('b')) && f.filled(f.path('c')); }));
         const int pos = f.posOf(f.path('b'));
         EXPECT_EQ(f.list.cellText(pos, TrackRow::TitleCell), "Title B");
         EXPECT_EQ(f.list.cellText(pos, TrackRow::ArtistCell), "Artist B");
         EXPECT_EQ(f.list.cellText(pos, TrackRow::TimeCell), "3:00");
         EXPECT_EQ(f.list.cellText(pos, TrackRow::BitRateCell), "128bps");
     }},
    {"rows that moved while their files were read get their own cells",
     [](Fixture &f) {
         f.files.gate(f.path('a'));
         f.add("abcde");
         ASSERT_TRUE(waitUntil([&] { return f.files.readCount(f.path('a')) == 1; }));
         f.list.sortRows(TrackRow::TitleCell, Qt::DescendingOrder); // e..a: every row moves but c
         f.files.open(f.path('a'));
         ASSERT_TRUE(waitUntil([&] {
             for (const char c : QByteArrayLiteral("abcde"))
                 if (!f.filled(f.path(c)))
                     return false;
             return true;
         }));
         for (const char c : QByteArrayLiteral("abcde"))
             EXPECT_EQ(f.title(f.path(c)), QStringLiteral("Title %1").arg(QChar(c).toUpper()));
     }},
    {"a row deleted while its file was read gets nothing and no other row takes it",
     [](Fixture &f) {
         f.files.gate(f.path('a'));
         f.add("ab");
         ASSERT_TRUE(waitUntil([&] { return f.files.readCount(f.path('a')) == 1; }));
         f.list.removeRowsAt(1, 1);
         f.files.open(f.path('a'));
         ASSERT_TRUE(f.settled());
         ASSERT_EQ(f.list.count(), 1);
         EXPECT_EQ(f.title(f.path('b')), "Title B");
     }},
    {"clearing the list drops waiting reads and late results",
     [](Fixture &f) {
         // Every reader busy: c waits in the queue.
         f.files.gate(f.path('a'));
         f.files.gate(f.path('b'));
         f.add("abc");
         ASSERT_TRUE(waitUntil([&] { return f.files.readCount(f.path('a')) == 1 && f.files.readCount(f.path('b')) == 1; }));
         f.list.ClearList();
         // The same file in the next list, changed meanwhile: the result of
         // the old read must not land on it.
         f.files.addFile(f.path('a'), "New title", "New artist", 60000, 960000);
         f.add("a");
         f.files.openAll();
         ASSERT_TRUE(waitUntil([&] { return f.filled(f.path('a')); }));
         ASSERT_TRUE(f.settled());
         EXPECT_EQ(f.title(f.path('a')), "New title");
         EXPECT_EQ(f.files.readCount(f.path('c')), 0);
     }},
    {"the playing row keeps the cells the player wrote",
     [](Fixture &f) {
         f.files.gate(f.path('a'));
         f.add("a");
         ASSERT_TRUE(waitUntil([&] { return f.files.readCount(f.path('a')) == 1; }));
         f.list.setInfo(1, u"Stream title", u"Stream artist", u"2:59", u"127bps");
         f.files.open(f.path('a'));
         ASSERT_TRUE(f.settled());
         EXPECT_EQ(f.list.cellText(1, TrackRow::TitleCell), "Stream title");
         EXPECT_EQ(f.list.cellText(1, TrackRow::TimeCell), "2:59");
     }},
    {"no file is read twice: filled rows are not queued again after sorts and deletions",
     [](Fixture &f) {
         f.add("abc");
         f.add(f.path('d'), u"4:00"); // loaded with its cells
         ASSERT_TRUE(waitUntil([&] { return f.filled(f.path('a')) && f.filled(f.path('b')) && f.filled(f.path('c')); }));
         f.list.sortRows(TrackRow::TitleCell, Qt::DescendingOrder);
         f.list.removeRowsAt(1, 1);
         f.add(f.path('e'));
         ASSERT_TRUE(waitUntil([&] { return f.filled(f.path('e')); }));
         ASSERT_TRUE(f.settled());
         for (const char c : QByteArrayLiteral("abce"))
             EXPECT_EQ(f.files.readCount(f.path(c)), 1) << c;
         EXPECT_EQ(f.files.readCount(f.path('d')), 0);
     }},
    {"a file listed many times is read once and fills every copy, near and far",
     [](Fixture &f) {
         f.files.gate(f.path('a')); // copies met while its read is under way wait for it
         f.add("aab");
         for (int i = 0; i < 40; ++i)
             f.add("cab"); // copies met after the read ended take its cells
         f.files.open(f.path('a'));
         ASSERT_TRUE(waitUntil([&] { return f.allFilled(); }));
         ASSERT_TRUE(f.settled());
         for (const char c : QByteArrayLiteral("abc"))
             EXPECT_EQ(f.files.readCount(f.path(c)), 1) << c;
         EXPECT_EQ(f.list.cellText(2, TrackRow::TitleCell), "Title A");
         EXPECT_EQ(f.list.cellText(f.list.count() - 1, TrackRow::TitleCell), "Title A");
     }},
    {"a playlist file's own row and other files no decoder takes by name are not read",
     [](Fixture &f) {
         for (const char *name : {"/m/list.m3u", "/m/notes.txt", "/m/cover.jpg"}) {
             f.files.addFile(QString::fromLatin1(name), "Not sound", "Nobody", 1000, 1000);
             f.add(QString::fromLatin1(name));
         }
         f.add("a");
         ASSERT_TRUE(waitUntil([&] { return f.filled(f.path('a')); }));
         ASSERT_TRUE(f.settled());
         for (const char *name : {"/m/list.m3u", "/m/notes.txt", "/m/cover.jpg"}) {
             EXPECT_EQ(f.files.readCount(QString::fromLatin1(name)), 0) << name;
             EXPECT_EQ(f.title(QString::fromLatin1(name)), BaseNameOf(QString::fromLatin1(name))) << name;
         }
     }},
    {"an unreadable file is tried once and its row keeps its name",
     [](Fixture &f) {
         f.add(QStringLiteral("/m/broken.mp3"));
         f.add("a");
         ASSERT_TRUE(waitUntil([&] { return f.filled(f.path('a')); }));
         f.list.sortRows(TrackRow::TitleCell, Qt::AscendingOrder);
         f.add("b");
         ASSERT_TRUE(waitUntil([&] { return f.filled(f.path('b')); }));
         EXPECT_EQ(f.files.readCount(QStringLiteral("/m/broken.mp3")), 1);
         EXPECT_EQ(f.title(QStringLiteral("/m/broken.mp3")), "broken");
     }},
    {"archive members are left for when they play, titled by their member name",
     [](Fixture &f) {
         const QString member = ArchiveMemberPath(u"/m/set.zip", u"disc/01.mp3");
         TrackRow row = f.list.makeRow(member);
         row.setTitle(InitialTitleOf(member, true));
         f.list.appendRow(std::move(row));
         f.add("a");
         ASSERT_TRUE(waitUntil([&] { return f.filled(f.path('a')); }));
         EXPECT_EQ(f.files.readCount(member), 0);
         EXPECT_EQ(f.title(member), "disc/01");
     }},
    {"a save after the cells filled stores them",
     [](Fixture &f) {
         QTemporaryDir root;
         QDir().mkpath(root.path() + "/Playlist");
         PlaylistStore store{f.list, root.path() + "/Playlist/"};
         f.add("ab");
         ASSERT_TRUE(waitUntil([&] { return f.filled(f.path('a')) && f.filled(f.path('b')); }));
         ASSERT_TRUE(store.SavePlaylist(QStringLiteral("Mix"), QStringLiteral(".m3u"), false, false));
         QFile file(store.playlistFilePath(QStringLiteral("Mix"), QStringLiteral(".m3u")));
         ASSERT_TRUE(file.open(QIODevice::ReadOnly));
         const QString text = QString::fromUtf8(file.readAll());
         EXPECT_TRUE(text.contains("Title A")) << text.toStdString();
         EXPECT_TRUE(text.contains("Artist B")) << text.toStdString();
     }},
    {"a search for an artist typed before the tags were read finds the rows as they fill",
     [](Fixture &f) {
         for (const char c : QByteArrayLiteral("abcde"))
             f.files.gate(f.path(c));
         f.add("abcde");
         f.search.setText(QStringLiteral("artist c"));
         ASSERT_EQ(f.list.count(), 0); // nothing is known of the files yet
         f.files.openAll();
         ASSERT_TRUE(waitUntil([&] { return f.list.count() == 1; }));
         EXPECT_EQ(f.titles(), QStringList{"Title C"});
         EXPECT_EQ(f.list.cellText(1, TrackRow::TimeCell), "3:00");
         ASSERT_TRUE(f.settled());
         EXPECT_EQ(f.titles(), QStringList{"Title C"});
         f.search.clear();
         ASSERT_EQ(f.list.count(), 5);
         EXPECT_TRUE(f.allFilled());
     }},
    {"a search typed while the first rows are read shows every match once all are read",
     [](Fixture &f) {
         f.search.setMode(PlaylistSearch::ArtistOnly);
         f.files.gate(f.path('a'));
         f.add("abcde");
         f.search.setText(QStringLiteral("artist"));
         f.files.open(f.path('a'));
         ASSERT_TRUE(waitUntil([&] { return f.list.count() == 5 && f.allFilled(); }));
         EXPECT_EQ(f.titles(), (QStringList{"Title A", "Title B", "Title C", "Title D", "Title E"}));
     }},
    {"a row whose tags no longer match the search leaves it once they are read",
     [](Fixture &f) {
         f.files.addFile(QStringLiteral("/m/x.mp3"), "Other", "Someone", 60000, 960000);
         f.files.gate(QStringLiteral("/m/x.mp3"));
         f.add(QStringLiteral("/m/x.mp3"));
         f.add("a");
         f.search.setMode(PlaylistSearch::TitleOnly);
         f.search.setText(QStringLiteral("x"));
         ASSERT_EQ(f.titles(), QStringList{"x"}); // the file name stands in for the title
         f.files.open(QStringLiteral("/m/x.mp3"));
         ASSERT_TRUE(f.settled());
         ASSERT_TRUE(waitUntil([&] { return f.list.count() == 0; }));
         f.search.clear();
         EXPECT_EQ(f.title(QStringLiteral("/m/x.mp3")), "Other");
     }},
    {"typing and retyping a search while files are read reads no file twice",
     [](Fixture &f) {
         f.files.gate(f.path('a'));
         f.files.gate(f.path('b'));
         f.add("abcde");
         ASSERT_TRUE(waitUntil([&] { return f.files.readCount(f.path('a')) == 1 && f.files.readCount(f.path('b')) == 1; }));
         for (const char *text : {"a", "ar", "art", "ar", "title", ""})
             f.search.setText(QString::fromLatin1(text));
         f.search.setText(QStringLiteral("artist"));
         f.files.openAll();
         ASSERT_TRUE(waitUntil([&] { return f.list.count() == 5 && f.allFilled(); }));
         ASSERT_TRUE(f.settled());
         for (const char c : QByteArrayLiteral("abcde"))
             EXPECT_EQ(f.files.readCount(f.path(c)), 1) << c;
     }},
    {"the rows kept while a search refreshes stay selected",
     [](Fixture &f) {
         f.files.gate(f.path('b'));
         f.add("abc");
         ASSERT_TRUE(waitUntil([&] { return f.filled(f.path('a')) && f.filled(f.path('c')); }));
         f.search.setMode(PlaylistSearch::ArtistOnly);
         f.search.setText(QStringLiteral("artist"));
         ASSERT_EQ(f.list.count(), 2);
         f.list.setSelected(f.posOf(f.path('c')), true);
         f.files.open(f.path('b'));
         ASSERT_TRUE(waitUntil([&] { return f.list.count() == 3; }));
         EXPECT_TRUE(f.list.isSelected(f.posOf(f.path('c'))));
         EXPECT_FALSE(f.list.isSelected(f.posOf(f.path('b'))));
     }},
    {"opening another list while a search waits for reads drops them",
     [](Fixture &f) {
         f.files.gate(f.path('a'));
         f.add("ab");
         f.search.setText(QStringLiteral("artist"));
         ASSERT_TRUE(waitUntil([&] { return f.files.readCount(f.path('a')) == 1; }));
         f.list.ClearList(); // the filter ends with the list
         f.add("c");
         f.files.open(f.path('a'));
         ASSERT_TRUE(waitUntil([&] { return f.filled(f.path('c')); }));
         ASSERT_TRUE(f.settled());
         EXPECT_EQ(f.list.count(), 1);
         EXPECT_FALSE(f.search.isFiltering());
     }},
};

class TagFillerCase : public ::testing::TestWithParam<Case>
{
};

TEST_P(TagFillerCase, Run)
{
    Fixture f;
    GetParam().run(f);
}

INSTANTIATE_TEST_SUITE_P(BackgroundTags, TagFillerCase, ::testing::ValuesIn(kCases),
                         [](const auto &info) {
                             std::string name;
                             for (const char *c = info.param.name; *c; ++c)
                                 name += std::isalnum(static_cast<unsigned char>(*c)) ? *c : '_';
                             return name;
                         });

} // namespace
