#include "app/AppWindows.h"
#include "app/Application.h"
#include "app/DesktopIntegration.h"
#include "archive/LibArchiveArchiver.h"
#include "playback/PlaybackDisplay.h"
#include "playlist/PlaylistFile.h"
#include "FakeAudioLibrary.h"
#include "LogicDoubles.h"
#include "RecordingShell.h"
#include "TestFiles.h"
#include "ZipFixtures.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>
#include <gtest/gtest.h>

namespace {

struct RecordingWindows : AppWindows, MessageBoxService, PlaybackDisplay {
    QStringList log;
    int show(const QString &text, int style, const QString &title) override
    {
        log << QStringLiteral("box[%1|%2|%3]").arg(text).arg(style).arg(title);
        return answer;
    }
    void setTopmost(bool on) override { log << QStringLiteral("topmost %1").arg(on); }
    PlaybackDisplay &playbackDisplay() override { return *this; }
    FileDialogs &fileDialogs() override { return dialogs; }
    Beeper &beeper() override { return beeps; }
    TreeLabelEditor &labelEditor() override { return labels; }
    void applySettings() override { log << QStringLiteral("apply settings"); }
    void storeWindowState() override { log << QStringLiteral("store state"); }
    void showMainWindow() override { log << QStringLiteral("show main"); }
    void showTrackInfoText(const QString &text) override { log << QStringLiteral("info ") + text; }
    void endWindows(std::function<void()> gone) override
    {
        log << QStringLiteral("hide");
        gone();
    }
    void ShowTrackInfo(const QString &t, const QString &a) override { log << QStringLiteral("track %1 - %2").arg(t, a); }
    void showIdle() override {}
    void setScrollTimerEnabled(bool) override {}
    void setSeekMaximum(int) override {}
    void scrollToRow(int pos) override { scrolledTo = pos; }
    void trackAdvanced() override {}

    int answer = 1; // what the message box answers
    ScriptedDialogs dialogs;
    CountingBeeper beeps;
    RecordingLabels labels;
    int scrolledTo = 0;
};

TEST(StartUp, AudioFailureTellsTheUserAndTouchesNothing)
{
    QTemporaryDir home;
    const QString programFolder = home.path() + "/prog";
    FakeAudioLibrary audio;
    audio.failInit(AudioLibrary::ErrInit);
    RecordingWindows ui;
    LibArchiveArchiver archiver;
    Application app(AppPaths(programFolder, QString(), home.path()), PlatformServices{audio, ui, archiver}, ui);

    EXPECT_FALSE(app.StartUp({}));
    ASSERT_EQ(ui.log.size(), 1);
    EXPECT_EQ(ui.log.first(),
              QStringLiteral("box[FMOD初期化エラーです\r\nError initializing output device.|0|Velmora]"));
    EXPECT_FALSE(QFileInfo::exists(programFolder)) << "no folder may be created before the audio library starts";
    EXPECT_EQ(audio.initCount(), 1);
}

TEST(StartUp, ErrorTexts)
{
    EXPECT_EQ(FmodErrorText(0), QStringLiteral("No errors"));
    EXPECT_EQ(FmodErrorText(12), QStringLiteral("Not enough memory "));
    EXPECT_EQ(FmodErrorText(19), QStringLiteral("An error occured trying to open the specified CD device"));
    EXPECT_EQ(FmodErrorText(20), QStringLiteral("Unknown error"));
    EXPECT_EQ(FmodErrorText(-1), QStringLiteral("Unknown error"));
}

struct LifeCycle : ::testing::Test {
    QTemporaryDir home;
    FakeAudioLibrary audio;
    RecordingWindows ui;
    LibArchiveArchiver archiver;
    RecordingShell shell;
    FixedClock clock;
    std::unique_ptr<Application> app;

