#include "playlist/ItemCommands.h"

#include "core/AlwaysOnTop.h"
#include "core/Beeper.h"
#include "core/Clock.h"
#include "core/EventPump.h"
#include "core/FileDialogs.h"
#include "core/MessageService.h"
#include "core/ShellService.h"
#include "playlist/CommandSettings.h"
#include "playlist/ListScroller.h"
#include "playlist/ListViewCommands.h"
#include "playlist/PathNames.h"
#include "playlist/PlaylistFile.h"
#include "playlist/PlaylistSearch.h"
#include "playlist/PlaylistStore.h"
#include "playlist/TrackAdder.h"
#include "playlist/TrackList.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>
#include <cstdlib>

const QString ItemCommands::TagEditorMissing =
    QStringLiteral("タグエディタが見つかりません。指定場所を確認してください。");
const QString ItemCommands::DustBoxFolderName = QStringLiteral("ごみ箱");

ItemCommands::ItemCommands(TrackList &list, PlaylistStore &store, TrackAdder &adder, PlaylistSearch &search,
                           MessageService &messages, ShellService *shell, const ItemCommandServices &services)
    : m_list(list)
    , m_store(store)
    , m_adder(adder)
    , m_search(search)
    , m_messages(messages)
    , m_shell(shell)
    , m_services(services)
{
}

QString ItemCommands::UniqueFilePath(const QString &folder, const QString &fileName)
{
    const QString base = folder.endsWith(u'/') ? folder : folder + u'/';
    QString candidate = base + fileName;
    if (!QFileInfo::exists(candidate) && !QFileInfo(candidate).isSymLink())
        return candidate;
    // "name.ext" -> "name (2).ext"; a name that starts with its only dot
    // (".hidden") has no extension.
    const qsizetype dot = fileName.lastIndexOf(u'.');
    const QString stem = dot > 0 ? fileName.left(dot) : fileName;
    const QString extension = dot > 0 ? fileName.mid(dot) : QString();
    for (int n = 2;; ++n) {
        candidate = base + stem + QStringLiteral(" (%1)").arg(n) + extension;
        if (!QFileInfo::exists(candidate) && !QFileInfo(candidate).isSymLink())
            return candidate;
    }
}

QString ItemCommands::ClearedAddress(const QDateTime &when)
{
    return QStringLiteral("Playlist") + when.toString(QStringLiteral("yyyyMMdd")) +
           when.toString(QStringLiteral("HHmmss"));
}

int ItemCommands::targetRow(int focused) const
{
    if (m_list.isSelected(focused))
        return focused;
    for (int i = 1; i <= m_list.count(); ++i) {
        if (m_list.isSelected(i))
            return i;
    }
    return 0;
}

QStringList ItemCommands::selectedPaths() const
{
    QStringList paths;
    QSet<QString> seen;
    for (const TrackRow &r : m_list.rows()) {
        if (!r.isSelected())
            continue;
        const QString path = r.path().toString();
        if (!seen.contains(path)) {
            seen.insert(path);
            paths << path;
        }
    }
    return paths;
}

QString ItemCommands::fileOf(int pos) const
{
    const QString path = m_list.path(pos);
    // An archive member's file is its archive.
    return IsArchiveMemberPath(path) ? ArchivePathOfMember(path) : path;
}

void ItemCommands::release(const QString &path)
{
    m_services.playing.releaseFile(path);
}

void ItemCommands::report(const Outcome &outcome, const QString &failedText)
{
    QStringList notes;
    if (outcome.archiveMembers > 0)
        notes << QStringLiteral("書庫内%1件除外").arg(outcome.archiveMembers);
    if (outcome.failed > 0)
        notes << failedText.arg(outcome.failed);
    if (outcome.renamed > 0)
        notes << QStringLiteral("別名%1件").arg(outcome.renamed);
    if (!notes.isEmpty())
        m_list.setStatusText(notes.join(u' ')); // short: the status box is narrow
}

void ItemCommands::afterRemoval(const Outcome &outcome, const QString &failedText)
{
    m_list.RenumberList();
    if (m_list.count() == 0)
        m_services.playing.closeStream();
    m_list.UpdateStatus();
    m_list.PlayingNoUpdate();
    report(outcome, failedText);
}

