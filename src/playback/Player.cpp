#include "playback/Player.h"

#include "core/EventPump.h"
#include "playback/PlaybackDisplay.h"
#include "playback/Tags.h"
#include "playback/TrackCells.h"
#include "playlist/PathNames.h"
#include "playlist/TrackList.h"

#include <cmath>

Player::Player(AudioLibrary &audio, TrackList &list, PlaybackDisplay &display, QObject *parent)
    : QObject(parent)
    , m_audio(audio)
    , m_list(list)
    , m_display(display)
{
    m_tickTimer.setTimerType(Qt::CoarseTimer);
    m_tickTimer.setInterval(100);
    connect(&m_tickTimer, &QTimer::timeout, this, &Player::tick);
    // Rows added, removed, moved or sorted, or another list: what follows
    // may be another row now.
    const auto rowsChanged = [this] {
        if (primingActive() || m_randomNext != 0)
            cancelPrimed();
    };
    connect(&m_list, &QAbstractItemModel::rowsInserted, this, rowsChanged);
    connect(&m_list, &QAbstractItemModel::rowsRemoved, this, rowsChanged);
    connect(&m_list, &QAbstractItemModel::rowsMoved, this, rowsChanged);
    connect(&m_list, &QAbstractItemModel::layoutChanged, this, rowsChanged);
    connect(&m_list, &QAbstractItemModel::modelReset, this, rowsChanged);
    // Rows swapped in place only report their new contents.
    connect(&m_list, &QAbstractItemModel::dataChanged, this, [this] {
        if (m_primed.stream && !primedStillFollows())
            cancelPrimed();
    });
}

bool Player::primedStillFollows() const
{
    if (!m_list.isValidPos(m_primed.row) || m_list.path(m_primed.row) != m_primed.entry)
        return false;
    // Random's draw stands as long as its row is where it was.
    if (m_playMode == Random && m_list.count() > 1)
        return m_primed.row != m_list.PlayingNo();
    const int count = m_list.count();
    const int playing = m_list.PlayingNo();
    switch (m_playMode) {
    case Normal: return m_primed.row == playing + 1;
    case Repeat: return m_primed.row == playing;
    case Endless: return m_primed.row == (playing + 1 <= count ? playing + 1 : 1);
    case Random: return m_primed.row == playing;
    default: return false;
    }
}

int Player::selectedRow() const
{
    for (int pos = 1; pos <= m_list.count(); ++pos)
        if (m_list.isSelected(pos))
            return pos;
    return 0;
}

void Player::restoreArchiveText()
{
    if (!m_archiveFlag)
        return;
    m_list.setPath(m_archiveRow, m_zipItemText);
    m_archiveFlag = false;
}

bool Player::programEnding()
{
    return EventPump::stopRequested();
}

Player::Attempt Player::tryPlaySelected()
{
    int selected = selectedRow();
    // An archive member plays from its extracted copy; the row shows the
    // extracted path only until the stream is open.
    if (IsArchiveMemberPath(m_list.path(selected))) {
        const QString entry = m_list.path(selected);
        const quint64 request = m_playRequest;
        const bool wasExtracting = m_extracting;
        m_extracting = true;
        const QString extracted = m_zipItemExtract
            ? m_zipItemExtract(entry, [this, request] { return m_playRequest != request || programEnding(); })
            : QString();
        m_extracting = wasExtracting;
        // Events ran meanwhile: the request may be gone and rows may have
        // moved, so the row is found again by its text.
        if (m_playRequest != request || programEnding())
            return Attempt::Abandoned;
        if (!m_list.isValidPos(selected) || m_list.path(selected) != entry) {
            selected = 0;
            for (int pos = 1; pos <= m_list.count() && selected == 0; ++pos)
                if (m_list.path(pos) == entry)
                    selected = pos;
            if (selected == 0)
                return Attempt::Abandoned;
        }
        m_zipItemText = entry;
        m_archiveFlag = true;
        m_archiveRow = selected;
        if (extracted.isEmpty()) {
            m_previousTrackNo = m_list.PlayoldNo();
            m_list.setPlayingNo(selected);
            return Attempt::Failed;
        }
        m_list.setPath(selected, extracted);
    }

    const QString itemText = m_list.path(selected);
    if (!m_streamFileName.isEmpty() && m_streamFileName == itemText) {
        // The file is open already: start it again from the beginning.
        m_audio.streamSetTime(m_stream, 0);
        if (isPaused())
            TogglePause();
        restoreArchiveText();
        return Attempt::Played;
    }

    if (m_stream) {
        m_audio.streamStop(m_stream);
        m_audio.streamClose(m_stream);
    }
    m_streamFileName = itemText;
    m_stream = m_audio.streamOpen(itemText, StreamMode, 0, 0);
    m_channel = -1;
    return showOpenedStream(selected, false);
}

