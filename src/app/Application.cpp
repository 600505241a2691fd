#include "app/Application.h"

#include "app/AppWindows.h"
#include "app/ArchiveGlue.h"
#include "archive/Archiver.h"
#include "core/EventPump.h"
#include "core/MessageService.h"
#include "core/ScreenAreas.h"
#include "core/ShellService.h"
#include "playback/AudioLibrary.h"
#include "playback/PlaybackDisplay.h"
#include "playlist/PlaylistFile.h"

#include <QDir>

namespace {

SettingId folderSetting(const QString &key)
{
    if (key == TrackAdder::FolderKey)
        return SettingId::SelectFolder;
    if (key == TrackAdder::ZipFileFolderKey)
        return SettingId::SelectZipFilePath;
    return SettingId::SelectAudioFilePath;
}

} // namespace

Application::Application(AppPaths paths, const PlatformServices &platform, AppWindows &windows, QObject *parent)
    : QObject(parent)
    , m_paths(std::move(paths))
    , m_audio(platform.audio)
    , m_windows(windows)
    , m_messages(std::make_unique<MessageService>(platform.box, windows, title()))
    , m_archiver(platform.archiver)
    , m_shell(platform.shell)
    , m_screens(platform.screens)
    , m_playlists(m_list, m_paths.playlistFolder())
    , m_adder(m_list, m_playlists)
    , m_player(platform.audio, m_list, windows.playbackDisplay())
    , m_library(m_paths.playlistFolder())
    , m_search(m_list, m_playlists)
    , m_items(m_list, m_playlists, m_adder, m_search, *m_messages, platform.shell)
    , m_journal(m_list, m_paths.listJournalPath())
    , m_libraryCommands(m_library, m_list, m_playlists, m_adder, *m_messages, platform.shell)
{
    m_player.setRandomSource(platform.random);
    EventPump::setStopRequested(false);
    m_messages->setForemostChecked([this] { return m_settings.isOn(SettingId::Foremost); });

    AddHooks hooks;
    hooks.readOption = [this](const QString &key) { return m_settings.text(folderSetting(key)); };
    hooks.writeOption = [this](const QString &key, const QString &value) {
        if (!m_readOnly)
            m_settings.rememberFolder(folderSetting(key), value, m_paths.iniFilePath());
    };
    hooks.selectedNode = [this] { return m_library.selectedNode(); };
    hooks.listArchive = makeArchiveLister(m_archiver, [this](const QString &path, bool isMember) {
        m_adder.AddTrack(path, isMember);
    });
    hooks.openArchive = makeArchiveOpener(m_archiver);
    m_adder.setHooks(std::move(hooks));
    PlaylistTreeHooks treeHooks;
    treeHooks.selectedNodeIsCategory = [this] { return m_library.selectedIsCategory(); };
    treeHooks.reselect = [this](const QString &key) {
        m_library.TreeCreate();
        if (m_library.selectKey(key))
            m_list.setPlaylistAddress(m_library.fullPath(m_library.selectedIndex()));
        else
            m_list.setPlaylistAddress(key.chopped(qMin<qsizetype>(key.size(), 4)));
    };
    m_playlists.setTreeHooks(std::move(treeHooks));
    m_player.setZipItemExtract(makeMemberExtractor(m_archiver, [this] { return m_tempFolderPath; }));
    wireSettings();
    wireItemCommands(platform.random);
}

