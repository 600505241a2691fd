#pragma once

#include "core/RandomSource.h"
#include "playback/AudioLibrary.h"
#include "playlist/PlayingTrack.h"

#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>

class PlaybackDisplay;

// Where the open stream is, as the time display and the seek bar show it.
struct PlaybackPosition {
    int timeMs = 0;
    int lengthMs = 0;
    int bytes = 0;       // the seek bar's value
    int lengthBytes = 0; // the seek bar's maximum
};
class TrackList;

// Playback: turns the selected row of the track list into sound, pauses,
// resumes, stops, and moves on by the play mode. The only ways in which
// playback starts, pauses, stops and advances; every button and menu entry
// goes through these operations.
//
// States: idle (nothing plays, Stream_FileName empty) -> playing
// (PlaySelectedTrack) <-> paused (TogglePause) -> idle (StopPlayback, or the
// end of the list in the Normal and OneOff modes). The stream opened last
// stays open until another file is opened; StopPlayback only stops it.
//
// Gapless: about kPrimeAheadMs before a track ends, the track the play mode
// would play next (Normal, Endless, Random, Repeat) is opened and queued on
// the same channel, so its first sample follows the last one of the playing
// track. The rows, the display and the signals switch to it when it is heard
// (a tick after), exactly as for a track PlaySelectedTrack opened. A stop,
// pause, seek, play-mode change or change of the list's rows before that
// closes the queued track; the next one then starts the usual way at the end.
//
// A row that cannot be played gets the failure icon and the player moves on
// (the file is never handed to another program). A chain of failures ends in the idle state once
// every row of the list has failed in it.
//
// User-interface thread only.
class Player : public QObject, public PlayingTrack
{
    Q_OBJECT
public:
    enum Mode { Normal = 0, OneOff = 1, Repeat = 2, Endless = 3, Random = 4 };
    static constexpr unsigned StreamMode = 0x130;
    // How long before a track's end the next one is opened and queued.
    static constexpr int kPrimeAheadMs = 2000;

    Player(AudioLibrary &audio, TrackList &list, PlaybackDisplay &display, QObject *parent = nullptr);

    // Extracts the archive member a row names; returns the extracted file's
    // path, or an empty string when extraction failed or was given up
    // (optional: without it archive rows count as unplayable). Events run
    // during an extraction; `stop()` turns true once the play request behind
    // it no longer stands (another play, a stop, the list emptied, the
    // program ending), and the extractor then gives up.
    using MemberExtractor = std::function<QString(const QString &itemText, const std::function<bool()> &stop)>;
    void setZipItemExtract(MemberExtractor extract) { m_zipItemExtract = std::move(extract); }
    // Where the Random mode draws from (optional: without it, the system's entropy).
    void setRandomSource(RandomSource *random) { m_random = random ? random : &m_ownRandom; }

    // --- operations ---------------------------------------------------------
    // Plays the selected row (the first selected one); does nothing when no
    // row is selected. Playing the open file again restarts it from 0:00.
    void PlaySelectedTrack();
    // The play entry of the tray and the remote control: as PlaySelectedTrack,
    // except that with no row selected the first row is selected and played.
    // Nothing happens with an empty list.
    void PlaySelectedOrFirstTrack();
    // Starts the open stream on a free channel at the player volume.
    void StartStream();
    // Pauses or resumes the channel, with the timers.
    void TogglePause();
    // Stops the stream (it stays open), clears the playing mark and shows the
    // idle display.
    void StopPlayback();
    // Moves on by the play mode: the next row, the same, a random one, or
    // idle.
    void AdvanceTrack();
    // Plays the row that played before the current one; nothing when none did.
    void PreviousTrack();
    // Removes the selected rows from the list (files stay) and moves on.
    void DeleteAndSkip();
    // The main timer's end-of-track check: moves on once the channel stopped.
    void endOfTrackCheck();
    // The stop button: stops only while the channel plays.
    void stopIfPlaying();

    // --- play mode ------------------------------------------------------------
    int PlayMode() const { return m_playMode; }
    // Sets the mode as loaded from the settings (may be outside 0..4 until
    // the label click step runs).
    void setPlayMode(int mode);
    // Switches to `mode` (0..4; other values are ignored) as the label does,
    // emitting playModeChanged when it differs.
    void changePlayMode(int mode);
    // The play-mode label's click: 4 wraps to 0, other values grow by one.
    // Returns the new mode's name, or an empty text when it has none (the
    // label then keeps its text).
    QString PlayModeLabelClick();
    // "Normal", "OneOff", "Repeat", "Endless", "Random"; empty outside 0..4.
    static QString playModeName(int mode);

    // --- state ------------------------------------------------------------------
    AudioLibrary::StreamHandle stream() const { return m_stream; }
    int channel() const { return m_channel; }
    QString Stream_FileName() const { return m_streamFileName; }
    int PreviousTrackNo() const { return m_previousTrackNo; }
    QString PlayingFilePath() const override { return m_playingFilePath; }
    QString ZipItemText() const { return m_zipItemText; }
    // The stream queued to follow the playing one without a gap; 0 when none.
    AudioLibrary::StreamHandle queuedStream() const { return m_primed.stream; }
    bool isPaused() const;
    // True while a stream plays or is paused on its channel.
    bool isPlaying() const;

    // 1: the track information scrolls while a track plays.
    void setScrollMode(int mode) { m_scrollMode = mode; }