    void start(const QStringList &args = {})
    {
        app = std::make_unique<Application>(
            AppPaths(home.path(), QString(), home.path()),
            PlatformServices{.audio = audio, .box = ui, .archiver = archiver, .shell = &shell, .clock = &clock}, ui);
        ASSERT_TRUE(app->StartUp(args));
    }
    void stop()
    {
        app->ShutDown();
        app.reset();
    }
    QString track(const QString &name)
    {
        const QString path = home.path() + "/music/" + name;
        writeBytes(path, "not really audio");
        audio.addFile(path, 5000);
        return path;
    }
};

TEST_F(LifeCycle, FirstStartWritesDefaultFilesAndAnEmptyAutomaticPlaylist)
{
    start();
    EXPECT_EQ(audio.initRate(), 44100);
    EXPECT_EQ(audio.initMaxChannels(), 32);
    EXPECT_EQ(app->trackList().PlaylistAddress(), QStringLiteral("AutoPlaylist"));
    stop();
    EXPECT_FALSE(audio.initialized()) << "the audio library is closed at the end";
    EXPECT_TRUE(ui.log.contains(QStringLiteral("info Now Ending... Temporary Folder Deleting")));
    EXPECT_TRUE(readBytes(home.path() + "/Velmora.ini").contains("[Main]\r\n"));
    EXPECT_TRUE(QFileInfo::exists(home.path() + "/Color/AutoColor.ini"));
    EXPECT_EQ(readBytes(home.path() + "/Playlist/AutoPlaylist.m3u"), QByteArray("#M3UX\r\n"));
}

// "ヘルプ" hands the manual to the desktop, and says so when nothing takes it.
TEST_F(LifeCycle, TheManualOrAMessageThatItCouldNotOpen)
{
    const struct {
        const char *name;
        bool opened;
    } cases[] = {{"the desktop opens it", true}, {"nothing opens text files", false}};
    start();
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        shell.calls.clear();
        shell.result = c.opened;
        ui.log.clear();
        app->ShowManual();
        ASSERT_EQ(shell.calls.size(), 1);
        EXPECT_TRUE(shell.calls.first().startsWith("open ") && shell.calls.first().endsWith("manual.txt"));
        const bool told = ui.log.filter(QStringLiteral("を開けませんでした")).size() == 1;
        EXPECT_EQ(told, !c.opened) << ui.log.join(u',').toStdString();
    }
    shell.result = true;
    stop();
}

TEST_F(LifeCycle, TheListSurvivesARestart)
{
    const QString a = track("a.mp3"), b = track("b c.ogg");
    start({a, b});
    EXPECT_EQ(app->trackList().PlaylistAddress(), QStringLiteral("CommandLine"));
    ASSERT_EQ(app->trackList().count(), 2);
    EXPECT_FALSE(app->player().isPlaying()) << "nothing plays by itself";
    EXPECT_TRUE(app->trackList().isSelected(1)) << "the first row waits for the play button";
    stop();

    start();
    ASSERT_EQ(app->trackList().count(), 2);
    EXPECT_EQ(app->trackList().path(1), a);
    EXPECT_EQ(app->trackList().path(2), b);
    EXPECT_EQ(app->trackList().cellText(2, 1), QStringLiteral("2"));
    stop();
}

TEST_F(LifeCycle, OutputGainIsUnityUnlessTheSettingsSayOtherwise)
{
    const struct {
        const char *ini;
        std::uint32_t output;
    } cases[] = {
        {nullptr, 0xFFFFFFFFu},                          // a first start
        {"[Sound]\r\nPlayerVolume=255\r\n", 0xFFFFFFFFu},
        {"[Sound]\r\nWaveOutVolume=32767\r\n", 0x7D707D70u}, // 49 %, as such a file always gave
        {"[Sound]\r\nWaveOutVolume=65535\r\n", 0xFFFFFFFFu},
    };
    for (const auto &c : cases) {
        QFile::remove(home.path() + "/Velmora.ini");
        if (c.ini)
            writeBytes(home.path() + "/Velmora.ini", c.ini);
        start();
        EXPECT_EQ(audio.outputVolume(), c.output) << (c.ini ? c.ini : "no settings file");
        stop();
    }
}

