// Adding folders and files as a user does: which files a folder gives, in
// which order, with or without its sub-folders; the add-file dialog; the
// bit-rate column.
#include "CoreTestApp.h"
#include "LogicDoubles.h"
#include "PlaylistTestUtil.h"
#include "core/CommandLine.h"
#include "core/EventPump.h"
#include "playlist/ListViewCommands.h"
#include "playlist/PlaylistStore.h"
#include "playlist/TrackAdder.h"
#include "playlist/TrackList.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace testutil;

namespace {

class FolderAdding : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_root.isValid());
        root = m_root.path();
        QDir(root).mkdir(QStringLiteral("Playlist")); // where a replaced list is kept
        list.setPlaylistAddress(QStringLiteral("Start"));
    }
    void TearDown() override { EventPump::setStopRequested(false); }

    // Creates the files (in the order given, so directory order is theirs).
    void make(const QStringList &names)
    {
        for (const QString &name : names)
            touch(root, name);
    }
    QStringList rows() const
    {
        QStringList out = paths(list);
        out.replaceInStrings(root + u'/', QString());
        return out;
    }

    QTemporaryDir m_root;
    QString root;
    MapFolders folders;
    ScriptedArchives archives;
    FixedTree tree;
    ScriptedDialogs dialogs;
    TrackList list;
    PlaylistStore store{list, m_root.path() + "/Playlist", tree};
    TrackAdder adder{list, store, folders, archives, tree, dialogs};
};

TEST_F(FolderAdding, EveryPlayableFormatComesInNameOrder)
{
    make({"in/10 ten.mid", "in/03 three.ogg", "in/07 seven.m4a", "in/01 one.mp3", "in/09 nine.wma",
          "in/05 five.wav", "in/02 two.mp2", "in/06 six.flac", "in/04 four.opus", "in/08 eight.aac",
          "in/11 eleven.FLAC", "in/cover.jpg", "in/notes.txt", "in/.hidden.mp3"});
    adder.AddTrack(root + "/in", false);
    EXPECT_EQ(rows(), (QStringList{"in/01 one.mp3", "in/02 two.mp2", "in/03 three.ogg", "in/04 four.opus",
                                   "in/05 five.wav", "in/06 six.flac", "in/07 seven.m4a", "in/08 eight.aac",
                                   "in/09 nine.wma", "in/10 ten.mid", "in/11 eleven.FLAC"}));
    EXPECT_EQ(list.PlaylistAddress(), QStringLiteral("in"));
    EXPECT_EQ(list.cellText(11, TrackRow::NoCell), QStringLiteral("11"));
}

TEST_F(FolderAdding, NaturalNameOrder)
{
    struct Case {
        const char *name;
        QStringList created; // in this directory order
        QStringList expected;
    };
    const Case cases[] = {
        {"2 before 10", {"track10.mp3", "track2.mp3", "track1.mp3"}, {"track1.mp3", "track2.mp3", "track10.mp3"}},
        {"letter case does not count", {"b.mp3", "C.mp3", "A.mp3"}, {"A.mp3", "b.mp3", "C.mp3"}},
        {"leading zeros count by value", {"010.mp3", "9.mp3", "0002.mp3"}, {"0002.mp3", "9.mp3", "010.mp3"}},
        {"numbers inside names", {"Disc 2 - 1.mp3", "Disc 10 - 1.mp3", "Disc 2 - 10.mp3", "Disc 2 - 9.mp3"},
         {"Disc 2 - 1.mp3", "Disc 2 - 9.mp3", "Disc 2 - 10.mp3", "Disc 10 - 1.mp3"}},
        {"Japanese names keep one order", {"い1.mp3", "あ10.mp3", "あ2.mp3", "ア1.mp3"},
         {"あ2.mp3", "あ10.mp3", "い1.mp3", "ア1.mp3"}},
        {"names equal but for case are ordered all the same", {"a.mp3", "A.mp3"}, {"A.mp3", "a.mp3"}},
    };
    int n = 0;
    for (const Case &c : cases) {
        const QString folder = QStringLiteral("case%1").arg(++n);
        for (const QString &f : c.created)
            touch(root, folder + u'/' + f);
        QStringList got = TrackAdder::ListAudioFiles(root + u'/' + folder, 1);
        got.replaceInStrings(root + u'/' + folder + u'/', QString());
        EXPECT_EQ(got, c.expected) << c.name;
    }
}

