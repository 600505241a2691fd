// Files that claim far more than they hold: decoding and tag reading stay
// within a bounded amount of memory and time, and ordinary tags still read.
#include "playback/decoders/tags/TagReader.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <zlib.h>

namespace {

constexpr qint64 MiB = 1 << 20;

// --- fixtures ---------------------------------------------------------------

QByteArray bigEndian32(quint32 v, bool synchsafe)
{
    QByteArray b(4, '\0');
    for (int i = 3; i >= 0; --i) {
        b[i] = char(synchsafe ? v & 0x7F : v & 0xFF);
        v >>= synchsafe ? 7 : 8;
    }
    return b;
}

// An ID3v2 frame of `version` (3 or 4) holding `data` as stored.
QByteArray rawFrame(int version, const QByteArray &id, const QByteArray &data, char format = 0)
{
    return id + bigEndian32(quint32(data.size()), version == 4) + QByteArray(1, '\0') + QByteArray(1, format) + data;
}

// A frame holding `content`; `compressed` deflates it (zlib format) behind
// its inflated size, as both versions ask.
QByteArray frame(int version, const QByteArray &id, const QByteArray &content, bool compressed = false)
{
    if (!compressed)
        return rawFrame(version, id, content);
    return rawFrame(version, id, bigEndian32(quint32(content.size()), version == 4) + qCompress(content, 9).mid(4),
                    version == 4 ? 0x09 : char(0x80));
}

// A tag of `version` holding `frames` and some padding.
QByteArray tag(int version, const QByteArray &frames, char flags = 0)
{
    const QByteArray body = frames + QByteArray(64, '\0');
    return QByteArray("ID3") + char(version) + '\0' + flags + bigEndian32(quint32(body.size()), true) + body;
}

// Silent MPEG-1 Layer III frames, 128 kbit/s, 44.1 kHz.
QByteArray silentMp3(int frames)
{
    QByteArray one(417, '\0');
    one[0] = char(0xFF);
    one[1] = char(0xFB);
    one[2] = char(0x90);
    one[3] = char(0x44);
    return one.repeated(frames);
}

QByteArray le32(quint32 v)
{
    QByteArray b(4, '\0');
    for (int i = 0; i < 4; ++i, v >>= 8)
        b[i] = char(v & 0xFF);
    return b;
}

// A 16-bit mono PCM WAV whose header claims `rate`, with `chunks` between
// the format and the data chunks.
QByteArray wav(quint32 rate, int dataBytes, const QByteArray &chunks = {})
{
    const QByteArray body = QByteArray("WAVE") + "fmt " + le32(16) + QByteArray("\1\0\1\0", 4) + le32(rate)
        + le32(rate * 2) + QByteArray("\2\0\x10\0", 4) + chunks + "data" + le32(quint32(dataBytes))
        + QByteArray(dataBytes, '\0');
    return QByteArray("RIFF") + le32(quint32(body.size())) + body;
}

// A TXXX frame of 200 MB of text, deflated to about 200 KB, streamed so the
// test never holds the text itself.
QByteArray compressedBomb()
{
    const QByteArray description("\0bomb\0", 6);
    const QByteArray text(int(MiB), 'A');
    constexpr int Chunks = 200;
    z_stream z{};
    deflateInit(&z, 9);
    QByteArray compressed;
    QByteArray out(int(MiB), '\0');
    auto feed = [&](const QByteArray &in, int flush) {
        z.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(in.constData()));
        z.avail_in = uInt(in.size());
        do {
            z.next_out = reinterpret_cast<Bytef *>(out.data());
            z.avail_out = uInt(out.size());
            deflate(&z, flush);
            compressed += out.left(out.size() - int(z.avail_out));
        } while (z.avail_out == 0);
    };
    feed(description, Z_NO_FLUSH);
    for (int i = 0; i < Chunks; ++i)
        feed(text, i + 1 == Chunks ? Z_FINISH : Z_NO_FLUSH);
    deflateEnd(&z);
    const quint32 inflated = quint32(description.size() + qint64(Chunks) * text.size());
    return rawFrame(4, "TXXX", bigEndian32(inflated, true) + compressed, 0x09);
}