TEST_F(LifeCycle, ResumePlaysTheLastTrackAtItsPosition)
{
    const QString a = track("a.mp3"), b = track("b.mp3");
    start({a, b});
    app->settings().setValue(SettingId::ResumePlay, 1);
    app->trackList().UnselectAll();
    app->trackList().setSelected(2, true);
    app->player().PlaySelectedTrack();
    audio.advance(1500);
    stop();

    start();
    EXPECT_EQ(app->trackList().PlayingNo(), 2);
    EXPECT_EQ(audio.streamTime(app->player().stream()), 1500);
    stop();
}

TEST_F(LifeCycle, ResumeBeyondTheListPlaysNothing)
{
    writeBytes(home.path() + "/Velmora.ini", "[Option]\r\nResumePlay=1\r\n[Resume]\r\nNo=9\r\nPosition=100\r\n");
    start({track("a.mp3")});
    EXPECT_EQ(app->trackList().PlayingNo(), 0);
    EXPECT_EQ(audio.openCount(), 0);
    stop();
}

// A playlist file of `rows` records, all naming one existing file.
QByteArray bigPlaylist(const QString &file, int rows)
{
    QByteArray text = "#M3UX\r\n";
    const QByteArray record = file.toUtf8() + "\r\n#Title;Artist;0:05;128kbps\r\n";
    text.reserve(text.size() + record.size() * rows);
    for (int i = 0; i < rows; ++i)
        text += record;
    return text;
}

TEST_F(LifeCycle, AQuitDuringTheStartUpLoadEndsWithoutSavingTheHalfList)
{
    int argc = 1;
    char name[] = "test_app";
    char *argv[] = {name, nullptr};
    QCoreApplication events(argc, argv); // the load lets events run, as in the program
    const QString autoPlaylist = home.path() + "/Playlist/AutoPlaylist.m3u";
    const QByteArray original = bigPlaylist(track("a.mp3"), 100000);
    writeBytes(autoPlaylist, original);

    app = std::make_unique<Application>(AppPaths(home.path(), QString(), home.path()),
                                        PlatformServices{audio, ui, archiver}, ui);
    int ended = 0;
    QObject::connect(app.get(), &Application::ended, [&] { ++ended; });
    // Arrives at the load's first yield, as a signal's notifier would.
    QTimer::singleShot(0, app.get(), &Application::ShutDown);
    ASSERT_TRUE(app->StartUp({}));

    EXPECT_TRUE(app->isEnding());
    EXPECT_EQ(ended, 1);
    EXPECT_LT(app->trackList().count(), 100000) << "the load stopped at the quit";
    EXPECT_FALSE(ui.log.contains(QStringLiteral("show main"))) << "start-up went no further";
    EXPECT_EQ(readBytes(autoPlaylist), original) << "the half-loaded list was not saved over the file";
    EXPECT_FALSE(audio.initialized());
}

TEST_F(LifeCycle, CommandLinePathsAreAddedAsTheirDropWouldBe)
{
    const QString a = track("a.mp3"), b = track("b.mp3");
    const QString zip = home.path() + "/in/live.zip";
    writeBytes(zip, buildZip({storedFile("1.mp3"), storedFile("notes.txt"), storedFile("d/2.mp3")}));
    const QString member1 = "\"" + zip + "\"\\#ZIP#1.mp3", member2 = "\"" + zip + "\"\\#ZIP#d/2.mp3";
    const struct {
        const char *name;
        QStringList args;
        QStringList rows;
        QString address;
    } cases[] = {
        {"files", {a, b}, {a, b}, "CommandLine"},
        {"an archive lists its members", {a, zip}, {a, member1, member2}, "live"},
        // The first case's list is a playlist "CommandLine" now: a new one never takes its file.
        {"an archive not named .zip is a row", {home.path() + "/in/live.Zip"}, {home.path() + "/in/live.Zip"},
         "CommandLine (2)"},
        {"a folder replaces the list", {zip, home.path() + "/music"}, {a, b}, "music"},
    };
    for (const auto &c : cases) {
        start(c.args);
        QStringList rows;
        for (int i = 1; i <= app->trackList().count(); ++i)
            rows << app->trackList().path(i);
        QStringList expected = c.rows;
        rows.sort();
        expected.sort();
        EXPECT_EQ(rows, expected) << c.name;
        EXPECT_EQ(app->trackList().PlaylistAddress(), c.address) << c.name;
        stop();
    }
}