TEST_F(FolderAdding, AFolderOfAlbumFolders)
{
    make({"Music/Zeta/Live/01.mp3", "Music/Alpha/Second/02.flac", "Music/Alpha/Second/01.flac",
          "Music/Alpha/First/10.ogg", "Music/Alpha/First/2.ogg", "Music/intro.mp3", "Music/Empty/readme.txt",
          "Music/.cache/x.mp3"});
    struct Case {
        const char *name;
        bool subfolders;
        QStringList expected;
    };
    const Case cases[] = {
        {"with sub-folders: the folder's own files, then each sub-folder in order",
         true,
         {"Music/intro.mp3", "Music/Alpha/First/2.ogg", "Music/Alpha/First/10.ogg", "Music/Alpha/Second/01.flac",
          "Music/Alpha/Second/02.flac", "Music/Zeta/Live/01.mp3"}},
        {"without sub-folders: the folder's own files", false, {"Music/intro.mp3"}},
    };
    for (const Case &c : cases) {
        folders.subfolders = c.subfolders;
        list.ClearList();
        list.setPlaylistAddress(QStringLiteral("Start"));
        adder.AddTrack(root + "/Music", false);
        EXPECT_EQ(rows(), c.expected) << c.name;
        EXPECT_EQ(list.PlaylistAddress().section(u' ', 0, 0), QStringLiteral("Music")) << c.name;
    }
}

TEST_F(FolderAdding, AFolderWithoutOwnFilesIsStillNamedAfterItself)
{
    make({"Artist/Album/01.mp3"});
    adder.AddTrack(root + "/Artist", false);
    EXPECT_EQ(rows(), QStringList{"Artist/Album/01.mp3"});
    EXPECT_EQ(list.PlaylistAddress(), QStringLiteral("Artist"));
}