Player::Attempt Player::showOpenedStream(int playing, bool onChannel)
{
    m_previousTrackNo = m_list.PlayoldNo();
    m_list.setPlayingNo(playing);

    TagInfo tags;
    try {
        tags = ReadTags(m_audio, m_stream);
    } catch (const TagKindError &) {
        return Attempt::Failed; // a tag kind the reader does not know
    }

    const QString title = (!tags.Title.isEmpty() && tags.hasTags()) ? tags.Title : BaseNameOf(m_streamFileName);
    const QString artist = (!tags.Artist.isEmpty() && tags.hasTags()) ? tags.Artist : QStringLiteral("Unknown");
    // Only a file that did not open is unplayable. A short file (a jingle, a
    // sample) plays like any other, and a stream that opened with a length
    // of 0 plays what its decoder delivers and then ends as usual.
    if (!m_stream)
        return Attempt::Failed;
    const int lengthMs = m_audio.streamLengthMs(m_stream);
    const int bytes = m_audio.streamLength(m_stream);
    m_list.setInfo(playing, title, artist, LengthText(lengthMs), BitRateText(bytes, lengthMs));

    const int old = m_list.PlayoldNo();
    m_list.ListItemForeColorChange(false, old);
    if (old != 0)
        m_list.setIcon(old, TrackRow::IdleIcon);
    m_list.ListItemForeColorChange(true, playing);
    m_list.setIcon(playing, TrackRow::PlayingIcon);
    m_list.UpdateStatus();

    m_display.ShowTrackInfo(m_list.cellText(playing, TrackRow::TitleCell), m_list.cellText(playing, TrackRow::ArtistCell));
    setTicking(true);
    if (m_scrollMode == 1)
        m_display.setScrollTimerEnabled(true);
    m_display.setSeekMaximum(bytes);
    m_list.setPlayoldNo(playing);
    restoreArchiveText();
    m_playingFilePath = m_list.path(playing);
    if (onChannel) {
        m_primeArmed = true;
        Q_EMIT stateChanged();
    } else {
        StartStream();
    }
    return Attempt::Played;
}

void Player::failCurrent()
{
    const int playing = m_list.PlayingNo();
    // A file that cannot be played gets its mark and nothing more: paths
    // arrive from outside (the command line, a hand-over, the remote
    // control, playlist files), and none of them may start another program.
    restoreArchiveText();
    m_list.ListItemForeColorChange(false, playing);
    if (playing != 0)
        m_list.setIcon(playing, TrackRow::FailedIcon);
}

void Player::PlaySelectedOrFirstTrack()
{
    if (m_list.count() == 0)
        return;
    if (selectedRow() == 0)
        m_list.setSelected(1, true);
    PlaySelectedTrack();
}

void Player::PlaySelectedTrack()
{
    if (selectedRow() == 0 || programEnding()) {
        // Nothing selected: nothing to open, mark or skip.
        return;
    }
    if (primingActive())
        cancelPrimed();
    ++m_playRequest;
    // A play that arrives during an extraction starts a chain of its own.
    const bool startsChain = !m_inChain || m_extracting;
    if (startsChain) {
        m_inChain = true;
        m_chainFailures = 0;
    }

    // The error path moves on and tries again; a loop rather than recursion,
    // so a long list of broken files cannot exhaust the stack.
    const quint64 request = m_playRequest;
    Attempt attempt = tryPlaySelected();
    while (attempt == Attempt::Failed) {
        if (m_list.count() == 0)
            break;
        failCurrent();
        ++m_chainFailures;
        // Every row failed once, or the mode would only repeat the failed
        // row: stop instead of cycling for ever.
        if (m_chainFailures >= m_list.count() || m_playMode == Repeat) {
            StopPlayback();
            break;
        }
        // A long run of failing rows lets events run, so that a quit or
        // another play ends it (that play is a chain of its own); events may
        // change the rows, which are read afresh.
        const bool wasInChain = m_inChain;
        m_inChain = false;
        EventPump::yield();
        m_inChain = wasInChain;
        if (m_list.count() == 0 || programEnding() || m_playRequest != request)
            break;
        m_list.UnselectAll();
        if (chooseNext() == Next::Done)
            break;
        attempt = tryPlaySelected();
    }
    if (attempt == Attempt::Played) {
        m_chainFailures = 0;
    }
    if (startsChain)
        m_inChain = false;
}