TEST_F(LifeCycle, AnOpenedArchiveNeverOverwritesTheListThatWasOpen)
{
    const QString a = track("a.mp3");
    const QByteArray mine = "#M3UX\r\n" + a.toUtf8() + "\r\n#a;;;\r\n";
    writeBytes(home.path() + "/Playlist/Mine.m3u", mine);
    for (const char *name : {"live.zip", "Mine.zip"})
        writeBytes(home.path() + "/in/" + name, buildZip({storedFile("1.mp3"), storedFile("2.mp3")}));
    start();
    const struct {
        const char *archive;
        const char *address;
    } cases[] = {{"live.zip", "live"}, {"Mine.zip", "Mine (2)"}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.archive);
        app->trackList().ClearList();
        app->playlists().LoadPlaylist(home.path() + "/Playlist/Mine.m3u");
        app->trackList().setPlaylistAddress(QStringLiteral("Mine"));
        const QString archive = home.path() + "/in/" + c.archive;
        ui.dialogs.answer = archive;
        app->adder().openArchiveCommand();
        EXPECT_EQ(app->trackList().count(), 2);
        EXPECT_EQ(app->trackList().PlaylistAddress(), QString::fromUtf8(c.address));
        // What switching to another playlist saves first.
        ASSERT_TRUE(app->playlists().SavePlaylist(app->trackList().PlaylistAddress(), ".m3u", false, true));
        EXPECT_EQ(readBytes(home.path() + "/Playlist/Mine.m3u"), mine);
        EXPECT_TRUE(readBytes(home.path() + "/Playlist/" + c.address + ".m3u").contains("#ZIP#2.mp3"));
    }
    stop();
}

TEST_F(LifeCycle, AFilterAtShutDownStillSavesTheWholeList)
{
    start({track("a.mp3"), track("b.mp3"), track("c.mp3")});
    app->search().setText(QStringLiteral("b.mp3"));
    ASSERT_EQ(app->trackList().count(), 1);
    stop();

    start();
    EXPECT_EQ(app->trackList().count(), 3);
    stop();
}

TEST_F(LifeCycle, MovingThePlayingFileAwayStopsItAndLetsItGo)
{
    start({track("a.mp3"), track("b.mp3")});
    app->trackList().UnselectAll();
    app->trackList().setSelected(2, true);
    app->player().PlaySelectedTrack();
    ASSERT_TRUE(app->player().isPlaying());
    app->itemCommands().MoveToDustBox();
    EXPECT_FALSE(app->player().isPlaying());
    EXPECT_EQ(app->player().stream(), 0u);
    EXPECT_EQ(app->trackList().count(), 1);
    EXPECT_EQ(app->trackList().PlayingNo(), 0);
    stop();
}

TEST_F(LifeCycle, ShutDownRunsOnce)
{
    start();
    int ended = 0;
    QObject::connect(app.get(), &Application::ended, [&](int code) {
        ++ended;
        EXPECT_EQ(code, 0);
    });
    app->ShutDown();
    app->ShutDown();
    EXPECT_EQ(ended, 1);
}

TEST_F(LifeCycle, AJournalLeftByAnUncleanEndBringsTheListBack)
{
    const QString a = track("a.mp3"), b = track("b.mp3");
    writeBytes(home.path() + "/Playlist/AutoPlaylist.m3u", "#M3UX\r\n" + a.toUtf8() + "\r\n#a;;;\r\n");
    writeBytes(home.path() + "/AutoPlaylist.journal",
               ListJournal::encode("#M3UX\r\n" + a.toUtf8() + "\r\n#a;;;\r\n" + b.toUtf8() + "\r\n#b;;;\r\n", 2,
                                   AutoPlaylistName));
    start();
    ASSERT_EQ(app->trackList().count(), 2);
    EXPECT_EQ(app->trackList().path(2), b);
    EXPECT_EQ(app->trackList().statusText(), Application::recoveredNotice());
    stop();
    EXPECT_FALSE(QFileInfo::exists(home.path() + "/AutoPlaylist.journal"));
    EXPECT_TRUE(readBytes(home.path() + "/Playlist/AutoPlaylist.m3u").contains(b.toUtf8()));

    start();
    EXPECT_NE(app->trackList().statusText(), Application::recoveredNotice()) << "a clean end is no recovery";
    stop();
}

