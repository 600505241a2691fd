#pragma once

#include "app/ArchiveGlue.h"
#include "app/SettingsRoles.h"
#include "core/AppPaths.h"
#include "core/Clock.h"
#include "library/LibraryCommands.h"
#include "library/LibraryTree.h"
#include "playback/OutputDeviceWatch.h"
#include "playback/Player.h"
#include "playback/TrackDetailsSource.h"
#include "playlist/ItemCommands.h"
#include "playlist/PlaylistSearch.h"
#include "playlist/ListJournal.h"
#include "playlist/OpenListKeeper.h"
#include "playlist/PlaylistStore.h"
#include "playlist/TrackAdder.h"
#include "playlist/TrackList.h"
#include "playback/TrackProperties.h"
#include "settings/SettingsStore.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <memory>

class AudioLibrary;
class AppWindows;
class Archiver;
class MessageBoxService;
class MessageService;
class RandomSource;
class ScreenAreas;
class ShellService;
class TagFiller;
class TrackDetailsSource;
class TrackInfoSource;

// The platform services the program runs on: the real ones in the program,
// doubles in tests. The optional ones may be null.
struct PlatformServices {
    AudioLibrary &audio;
    MessageBoxService &box;
    Archiver &archiver;
    // The desktop shell; without it nothing is handed to other programs.
    ShellService *shell = nullptr;
    // The screens; without them window positions are not checked.
    const ScreenAreas *screens = nullptr;
    // The Random play mode's source; without it the system's entropy.
    RandomSource *random = nullptr;
    // The clock that stamps default names; without it the system clock.
    const Clock *clock = nullptr;
    // Reads tags and lengths for the list in the background; without it the
    // cells of a row fill only when it plays.
    TrackInfoSource *trackInfo = nullptr;
    // Reads a track's details for its properties window; without it the
    // audio library's streams give them (no format).
    TrackDetailsSource *details = nullptr;
};

// The composition root of the program's logic: owns the models and
// operations, wires them to the platform services and windows it is given,
// and runs the start-up and shut-down sequences, each in its fixed order.
class Application : public QObject
{
    Q_OBJECT
public:
    static constexpr int OutputRate = 44100;
    static constexpr int OutputChannels = 32;

    Application(AppPaths paths, const PlatformServices &platform, AppWindows &windows, QObject *parent = nullptr);
    ~Application() override;

    // The application's title, used by the message box.
    static QString title() { return QStringLiteral("Velmora"); }

    // The status text (short: the status box is narrow) after the list was
    // recovered from its journal ("list restored"), and while another player
    // owns the program folder ("read-only").
    static QString recoveredNotice() { return OpenListKeeper::recoveredNotice(); }
    static QString readOnlyNotice() { return QStringLiteral("読み取り専用"); }

    // Another player owns the program folder: this one reads it but writes
    // nothing into it by itself (the list, the settings, the resume point,
    // the remembered folders, the journal). Set before StartUp.
    void setReadOnly(bool readOnly) { m_readOnly = readOnly; }

    // Runs the start-up steps. Returns false when the audio library could
    // not start: the user has been told, nothing else was touched, and the
    // program must end with a non-zero status. A quit asked for during
    // start-up (events run while the list loads) ends it early: isEnding()
    // is then true and the program ends without entering its event loop.
    bool StartUp(const QStringList &commandLinePaths);

    // Saves everything and releases the audio library, then emits ended(0)
    // once the windows are gone (after their fade-out when fades are on).
    // Runs at most once; later calls do nothing.
    void ShutDown();

    // Empties the list without saving and adds `paths` in order as a drop of
    // them would (TrackAdder::openCommandLinePaths); nothing plays.
    void OpenCommandLine(const QStringList &paths);

    // "ヘルプ": the bundled manual in the desktop's program for it; says so
    // (DocumentNotOpenedMessage) when the desktop has none.
    void ShowManual();

    bool isEnding() const { return m_ending; }

    const AppPaths &paths() const { return m_paths; }
    const Clock &clock() const { return m_clock; }
    MessageService &messages() { return *m_messages; }
    SettingsStore &settings() { return m_settings; }
    TrackList &trackList() { return m_list; }
    PlaylistStore &playlists() { return m_playlists; }
    TrackAdder &adder() { return m_adder; }
    Player &player() { return m_player; }
    AudioLibrary &audio() { return m_audio; }
    LibraryTree &library() { return m_library; }
    PlaylistSearch &search() { return m_search; }
    ItemCommands &itemCommands() { return m_items; }
    ListJournal &journal() { return m_journal; }
    LibraryCommands &libraryCommands() { return m_libraryCommands; }
    // The facts of a row for its properties window.
    const TrackPropertiesReader &trackProperties() const { return m_properties; }
    // The desktop shell; null when none was given.
    ShellService *shell() { return m_shell; }
    // The versions the audio library's components and the archiver report.
    QStringList audioComponentVersions() const;
    // The output devices the audio library reports now.
    QStringList outputDevices() const;
    QString archiverVersion() const;

Q_SIGNALS:
    // The program should end now with `exitCode`.
    void ended(int exitCode);

private:
    void wireSettings();
    void wireSearch();
    // The track list takes its text colours from colour slots 0 and 2.
    void takeRowColors();
    // The audio library takes the levelling and device settings.
    void applySoundOptions();
    void LoadResume();
    void SaveResume();

    AppPaths m_paths;
    AudioLibrary &m_audio;
    AppWindows &m_windows;
    std::unique_ptr<MessageService> m_messages;
    Archiver &m_archiver;
    ShellService *m_shell = nullptr;
    const ScreenAreas *m_screens = nullptr;
    SettingsStore m_settings;
    SystemClock m_systemClock;
    const Clock &m_clock;
    ArchiveTracks m_archiveTracks;
    SettingsRoles m_settingsRoles;
    // Each object below is built after the ones it is handed.
    LibraryTree m_library;
    TrackList m_list;
    PlaylistStore m_playlists;
    TrackAdder m_adder;
    Player m_player;
    PlaylistSearch m_search;
    ItemCommands m_items;
    ListJournal m_journal;
    LibraryCommands m_libraryCommands;
    OpenListKeeper m_openList{m_list, m_playlists, m_journal, m_paths.openListNamePath()};
    OutputDeviceWatch m_deviceWatch{m_audio, *m_messages};
    std::unique_ptr<TagFiller> m_tagFiller; // built after (so gone before) the list it fills
    QString m_tempFolderPath;
    AudioLibraryDetails m_audioDetails{m_audio};
    TrackPropertiesReader m_properties;
    std::uint32_t m_startOutputVolume = 0;
    bool m_started = false;
    bool m_listInPlace = false; // the last run's list is loaded: the list may be saved
    bool m_ending = false;
    bool m_readOnly = false;
};
