// Loudness levelling through the real engine: files of every tagged format,
// their gain tags written with TagLib, played and measured at the mixer's
// output; and the choice of output device as track starts take it.
#include "EngineTestSupport.h"
#include "WaitUntil.h"

#include <QFile>
#include <QTemporaryDir>
#include <cmath>
#include <functional>
#include <gtest/gtest.h>

#include <taglib/apetag.h>
#include <taglib/flacfile.h>
#include <taglib/id3v2tag.h>
#include <taglib/mp4file.h>
#include <taglib/mpegfile.h>
#include <taglib/opusfile.h>
#include <taglib/textidentificationframe.h>
#include <taglib/vorbisfile.h>
#include <taglib/wavpackfile.h>
#include <taglib/xiphcomment.h>

using namespace enginetest;

namespace {

using Tags = std::vector<std::pair<const char *, const char *>>;

// The output level in dB of full scale (left channel) over the next `frames`.
double levelDb(EngineAudioLibrary &lib, int frames, float *maxSample = nullptr)
{
    std::vector<float> buffer(std::size_t(frames) * 2);
    lib.render(buffer.data(), frames);
    Frames all;
    all.data = std::move(buffer);
    // On a busy machine the mix may give up waiting for a slow decoder and
    // leave a stretch of silence: the level is that of the sound alone.
    const Frames f = audible(all);
    if (maxSample) {
        *maxSample = 0;
        for (float v : f.data)
            *maxSample = std::max(*maxSample, std::fabs(v));
    }
    return 20 * std::log10(rmsLeft(f, 0, f.count()));
}

// Plays `path` from its start, measures it with levelling off, then switches
// `apply` on while it plays and measures again: the difference in dB. The
// switch takes effect on the playing stream at once.
double gainHeard(EngineAudioLibrary &lib, const QString &path, const std::function<void()> &apply,
                 float *maxAfter = nullptr)
{
    lib.setReplayGain(0, 0.0, true);
    const auto s = lib.streamOpen(path, 0x130, 0, 0);
    if (!s)
        return NAN;
    lib.streamPlay(-1, s);
    const int tenth = kRate / 10;
    levelDb(lib, tenth); // the encoder's start-up and the decoder's priming
    const double before = levelDb(lib, 3 * tenth);
    apply();
    const double after = levelDb(lib, 3 * tenth, maxAfter);
    lib.streamClose(s);
    return after - before;
}

struct FormatCase {
    const char *name;
    const char *file;
    QStringList encoder;
    std::function<bool(const QString &)> tag;
};

bool tagId3v2(const QString &path)
{
    TagLib::MPEG::File f(QFile::encodeName(path).constData());
    auto *frame = new TagLib::ID3v2::UserTextIdentificationFrame(TagLib::String::UTF8);
    frame->setDescription("REPLAYGAIN_TRACK_GAIN");
    frame->setText("-6.00 dB");
    f.ID3v2Tag(true)->addFrame(frame);
    return f.save();
}

bool tagApeOnMp3(const QString &path)
{
    TagLib::MPEG::File f(QFile::encodeName(path).constData());
    f.APETag(true)->addValue("REPLAYGAIN_TRACK_GAIN", "-6.00 dB");
    return f.save(TagLib::MPEG::File::APE, TagLib::File::StripOthers);
}

bool tagApeOnWavPack(const QString &path)
{
    TagLib::WavPack::File f(QFile::encodeName(path).constData());
    f.APETag(true)->addValue("REPLAYGAIN_TRACK_GAIN", "-6.00 dB");
    return f.save();
}

bool tagXiph(TagLib::File &file, TagLib::Ogg::XiphComment *tag, const char *name, const char *value)
{
    tag->addField(name, value, true);
    return file.save();
}

bool tagVorbis(const QString &path)
{
    TagLib::Ogg::Vorbis::File f(QFile::encodeName(path).constData());
    return tagXiph(f, f.tag(), "REPLAYGAIN_TRACK_GAIN", "-6.00 dB");
}

bool tagFlac(const QString &path)
{
    TagLib::FLAC::File f(QFile::encodeName(path).constData());
    return tagXiph(f, f.xiphComment(true), "REPLAYGAIN_TRACK_GAIN", "-6.00 dB");
}

bool tagOpus(const QString &path)
{
    // -11 dB against -23 LUFS is -6 dB against the reference.
    TagLib::Ogg::Opus::File f(QFile::encodeName(path).constData());
    return tagXiph(f, f.tag(), "R128_TRACK_GAIN", "-2816");
}

bool tagMp4(const QString &path)
{
    TagLib::MP4::File f(QFile::encodeName(path).constData());
    f.tag()->setItem("----:com.apple.iTunes:replaygain_track_gain", TagLib::StringList("-6.00 dB"));
    return f.save();
}

TEST(EngineLoudness, TrackGainOfEveryTaggedFormat)
{
    if (!haveFfmpeg())
        GTEST_SKIP() << "ffmpeg is needed to make the fixtures";
    const FormatCase cases[] = {
        {"mp3, ID3v2 user text frame", "id3.mp3", {"-c:a", "libmp3lame", "-b:a", "192k"}, tagId3v2},
        {"mp3, APEv2 tag", "ape.mp3", {"-c:a", "libmp3lame", "-b:a", "192k"}, tagApeOnMp3},
        {"WavPack, APEv2 tag", "t.wv", {"-c:a", "wavpack"}, tagApeOnWavPack},
        {"ogg vorbis comment", "t.ogg", {"-c:a", "libvorbis"}, tagVorbis},
        {"flac vorbis comment", "t.flac", {"-c:a", "flac"}, tagFlac},
        {"opus R128 tag", "t.opus", {"-c:a", "libopus", "-b:a", "128k"}, tagOpus},
        {"m4a freeform atom", "t.m4a", {"-c:a", "aac", "-b:a", "192k"}, tagMp4},
    };
    DiskRun run;
    for (const FormatCase &c : cases) {
        ASSERT_TRUE(makeEncoded(run.path(QString::fromLatin1(c.file)), QStringLiteral("0.25*sin(2*PI*440*t)"), 1.2,
                                c.encoder))
            << c.name;
        ASSERT_TRUE(c.tag(run.path(QString::fromLatin1(c.file)))) << c.name;
    }
    ASSERT_TRUE(run.init());
    for (const FormatCase &c : cases) {
        SCOPED_TRACE(c.name);
        const double db = gainHeard(run.lib(), run.path(QString::fromLatin1(c.file)),
                                    [&] { run.lib().setReplayGain(1, 0.0, true); });
        EXPECT_NEAR(db, -6.0, 0.1);
    }
}

// Sets the output gain of an Ogg Opus file's header (Q7.8 dB) in place,
// with the page's checksum made again.
bool setOpusHeaderGain(const QString &path, qint16 q78)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadWrite))
        return false;
    QByteArray data = f.readAll();
    if (data.size() < 27 || !data.startsWith("OggS"))
        return false;
    const int segments = quint8(data[26]);
    const int header = 27 + segments;
    int body = 0;
    for (int i = 0; i < segments; ++i)
        body += quint8(data[27 + i]);
    if (data.size() < header + body || data.mid(header, 8) != "OpusHead" || body < 19)
        return false;
    data[header + 16] = char(q78 & 0xFF);
    data[header + 17] = char((q78 >> 8) & 0xFF);
    for (int i = 22; i < 26; ++i)
        data[i] = 0;
    quint32 crc = 0;
    for (int i = 0; i < header + body; ++i) {
        crc ^= quint32(quint8(data[i])) << 24;
        for (int bit = 0; bit < 8; ++bit)
            crc = crc & 0x80000000u ? (crc << 1) ^ 0x04C11DB7u : crc << 1;
    }
    for (int i = 0; i < 4; ++i)
        data[22 + i] = char((crc >> (8 * i)) & 0xFF);
    return f.seek(0) && f.write(data) == data.size();
}

