#pragma once

#include "playback/AudioLibrary.h"

#include <QObject>
#include <QSet>
#include <QString>
#include <functional>
#include <random>

class PlaybackDisplay;
class ShellService;
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
// A row that cannot be played gets the failure icon, is handed to its
// associated program unless it is an MP3 or WMA file (launchers never are),
// and the player moves on. A chain of failures ends in the idle state once
// every row of the list has failed in it.
//
// User-interface thread only.
class Player : public QObject
{
    Q_OBJECT
public:
    enum Mode { Normal = 0, OneOff = 1, Repeat = 2, Endless = 3, Random = 4 };
    static constexpr unsigned StreamMode = 0x130;

    Player(AudioLibrary &audio, TrackList &list, PlaybackDisplay &display, QObject *parent = nullptr);

    // Hands unplayable files to their associated program (optional).
    void setShell(ShellService *shell) { m_shell = shell; }
    // Extracts the archive member a row names; returns the extracted file's
    // path, or an empty string when extraction failed (optional: without it
    // archive rows count as unplayable).
    void setZipItemExtract(std::function<QString(const QString &itemText)> extract)
    {
        m_zipItemExtract = std::move(extract);
    }
    // Seeds the generator of the Random mode (tests).
    void seedRandom(unsigned seed) { m_random.seed(seed); }

    // --- operations ---------------------------------------------------------
    // Plays the selected row (the first selected one); does nothing when no
    // row is selected. Playing the open file again restarts it from 0:00.
    void PlaySelectedTrack();
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
    void setPlayMode(int mode) { m_playMode = mode; }
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
    QString PlayingFilePath() const { return m_playingFilePath; }
    QString ZipItemText() const { return m_zipItemText; }
    bool isPaused() const;
    // True while a stream plays or is paused on its channel.
    bool isPlaying() const;

    // 1 when the track information scrolls while a track plays.
    int ScrollMode() const { return m_scrollMode; }
    void setScrollMode(int mode) { m_scrollMode = mode; }

    // The volume knob's offset 0..100; the channel volume is offset / 100 x
    // 255 rounded half to even. Applied to the playing channel at once.
    int volumePercent() const { return m_volumePercent; }
    void setVolumePercent(int percent);
    static int channelVolumeFor(int percent);

    // While muted, tracks start at volume 0 and knob changes leave the
    // channel alone; the mute switch itself silences and restores the
    // playing channel.
    bool isMuted() const { return m_muted; }
    void setMuted(bool muted) { m_muted = muted; }

    // Closes the open stream (the list was emptied). Playback state goes idle.
    void closeStream();

Q_SIGNALS:
    void playModeChanged(int mode);

private:
    enum class Next { Play, Done };
    // One attempt at the selected row; false on failure (state for the error path kept).
    bool tryPlaySelected();
    // The error path's marking and hand-over for the failed row.
    void failCurrent();
    // AdvanceTrack's choice; Play means "play the selected row".
    Next chooseNext();
    int selectedRow() const;
    void selectOnly(int pos);
    void restoreArchiveText();
    static QString lengthText(int lengthMs);

    AudioLibrary &m_audio;
    TrackList &m_list;
    PlaybackDisplay &m_display;
    ShellService *m_shell = nullptr;
    std::function<QString(const QString &)> m_zipItemExtract;
    std::mt19937 m_random{std::random_device{}()};

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

    // The failure chain: rows failed since the last track that started.
    bool m_inChain = false;
    int m_chainFailures = 0;
    QSet<QString> m_handedOver;
};
