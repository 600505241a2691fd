#include "core/HandOver.h"

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

TEST(HandOver, PathsTravelWhole)
{
    const QStringList cases[] = {
        {},
        {QStringLiteral("/m/a.mp3")},
        {QStringLiteral("/m/my song.mp3"), QStringLiteral("/音楽/夜明け.ogg"), QStringLiteral("/m/line\nbreak.wav"),
         QStringLiteral("/m/live.zip")},
    };
    for (const QStringList &paths : cases) {
        const QByteArray frame = HandOver::encode(paths);
        const HandOver::Decoded d = HandOver::decode(frame + "next frame");
        ASSERT_EQ(d.status, HandOver::Decoded::Complete) << paths.join(',').toStdString();
        EXPECT_EQ(d.paths, paths);
        EXPECT_EQ(d.consumed, frame.size());
        // Every shorter piece waits for more.
        for (qsizetype n = 0; n < frame.size(); ++n)
            ASSERT_EQ(HandOver::decode(frame.left(n)).status, HandOver::Decoded::Incomplete) << n;
    }
}

TEST(HandOver, MalformedFramesAreRefused)
{
    QByteArray huge(4, '\0');
    qToBigEndian(quint32(HandOver::MaxPayloadBytes + 1), huge.data());
    const struct {
        const char *name;
        QByteArray frame;
    } cases[] = {
        {"WrongHeader", frameOf("velmora-open 9\n/a\0"_qba)},
        {"ShorterThanTheHeader", frameOf("velm")},
        {"Oversized", huge},
        {"LastPathUnterminated", frameOf("velmora-open 1\n/a"_qba)},
        {"RelativePath", frameOf("velmora-open 1\nmusic/a.mp3\0"_qba)},
        {"EmptyPath", frameOf(QByteArray("velmora-open 1\n/a\0\0", 19))},
        {"NotUtf8", frameOf("velmora-open 1\n/\xff\xfe\0"_qba)},
    };
    for (const auto &c : cases)
        EXPECT_EQ(HandOver::decode(c.frame).status, HandOver::Decoded::Bad) << c.name;
}

} // namespace
