#pragma once

// Helpers for testing the real audio engine: fixture files made at test time
// (a WAV written here, other formats by the ffmpeg command) and a run of the
// engine through SDL's disk driver, whose output file is read back and
// analysed.

#include "playback/engine/EngineAudioLibrary.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <functional>
#include <memory>
#include <vector>

namespace enginetest {

constexpr int kRate = 44100;

// Writes a 16-bit stereo PCM WAV; `sample(frame, channel)` gives -1..1.
bool writeWav(const QString &path, int frames, const std::function<double(int, int)> &sample);

// Runs ffmpeg with `args` (input options, then output options) writing `out`.
bool runFfmpeg(const QStringList &args, const QString &out);
bool haveFfmpeg();

// Puts iTunes gapless data ("iTunSMPB": encoder delay, padding and the
// number of samples, in hexadecimal) into an M4A file whose metadata list
// sits in moov/udta/meta/ilst after the sound, as ffmpeg writes it.
bool addItunesGaplessData(QByteArray &file, int delay, int padding, qint64 samples);

// A tone made by ffmpeg: `expr` is an aevalsrc expression of t (seconds).
bool makeEncoded(const QString &out, const QString &expr, double seconds, const QStringList &outputArgs = {});

// Interleaved stereo float frames.
struct Frames {
    std::vector<float> data;
    int count() const { return int(data.size() / 2); }
    float left(int i) const { return data[std::size_t(i) * 2]; }
    float right(int i) const { return data[std::size_t(i) * 2 + 1]; }
};

// The frames whose left or right sample is louder than `threshold` (by
// default: not exactly zero), in order: the sound, with the silence the
// device wrote while idle or paused removed.
Frames audible(const Frames &all, float threshold = 0.0f);
// Index of the first frame after `from` that is not silent; -1 when none.
int firstAudible(const Frames &all, int from = 0);
// Root mean square of the left channel over [from, from + count).
double rmsLeft(const Frames &f, int from, int count);
double rmsRight(const Frames &f, int from, int count);
// Frequency of the left channel over [from, from + count), from the rising
// zero crossings.
double frequency(const Frames &f, int from, int count);
// The first frame at or after `from` where the period of the left channel
// falls below `periodFrames` (a switch to a higher tone); -1 when none.
int firstFasterPeriod(const Frames &f, int from, double periodFrames);

// One engine run on SDL's disk driver: the output goes to a file in a private
// temporary folder, a little faster than real time.
class DiskRun
{
public:
    DiskRun();
    ~DiskRun();
    bool init();
    EngineAudioLibrary &lib() { return *m_lib; }
    QString path(const QString &name) const { return m_dir.filePath(name); }
    // Waits until the channel stops playing; false after `timeoutMs`.
    bool waitEnd(int channel, int timeoutMs = 10000);
    // Waits until the stream's time reaches `ms`; false after `timeoutMs`.
    bool waitTime(AudioLibrary::StreamHandle s, int ms, int timeoutMs = 10000);
    // Frames the device has written to its file so far: the device's own
    // clock, which runs whether or not anything plays.
    qint64 framesWritten() const;
    // Waits until the device has written `frames` frames in all.
    bool waitFramesWritten(qint64 frames, int timeoutMs = 30000);
    // Closes the engine and returns everything the device wrote.
    Frames finish();

private:
    QTemporaryDir m_dir;
    std::unique_ptr<EngineAudioLibrary> m_lib;
    QByteArray m_oldDriver;
};

// Whether SDL's thread of an open output device runs in this process (it
// ends when the device is closed).
bool outputDeviceThreadRuns();

} // namespace enginetest
