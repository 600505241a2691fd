#pragma once

#include <QString>

// How a file's sound is stored, as its headers tell without decoding it.
// Empty texts and zeros are "not known".
struct StreamFormat {
    QString container;   // the file format ("MP3", "Ogg Vorbis", "WAV", ...)
    QString codec;       // the coding inside it ("MPEG-1 Layer 3", "AAC", "PCM 16 bit", ...)
    int sampleRate = 0;  // Hz
    int channels = 0;
    int bitRateKbps = 0; // the stream's own rate as its headers give it
    int lengthMs = 0;
};