void Player::StartStream()
{
    m_channel = m_audio.streamPlay(-1, m_stream);
    m_audio.setVolume(m_channel, m_muted ? 0 : channelVolumeFor(m_volumePercent));
    m_primeArmed = true;
    Q_EMIT stateChanged();
}

int Player::channelVolumeFor(int percent)
{
    // Halves go to the even neighbour: 50 -> 127.5 -> 128.
    return int(std::nearbyint(qBound(0, percent, 100) * 255 / 100.0));
}

int Player::percentForChannelVolume(int volume)
{
    return int(std::nearbyint(qBound(0, volume, 255) * 100 / 255.0));
}

void Player::setVolumePercent(int percent, bool evenWhileMuted)
{
    percent = qBound(0, percent, 100);
    const bool changed = percent != m_volumePercent;
    m_volumePercent = percent;
    if (m_channel >= 0 && (!m_muted || evenWhileMuted))
        m_audio.setVolume(m_channel, channelVolumeFor(m_volumePercent)); // skipped on failure
    if (changed)
        Q_EMIT volumeChanged(m_volumePercent);
}

void Player::toggleMute()
{
    setMuted(!m_muted);
}

void Player::setMuted(bool muted)
{
    if (muted == m_muted)
        return;
    if (muted) {
        // Without a channel there is nothing to read; unmuting then gives
        // the knob's volume, never silence.
        m_muteVolume = m_channel >= 0 ? m_audio.volume(m_channel) : channelVolumeFor(m_volumePercent);
        if (m_channel >= 0)
            m_audio.setVolume(m_channel, 0);
    } else if (m_channel >= 0) {
        m_audio.setVolume(m_channel, m_muteVolume);
    }
    m_muted = muted;
    Q_EMIT mutedChanged(m_muted);
}

PlaybackPosition Player::position() const
{
    PlaybackPosition p;
    if (!m_stream)
        return p;
    p.timeMs = m_audio.streamTime(m_stream);
    p.lengthMs = m_audio.streamLengthMs(m_stream);
    p.bytes = m_audio.streamPosition(m_stream);
    p.lengthBytes = m_audio.streamLength(m_stream);
    return p;
}

void Player::seekToFraction(double fraction)
{
    if (primingActive())
        cancelPrimed();
    setTicking(false);
    bool moved = false;
    if (m_stream) {
        const int length = m_audio.streamLength(m_stream);
        if (length > 0) {
            m_audio.streamSetPosition(m_stream, int(std::nearbyint(length * qBound(0.0, fraction, 1.0)))); // skipped on failure
            moved = true;
        }
    }
    afterSeek(moved);
}

void Player::seekToTime(int ms)
{
    if (primingActive())
        cancelPrimed();
    setTicking(false);
    bool moved = false;
    if (m_stream) {
        const int length = m_audio.streamLengthMs(m_stream);
        if (length > 0) {
            m_audio.streamSetTime(m_stream, qBound(0, ms, length)); // skipped on failure
            moved = true;
        }
    }
    afterSeek(moved);
}

void Player::afterSeek(bool moved)
{
    if (moved) {
        Q_EMIT positionChanged(position());
        Q_EMIT seeked();
    }
    // A paused channel counts as playing, but its position does not move.
    if (isPlaying() && !isPaused())
        setTicking(true);
}

void Player::setTickInterval(int ms)
{
    m_tickTimer.setInterval(qMax(1, ms));
}

void Player::setTicking(bool on)
{
    m_ticking = on;
    if (on)
        m_tickTimer.start();
    else
        m_tickTimer.stop();
}

void Player::tick()
{
    if (m_stream)
        Q_EMIT positionChanged(position());
    Q_EMIT ticked();
    endOfTrackCheck();
}

bool Player::isPaused() const
{
    return m_channel >= 0 && m_audio.paused(m_channel);
}

bool Player::isPlaying() const
{
    return m_channel >= 0 && m_audio.isPlaying(m_channel);
}

void Player::TogglePause()
{
    if (primingActive())
        cancelPrimed();
    if (isPaused()) {
        m_audio.setPaused(m_channel, false);
        setTicking(true);
        m_display.setScrollTimerEnabled(m_scrollMode == 1);
    } else {
        m_audio.setPaused(m_channel, true);
        setTicking(false);
        m_display.setScrollTimerEnabled(false);
    }
    Q_EMIT stateChanged();
}