TEST(EngineLoudness, OpusHeaderGainPlaysInEveryModeAndTagsAddToIt)
{
    if (!haveFfmpeg())
        GTEST_SKIP() << "ffmpeg is needed to make the fixtures";
    DiskRun run;
    const QString plain = run.path("plain.opus");
    const QString lowered = run.path("lowered.opus");
    for (const QString &path : {plain, lowered}) {
        ASSERT_TRUE(makeEncoded(path, QStringLiteral("0.25*sin(2*PI*440*t)"), 1.2, {"-c:a", "libopus", "-b:a", "128k"}));
    }
    ASSERT_TRUE(setOpusHeaderGain(lowered, -6 * 256));
    ASSERT_TRUE(tagOpus(lowered)); // R128_TRACK_GAIN -6 dB against the reference
    ASSERT_TRUE(run.init());
    const auto levelOff = [&](const QString &path) {
        run.lib().setReplayGain(0, 0.0, true);
        const auto s = run.lib().streamOpen(path, 0x130, 0, 0);
        run.lib().streamPlay(-1, s);
        levelDb(run.lib(), kRate / 10);
        const double db = levelDb(run.lib(), kRate * 3 / 10);
        run.lib().streamClose(s);
        return db;
    };
    EXPECT_NEAR(levelOff(lowered) - levelOff(plain), -6.0, 0.1) << "the header's gain, levelling off";
    EXPECT_NEAR(gainHeard(run.lib(), lowered, [&] { run.lib().setReplayGain(1, 0.0, true); }), -6.0, 0.1)
        << "the tag's gain on top of it";
}