TEST_F(LifeCycle, AReadOnlyPlayerWritesNothingIntoTheProgramFolder)
{
    const QString a = track("a.mp3"), b = track("b.mp3");
    start({a});
    stop();
    const QByteArray list = readBytes(home.path() + "/Playlist/AutoPlaylist.m3u");
    const QByteArray ini = readBytes(home.path() + "/Velmora.ini");
    writeBytes(home.path() + "/AutoPlaylist.journal", "#M3UX\r\n" + b.toUtf8() + "\r\n#b;;;\r\n");

    app = std::make_unique<Application>(AppPaths(home.path(), QString(), home.path()), PlatformServices{audio, ui, archiver}, ui);
    app->setReadOnly(true);
    ASSERT_TRUE(app->StartUp({b}));
    EXPECT_EQ(app->trackList().statusText(), Application::readOnlyNotice());
    app->settings().setValue(SettingId::PlayerVolume, 3);
    ui.dialogs.answer = a; // the add command remembers the file's folder
    app->adder().addFileCommand();
    stop();
    EXPECT_EQ(readBytes(home.path() + "/Playlist/AutoPlaylist.m3u"), list);
    EXPECT_EQ(readBytes(home.path() + "/Velmora.ini"), ini);
    EXPECT_TRUE(QFileInfo::exists(home.path() + "/AutoPlaylist.journal")) << "the owner's journal is the owner's";
}