    // --- volume and mute ------------------------------------------------------
    // The volume knob's offset 0..100 (less counts as 0, more as 100). The
    // channel volume is percent / 100 x 255 rounded half to even, applied to
    // the playing channel at once, but not while muted unless
    // `evenWhileMuted` (a drag of the knob sets a muted channel's volume and
    // leaves the mute switch as it is). Emits volumeChanged on a change.
    int volumePercent() const { return m_volumePercent; }
    void setVolumePercent(int percent, bool evenWhileMuted = false);
    static int channelVolumeFor(int percent);
    // The percentage a channel volume 0..255 shows (same rounding).
    static int percentForChannelVolume(int volume);

    // The mute switch. Muting keeps the playing channel's exact volume and
    // silences it; unmuting gives that volume back (the knob's volume when
    // no channel was playing at the time of muting). Tracks started while
    // muted start silent. Emits mutedChanged.
    bool isMuted() const { return m_muted; }
    void toggleMute();
    void setMuted(bool muted);

    // --- position -------------------------------------------------------------------
    // The seek bar's press: moves the stream to `fraction` (0..1) of its
    // length in bytes. The position tick stops meanwhile and runs again only
    // when the channel still plays. Nothing happens without an open stream.
    void seekToFraction(double fraction);
    // Moves the open stream to `ms` from its start (clamped to its length),
    // with the same tick handling as seekToFraction.
    void seekToTime(int ms);

    // One tick of the position timer: reports the position (when a stream is
    // open), then `ticked`, then moves on when the channel has stopped.
    // The timer runs while a track plays, not while paused or idle.
    void tick();
    bool isTicking() const { return m_ticking; }
    void setTickInterval(int ms);
    // The position of the open stream; all zero without one.
    PlaybackPosition position() const;

    // Closes the open stream (the list was emptied). Playback state goes idle.
    void closeStream() override;
    // The file at `path` goes away: when it is the open stream's file,
    // playback stops and the stream is closed.
    void releaseFile(const QString &path) override;

Q_SIGNALS:
    void playModeChanged(int mode);
    void volumeChanged(int percent);
    void mutedChanged(bool muted);
    // After every tick with an open stream, and after a seek.
    void positionChanged(const PlaybackPosition &position);
    // Every tick of the position timer (the level meter moves with it).
    void ticked();
    // A track started, paused, resumed or stopped, or the stream closed.
    void stateChanged();
    // The position jumped (a seek); positionChanged has been emitted.
    void seeked();

private:
    enum class Next { Play, Done };
    // Played; Failed (state for the error path kept); Abandoned: events during
    // an extraction superseded the request, nothing is marked.
    enum class Attempt { Played, Failed, Abandoned };
    // One attempt at the selected row.
    Attempt tryPlaySelected();
    // Shows the just opened m_stream as the track of `row` (marks, cells,
    // display, timers) and starts it, or, when `onChannel`, reports the
    // channel that already plays it.
    Attempt showOpenedStream(int row, bool onChannel);
    // The row the play mode moves on to at the end of the track, when that
    // one can follow without a gap; 0 otherwise. Random draws here, and the
    // draw stands for the next move.
    int followingRow();
    // A track is queued, or its archive member is being extracted for that.
    bool primingActive() const { return m_primed.stream != 0 || m_priming; }
    // The queued track is still the one the mode and the rows lead to.
    bool primedStillFollows() const;
    // Opens and queues the following row when the track nears its end.
    void primeNext();
    // Closes the queued track; nothing follows without a gap any more until
    // the track plays outside the priming window again.
    void cancelPrimed();
    // The queued track is heard: the rows and displays move to it.
    void switchToPrimed();
    // The program is ending (EventPump::stopRequested()): nothing starts
    // playing any more, and an extraction in progress is given up.
    static bool programEnding();
    // The error path's marking and hand-over for the failed row.
    void failCurrent();
    // AdvanceTrack's choice; Play means "play the selected row".
    Next chooseNext();
    int selectedRow() const;
    void restoreArchiveText();
    void setTicking(bool on);
    // The seek operations' shared end: reports the new position, then runs
    // the tick again only while the channel plays.
    void afterSeek(bool moved);

    AudioLibrary &m_audio;
    TrackList &m_list;
    PlaybackDisplay &m_display;
    MemberExtractor m_zipItemExtract;
    StdRandomSource m_ownRandom;
    RandomSource *m_random = &m_ownRandom;

    AudioLibrary::StreamHandle m_stream = 0;
    int m_channel = -1;
    QString m_streamFileName;
    int m_previousTrackNo = 0;
    QString m_playingFilePath;
    QString m_zipItemText;
    bool m_archiveFlag = false;
    int m_archiveRow = 0;
    int m_playMode = Normal;
    int m_scrollMode = 1;
    int m_volumePercent = 100;
    bool m_muted = false;
    int m_muteVolume = 0; // the channel volume kept while muted
    QTimer m_tickTimer;
    bool m_ticking = false; // kept apart from the timer, which needs an event loop

    // Bumped by every play, stop and close: an extraction whose request is no
    // longer the latest gives up.
    quint64 m_playRequest = 0;
    bool m_extracting = false;

    // The track queued to follow without a gap.
    struct Primed {
        AudioLibrary::StreamHandle stream = 0;
        int row = 0;
        QString entry; // the row's text when it was queued
        QString file;  // the file opened: the row's path, or the member's extracted copy
    };
    Primed m_primed;
    // Priming may run: set when a track starts or plays before the priming
    // window, cleared by every attempt and cancellation.
    bool m_primeArmed = false;
    bool m_priming = false;
    quint64 m_primeRequest = 0; // bumped by every cancellation
    int m_randomNext = 0;       // the Random mode's draw for the next move

    // The failure chain: rows failed since the last track that started.
    bool m_inChain = false;
    int m_chainFailures = 0;
};
