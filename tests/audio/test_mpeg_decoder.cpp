// The MPEG audio decoder (mpg123, soxr) against FFmpeg's decode of the same
// files, and which files it takes.
#include "EngineTestSupport.h"
#include "playback/decoders/Mpg123Decoder.h"
#include "playback/decoders/ffmpeg/FfmpegDecoder.h"

#include <QBuffer>
#include <cmath>
#include <gtest/gtest.h>

using namespace enginetest;

namespace {

Frames readAll(AudioDecoder &d, int limit = 1 << 24)
{
    Frames f;
    std::vector<float> buffer(2 * 4096);
    while (f.count() < limit) {
        const int n = d.read(buffer.data(), 4096);
        if (n <= 0)
            break;
        f.data.insert(f.data.end(), buffer.begin(), buffer.begin() + 2 * n);
    }
    return f;
}

// Root mean square of a - b over `count` frames from a[ia] and b[ib], both channels.
double rmsDifference(const Frames &a, int ia, const Frames &b, int ib, int count)
{
    double sum = 0;
    for (int i = 0; i < 2 * count; ++i) {
        const double d = double(a.data[std::size_t(ia) * 2 + i]) - b.data[std::size_t(ib) * 2 + i];
        sum += d * d;
    }
    return std::sqrt(sum / (2.0 * count));
}

TEST(MpegDecoder, MatchesFfmpegInLengthSamplesAndSeeks)
{
    if (!haveFfmpeg())
        GTEST_SKIP() << "ffmpeg is needed to make the fixtures";
    QTemporaryDir dir;
    // Sweeps, so that no stretch repeats another; left and right differ, so
    // a swap or a mix shows.
    const QString source =
        QStringLiteral("aevalsrc=0.4*sin(2*PI*(200+300*t)*t)|0.3*sin(2*PI*(900-200*t)*t):s=%1:d=3.1");
    const struct {
        const char *name;
        int sourceRate;
        QStringList args;
        int outputRate;
    } cases[] = {
        {"MP3 CBR with LAME tag", 44100, {"-c:a", "libmp3lame", "-b:a", "128k"}, 44100},
        {"MP3 VBR", 44100, {"-c:a", "libmp3lame", "-q:a", "4"}, 44100},
        {"MP3 without LAME tag (scanned)", 44100, {"-c:a", "libmp3lame", "-b:a", "128k", "-write_xing", "0"}, 44100},
        {"MP3 at 48 kHz, resampled", 48000, {"-c:a", "libmp3lame", "-b:a", "160k"}, 44100},
        {"MP3 at 44.1 kHz for a 48 kHz output", 44100, {"-c:a", "libmp3lame", "-b:a", "128k"}, 48000},
        {"MP3 mono, MPEG-2, 22.05 kHz", 22050, {"-ac", "1", "-c:a", "libmp3lame", "-b:a", "64k"}, 44100},
        {"MP3 mono, MPEG-2.5, 8 kHz", 8000, {"-ac", "1", "-c:a", "libmp3lame", "-b:a", "24k"}, 44100},
        {"MP2 at 48 kHz", 48000, {"-c:a", "mp2", "-b:a", "192k"}, 48000},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = dir.filePath(QStringLiteral("f.mpa"));
        const QStringList input{"-f", "lavfi", "-i", source.arg(c.sourceRate), "-f", c.args.contains("mp2") ? "mp2" : "mp3"};
        ASSERT_TRUE(runFfmpeg(input + c.args, path));
        int error = 0;
        std::unique_ptr<AudioDecoder> light = Mpg123Decoder::open(path, c.outputRate, error);
        ASSERT_TRUE(light) << "error " << error;
        std::unique_ptr<AudioDecoder> full = FfmpegDecoder::open(path, c.outputRate, error);
        ASSERT_TRUE(full) << "error " << error;
        const std::int64_t lengthAtOpen = light->lengthFrames();
        const Frames a = readAll(*light);
        const Frames b = readAll(*full);
        EXPECT_EQ(lengthAtOpen, a.count()) << "the length known at open";
        EXPECT_EQ(light->lengthFrames(), a.count());
        EXPECT_EQ(a.count(), b.count()) << "FFmpeg's length";
        // The decoders differ in rounding (about 1e-6), the resamplers a
        // little more; a shift by one frame would make 2e-2.
        EXPECT_LT(rmsDifference(a, 0, b, 0, std::min(a.count(), b.count())), 1e-3) << "FFmpeg's samples";

        // Seeks land on the frame asked: what follows is what reading
        // through gives there, forwards and backwards.
        for (const double seconds : {2.0, 0.5, 1.25, 0.0}) {
            SCOPED_TRACE(seconds);
            const int frame = int(seconds * c.outputRate);
            ASSERT_TRUE(light->seek(frame));
            const Frames after = readAll(*light, 4096);
            ASSERT_GE(after.count(), 4096);
            EXPECT_LT(rmsDifference(after, 0, a, frame, 4096), 1e-6);
        }
        ASSERT_TRUE(light->seek(a.count() + 1000));
        EXPECT_EQ(readAll(*light).count(), 0) << "a seek past the end";
    }
}

// Silent frames of `bytes` each; by default MPEG-1 Layer III, 128 kbit/s,
// 44.1 kHz.
QByteArray frames(int count, const char *header = "\xFF\xFB\x90\x44", int bytes = 417)
{
    QByteArray one(bytes, '\0');
    one.replace(0, 4, QByteArray(header, 4));
    return one.repeated(count);
}

TEST(MpegDecoder, TakesMpegAudioFramesOnly)
{
    const QByteArray id3 = QByteArray("ID3\x04\0\0\0\0\x01\0", 10) + QByteArray(128, '\0');
    const struct {
        const char *name;
        QByteArray bytes;
        bool taken;
    } cases[] = {
        {"Layer III frames", frames(5), true},
        {"after an ID3v2 tag", id3 + frames(5), true},
        {"after two ID3v2 tags and padding", id3 + id3 + QByteArray(3000, '\0') + frames(5), true},
        {"two frames, then the end", frames(2), true},
        {"Layer II, 48 kHz", frames(5, "\xFF\xFD\x84\x04", 384), true},
        {"first frame beyond 64 KiB of padding", QByteArray(70000, '\0') + frames(5), false},
        {"nothing but zeros", QByteArray(100000, '\0'), false},
        {"an ID3v2 tag bigger than the file", QByteArray("ID3\x04\0\0\x7F\x7F\x7F\x7F", 10) + frames(5), false},
        {"AAC (ADTS) frames", frames(5, "\xFF\xF1\x50\x80"), false},
        {"Layer I frames", frames(5, "\xFF\xFF\x90\x44"), false},
        {"free format", frames(5, "\xFF\xFB\x00\x44"), false},
        {"a second frame of another rate", frames(1) + frames(4, "\xFF\xFB\x94\x44"), false},
        {"text before the frames", QByteArray("hello") + frames(5), false},
        {"a WAV file", QByteArray("RIFF\0\0\0\0WAVEfmt ", 16) + frames(5), false},
    };
    for (const auto &c : cases) {
        QByteArray bytes = c.bytes;
        QBuffer buffer(&bytes);
        ASSERT_TRUE(buffer.open(QIODevice::ReadOnly));
        EXPECT_EQ(Mpg123Decoder::looksLikeMpegAudio(buffer), c.taken) << c.name;
    }
}

} // namespace