void ItemCommands::ListDelete()
{
    RowsOnlyDeletion rows(m_services.playing);
    m_list.ListItemDelete(0, rows);
    m_list.PlayingNoUpdate();
}

void ItemCommands::FileDelete()
{
    // Asks through the message box, sends files to the desktop's trash and
    // counts what could not go.
    class ToTrash final : public RowDeletion
    {
    public:
        explicit ToTrash(ItemCommands &commands) : m_commands(commands) {}
        bool askYesNo(const QString &question) override
        {
            return m_commands.m_messages.ShowMessage(true, question,
                                                     MessageService::YesNo | MessageService::Question) ==
                   MessageService::Yes;
        }
        bool recycle(const QString &path) override
        {
            if (IsArchiveMemberPath(path)) {
                ++outcome.archiveMembers;
                return false;
            }
            m_commands.release(path);
            if (!m_commands.m_shell || !m_commands.m_shell->remove(path, true)) {
                ++outcome.failed;
                return false;
            }
            gone << path;
            return true;
        }
        void listEmptied() override { m_commands.m_services.playing.closeStream(); }

        Outcome outcome;
        QStringList gone;

    private:
        ItemCommands &m_commands;
    } deletion(*this);
    if (!m_list.ListItemDelete(1, deletion))
        return; // answered No
    m_list.PlayingNoUpdate();
    m_search.forgetFiles(deletion.gone);
    report(deletion.outcome, QStringLiteral("削除失敗%1件"));
    m_services.beeper.beep();
}

void ItemCommands::MoveToDustBox()
{
    const QString folder = m_store.playlistFolder() + DustBoxFolderName + u'/';
    const QString folderPath = QDir::cleanPath(folder);
    QDir().mkpath(folder); // a move into a missing folder fails below and says so
    struct Track {
        QString path;
        PlaylistRecord record;
    };
    QList<Track> tracks;
    QSet<QString> seen;
    for (const TrackRow &r : m_list.rows()) {
        const QString path = r.path().toString();
        if (!r.isSelected() || seen.contains(path))
            continue;
        seen.insert(path);
        tracks.append({path, {QString(), r.title().toString(), r.artist().toString(), r.time().toString(),
                              r.bitRate().toString()}});
    }

    Outcome outcome;
    QSet<QString> moved;
    QList<PlaylistRecord> records;
    for (Track &t : tracks) {
        if (IsArchiveMemberPath(t.path)) {
            ++outcome.archiveMembers;
            continue;
        }
        if (QFileInfo(t.path).absolutePath() == folderPath) {
            ++outcome.failed; // already in the dust box
            continue;
        }
        release(t.path);
        const QString target = UniqueFilePath(folder, FileNameOf(t.path));
        if (m_shell && QFileInfo(folder).isDir() && m_shell->move(t.path, target)) {
            moved.insert(t.path);
            t.record.path = target;
            records << t.record;
        } else {
            ++outcome.failed;
        }
        EventPump::yield();
    }
    // Moved files stay in the dust-box folder even if their records cannot
    // be written.
    if (!records.isEmpty())
        AppendPlaylistRecords(m_store.playlistFolder() + DustBoxFileName, records);

    m_list.removeRowsWhere([&moved](const TrackRow &r) { return r.isSelected() && moved.contains(r.path().toString()); });
    m_search.forgetFiles(QStringList(moved.begin(), moved.end()));
    afterRemoval(outcome, QStringLiteral("移動失敗%1件"));
}

void ItemCommands::AddToFavourites()
{
    QList<PlaylistRecord> records;
    for (const TrackRow &r : m_list.rows()) {
        if (r.isSelected())
            records.append({r.path().toString(), r.title().toString(), r.artist().toString(), r.time().toString(),
                            r.bitRate().toString()});
    }
    if (!records.isEmpty())
        AppendPlaylistRecords(m_store.playlistFolder() + FavouritesFileName, records); // skipped on failure
}

