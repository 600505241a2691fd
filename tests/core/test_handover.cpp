#include "core/HandOver.h"
#include "core/InputBounds.h"

#include "QtPrinters.h"

#include <QtEndian>
#include <gtest/gtest.h>

namespace {

QByteArray frameOf(const QByteArray &payload)
{
    QByteArray frame(4, '\0');
    qToBigEndian(quint32(payload.size()), frame.data());
    return frame + payload;
}

const QByteArray End = frameOf("velmora-end 2\n");

// Feeds `bytes` in pieces of `piece` bytes (0: all at once).
HandOver::Reader readAll(const QByteArray &bytes, qsizetype piece = 0)
{
    HandOver::Reader reader;
    if (piece == 0) {
        reader.feed(bytes);
        return reader;
    }
    for (qsizetype at = 0; at < bytes.size(); at += piece)
        reader.feed(QByteArrayView(bytes).sliced(at, qMin(piece, bytes.size() - at)));
    return reader;
}

QStringList manyPaths(int count, int length)
{
    QStringList paths;
    for (int i = 0; i < count; ++i)
        paths << QStringLiteral("/m/%1-").arg(i) + QString(length, u'x');
    return paths;
}

TEST(HandOver, PathsTravelWholeInAnyPieces)
{
    const struct {
        const char *name;
        QStringList paths;
    } cases[] = {
        {"NoPathsOnlyRaises", {}},
        {"OnePath", {QStringLiteral("/m/a.mp3")}},
        {"SpacesJapaneseLineBreaks",
         {QStringLiteral("/m/my song.mp3"), QStringLiteral("/音楽/夜明け.ogg"), QStringLiteral("/m/line\nbreak.wav"),
          QStringLiteral("/m/live.zip")}},
        {"FiveThousandPathsInSeveralFrames", manyPaths(5000, 100)},
        {"LongestPaths", manyPaths(300, int(InputBounds::maxPathBytes()) - 10)},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const QByteArray message = HandOver::encode(c.paths);
        for (const qsizetype piece : {qsizetype(0), qsizetype(1), qsizetype(7), qsizetype(65536)}) {
            if (piece == 1 && message.size() > 100000)
                continue; // byte by byte only for the small ones
            const HandOver::Reader reader = readAll(message, piece);
            ASSERT_EQ(reader.state(), HandOver::Reader::State::Complete) << piece << reader.error().toStdString();
            EXPECT_EQ(reader.paths(), c.paths);
            EXPECT_LE(reader.heldBytes(), HandOver::MaxMessageBytes);
        }
        // Every message cut short waits for more.
        for (const qsizetype n : {qsizetype(0), qsizetype(3), message.size() / 2, message.size() - 1})
            EXPECT_EQ(readAll(message.left(n)).state(), HandOver::Reader::State::Reading) << n;
    }
}

TEST(HandOver, MalformedMessagesAreRefused)
{
    QByteArray huge(4, '\0');
    qToBigEndian(quint32(HandOver::MaxFrameBytes + 1), huge.data());
    QByteArray sixteenMiB(4, '\0');
    qToBigEndian(quint32(16 << 20), sixteenMiB.data());
    QByteArray tooManyPaths;
    for (qint64 frame = 0; frame <= HandOver::MaxMessageBytes / (200 * 1000) + 1; ++frame) {
        QByteArray payload = "velmora-open 2\n";
        for (int i = 0; i < 1000; ++i)
            payload += "/" + QByteArray(198, 'p') + '\0';
        tooManyPaths += frameOf(payload);
    }
    const QByteArray tooLong = "/" + QByteArray(InputBounds::maxPathBytes(), 'a');
    const struct {
        const char *name;
        QByteArray bytes;
    } cases[] = {
        {"Garbage", "GET / HTTP/1.1\r\nHost: x\r\n\r\n"},
        {"OldVersion", frameOf("velmora-open 1\n/a\0"_qba) + End},
        {"FrameLargerThanAllowed", huge + QByteArray(100, 'x')},
        {"SixteenMiBFrame", sixteenMiB + QByteArray(1000, 'x')},
        {"EmptyFrame", frameOf("") + End},
        {"BatchWithoutPaths", frameOf("velmora-open 2\n") + End},
        {"LastPathUnterminated", frameOf("velmora-open 2\n/a"_qba) + End},
        {"RelativePath", frameOf("velmora-open 2\nmusic/a.mp3\0"_qba) + End},
        {"EmptyPath", frameOf(QByteArray("velmora-open 2\n/a\0\0", 19)) + End},
        {"NotUtf8", frameOf("velmora-open 2\n/\xff\xfe\0"_qba) + End},
        {"PathLongerThanTheSystemAllows", frameOf("velmora-open 2\n" + tooLong + '\0') + End},
        {"MorePathsThanAMessageMayHold", tooManyPaths + End},
        {"BytesAfterTheEnd", End + "x"},
    };
    for (const auto &c : cases) {
        for (const qsizetype piece : {qsizetype(0), qsizetype(4096)}) {
            const HandOver::Reader reader = readAll(c.bytes, piece);
            EXPECT_EQ(reader.state(), HandOver::Reader::State::Refused) << c.name << " in pieces of " << piece;
            EXPECT_TRUE(reader.paths().isEmpty()) << c.name;
            EXPECT_LE(reader.heldBytes(), HandOver::MaxFrameBytes + 4) << c.name;
        }
    }
}

TEST(InputBounds, PathsNoFileCanHaveAreRefused)
{
    const qsizetype max = InputBounds::maxPathBytes();
    const struct {
        const char *name;
        QString path;
        bool accepted;
    } cases[] = {
        {"Ordinary", QStringLiteral("/m/a.mp3"), true},
        {"Japanese", QStringLiteral("/音楽/夜明け.ogg"), true},
        {"AtTheLimit", u'/' + QString(max - 1, u'a'), true},
        {"OneByteOver", u'/' + QString(max, u'a'), false},
        // Three bytes per character once encoded.
        {"OverOnlyOnceEncoded", u'/' + QString(max / 3 + 1, QChar(0x97F3)), false},
        {"Empty", QString(), false},
        {"WithNul", QStringLiteral("/m/a") + QChar(0) + QStringLiteral(".mp3"), false},
        {"SixtyMillionCharacters", QString(60'000'000, u'a'), false},
    };
    for (const auto &c : cases)
        EXPECT_EQ(InputBounds::pathProblem(c.path).isEmpty(), c.accepted) << c.name;
}

} // namespace