void Application::wireItemCommands(RandomSource *random)
{
    SearchHooks search;
    search.playingFilePath = [this] { return m_player.PlayingFilePath(); };
    search.scrollToRow = [this](int pos) { m_windows.playbackDisplay().scrollToRow(pos); };
    m_search.setHooks(std::move(search));
    // Every save writes the whole list: a filter puts the full rows back first.
    m_playlists.setBeforeSave([this] { m_search.clear(); });
    m_journal.setSearch(&m_search);

    ItemCommandHooks items;
    items.playingFilePath = [this] { return m_player.PlayingFilePath(); };
    items.releaseFile = [this](const QString &path) {
        // The file goes away: the player stops playing it and lets it go.
        if (m_player.stream() == 0 || path != m_player.PlayingFilePath())
            return;
        if (m_player.isPlaying())
            m_player.StopPlayback();
        m_player.closeStream();
    };
    items.listEmptied = [this] { m_player.closeStream(); };
    items.tagEditorPath = [this] { return m_settings.text(SettingId::TagEditorPath); };
    items.leaveTopmost = [this] {
        if (m_settings.isOn(SettingId::Foremost))
            m_settings.setValue(SettingId::Foremost, 0);
    };
    items.scrollToRow = [this](int pos) { m_windows.playbackDisplay().scrollToRow(pos); };
    m_items.setHooks(std::move(items));

    // The library's commands find the playing track and leave the
    // always-on-top layer as the item commands do.
    const ItemCommandHooks &itemHooks = m_items.hooks();
    LibraryCommandHooks &library = m_libraryCommands.hooks();
    library.playingFilePath = itemHooks.playingFilePath;
    library.leaveTopmost = itemHooks.leaveTopmost;
    library.scrollToRow = itemHooks.scrollToRow;
    m_libraryCommands.setRandomSource(random);
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

QString Application::archiverVersion() const
{
    return m_archiver.versionText();
}

void Application::takeRowColors()
{
    m_list.setPlaylistForeColor(quint32(m_settings.colorRef(0)) & 0xFFFFFF);
    m_list.setActiveItemColor(quint32(m_settings.colorRef(2)) & 0xFFFFFF);
}

bool Application::StartUp(const QStringList &commandLinePaths)
{
    // 1. The audio library first: without it the player is of no use, and
    //    nothing has been touched yet.
    if (!m_audio.init(OutputRate, OutputChannels, 0)) {
        const int code = m_audio.error();
        m_messages->ShowMessage(false, QStringLiteral("FMOD初期化エラーです\r\n") + FmodErrorText(code),
                                MessageService::OkOnly);
        return false;
    }
    m_started = true;
    // The output volume as found, put back at the end.
    m_startOutputVolume = m_audio.outputVolume();

    // 2. The idle display.
    m_player.StopPlayback();

    // 4. The private folder for archive members.
    m_tempFolderPath = TempFolder::make(m_paths.systemTempFolder());

    // 5. From here on a failing step is skipped and start-up goes on.
    m_paths.prepare(); // skipped on failure

    // 6. The settings, with the options, style, colours, play mode and scroll state.
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

    // 7. The volumes.
    const SoundSettings sound = m_settings.LoadSoundSettings(m_paths.iniFilePath());
    m_player.setVolumePercent(m_settings.value(SettingId::PlayerVolume));
    m_audio.setOutputVolume(sound.storedWaveOutWord);
    m_audio.setOutputVolume(sound.sliderWaveOutWord);

    // 8. The library tree.
    m_library.TreeCreate();

    // 11. Column widths and the sort state.
    m_settings.LoadColumnSettings(m_paths.iniFilePath());
    m_list.setSortKey(m_settings.value(SettingId::SortKey));
    m_list.setSortOrder(m_settings.value(SettingId::SortOrder));
    m_list.setSorted(m_settings.isOn(SettingId::Sort));

    // 12.-14. The list of the last run (after an unclean end, the journal's).
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

    // 15. The windows.
    m_windows.showMainWindow();

    // 16. The command line.
    OpenCommandLine(commandLinePaths);
    if (m_ending)
        return true;

    // 18. The last track again.
    if (m_settings.isOn(SettingId::ResumePlay))
        LoadResume();

    // 20. The rows' text colour.
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
        // 1. The open list goes to its own file (once it was loaded) and is
        //    the list of the next start; its journal goes once the list is
        //    safe in the file.
        if (m_listInPlace)
            m_openList.keepAtEnd();

        // 2. The settings, then the volumes; the output volume found at start-up goes back.
        m_windows.storeWindowState();
        m_settings.SaveSettings(m_paths.iniFilePath(), m_paths.colorIniFilePath());
        m_settings.SaveSoundSettings(m_paths.iniFilePath());
    }
    if (m_started)
        m_audio.setOutputVolume(m_startOutputVolume);

    // 4. The progress words while the temporary folder goes.
    m_windows.showTrackInfoText(QStringLiteral("Now Ending... Temporary Folder Deleting"));

    if (m_started) {
        // 5. Where to start next time.
        if (m_settings.isOn(SettingId::ResumePlay) && !m_readOnly)
            SaveResume();

        // 8. The audio library is closed after everything that could still
        //    touch a stream has been saved.
        m_audio.close();

        // 9. The extracted archive members.
        // (Not by a read-only player: the folder is the owner's as well.)
        if (m_settings.isOn(SettingId::TempFolderClear) && !m_tempFolderPath.isEmpty() && !m_readOnly)
            QDir(m_tempFolderPath).removeRecursively(); // skipped on failure
    }

    // 6., 10. The tray icon goes, the windows fade out (when fades are on),
    //    and the program ends.
    m_windows.endWindows([this] { Q_EMIT ended(0); });
}