int ItemCommands::PlayNext(int focused)
{
    if (!m_list.isValidPos(focused))
        return 0;
    int s = focused;
    const int p = m_list.PlayingNo();
    if (p >= s) {
        // Down to the playing row's place; the playing row moves up one.
        for (int c = p - s; c > 0; --c, ++s)
            ListViewCommands::DragItemSwap(m_list, s, s + 1);
        if (focused < p)
            m_list.setPlayingNo(p - 1);
        m_list.PlayingNoUpdate();
    } else {
        // Up to just below the playing row (the top when nothing plays).
        for (int c = s - p - 1; c > 0; --c, --s)
            ListViewCommands::DragItemSwap(m_list, s, s - 1);
    }
    m_list.RenumberList();
    return s;
}

void ItemCommands::RemoveErrorTracks()
{
    m_list.removeRowsWhere([](const TrackRow &r) { return r.icon() == TrackRow::FailedIcon; });
    m_list.RenumberList();
    m_list.PlayingNoUpdate();
}

void ItemCommands::ClearPlaylist()
{
    if (!m_store.KeepOpenList())
        return;
    m_store.CloseList(false);
    m_list.setPlaylistAddress(ClearedAddress(m_services.clock.localNow()));
    m_list.UpdateStatus();
}

void ItemCommands::Rebuild()
{
    m_adder.RebuildList();
    const int pos = m_list.PlayingTrackRestore(m_services.playing.PlayingFilePath());
    if (pos != 0)
        m_services.scroller.scrollToRow(pos);
}

void ItemCommands::OpenInTagEditor()
{
    const QString editor = m_services.settings.tagEditorPath();
    Outcome outcome;
    for (const QString &path : selectedPaths()) {
        if (IsArchiveMemberPath(path)) {
            ++outcome.archiveMembers;
            continue;
        }
        // The editor and the track each arrive whole, spaces and all: the
        // path is one argument, never a command line to be split.
        if (editor.trimmed().isEmpty() || !m_shell || !m_shell->startProgram(editor, path)) {
            m_messages.ShowMessage(false, TagEditorMissing, MessageService::OkOnly);
            return;
        }
        EventPump::yield();
    }
    report(outcome, QString());
}

void ItemCommands::ShowProperties(int focused)
{
    const int pos = targetRow(focused);
    if (pos != 0)
        ShowDesktopProperties(fileOf(pos));
}

void ItemCommands::ShowDesktopProperties(const QString &file)
{
    if (!m_shell)
        return;
    m_services.topmost.leaveTopmost();
    if (!m_shell->showProperties(file))
        m_messages.ShowMessage(false, FolderNotShownMessage(QFileInfo(file).absolutePath()), MessageService::Exclamation);
}

void ItemCommands::OpenContainingFolder(int focused)
{
    const int pos = targetRow(focused);
    if (pos == 0)
        return;
    const QString file = fileOf(pos);
    if (!m_shell || !m_shell->revealInFileManager(file))
        m_messages.ShowMessage(false, FolderNotShownMessage(QFileInfo(file).absolutePath()), MessageService::Exclamation);
}

void ItemCommands::CopyToFolder()
{
    const QString target = m_services.dialogs.chooseFolder(TrackAdder::FolderDialogTitle, m_adder.strSelectFolder());
    if (target.isEmpty())
        return;
    Outcome outcome;
    for (const QString &path : selectedPaths()) {
        if (IsArchiveMemberPath(path)) {
            ++outcome.archiveMembers;
            continue;
        }
        m_list.setStatusText(QStringLiteral("Now Copying..."));
        const QString name = FileNameOf(path);
        const QString destination = UniqueFilePath(target, name);
        if (!m_shell || !m_shell->copy(path, destination))
            ++outcome.failed;
        else if (FileNameOf(destination) != name)
            ++outcome.renamed;
        EventPump::yield();
    }
    m_list.RenumberList();
    m_list.UpdateStatus();
    report(outcome, QStringLiteral("コピー失敗%1件"));
    m_services.beeper.beep();
}

void ItemCommands::CopyPath()
{
    QStringList paths;
    for (const TrackRow &r : m_list.rows())
        if (r.isSelected())
            paths << r.path().toString();
    if (!paths.isEmpty() && m_shell)
        m_shell->setClipboardText(paths.join(u'\n'));
}