// `tag` (made with the footer flag) followed by its footer.
QByteArray withFooter(const QByteArray &tag)
{
    return tag + "3DI" + tag.mid(3, 7);
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

QStringList fieldNames(const QString &path)
{
    QStringList names;
    for (const auto &f : readTagFields(path))
        names << QString::fromUtf8(f.name + '=' + f.value.left(40));
    return names;
}

// --- one operation in a fresh process -----------------------------------------

struct Measured {
    bool finished = false;
    bool opened = false;
    qint64 growthMiB = -1;
    qint64 ms = -1;
    QString fields;
};

// Runs `operation` ("decode": as the player opens files, "mpeg": with the
// MPEG audio decoder alone, or "tags") on `path` in a process of its own
// (tests/helpers/measure_operation.cpp), so the peak memory is the
// operation's own; a run longer than `timeoutMs` is stopped and counts as
// unfinished.
Measured measure(const QString &operation, const QString &path, int timeoutMs = 60000)
{
    QProcess child;
    child.start(QStringLiteral(VELMORA_MEASURE_OPERATION), {operation, path});
    Measured m;
    if (!child.waitForFinished(timeoutMs)) {
        child.kill();
        child.waitForFinished();
        return m;
    }
    for (const QString &line : QString::fromUtf8(child.readAllStandardOutput()).split(u'\n')) {
        if (line.startsWith(QStringLiteral("MEASURED "))) {
            const QStringList parts = line.split(u' ');
            m.finished = true;
            m.growthMiB = parts.value(1).toLongLong() / 1024;
            m.ms = parts.value(2).toLongLong();
            m.opened = parts.value(3) == u"1";
        } else if (line.startsWith(QStringLiteral("FIELDS "))) {
            m.fields = line.mid(7);
        }
    }
    return m;
}

// --- the bounds -----------------------------------------------------------------

TEST(Bounds, FilesClaimingTooMuchStayWithinMemoryAndTime)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString oneHertz = dir.filePath(QStringLiteral("one-hertz.wav"));
    const QString id3Bomb = dir.filePath(QStringLiteral("id3-bomb.mp3"));
    const QString chunkBomb = dir.filePath(QStringLiteral("chunk-bomb.wav"));
    const QString zeros = dir.filePath(QStringLiteral("zeros.mp3"));
    const QString framesThenZeros = dir.filePath(QStringLiteral("frames-then-zeros.mp3"));
    const QString hugeTag = dir.filePath(QStringLiteral("huge-tag.mp3"));
    ASSERT_TRUE(writeFile(oneHertz, wav(1, 352 * 1024)));
    const QByteArray bombTag = tag(4, frame(4, "TIT2", QByteArray("\0Small title", 12)) + compressedBomb());
    ASSERT_TRUE(writeFile(id3Bomb, bombTag + silentMp3(100)));
    ASSERT_TRUE(writeFile(chunkBomb, wav(44100, 88200, "ID3 " + le32(quint32(bombTag.size())) + bombTag
                                                           + QByteArray(bombTag.size() & 1, '\0'))));
    {
        // Four gigabytes of zeros (sparse, so made in a moment), as an
        // archive member of zeros would come out.
        QFile f(zeros);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly) && f.resize(qint64(4) << 30));
        QFile g(framesThenZeros);
        ASSERT_TRUE(g.open(QIODevice::WriteOnly) && g.write(silentMp3(100)) > 0 && g.resize(qint64(4) << 30));
        // An ID3v2 tag of the largest size the header can give (256 MiB),
        // holding nothing, before the frames.
        constexpr quint32 TagBody = (1u << 28) - 1;
        QFile h(hugeTag);
        ASSERT_TRUE(h.open(QIODevice::WriteOnly) && h.write(QByteArray("ID3\4\0\0", 6) + bigEndian32(TagBody, true)) == 10
                    && h.seek(10 + qint64(TagBody)) && h.write(silentMp3(100)) > 0);
    }

    const struct {
        const char *label;
        QString path;
        const char *operation;
        qint64 maxMs;
        const char *fields; // the fields still read, for "tags"
        bool opened;        // for "mpeg": the MPEG decoder takes the file
    } cases[] = {
        {"WAV claiming 1 Hz", oneHertz, "decode", 10000, "", false},
        {"MP3 whose ID3 frame inflates to 200 MB", id3Bomb, "decode", 10000, "", false},
        {"MP3 whose ID3 frame inflates to 200 MB", id3Bomb, "mpeg", 10000, "", true},
        {"MP3 whose ID3 frame inflates to 200 MB", id3Bomb, "tags", 2000, "TIT2=Small title", false},
        {"WAV with that frame in an ID3 chunk", chunkBomb, "decode", 10000, "", false},
        {"WAV with that frame in an ID3 chunk", chunkBomb, "tags", 2000, "TIT2=Small title", false},
        {"4 GiB of zeros named .mp3", zeros, "decode", 10000, "", false},
        {"4 GiB of zeros named .mp3", zeros, "mpeg", 2000, "", false},
        {"4 GiB of zeros named .mp3", zeros, "tags", 2000, "", false},
        {"MP3 frames, then 4 GiB of zeros", framesThenZeros, "mpeg", 10000, "", true},
        {"MP3 after an empty 256 MiB ID3 tag", hugeTag, "mpeg", 10000, "", true},
        {"MP3 after an empty 256 MiB ID3 tag", hugeTag, "tags", 2000, "", false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(std::string(c.label) + ", " + c.operation);
        const Measured m = measure(QString::fromLatin1(c.operation), c.path);
        ASSERT_TRUE(m.finished) << "did not finish within a minute";
#if defined(__SANITIZE_ADDRESS__)
        // The address sanitizer keeps freed memory in quarantine and doubles
        // every allocation's cost: only the time is a fair bound there.
        (void)m.growthMiB;
        EXPECT_LT(m.ms, c.maxMs * 3);
#else
        EXPECT_LT(m.growthMiB, 160);
        EXPECT_LT(m.ms, c.maxMs);
#endif
        if (QByteArray(c.operation) == "tags") {
            EXPECT_EQ(m.fields.toStdString(), c.fields);
        }
        if (QByteArray(c.operation) == "mpeg") {
            EXPECT_EQ(m.opened, c.opened);
        }
    }
}

