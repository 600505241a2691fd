#pragma once

#include <QString>

class AudioLibrary;
class MessageService;

// Tells the listener when the sound goes to the system's default output
// although another device was chosen: the device was missing when the track
// started, or went away while it played. Said once for each such stretch; a
// track start that finds the device again plays there without a word (the
// audio library moves back by itself), and a later loss is told again.
// UI thread only.
class OutputDeviceWatch
{
public:
    OutputDeviceWatch(const AudioLibrary &audio, MessageService &messages);

    // The chosen device's name (the setting); empty for the default.
    void setChosen(const QString &name);

    // A track started or plays on `channel` (-1: nothing plays): compares
    // the device in use with the chosen one and gives the notice when due.
    // The notice is a message box: call this outside the player's own
    // operations (a queued connection), as the box waits for the user.
    void check(int channel);

    // The notice for `device`.
    static QString noticeText(const QString &device);

private:
    const AudioLibrary &m_audio;
    MessageService &m_messages;
    QString m_chosen;
    bool m_told = false; // the current stretch on the default was told
};