// The composition root hands every command the collaborators it needs: each
// entry runs what a menu entry runs and checks that the collaborator it
// needs was reached.
TEST_F(LifeCycle, EveryCommandReachesItsCollaborators)
{
    const QString a = track("a.mp3"), b = track("b.mp3");
    const struct {
        const char *name;
        std::function<void(Application &)> command;
        std::function<bool(Application &, const RecordingWindows &)> reached;
    } cases[] = {
        {"adding a file asks the file dialog", [](Application &app) { app.adder().addFileCommand(); },
         [](Application &, const RecordingWindows &ui) {
             return ui.dialogs.asked.value(0).startsWith(TrackAdder::AudioFileFilter);
         }},
        {"opening a folder asks the folder dialog", [](Application &app) { app.adder().openFolderCommand(); },
         [](Application &, const RecordingWindows &ui) {
             return ui.dialogs.asked.value(0).startsWith(TrackAdder::FolderDialogTitle);
         }},
        {"opening an archive asks the file dialog", [](Application &app) { app.adder().openArchiveCommand(); },
         [](Application &, const RecordingWindows &ui) {
             return ui.dialogs.asked.value(0).startsWith(TrackAdder::ZipFileFilter);
         }},
        {"copying to a folder asks the folder dialog", [](Application &app) { app.itemCommands().CopyToFolder(); },
         [](Application &, const RecordingWindows &ui) {
             return ui.dialogs.asked.value(0).startsWith(TrackAdder::FolderDialogTitle);
         }},
        {"opening a playlist file asks the file dialog",
         [](Application &app) { app.libraryCommands().OpenPlaylistFile(); },
         [](Application &, const RecordingWindows &ui) {
             return ui.dialogs.asked.value(0).startsWith(LibraryCommands::OpenPlaylistFilter);
         }},
        {"saving the playlist beeps", [](Application &app) { app.libraryCommands().SaveOpenPlaylist(); },
         [](Application &, const RecordingWindows &ui) { return ui.beeps.beeps == 1; }},
        {"deleting files beeps", [](Application &app) { app.itemCommands().FileDelete(); },
         [](Application &, const RecordingWindows &ui) { return ui.beeps.beeps == 1; }},
        {"a new playlist's name is edited", [](Application &app) { app.libraryCommands().CreatePlaylist(); },
         [](Application &, const RecordingWindows &ui) { return ui.labels.edited.size() == 1; }},
        {"a new category's name is edited", [](Application &app) { app.libraryCommands().CreateCategory(); },
         [](Application &, const RecordingWindows &ui) { return ui.labels.edited.size() == 1; }},
        {"the properties leave the always-on-top layer",
         [](Application &app) {
             app.settings().setValue(SettingId::Foremost, 1);
             app.itemCommands().ShowProperties(1);
         },
         [](Application &app, const RecordingWindows &) { return !app.settings().isOn(SettingId::Foremost); }},
        {"a cleared list is named by the clock", [](Application &app) { app.itemCommands().ClearPlaylist(); },
         [](Application &app, const RecordingWindows &) {
             return app.trackList().PlaylistAddress() == QStringLiteral("Playlist20240131093005");
         }},
        {"a new playlist is named by the clock", [](Application &app) { app.libraryCommands().CreatePlaylist(); },
         [](Application &app, const RecordingWindows &) {
             // The playlist an earlier case made has that name: this one gets a free one.
             return app.trackList().PlaylistAddress().startsWith(QStringLiteral("Playlist202401310930"));
         }},
        {"a rebuild finds the playing track and shows it",
         [this](Application &app) {
             app.player().PlaySelectedTrack();
             ui.scrolledTo = 0;
             app.itemCommands().Rebuild();
         },
         [b](Application &app, const RecordingWindows &ui) {
             const int pos = app.trackList().PlayingNo();
             return pos != 0 && app.trackList().path(pos) == b && ui.scrolledTo == pos;
         }},
        {"deleting the playing file lets the player go",
         [](Application &app) {
             app.player().PlaySelectedTrack();
             app.itemCommands().FileDelete();
         },
         [](Application &app, const RecordingWindows &) { return app.player().stream() == 0; }},
    };
    for (const auto &c : cases) {
        ui.dialogs = {};
        ui.beeps.beeps = 0;
        ui.labels.edited.clear();
        ui.scrolledTo = 0;
        ui.answer = MessageService::Yes;
        start({a, b});
        app->trackList().UnselectAll();
        app->trackList().setSelected(2, true);
        c.command(*app);
        EXPECT_TRUE(c.reached(*app, ui)) << c.name;
        stop();
    }
}

// The paths a playlist file holds, in order.
QStringList pathsIn(const QString &playlist)
{
    QStringList paths;
    for (const QByteArray &line : readBytes(playlist).split('\n'))
        if (!line.startsWith('#') && !line.trimmed().isEmpty())
            paths << QString::fromUtf8(line.trimmed());
    return paths;
}

QStringList rowsOf(const TrackList &list)
{
    QStringList paths;
    for (int i = 1; i <= list.count(); ++i)
        paths << list.path(i);
    return paths;
}