TEST_F(FolderAdding, LoopsAndUnreadableFoldersAreSkipped)
{
    make({"Top/a.mp3", "Top/Sub/b.mp3", "Top/Locked/c.mp3", "Other/d.mp3"});
    struct Link {
        const char *name;
        QString target;
        QString link;
    };
    const Link links[] = {
        {"a link back to the top", root + "/Top", root + "/Top/Sub/Back"},
        {"a link to itself", root + "/Top/Self", root + "/Top/Self"},
        {"a second way into a folder already read", root + "/Top/Sub", root + "/Top/Zed"},
        {"a link to a folder outside", root + "/Other", root + "/Top/Outside"},
    };
    for (const Link &l : links)
        ASSERT_TRUE(QFile::link(l.target, l.link)) << l.name;
    ASSERT_TRUE(QFile::setPermissions(root + "/Top/Locked", QFileDevice::Permissions()));
    // The super-user reads every folder: the locked one is readable to it.
    const bool lockedReadable = ::geteuid() == 0;

    adder.AddTrack(root + "/Top", false);

    QStringList expected = {"Top/a.mp3"};
    if (lockedReadable)
        expected << "Top/Locked/c.mp3";
    expected << "Top/Outside/d.mp3" << "Top/Sub/b.mp3";
    EXPECT_EQ(rows(), expected);
    QFile::setPermissions(root + "/Top/Locked", QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

TEST_F(FolderAdding, AStoppedReadingLeavesTheList)
{
    make({"Big/A/1.mp3", "Big/B/2.mp3"});
    addRows(list, {root + "/kept.mp3"});
    EventPump::setStopRequested(true); // a quit arrives while the folder is read
    dialogs.answer = root + "/Big";
    adder.openFolderCommand();
    EXPECT_EQ(rows(), QStringList{"kept.mp3"});
    EXPECT_EQ(list.PlaylistAddress(), QStringLiteral("Start"));
    EXPECT_TRUE(QFile::exists(root + "/Playlist/Start.m3u")) << "the list was kept in its file first";
    EventPump::setStopRequested(false);
    adder.openFolderCommand();
    EXPECT_EQ(rows(), (QStringList{"Big/A/1.mp3", "Big/B/2.mp3"})) << "the same folder again, not stopped";
}

TEST_F(FolderAdding, EscapeWhileAFolderIsReadLeavesTheList)
{
    make({"Big/A/1.mp3", "Big/B/2.mp3", "Small/3.mp3"});
    addRows(list, {root + "/kept.mp3"});
    struct Case {
        const char *name;
        bool pressedDuringReading;
        QStringList expected;
    };
    const Case cases[] = {
        {"pressed while reading: the list stays", true, {"kept.mp3"}},
        {"pressed before: the next add is whole", false, {"Small/3.mp3"}},
    };
    for (const Case &c : cases) {
        if (c.pressedDuringReading)
            QMetaObject::invokeMethod(&coreTestApp(), [this] { adder.stopAdding(); }, Qt::QueuedConnection);
        else
            adder.stopAdding();
        dialogs.answer = root + (c.pressedDuringReading ? "/Big" : "/Small");
        adder.openFolderCommand();
        EXPECT_EQ(rows(), c.expected) << c.name;
    }
}

TEST_F(FolderAdding, TheAddFileDialog)
{
    make({"x/b.mp3", "x/a.flac"});
    // Every format the player plays is offered by the first filter, in any letter case.
    const QStringList filters = DialogNameFilters(TrackAdder::AudioFileFilter);
    ASSERT_GE(filters.size(), 3);
    for (const char *ext : {"mp3", "mp2", "ogg", "oga", "opus", "wav", "flac", "m4a", "aac", "wma", "ape", "mpc",
                            "mid", "midi"}) {
        EXPECT_TRUE(filters.first().contains(QStringLiteral("*.%1").arg(QLatin1String(ext)))) << ext;
        EXPECT_TRUE(TrackAdder::AudioFileFilter.contains(QStringLiteral("*.%1").arg(QLatin1String(ext)))) << ext;
    }
    EXPECT_TRUE(filters.last().endsWith(QStringLiteral("(*)"))) << "all files come last";

    // Several files at once, added in the order chosen; their folder is remembered.
    dialogs.answers = {root + "/x/b.mp3", root + "/x/a.flac"};
    adder.addFileCommand();
    EXPECT_EQ(rows(), (QStringList{"x/b.mp3", "x/a.flac"}));
    EXPECT_EQ(folders.folders[TrackAdder::AudioFileFolderKey], root + "/x");
    adder.addFileCommand();
    EXPECT_TRUE(dialogs.asked.value(1).endsWith(u'@' + root + "/x")) << "the next open starts where the last ended";
}

TEST_F(FolderAdding, TheFirstOpenStartsInTheMusicFolder)
{
    const QByteArray home = qgetenv("HOME");
    const QByteArray config = qgetenv("XDG_CONFIG_HOME");
    struct Case {
        const char *name;
        bool hasMusicFolder;
        QString expected;
    };
    const Case cases[] = {
        {"the user's music folder", true, root + "/home1/Music"},
        {"the home folder without one", false, root + "/home2"},
    };
    int n = 0;
    for (const Case &c : cases) {
        const QString dir = QStringLiteral("%1/home%2").arg(root).arg(++n);
        QDir().mkpath(dir);
        if (c.hasMusicFolder)
            QDir().mkpath(dir + "/Music");
        qputenv("HOME", QFile::encodeName(dir));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir + "/.config"));
        dialogs.asked.clear();
        adder.addFileCommand(); // cancelled
        EXPECT_EQ(dialogs.asked.value(0).section(u'@', -1), c.expected) << c.name;
        EXPECT_NE(dialogs.asked.value(0).section(u'@', -1), QDir::currentPath()) << c.name;
    }
    qputenv("HOME", home);
    if (config.isNull())
        qunsetenv("XDG_CONFIG_HOME");
    else
        qputenv("XDG_CONFIG_HOME", config);
}

TEST_F(FolderAdding, BitRateIsShownInKilobits)
{
    struct Case {
        const char *name;
        QString stored;
        QString shown;
    };
    const Case cases[] = {
        {"the stored unit of every playlist file", "128bps", "128kbps"},
        {"already in kilobits", "320kbps", "320kbps"},
        {"never played", "", ""},
        {"anything else stands", "VBR", "VBR"},
    };
    for (const Case &c : cases) {
        list.ClearList();
        addRows(list, {root + "/a.mp3"});
        list.setInfo(1, u"t", u"a", u"1:00", c.stored);
        EXPECT_EQ(list.data(list.index(0, TrackRow::BitRateCell), Qt::DisplayRole).toString(), c.shown) << c.name;
        EXPECT_EQ(list.cellText(1, TrackRow::BitRateCell), c.stored) << c.name << ": the saved text";
    }
}

TEST_F(FolderAdding, HelpNamesEveryFormat)
{
    const QString help = UsageText();
    for (const char *ext : {".mp3", ".mp2", ".ogg", ".opus", ".wav", ".flac", ".m4a", ".aac", ".wma", ".mid"})
        EXPECT_TRUE(help.contains(QLatin1String(ext))) << ext;
}

} // namespace