// Bounding the tags keeps every ordinary frame the reader used to get.
TEST(Bounds, OrdinaryId3FramesStillRead)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QByteArray hello("\0Hello", 6);
    const QByteArray artist("\0Artist", 7);
    // 0xFF 0xE0 is stored as 0xFF 0x00 0xE0 in an unsynchronised tag.
    const QByteArray unsynchronised = rawFrame(3, "TIT2", QByteArray("\0\xFF\0\xE0", 4)).replace(4, 4, bigEndian32(3, false));
    // A plain size where a synchsafe one belongs, as iTunes writes.
    const QByteArray itunes =
        rawFrame(4, "TIT2", QByteArray(1, '\0') + QByteArray(299, 'x')).replace(4, 4, bigEndian32(300, false));
    // A compressed stream that goes on past its frame, into the next one.
    QByteArray runOnData = bigEndian32(6, true) + qCompress(hello, 9).mid(4);
    runOnData.chop(4);
    const QByteArray runOn = rawFrame(4, "TIT2", runOnData, 0x09);
    const struct {
        const char *label;
        QByteArray tag;
        const char *fields;
    } cases[] = {
        {"plain frames", tag(4, frame(4, "TIT2", hello) + frame(4, "TPE1", artist)), "TIT2=Hello,TPE1=Artist"},
        {"compressed frames", tag(4, frame(4, "TIT2", hello, true)), "TIT2=Hello"},
        {"compressed version 3 frame", tag(3, frame(3, "TIT2", hello, true) + frame(3, "TPE1", artist)),
         "TIT2=Hello,TPE1=Artist"},
        {"version 3 unsynchronised tag", tag(3, unsynchronised, char(0x80)), "TIT2=\xC3\xBF\xC3\xA0"},
        {"iTunes frame size", tag(4, itunes + frame(4, "TPE1", artist)),
         "TIT2=xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx,TPE1=Artist"},
        {"compressed stream running past its frame", tag(4, runOn + frame(4, "TPE1", artist)), "TPE1=Artist"},
        {"version 2 frames", tag(2, QByteArray("TT2") + QByteArray("\0\0\x06", 3) + hello), "TIT2=Hello"},
        {"version 4 tag with a footer", withFooter(tag(4, frame(4, "TIT2", hello), 0x10)), "TIT2=Hello"},
    };
    for (const auto &c : cases) {
        const QString path = dir.filePath(QStringLiteral("tagged.mp3"));
        ASSERT_TRUE(writeFile(path, c.tag + silentMp3(20)));
        EXPECT_EQ(fieldNames(path).join(u',').toStdString(), c.fields) << c.label;
    }
}

} // namespace