struct ModeCase {
    const char *name;
    const char *file;
    int mode;
    double preampDb;
    bool preventClipping;
    double expectedDb;
    float maxSample; // the loudest output sample may not exceed this
};

bool writeFlac(const QString &path, const char *amplitude, const Tags &tags)
{
    if (!makeEncoded(path, QStringLiteral("%1*sin(2*PI*440*t)").arg(QLatin1String(amplitude)), 1.2,
                     {"-c:a", "flac"}))
        return false;
    TagLib::FLAC::File f(QFile::encodeName(path).constData());
    for (const auto &[name, value] : tags)
        f.xiphComment(true)->addField(name, value, true);
    return f.save();
}

TEST(EngineLoudness, ModesPreampAndPeak)
{
    if (!haveFfmpeg())
        GTEST_SKIP() << "ffmpeg is needed to make the fixtures";
    DiskRun run;
    // Both gains and peaks.
    ASSERT_TRUE(writeFlac(run.path("album.flac"), "0.25",
                          {{"REPLAYGAIN_TRACK_GAIN", "-6.00 dB"}, {"REPLAYGAIN_TRACK_PEAK", "0.25"},
                           {"REPLAYGAIN_ALBUM_GAIN", "-3.00 dB"}, {"REPLAYGAIN_ALBUM_PEAK", "0.5"}}));
    // A quiet track of a loud album: only a track gain, which would clip.
    ASSERT_TRUE(writeFlac(run.path("quiet.flac"), "0.5",
                          {{"REPLAYGAIN_TRACK_GAIN", "+12.00 dB"}, {"REPLAYGAIN_TRACK_PEAK", "0.5"}}));
    ASSERT_TRUE(writeFlac(run.path("untagged.flac"), "0.25", {}));
    ASSERT_TRUE(run.init());
    const double capped = -20 * std::log10(0.5); // +6.02 dB: the peak reaches full scale
    const ModeCase cases[] = {
        {"off changes nothing", "album.flac", 0, 6.0, true, 0.0, 0.26f},
        {"track mode", "album.flac", 1, 0.0, true, -6.0, 0.26f},
        {"album mode", "album.flac", 2, 0.0, true, -3.0, 0.26f},
        {"pre-amp on top of the track gain", "album.flac", 1, 3.0, true, -3.0, 0.26f},
        {"album mode without album gain falls back to the track's, capped", "quiet.flac", 2, 0.0, true, capped, 1.001f},
        {"the peak keeps a +12 dB gain from clipping", "quiet.flac", 1, 0.0, true, capped, 1.001f},
        {"without clipping prevention the full gain", "quiet.flac", 1, 0.0, false, 12.0, 2.1f},
        {"an untagged file plays as it is", "untagged.flac", 1, 6.0, true, 0.0, 0.26f},
    };
    for (const ModeCase &c : cases) {
        SCOPED_TRACE(c.name);
        float loudest = 0;
        const double db = gainHeard(
            run.lib(), run.path(QString::fromLatin1(c.file)),
            [&] { run.lib().setReplayGain(c.mode, c.preampDb, c.preventClipping); }, &loudest);
        EXPECT_NEAR(db, c.expectedDb, 0.1);
        EXPECT_LE(loudest, c.maxSample);
    }
}

