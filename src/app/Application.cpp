#include "app/Application.h"

#include "app/AppWindows.h"
#include "app/ArchiveGlue.h"
#include "archive/Archiver.h"
#include "archive/ZipOperations.h"
#include "core/EventPump.h"
#include "core/MessageService.h"
#include "core/ScreenAreas.h"
#include "core/ShellService.h"
#include "playback/AudioLibrary.h"
#include "playback/TagFiller.h"
#include "playback/PlaybackDisplay.h"
#include "playlist/PlaylistFile.h"

#include <QDir>

Application::Application(AppPaths paths, const PlatformServices &platform, AppWindows &windows, QObject *parent)
    : QObject(parent)
    , m_paths(std::move(paths))
    , m_audio(platform.audio)
    , m_windows(windows)
    , m_messages(std::make_unique<MessageService>(platform.box, windows, title()))
    , m_archiver(platform.archiver)
    , m_shell(platform.shell)
    , m_screens(platform.screens)
    , m_clock(platform.clock ? *platform.clock : m_systemClock)
    , m_archiveTracks(platform.archiver)
    , m_settingsRoles(m_settings, m_paths, m_readOnly)
    , m_library(m_paths.playlistFolder())
    , m_playlists(m_list, m_paths.playlistFolder(), m_library)
    , m_adder(m_list, m_playlists, m_settingsRoles, m_archiveTracks, m_library, windows.fileDialogs())
    , m_player(platform.audio, m_list, windows.playbackDisplay())
    , m_search(m_list, m_playlists, m_player, windows.playbackDisplay())
    , m_items(m_list, m_playlists, m_adder, m_search, *m_messages, platform.shell,
              ItemCommandServices{.playing = m_player,
                                  .settings = m_settingsRoles,
                                  .topmost = m_settingsRoles,
                                  .scroller = windows.playbackDisplay(),
                                  .dialogs = windows.fileDialogs(),
                                  .beeper = windows.beeper(),
                                  .clock = m_clock})
    , m_journal(m_list, m_paths.listJournalPath())
    , m_libraryCommands(m_library, m_list, m_playlists, m_adder, *m_messages, platform.shell,
                        LibraryCommandServices{.search = m_search,
                                               .playing = m_player,
                                               .settings = m_settingsRoles,
                                               .scroller = windows.playbackDisplay(),
                                               .labels = windows.labelEditor(),
                                               .dialogs = windows.fileDialogs(),
                                               .topmost = m_settingsRoles,
                                               .beeper = windows.beeper(),
                                               .clock = m_clock})
    , m_properties(
          platform.details ? *platform.details : m_audioDetails,
          [this](const QString &entry, const QString &folder) { return ZipItemExtract(m_archiver, entry, folder); },
          [this] { return m_tempFolderPath; })
{
    m_player.setRandomSource(platform.random);
    m_libraryCommands.setRandomSource(platform.random);
    EventPump::setStopRequested(false);
    m_messages->setForemostChecked([this] { return m_settings.isOn(SettingId::Foremost); });
    m_player.setZipItemExtract(makeMemberExtractor(m_archiver, [this] { return m_tempFolderPath; }));
    if (platform.trackInfo) {
        m_tagFiller = std::make_unique<TagFiller>(m_list, m_search, *platform.trackInfo);
    }
    wireSettings();
    wireSearch();
}

void Application::wireSearch()
{
    // Every save writes the whole list: a filter puts the full rows back first.
    m_playlists.setBeforeSave([this] { m_search.clear(); });
    m_journal.setSearch(&m_search);
}

Application::~Application() = default;

