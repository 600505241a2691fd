#pragma once

#include "playback/AudioLibrary.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariantMap>

class Player;
class TrackList;

// The player as a desktop remote control (media keys, panel applets, the
// session's media-player interface) sees and drives it. Values are given in
// that interface's vocabulary: the state as "Playing", "Paused" or
// "Stopped"; positions and lengths in microseconds; the volume as 0.0..1.0.
//
// The five play modes map onto a loop switch and a shuffle switch:
//
//   mode      LoopStatus  Shuffle
//   Normal    None        false
//   OneOff    None        false
//   Repeat    Track       false
//   Endless   Playlist    false
//   Random    Playlist    true
//
// and setting a switch changes the mode:
//
//   LoopStatus None      Normal (Normal and OneOff stay as they are)
//   LoopStatus Track     Repeat
//   LoopStatus Playlist  Endless (Random stays Random)
//   Shuffle true         Random
//   Shuffle false        Endless from Random; other modes stay
//
// Random never runs out, so it reads as a looping list; switching shuffle
// off keeps the loop (Endless), and asking for no loop leaves Random for
// Normal. OneOff reads as None and is reached from the windows only.
//
// Every operation goes through the player's own operations, as the buttons
// do. User-interface thread only.
class RemoteControl : public QObject
{
    Q_OBJECT
public:
    static inline const QString NoTrack = QStringLiteral("/org/mpris/MediaPlayer2/TrackList/NoTrack");

    RemoteControl(Player &player, TrackList &list, AudioLibrary &audio, QObject *parent = nullptr);

    // --- the play-mode mapping (table above) -------------------------------
    static QString loopStatusFor(int mode);
    static bool shuffleFor(int mode);
    // The mode that `current` becomes when the loop switch is set to
    // `loopStatus`; -1 for a text other than None, Track or Playlist.
    static int modeForLoopStatus(int current, const QString &loopStatus);
    static int modeForShuffle(int current, bool shuffle);

    // The local file an open request names, as a list of one; empty for
    // another scheme, and empty with a log line for a URI longer than
    // InputBounds::MaxUriLength or a path no file can have (a NUL byte, over
    // the system's path length).
    static QStringList pathsToOpen(const QString &uri);

    // --- operations -----------------------------------------------------------
    // Resumes a paused track; when stopped, plays the selected row (the
    // first row when none is selected). Nothing happens while playing or
    // with an empty list.
    void play();
    // Pauses a playing track; nothing otherwise.
    void pause();
    void playPause();
    // The stop button.
    void stop();
    // The next button (the play mode chooses), and the previous track.
    void next();
    void previous();
    // Moves by `offsetUs` from the current position; before the start lands
    // on the start, past the end moves on as next() does. Nothing happens
    // while nothing can be seeked.
    void seek(qint64 offsetUs);
    // Moves to `positionUs` when `trackId` names the current track and the
    // position lies within it; anything else is ignored.
    void setPosition(const QString &trackId, qint64 positionUs);
    // 0.0..1.0 onto the player's volume (values outside are clamped).
    void setVolume(double volume);
    // Changes the play mode by the table above; unknown texts are ignored.
    void setLoopStatus(const QString &loopStatus);
    void setShuffle(bool shuffle);

    // --- state ------------------------------------------------------------------
    QString playbackStatus() const;
    QString loopStatus() const;
    bool shuffle() const;
    double volume() const;
    qint64 positionUs() const;
    // "mpris:trackid" (an object path, as text), "mpris:length" (qint64),
    // "xesam:title", "xesam:artist" (a list), "xesam:album" and "xesam:url"
    // of the playing track; empty when nothing plays. Missing tags leave
    // their key out; the title falls back to the list's Title cell.
    QVariantMap metadata() const;
    // The current track's id, or NoTrack.
    QString trackId() const;
    bool canGoNext() const;
    bool canGoPrevious() const;
    bool canPlay() const;
    bool canPause() const;
    bool canSeek() const;

    // Every property that can change, by its name in the interface
    // (PlaybackStatus, LoopStatus, Shuffle, Volume, Metadata, CanGoNext,
    // CanGoPrevious, CanPlay, CanPause, CanSeek).
    QVariantMap properties() const;

Q_SIGNALS:
    // Some properties changed: their names with their new values.
    void propertiesChanged(const QVariantMap &changed);
    // The position jumped (a seek, from here or from the windows).
    void seeked(qint64 positionUs);

private:
    // Compares the properties with the last ones reported and emits the difference.
    void refresh();
    // Gives the playing track a new id when it is another one than before.
    void followTrack();
    qint64 lengthUs() const;

    Player &m_player;
    TrackList &m_list;
    AudioLibrary &m_audio;
    QVariantMap m_reported;
    // The playing track as last seen (row and stream), its id number and tags.
    int m_trackRow = 0;
    QString m_trackFile;
    AudioLibrary::StreamHandle m_trackStream = 0;
    quint64 m_trackNumber = 0;
    QString m_tagTitle;
    QString m_tagArtist;
    QString m_tagAlbum;
};