// What the device choice does at track starts, the system's list scripted.
struct DeviceStep {
    const char *what;
    QStringList listed;
    QString chosen;
    QString expectedInUse;
};

TEST(EngineOutputDevice, TrackStartsTakeTheChosenDeviceWhenListed)
{
    // The one device SDL's silent drivers really open by name.
    const QString real = QStringLiteral("System audio output device");
    const QString ghost = QStringLiteral("USB DAC (gone)");
    const DeviceStep steps[] = {
        {"nothing chosen: the default", {real}, QString(), QString()},
        {"chosen and listed: opened by name", {real}, real, real},
        {"unplugged: the default at the next start", {}, real, QString()},
        {"still away: the default", {ghost}, real, QString()},
        {"listed again: back at the next start", {ghost, real}, real, real},
        {"listed but refusing to open: the default", {ghost, real}, ghost, QString()},
        {"back under the number SDL adds: taken", {real + " (2)"}, real, real},
        {"chosen under such a number, back under its own name: taken", {real}, real + " (2)", real + " (2)"},
        {"a number that is part of another name: not taken", {real + " (2x)"}, real, QString()},
        {"the default chosen again: the default", {real}, QString(), QString()},
    };
    // The silent real-time driver: the disk driver would take any name as
    // the name of its file.
    const QByteArray oldDriver = qgetenv("SDL_AUDIODRIVER");
    qputenv("SDL_AUDIODRIVER", "dummy");
    QTemporaryDir dir;
    ASSERT_TRUE(writeWav(dir.filePath("tone.wav"), kRate, [](int, int) { return 0.1; }));
    QStringList listed;
    EngineAudioLibrary lib;
    lib.setDeviceLister([&listed] { return listed; });
    ASSERT_TRUE(lib.init(kRate, 4, 0));
    const auto s = lib.streamOpen(dir.filePath("tone.wav"), 0x130, 0, 0);
    ASSERT_NE(s, 0u);
    for (const DeviceStep &step : steps) {
        SCOPED_TRACE(step.what);
        listed = step.listed;
        EXPECT_EQ(lib.outputDevices(), step.listed) << "the system's order";
        lib.setOutputDevice(step.chosen);
        lib.streamStop(s);
        const int channel = lib.streamPlay(-1, s);
        ASSERT_GE(channel, 0);
        EXPECT_EQ(lib.outputDevice(), step.expectedInUse);
        EXPECT_TRUE(lib.isPlaying(channel));
    }
    // A follower is not queued while the output should move: the next track
    // starts anew, and a start moves it.
    listed = {real};
    lib.setOutputDevice(real);
    lib.streamStop(s);
    const int channel = lib.streamPlay(-1, s);
    ASSERT_EQ(lib.outputDevice(), real);
    const auto next = lib.streamOpen(dir.filePath("tone.wav"), 0x130, 0, 0);
    lib.setOutputDevice(QString());
    EXPECT_FALSE(lib.streamQueue(channel, next)) << "the default chosen since";
    lib.setOutputDevice(real);
    listed = {};
    EXPECT_FALSE(lib.streamQueue(channel, next)) << "the chosen device unplugged";
    listed = {real};
    EXPECT_TRUE(lib.streamQueue(channel, next)) << "the device in use is the chosen one";
    lib.streamClose(next);
    // The sound goes on after the moves: the device's clock moves the stream.
    EXPECT_TRUE(waitUntil([&] { return lib.streamTime(s) >= 200; }, 10000)) << lib.streamTime(s);
    lib.close();
    qputenv("SDL_AUDIODRIVER", oldDriver);
}

} // namespace