// Whatever replaces the open list, its rows stay where the user can open
// them again (its own playlist file), and the list open at the end is the
// list of the next start.
TEST_F(LifeCycle, ReplacingTheOpenListKeepsItsRowsInItsOwnFile)
{
    const QString album = home.path() + "/album";
    const QString folderTrack = album + "/f.mp3";
    writeBytes(folderTrack, "x");
    audio.addFile(folderTrack, 5000);
    const QString zip = home.path() + "/in/set.zip";
    writeBytes(zip, buildZip({storedFile("1.mp3"), storedFile("2.mp3")}));
    const QString external = home.path() + "/in/Party.m3u";
    writeBytes(external, "#M3UX\r\n" + folderTrack.toUtf8() + "\r\n#f;;;\r\n");
    const QString autoPlaylist = home.path() + "/Playlist/AutoPlaylist.m3u";

    const struct {
        const char *name;
        std::function<void()> replace;
        const char *address; // the new list's; empty: a fresh name of its own
    } cases[] = {
        {"a start with paths", [&] { stop(); start({zip}); }, "set"},
        {"フォルダを開く", [&] {
             ui.dialogs.answer = album;
             app->adder().openFolderCommand();
         }, "album"},
        {"ZIP書庫を開く", [&] {
             ui.dialogs.answer = zip;
             app->adder().openArchiveCommand();
         }, "set"},
        {"a folder dropped", [&] { app->adder().AddDroppedFiles({album}); }, "album"},
        {"プレイリストの新規作成(クリア)", [&] { app->itemCommands().ClearPlaylist(); }, ""},
        {"プレイリストを開く", [&] {
             ui.dialogs.answer = external;
             app->libraryCommands().OpenPlaylistFile();
         }, "Party"},
    };
    QStringList session;
    for (int i = 1; i <= 7; ++i)
        session << track(QStringLiteral("s%1.mp3").arg(i));
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        QDir(home.path() + "/Playlist").removeRecursively();
        QFile::remove(home.path() + "/OpenPlaylist.txt");
        ui.dialogs.answer.clear();
        start();
        app->adder().AddDroppedFiles(session); // seven rows, not saved yet
        c.replace();
        const QString address = app->trackList().PlaylistAddress();
        if (*c.address) {
            EXPECT_EQ(address, QString::fromUtf8(c.address));
        }
        EXPECT_NE(address, AutoPlaylistName);
        EXPECT_EQ(pathsIn(autoPlaylist), session) << "the replaced list is in its own file at once";
        const QStringList replacing = rowsOf(app->trackList());
        stop();
        EXPECT_EQ(pathsIn(autoPlaylist), session) << "the end wrote another list over it";
        EXPECT_EQ(pathsIn(home.path() + "/Playlist/" + address + ".m3u"), replacing);

        start();
        EXPECT_EQ(app->trackList().PlaylistAddress(), address) << "the list open at the end opens again";
        EXPECT_EQ(app->library().selectedKey(), address + ".m3u");
        EXPECT_EQ(rowsOf(app->trackList()), replacing);
        stop();
    }
}

TEST_F(LifeCycle, TheFilesOfAnEarlierVersionOpenAsBefore)
{
    // A program folder without the name of the open list: the automatic playlist.
    const QString a = track("a.mp3");
    writeBytes(home.path() + "/Playlist/AutoPlaylist.m3u", "#M3UX\r\n" + a.toUtf8() + "\r\n#a;;;\r\n");
    writeBytes(home.path() + "/Playlist/Rock.m3u", "#M3UX\r\n");
    start();
    EXPECT_EQ(app->trackList().PlaylistAddress(), AutoPlaylistName);
    EXPECT_EQ(rowsOf(app->trackList()), QStringList{a});
    stop();
    // A remembered list whose file went: the automatic playlist again.
    writeBytes(home.path() + "/OpenPlaylist.txt", "Gone\n");
    start();
    EXPECT_EQ(app->trackList().PlaylistAddress(), AutoPlaylistName);
    stop();
}

// A clean quit while a large playlist is being added: the next start finds
// no journal to "restore", and the list as it was before the add is saved.
TEST_F(LifeCycle, AQuitDuringALargeAddLeavesNoJournalBehind)
{
    int argc = 1;
    char name[] = "test_app";
    char *argv[] = {name, nullptr};
    QCoreApplication events(argc, argv); // the load lets events run, as in the program
    const QString a = track("a.mp3"), b = track("b.mp3");
    const QString big = home.path() + "/in/big.m3u";
    writeBytes(big, bigPlaylist(track("many.mp3"), 100000));
    start({a, b});
    const QString address = app->trackList().PlaylistAddress();
    ASSERT_TRUE(app->journal().flush());
    QTimer::singleShot(0, app.get(), &Application::ShutDown); // arrives at the load's first yield
    app->adder().AddDroppedFiles({big});
    ASSERT_TRUE(app->isEnding());
    ASSERT_LT(app->trackList().count(), 100000) << "the add stopped at the quit";
    app.reset();

    EXPECT_FALSE(QFileInfo::exists(home.path() + "/AutoPlaylist.journal"));
    EXPECT_EQ(pathsIn(home.path() + "/Playlist/" + address + ".m3u"), (QStringList{a, b, big}))
        << "the rows before the add, with the added playlist's own row";
    start();
    EXPECT_NE(app->trackList().statusText(), Application::recoveredNotice());
    EXPECT_EQ(app->trackList().count(), 3);
    stop();
}