void Player::StopPlayback()
{
    if (primingActive())
        cancelPrimed();
    ++m_playRequest;
    if (m_stream)
        m_audio.streamStop(m_stream);
    m_streamFileName.clear();
    setTicking(false);
    m_display.setScrollTimerEnabled(false);
    const int old = m_list.PlayoldNo();
    m_list.ListItemForeColorChange(false, old);
    if (old != 0)
        m_list.setIcon(old, TrackRow::IdleIcon);
    m_list.setPlayingNo(0);
    m_list.UpdateStatus();
    m_display.showIdle();
    Q_EMIT stateChanged();
}

void Player::stopIfPlaying()
{
    if (isPlaying())
        StopPlayback();
}

void Player::closeStream()
{
    if (primingActive())
        cancelPrimed();
    ++m_playRequest;
    if (m_stream) {
        m_audio.streamStop(m_stream);
        m_audio.streamClose(m_stream);
    }
    m_stream = 0;
    m_channel = -1;
    m_streamFileName.clear();
    Q_EMIT stateChanged();
}

void Player::releaseFile(const QString &path)
{
    if (m_primed.stream && (path == m_primed.file || path == m_primed.entry))
        cancelPrimed();
    if (m_stream == 0 || path != m_playingFilePath)
        return;
    if (isPlaying())
        StopPlayback();
    closeStream();
}

Player::Next Player::chooseNext()
{
    const int count = m_list.count();
    const int playing = m_list.PlayingNo();
    switch (m_playMode) {
    case Normal:
        if (playing + 1 <= count) {
            m_list.setPlayingNo(playing + 1);
            break;
        }
        StopPlayback();
        return Next::Done;
    case OneOff:
        StopPlayback();
        return Next::Done;
    case Repeat:
        // Idle (no row) stays idle; otherwise the open stream starts again.
        if (playing == 0 || !m_list.isValidPos(playing) || m_stream == 0)
            return Next::Done;
        StartStream();
        m_list.setSelected(playing, true);
        return Next::Done;
    case Endless:
        if (count == 0) {
            StopPlayback();
            return Next::Done;
        }
        if (playing + 1 <= count) {
            m_list.setPlayingNo(playing + 1);
            break;
        }
        if (count == 1) {
            m_list.setPlayingNo(1);
            StartStream();
            m_list.setSelected(1, true);
            return Next::Done;
        }
        m_list.setPlayingNo(1);
        break;
    case Random: {
        if (count == 0) {
            StopPlayback();
            return Next::Done;
        }
        if (count == 1) {
            if (playing == 0 || m_stream == 0)
                return Next::Done;
            StartStream();
            m_list.setSelected(playing, true);
            return Next::Done;
        }
        // A draw made for the track queued ahead stands.
        int next = m_randomNext >= 1 && m_randomNext <= count ? m_randomNext : playing;
        m_randomNext = 0;
        while (next == playing)
            next = m_random->between(1, count);
        m_list.setPlayingNo(next);
        break;
    }
    default:
        return Next::Done;
    }
    const int next = m_list.PlayingNo();
    m_list.setSelected(next, true);
    m_display.scrollToRow(next);
    return Next::Play;
}

void Player::AdvanceTrack()
{
    if (primingActive())
        cancelPrimed();
    m_list.UnselectAll();
    if (chooseNext() == Next::Play)
        PlaySelectedTrack();
    m_display.trackAdvanced();
}

void Player::endOfTrackCheck()
{
    // The row being extracted replaces the track anyway.
    if (m_extracting)
        return;
    if (m_primed.stream && !primedStillFollows())
        cancelPrimed();
    if (m_primed.stream && m_channel >= 0 && m_audio.channelStream(m_channel) == m_primed.stream) {
        switchToPrimed();
        return;
    }
    if (!m_audio.isPlaying(m_channel)) {
        AdvanceTrack();
        return;
    }
    primeNext();
}

int Player::followingRow()
{
    const int count = m_list.count();
    const int playing = m_list.PlayingNo();
    if (!m_list.isValidPos(playing))
        return 0;
    switch (m_playMode) {
    case Normal:
        return playing + 1 <= count ? playing + 1 : 0;
    case Repeat:
        return playing;
    case Endless:
        return playing + 1 <= count ? playing + 1 : 1;
    case Random:
        if (count == 1)
            return playing;
        if (m_randomNext < 1 || m_randomNext > count || m_randomNext == playing) {
            m_randomNext = playing;
            while (m_randomNext == playing)
                m_randomNext = m_random->between(1, count);
        }
        return m_randomNext;
    default:
        return 0;
    }
}

