#pragma once

#include "archive/LibArchiveArchiver.h"
#include "core/AppPaths.h"
#include "library/LibraryTree.h"
#include "playback/Player.h"
#include "playlist/PlaylistStore.h"
#include "playlist/TrackAdder.h"
#include "playlist/TrackList.h"
#include "settings/SettingsStore.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <memory>

class AudioLibrary;
class AppWindows;
class MessageBoxService;
class MessageService;
class ShellService;

// The composition root of the program's logic: owns the models and
// operations, wires them to the platform services and windows it is given,
// and runs the start-up and shut-down sequences, each in its fixed order.
class Application : public QObject
{
    Q_OBJECT
public:
    static constexpr int OutputRate = 44100;
    static constexpr int OutputChannels = 32;

    Application(AppPaths paths, AudioLibrary &audio, MessageBoxService &box, AppWindows &windows,
                QObject *parent = nullptr);
    ~Application() override;

    // The application's title, used by the message box.
    static QString title() { return QStringLiteral("Velmora"); }

    // The desktop shell (optional; without it nothing is handed to other programs).
    void setShell(ShellService *shell);

    // Runs the start-up steps. Returns false when the audio library could
    // not start: the user has been told, nothing else was touched, and the
    // program must end with a non-zero status.
    bool StartUp(const QStringList &commandLinePaths);

    // Saves everything and releases the audio library, then emits ended(0).
    // Runs at most once; later calls do nothing.
    void ShutDown();

    // Empties the list without saving and adds `paths` in order; nothing plays.
    void OpenCommandLine(const QStringList &paths);

    // Gives the rows their text colours from the colour slots (slot 0, and
    // the playing row's active colour).
    void ApplyRowColors();

    bool isEnding() const { return m_ending; }

    const AppPaths &paths() const { return m_paths; }
    QString tempFolderPath() const { return m_tempFolderPath; }
    MessageService &messages() { return *m_messages; }
    AudioLibrary &audio() { return m_audio; }
    SettingsStore &settings() { return m_settings; }
    TrackList &trackList() { return m_list; }
    PlaylistStore &playlists() { return m_playlists; }
    TrackAdder &adder() { return m_adder; }
    Player &player() { return m_player; }
    Archiver &archiver() { return m_archiver; }
    LibraryTree &library() { return m_library; }
    // The desktop shell; null when none was given.
    ShellService *shell() { return m_shell; }

Q_SIGNALS:
    // The program should end now with `exitCode`.
    void ended(int exitCode);

private:
    void wireSettings();
    void LoadResume();
    void SaveResume();

    AppPaths m_paths;
    AudioLibrary &m_audio;
    AppWindows &m_windows;
    std::unique_ptr<MessageService> m_messages;
    ShellService *m_shell = nullptr;
    SettingsStore m_settings;
    TrackList m_list;
    PlaylistStore m_playlists;
    TrackAdder m_adder;
    Player m_player;
    LibArchiveArchiver m_archiver;
    LibraryTree m_library;
    QString m_tempFolderPath;
    std::uint32_t m_startOutputVolume = 0;
    bool m_started = false;
    bool m_ending = false;
};
