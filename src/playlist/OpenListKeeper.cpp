#include "playlist/OpenListKeeper.h"

#include "core/NativePath.h"
#include "core/PrivateFile.h"
#include "playlist/ListJournal.h"
#include "playlist/PathNames.h"
#include "playlist/PlaylistFile.h"
#include "playlist/PlaylistStore.h"
#include "playlist/TrackList.h"

#include <QFileInfo>

namespace {

const QString M3u = QStringLiteral(".m3u");
constexpr qint64 MaxNameBytes = 4096;

} // namespace

OpenListKeeper::OpenListKeeper(TrackList &list, PlaylistStore &store, ListJournal &journal, QString namePath)
    : m_list(list), m_store(store), m_journal(journal), m_namePath(std::move(namePath))
{
}

QString OpenListKeeper::setAsideNotice(const QString &path)
{
    if (path.isEmpty())
        return QStringLiteral("壊れた一覧の記録を読みませんでした");
    return QStringLiteral("壊れた一覧の記録を %1 に退避しました").arg(QFileInfo(path).fileName());
}

QString OpenListKeeper::rememberedAddress(const QString &namePath)
{
    QByteArray bytes;
    if (!PrivateFile::read(namePath, MaxNameBytes, &bytes))
        return QString();
    return NativePath::decode(bytes).section(u'\n', 0, 0);
}

OpenListKeeper::Opened OpenListKeeper::openAtStart(bool mayWrite)
{
    Opened opened;
    QString address = rememberedAddress(m_namePath);
    if (mayWrite) {
        const ListJournal::Recovery recovery = m_journal.recover(m_store);
        if (recovery.outcome == ListJournal::Recovery::Recovered) {
            opened.recovered = true;
            opened.notice = recoveredNotice();
            address = recovery.address;
            if (recovery.listFile.isEmpty()) {
                const QString file = m_store.playlistFilePath(address, M3u);
                m_store.loadPlaylistData(recovery.list, QFileInfo(file).absolutePath());
                m_list.RenumberList();
                m_list.setPlaylistAddress(address);
                opened.address = address;
                return opened;
            }
        } else if (recovery.outcome == ListJournal::Recovery::SetAside) {
            opened.notice = setAsideNotice(recovery.setAsidePath);
        }
    }
    if (address.isEmpty() || !ProbeFile(m_store.playlistFilePath(address, M3u)).isFile)
        address = AutoPlaylistName;
    m_store.LoadPlaylist(m_store.playlistFilePath(address, M3u)); // skipped on failure
    m_list.RenumberList();
    m_list.setPlaylistAddress(address);
    opened.address = address;
    return opened;
}

bool OpenListKeeper::keepAtEnd()
{
    const QString address = m_store.keepingAddress();
    const bool saved = m_store.SaveBeforeLoad(address);
    if (saved)
        PrivateFile::write(m_namePath, NativePath::encode(address) + '\n'); // skipped on failure: the next start opens the last name it knew
    m_journal.close(saved);
    return saved;
}
