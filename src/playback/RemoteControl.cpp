#include "playback/RemoteControl.h"

#include "core/InputBounds.h"
#include "core/NativePath.h"
#include "playback/Player.h"
#include "playback/Tags.h"
#include "playlist/TrackList.h"

#include <QUrl>
#include <cmath>

namespace {

const QString LoopNone = QStringLiteral("None");
const QString LoopTrack = QStringLiteral("Track");
const QString LoopPlaylist = QStringLiteral("Playlist");

} // namespace

RemoteControl::RemoteControl(Player &player, TrackList &list, AudioLibrary &audio, QObject *parent)
    : QObject(parent)
    , m_player(player)
    , m_list(list)
    , m_audio(audio)
{
    connect(&m_player, &Player::stateChanged, this, &RemoteControl::refresh);
    connect(&m_player, &Player::playModeChanged, this, &RemoteControl::refresh);
    connect(&m_player, &Player::volumeChanged, this, &RemoteControl::refresh);
    connect(&m_player, &Player::seeked, this, [this] {
        refresh();
        Q_EMIT seeked(positionUs());
    });
    // The list decides CanGoNext and the like, and holds the title cell.
    connect(&m_list, &QAbstractItemModel::rowsInserted, this, &RemoteControl::refresh);
    connect(&m_list, &QAbstractItemModel::rowsRemoved, this, &RemoteControl::refresh);
    connect(&m_list, &QAbstractItemModel::modelReset, this, &RemoteControl::refresh);
    connect(&m_list, &QAbstractItemModel::dataChanged, this, &RemoteControl::refresh);
    followTrack();
    m_reported = properties();
}

QString RemoteControl::loopStatusFor(int mode)
{
    switch (mode) {
    case Player::Repeat: return LoopTrack;
    case Player::Endless:
    case Player::Random: return LoopPlaylist;
    default: return LoopNone;
    }
}

bool RemoteControl::shuffleFor(int mode)
{
    return mode == Player::Random;
}

int RemoteControl::modeForLoopStatus(int current, const QString &loopStatus)
{
    if (loopStatus == LoopNone)
        return (current == Player::Normal || current == Player::OneOff) ? current : int(Player::Normal);
    if (loopStatus == LoopTrack)
        return Player::Repeat;
    if (loopStatus == LoopPlaylist)
        return current == Player::Random ? int(Player::Random) : int(Player::Endless);
    return -1;
}

int RemoteControl::modeForShuffle(int current, bool shuffle)
{
    if (shuffle)
        return Player::Random;
    return current == Player::Random ? int(Player::Endless) : current;
}

void RemoteControl::play()
{
    if (m_player.isPaused()) {
        m_player.TogglePause();
        return;
    }
    if (m_player.isPlaying())
        return;
    m_player.PlaySelectedOrFirstTrack();
}

void RemoteControl::pause()
{
    if (m_player.isPlaying() && !m_player.isPaused())
        m_player.TogglePause();
}

void RemoteControl::playPause()
{
    if (m_player.isPlaying() && !m_player.isPaused())
        pause();
    else
        play();
}

void RemoteControl::stop()
{
    m_player.stopIfPlaying();
}

void RemoteControl::next()
{
    m_player.AdvanceTrack();
}

void RemoteControl::previous()
{
    m_player.PreviousTrack();
}

void RemoteControl::seek(qint64 offsetUs)
{
    if (!canSeek())
        return;
    const qint64 target = qMax<qint64>(0, positionUs() + offsetUs);
    if (target > lengthUs()) {
        next();
        return;
    }
    m_player.seekToTime(int(target / 1000));
}

void RemoteControl::setPosition(const QString &id, qint64 positionUs)
{
    if (id != trackId() || !canSeek() || positionUs < 0 || positionUs > lengthUs())
        return;
    m_player.seekToTime(int(positionUs / 1000));
}

void RemoteControl::setVolume(double volume)
{
    if (std::isnan(volume))
        return;
    m_player.setVolumePercent(int(std::lround(qBound(0.0, volume, 1.0) * 100)));
}

void RemoteControl::setLoopStatus(const QString &loopStatus)
{
    const int mode = modeForLoopStatus(m_player.PlayMode(), loopStatus);
    if (mode >= 0)
        m_player.changePlayMode(mode);
}

void RemoteControl::setShuffle(bool shuffle)
{
    m_player.changePlayMode(modeForShuffle(m_player.PlayMode(), shuffle));
}

QString RemoteControl::playbackStatus() const
{
    if (!m_player.isPlaying())
        return QStringLiteral("Stopped");
    return m_player.isPaused() ? QStringLiteral("Paused") : QStringLiteral("Playing");
}

QString RemoteControl::loopStatus() const
{
    return loopStatusFor(m_player.PlayMode());
}

bool RemoteControl::shuffle() const
{
    return shuffleFor(m_player.PlayMode());
}