void Application::wireSettings()
{
    connect(&m_settings, &SettingsStore::valueChanged, this, [this](SettingId id) {
        switch (id) {
        case SettingId::PlaylistForeColor:
        case SettingId::ActiveItemColor:
            takeRowColors();
            m_list.ApplyRowColors();
            break;
        case SettingId::MiniVisualSpeed:
            m_player.setTickInterval(m_settings.value(SettingId::MiniVisualSpeed));
            break;
        case SettingId::PlayerVolume:
            m_player.setVolumePercent(m_settings.value(SettingId::PlayerVolume));
            break;
        case SettingId::WaveOutVolume:
            m_audio.setOutputVolume(SettingsStore::waveOutWord(m_settings.value(SettingId::WaveOutVolume)));
            break;
        case SettingId::ReplayGain:
        case SettingId::ReplayGainPreamp:
        case SettingId::ReplayGainClip:
        case SettingId::OutputDevice:
            applySoundOptions();
            break;
        case SettingId::Foremost:
            m_messages->SetForemost(m_settings.isOn(SettingId::Foremost));
            break;
        case SettingId::Scroll:
            m_player.setScrollMode(m_settings.value(SettingId::Scroll));
            break;
        default:
            break;
        }
    });
    // Queued: the notice is a message box, shown after the player's step.
    const auto checkDevice = [this] { m_deviceWatch.check(m_player.channel()); };
    connect(&m_player, &Player::stateChanged, this, checkDevice, Qt::QueuedConnection);
    connect(&m_player, &Player::ticked, this, checkDevice, Qt::QueuedConnection);
    connect(&m_player, &Player::playModeChanged, this,
            [this](int mode) { m_settings.setValue(SettingId::PlayMode, mode); });
    // The player holds the volume; the settings keep it for the next run.
    connect(&m_player, &Player::volumeChanged, this,
            [this](int percent) { m_settings.setValue(SettingId::PlayerVolume, percent); });
}

QStringList Application::audioComponentVersions() const
{
    return m_audio.componentVersions();
}

QStringList Application::outputDevices() const
{
    return m_audio.outputDevices();
}

void Application::applySoundOptions()
{
    m_audio.setReplayGain(m_settings.value(SettingId::ReplayGain), m_settings.value(SettingId::ReplayGainPreamp),
                          m_settings.isOn(SettingId::ReplayGainClip));
    m_audio.setOutputDevice(m_settings.text(SettingId::OutputDevice));
    m_deviceWatch.setChosen(m_settings.text(SettingId::OutputDevice));
}

QString Application::archiverVersion() const
{
    return m_archiver.versionText();
}

void Application::takeRowColors()
{
    m_list.setPlaylistForeColor(quint32(m_settings.colorRef(PlaylistForeSlot)) & 0xFFFFFF);
    m_list.setActiveItemColor(quint32(m_settings.colorRef(ActiveItemSlot)) & 0xFFFFFF);
}

bool Application::StartUp(const QStringList &commandLinePaths)
{
    // The audio library first: without it the player is of no use, and
    // nothing has been touched yet.
    if (!m_audio.init(OutputRate, OutputChannels, 0)) {
        const int code = m_audio.error();
        m_messages->ShowMessage(false, QStringLiteral("FMOD初期化エラーです\r\n") + FmodErrorText(code),
                                MessageService::OkOnly);
        return false;
    }
    m_started = true;
    // The output volume as found, put back at the end.
    m_startOutputVolume = m_audio.outputVolume();

    // The idle display.
    m_player.StopPlayback();

    // The private folder for archive members.
    m_tempFolderPath = TempFolder::make(m_paths.systemTempFolder());

    // From here on a failing step is skipped and start-up goes on.
    m_paths.prepare(); // skipped on failure

    // The settings, with the options, style, colours, play mode and scroll state.
    if (m_screens)
        m_settings.setScreenAreas(m_screens->availableAreas());
    m_settings.LoadSettings(m_paths.iniFilePath(), m_paths.colorIniFilePath());
    m_player.setPlayMode(m_settings.value(SettingId::PlayMode));
    m_player.setScrollMode(m_settings.value(SettingId::Scroll));
    m_player.setTickInterval(m_settings.value(SettingId::MiniVisualSpeed));
    takeRowColors();
    if (m_settings.isOn(SettingId::Foremost))
        m_messages->SetForemost(true);
    m_windows.applySettings();

    // The volumes.
    const SoundSettings sound = m_settings.LoadSoundSettings(m_paths.iniFilePath());
    m_player.setVolumePercent(m_settings.value(SettingId::PlayerVolume));
    m_audio.setOutputVolume(sound.storedWaveOutWord);
    m_audio.setOutputVolume(sound.sliderWaveOutWord);
    applySoundOptions();

    // The library tree.
    m_library.TreeCreate();

    // Column widths and the sort state.
    m_settings.LoadColumnSettings(m_paths.iniFilePath());
    m_list.setSortKey(m_settings.value(SettingId::SortKey));
    m_list.setSortOrder(m_settings.value(SettingId::SortOrder));
    m_list.setSorted(m_settings.isOn(SettingId::Sort));

    // The list of the last run (after an unclean end, the journal's).
    m_list.ApplyRowColors();
    m_playlists.setKeepsOpenList(!m_readOnly);
    const OpenListKeeper::Opened opened = m_openList.openAtStart(!m_readOnly);
    m_library.selectKey(opened.address + QStringLiteral(".m3u"));
    if (m_list.count() == 0)
        m_list.ClearList();
    // A quit asked for before the list was in place has ended the program
    // already, without saving an empty or half-loaded list over the file:
    // nothing more starts.
    if (m_ending)
        return true;
    m_listInPlace = true;
    if (!m_readOnly)
        m_journal.start();

    // The windows.
    m_windows.showMainWindow();

    // The command line.
    OpenCommandLine(commandLinePaths);
    if (m_ending)
        return true;

    // The last track again.
    if (m_settings.isOn(SettingId::ResumePlay))
        LoadResume();

    // The rows' text colour.
    m_list.ApplyRowColors();

    // A list that opens with nothing selected has its first row selected, so
    // the play button has a track to play.
    if (m_list.count() > 0 && m_list.SelectItemCount() == 0)
        m_list.setSelected(1, true);

    if (m_readOnly)
        m_list.setStatusText(readOnlyNotice());
    else if (!opened.notice.isEmpty())
        m_list.setStatusText(opened.notice);
    return true;
}