void Player::primeNext()
{
    if (m_priming || m_primed.stream || m_stream == 0 || m_channel < 0 || isPaused())
        return;
    const int lengthMs = m_audio.streamLengthMs(m_stream);
    if (lengthMs - m_audio.streamTime(m_stream) > kPrimeAheadMs) {
        m_primeArmed = true;
        return;
    }
    // One attempt per approach to the end; a previous hand-over on the
    // channel must have been heard first.
    if (!m_primeArmed || m_audio.channelStream(m_channel) != m_stream)
        return;
    m_primeArmed = false;
    const int row = followingRow();
    if (row == 0)
        return;
    Primed next;
    next.row = row;
    next.entry = m_list.path(row);
    if (row == m_list.PlayingNo()) {
        next.file = m_streamFileName; // the same track again: no second extraction
    } else if (IsArchiveMemberPath(next.entry)) {
        if (!m_zipItemExtract)
            return;
        const quint64 request = m_playRequest;
        const quint64 prime = m_primeRequest;
        const auto superseded = [this, request, prime] {
            return m_playRequest != request || m_primeRequest != prime || programEnding();
        };
        m_priming = true;
        next.file = m_zipItemExtract(next.entry, superseded);
        m_priming = false;
        // Events ran: a play, stop, pause, seek or change of the rows
        // meanwhile leaves the track to the usual start at the end.
        if (superseded() || next.file.isEmpty() || m_list.path(row) != next.entry)
            return;
    } else {
        next.file = next.entry;
    }
    if (next.file.isEmpty())
        return;
    next.stream = m_audio.streamOpen(next.file, StreamMode, 0, 0);
    // A track that does not open fails the usual way at the end.
    if (!next.stream)
        return;
    if (!m_audio.streamQueue(m_channel, next.stream)) {
        m_audio.streamClose(next.stream);
        return;
    }
    m_primed = next;
}

void Player::cancelPrimed()
{
    ++m_primeRequest;
    m_primeArmed = false;
    m_randomNext = 0;
    if (m_primed.stream)
        m_audio.streamClose(m_primed.stream);
    m_primed = Primed();
}

void Player::switchToPrimed()
{
    const Primed next = m_primed;
    m_primed = Primed();
    m_randomNext = 0;
    ++m_playRequest;
    // The track before has been heard to its end.
    const AudioLibrary::StreamHandle previous = m_stream;
    m_stream = next.stream;
    if (previous != 0 && previous != m_stream)
        m_audio.streamClose(previous);
    m_list.UnselectAll();
    if (next.row == m_list.PlayingNo()) {
        // As the same track started again: the row stays as it is.
        m_list.setSelected(next.row, true);
        m_primeArmed = true;
        Q_EMIT stateChanged();
    } else {
        m_streamFileName = next.file;
        m_list.setPlayingNo(next.row);
        m_list.setSelected(next.row, true);
        m_display.scrollToRow(next.row);
        if (next.file != next.entry) {
            m_zipItemText = next.entry;
            m_archiveFlag = true;
            m_archiveRow = next.row;
            m_list.setPath(next.row, next.file);
        }
        if (showOpenedStream(next.row, true) == Attempt::Failed) {
            failCurrent();
            AdvanceTrack();
            return;
        }
        m_chainFailures = 0;
    }
    m_display.trackAdvanced();
}

void Player::PreviousTrack()
{
    m_list.UnselectAll();
    if (!m_list.isValidPos(m_previousTrackNo))
        return;
    m_list.setSelected(m_previousTrackNo, true);
    PlaySelectedTrack();
}

void Player::DeleteAndSkip()
{
    RowsOnlyDeletion rows(*this);
    m_list.ListItemDelete(0, rows);
    AdvanceTrack();
}

QString Player::playModeName(int mode)
{
    switch (mode) {
    case Normal: return QStringLiteral("Normal");
    case OneOff: return QStringLiteral("OneOff");
    case Repeat: return QStringLiteral("Repeat");
    case Endless: return QStringLiteral("Endless");
    case Random: return QStringLiteral("Random");
    default: return QString();
    }
}

void Player::setPlayMode(int mode)
{
    if (mode != m_playMode && (primingActive() || m_randomNext != 0))
        cancelPrimed();
    m_playMode = mode;
}

void Player::changePlayMode(int mode)
{
    if (mode < Normal || mode > Random || mode == m_playMode)
        return;
    if (primingActive() || m_randomNext != 0)
        cancelPrimed();
    m_playMode = mode;
    Q_EMIT playModeChanged(m_playMode);
}

QString Player::PlayModeLabelClick()
{
    if (primingActive() || m_randomNext != 0)
        cancelPrimed();
    m_playMode = (m_playMode == Random) ? Normal : m_playMode + 1;
    Q_EMIT playModeChanged(m_playMode);
    return playModeName(m_playMode);
}