double RemoteControl::volume() const
{
    return m_player.volumePercent() / 100.0;
}

qint64 RemoteControl::positionUs() const
{
    return qint64(m_player.position().timeMs) * 1000;
}

qint64 RemoteControl::lengthUs() const
{
    return qint64(m_player.position().lengthMs) * 1000;
}

QString RemoteControl::trackId() const
{
    return m_trackRow == 0 ? NoTrack : QStringLiteral("/org/velmora/Track/%1").arg(m_trackNumber);
}

void RemoteControl::followTrack()
{
    const bool current = m_player.isPlaying() && m_list.isValidPos(m_list.PlayingNo());
    const int row = current ? m_list.PlayingNo() : 0;
    const QString file = current ? m_player.Stream_FileName() : QString();
    const AudioLibrary::StreamHandle stream = current ? m_player.stream() : 0;
    // The row alone moves when the list is sorted; the stream names the track.
    const bool same = (row == 0) == (m_trackRow == 0) && file == m_trackFile && stream == m_trackStream;
    m_trackRow = row;
    if (same)
        return;
    m_trackFile = file;
    m_trackStream = stream;
    m_tagTitle.clear();
    m_tagArtist.clear();
    m_tagAlbum.clear();
    if (row == 0)
        return;
    ++m_trackNumber;
    try {
        const TagInfo tags = ReadTags(m_audio, stream);
        if (tags.hasTags()) {
            m_tagTitle = tags.Title;
            m_tagArtist = tags.Artist;
            m_tagAlbum = tags.Album;
        }
    } catch (const TagKindError &) {
        // A track with an unknown tag kind does not play; nothing to show.
    }
}

QVariantMap RemoteControl::metadata() const
{
    QVariantMap m;
    if (m_trackRow == 0)
        return m;
    m.insert(QStringLiteral("mpris:trackid"), trackId());
    m.insert(QStringLiteral("mpris:length"), lengthUs());
    const QString title = m_tagTitle.isEmpty() ? m_list.cellText(m_trackRow, TrackRow::TitleCell) : m_tagTitle;
    if (!title.isEmpty())
        m.insert(QStringLiteral("xesam:title"), title);
    if (!m_tagArtist.isEmpty())
        m.insert(QStringLiteral("xesam:artist"), QStringList{m_tagArtist});
    if (!m_tagAlbum.isEmpty())
        m.insert(QStringLiteral("xesam:album"), m_tagAlbum);
    if (!m_trackFile.isEmpty())
        m.insert(QStringLiteral("xesam:url"), QUrl::fromLocalFile(m_trackFile).toString());
    return m;
}

bool RemoteControl::canGoNext() const
{
    return m_list.count() > 0;
}

bool RemoteControl::canGoPrevious() const
{
    return m_list.isValidPos(m_player.PreviousTrackNo());
}

bool RemoteControl::canPlay() const
{
    return m_list.count() > 0;
}

bool RemoteControl::canPause() const
{
    return canPlay();
}

bool RemoteControl::canSeek() const
{
    return m_player.isPlaying() && lengthUs() > 0;
}

QVariantMap RemoteControl::properties() const
{
    return {
        {QStringLiteral("PlaybackStatus"), playbackStatus()},
        {QStringLiteral("LoopStatus"), loopStatus()},
        {QStringLiteral("Shuffle"), shuffle()},
        {QStringLiteral("Volume"), volume()},
        {QStringLiteral("Metadata"), metadata()},
        {QStringLiteral("CanGoNext"), canGoNext()},
        {QStringLiteral("CanGoPrevious"), canGoPrevious()},
        {QStringLiteral("CanPlay"), canPlay()},
        {QStringLiteral("CanPause"), canPause()},
        {QStringLiteral("CanSeek"), canSeek()},
    };
}

void RemoteControl::refresh()
{
    followTrack();
    const QVariantMap now = properties();
    QVariantMap changed;
    for (auto it = now.cbegin(); it != now.cend(); ++it)
        if (m_reported.value(it.key()) != it.value())
            changed.insert(it.key(), it.value());
    m_reported = now;
    if (!changed.isEmpty())
        Q_EMIT propertiesChanged(changed);
}

QStringList RemoteControl::pathsToOpen(const QString &uri)
{
    // Checked before parsing: a long text would hold the window while it is read.
    if (uri.size() > InputBounds::MaxUriLength) {
        qWarning("velmora: open request refused: a URI of %lld characters", qint64(uri.size()));
        return {};
    }
    const QStringList paths = NativePath::localPathsOfUrls({QUrl(uri)});
    for (const QString &path : paths) {
        const QString problem = InputBounds::pathProblem(path);
        if (!problem.isEmpty()) {
            qWarning("velmora: open request refused: %s", qPrintable(problem));
            return {};
        }
    }
    return paths;
}