void Application::ShowManual()
{
    const QString manual = m_paths.bundleFolder() + QStringLiteral("manual.txt");
    if (!m_shell || !m_shell->openWithAssociatedProgram(manual))
        m_messages->ShowMessage(false, DocumentNotOpenedMessage(manual), MessageService::Exclamation);
}

void Application::OpenCommandLine(const QStringList &paths)
{
    m_adder.openCommandLinePaths(paths);
}

void Application::LoadResume()
{
    const ResumePoint point = m_settings.LoadResume(m_paths.iniFilePath());
    m_list.UnselectAll();
    if (!m_list.isValidPos(point.no))
        return; // nothing to resume; start-up goes on
    m_list.setSelected(point.no, true);
    m_player.PlaySelectedTrack();
    if (m_player.stream())
        m_audio.streamSetTime(m_player.stream(), point.positionMs);
}

void Application::SaveResume()
{
    m_settings.setValue(SettingId::ResumeNo, m_list.PlayingNo());
    m_settings.setValue(SettingId::ResumePosition, m_player.stream() ? m_audio.streamTime(m_player.stream()) : 0);
    m_settings.SaveResume(m_paths.iniFilePath());
}

void Application::ShutDown()
{
    if (m_ending)
        return;
    m_ending = true;
    // Long loops that are running under this call stop at their next yield.
    EventPump::setStopRequested(true);

    if (m_started && !m_readOnly) {
        // The open list goes to its own file (once it was loaded) and is the
        // list of the next start; its journal goes once the list is safe in
        // the file.
        if (m_listInPlace)
            m_openList.keepAtEnd();

        // The settings, then the volumes; the output volume found at start-up goes back.
        m_windows.storeWindowState();
        m_settings.SaveSettings(m_paths.iniFilePath(), m_paths.colorIniFilePath());
        m_settings.SaveSoundSettings(m_paths.iniFilePath());
    }
    if (m_started)
        m_audio.setOutputVolume(m_startOutputVolume);

    // The progress words while the temporary folder goes.
    m_windows.showTrackInfoText(QStringLiteral("Now Ending... Temporary Folder Deleting"));

    if (m_started) {
        // Where to start next time.
        if (m_settings.isOn(SettingId::ResumePlay) && !m_readOnly)
            SaveResume();

        // The audio library is closed after everything that could still
        // touch a stream has been saved.
        m_audio.close();

        // The extracted archive members.
        // (Not by a read-only player: the folder is the owner's as well.)
        if (m_settings.isOn(SettingId::TempFolderClear) && !m_tempFolderPath.isEmpty() && !m_readOnly)
            QDir(m_tempFolderPath).removeRecursively(); // skipped on failure
    }

    // The tray icon goes, the windows fade out (when fades are on),
    // and the program ends.
    m_windows.endWindows([this] { Q_EMIT ended(0); });
}