TEST_F(LifeCycle, TheRemoteControlsOpenPlaysWhatItOpened)
{
    const struct {
        const char *name;
        bool alreadyListed;
        bool viaOpenUri; // otherwise another start hands the path over
        bool plays;
    } cases[] = {
        {"a new file while another plays", false, true, true},
        {"a file the list holds already", true, true, true},
        {"a hand-over only adds", false, false, false},
    };
    start();
    const QString first = track("first.mp3");
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        app->trackList().ClearList();
        app->adder().AddDroppedFiles({first});
        const QString opened = track(QStringLiteral("opened-%1.mp3").arg(c.name));
        if (c.alreadyListed)
            app->adder().AddDroppedFiles({opened});
        app->trackList().setSelected(1, true);
        app->player().PlaySelectedTrack();
        ASSERT_EQ(app->trackList().PlayingNo(), 1);

        int raised = 0;
        DesktopIntegration desktop(*app, [&] { ++raised; });
        if (c.viaOpenUri)
            desktop.openAndPlay(RemoteControl::pathsToOpen(QUrl::fromLocalFile(opened).toString()));
        else
            desktop.openHandedOver({opened});

        EXPECT_EQ(raised, 1);
        const int playing = app->trackList().PlayingNo();
        ASSERT_NE(playing, 0);
        EXPECT_EQ(app->trackList().path(playing), c.plays ? opened : first);
        EXPECT_TRUE(app->player().isPlaying());
    }
    stop();
}

// Paths that arrive from outside never reach the desktop's opener or any
// other program: a file that cannot be played is marked, nothing more.
TEST_F(LifeCycle, NothingFromOutsideReachesAnotherProgram)
{
    const QString passwd = home.path() + "/etc/passwd";
    writeBytes(passwd, "root:x:0:0:root:/root:/bin/bash\n");
    const QString launcher = home.path() + "/in/run.desktop";
    writeBytes(launcher, "[Desktop Entry]\nExec=touch /tmp/owned\n");
    const QString shortWav = home.path() + "/in/short.wav";
    writeBytes(shortWav, "RIFF");
    audio.addBrokenFile(shortWav, AudioLibrary::ErrFileBad); // a header and nothing more
    const QString list = home.path() + "/in/list.m3u";
    writeBytes(list, "#M3UX\r\n" + passwd.toUtf8() + "\r\n#p;;;\r\n" + shortWav.toUtf8() + "\r\n#s;;;\r\n");
    const QStringList outside = {passwd, launcher, shortWav};

    const struct {
        const char *name;
        std::function<void()> arrive;
    } cases[] = {
        {"the command line", [&] { stop(); start(outside); }},
        {"a hand-over or the remote control's OpenUri", [&] {
             DesktopIntegration desktop(*app, [] {});
             desktop.openHandedOver(outside);
         }},
        {"a playlist file", [&] { app->adder().AddDroppedFiles({list}); }},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        QDir(home.path() + "/Playlist").removeRecursively();
        start();
        app->trackList().ClearList();
        c.arrive();
        ASSERT_GE(app->trackList().count(), 2);
        shell.calls.clear();
        DesktopIntegration desktop(*app, [] {});
        for (int pos = 1; pos <= app->trackList().count(); ++pos) {
            app->trackList().UnselectAll();
            app->trackList().setSelected(pos, true);
            desktop.remote().play();
        }
        EXPECT_TRUE(shell.calls.isEmpty()) << shell.calls.join(u',').toStdString();
        for (int pos = 1; pos <= app->trackList().count(); ++pos) {
            if (app->trackList().path(pos) != list) {
                EXPECT_EQ(app->trackList().icon(pos), 9) << app->trackList().path(pos).toStdString();
            }
        }
        stop();
    }
}

} // namespace
