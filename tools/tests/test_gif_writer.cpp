// The generator's GIF encoder, checked by decoding its output with Qt's reader.

#include "GifWriter.h"

#include <QImage>
#include <QRandomGenerator>
#include <gtest/gtest.h>

using velmora::tools::buildGifPalette;
using velmora::tools::encodeGif;
using velmora::tools::lzwEncodeGif;

namespace {

// A deterministic picture using `colors` distinct opaque colours, with about
// one pixel in `holeEvery` transparent (0: none). `runs` makes long runs of one
// colour, as drawn pictures have; otherwise the pixels are noise.
QImage makeImage(int w, int h, int colors, int holeEvery, bool runs, quint32 seed)
{
    QRandomGenerator rng(seed);
    QVector<QRgb> palette;
    for (int i = 0; i < colors; ++i)
        palette.append(qRgb((i * 97) % 256, (i * 57 + 31) % 256, (i * 13 + 200) % 256));
    QImage image(w, h, QImage::Format_ARGB32);
    int current = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            if (!runs || rng.bounded(12) == 0)
                current = int(rng.bounded(colors));
            const bool hole = holeEvery > 0 && rng.bounded(holeEvery) == 0;
            image.setPixel(x, y, hole ? qRgba(0, 0, 0, 0) : palette[current]);
        }
    return image;
}

// Pixel-exact comparison, treating every transparent pixel as equal.
::testing::AssertionResult sameImage(const QImage &expected, const QImage &actual)
{
    if (actual.isNull())
        return ::testing::AssertionFailure() << "not decodable";
    if (actual.size() != expected.size())
        return ::testing::AssertionFailure() << "size differs";
    const QImage a = actual.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < expected.height(); ++y)
        for (int x = 0; x < expected.width(); ++x) {
            const QRgb e = expected.pixel(x, y), g = a.pixel(x, y);
            const bool same = qAlpha(e) == 0 ? qAlpha(g) == 0 : g == e;
            if (!same)
                return ::testing::AssertionFailure()
                       << "pixel " << x << "," << y << " is " << std::hex << g << " not " << e;
        }
    return ::testing::AssertionSuccess();
}

QImage decode(const QByteArray &gif) { return QImage::fromData(gif, "GIF"); }

// Qt's reader stops once the picture is full, so it forgives a wrong code
// width after the last pixel. This decoder reads the LZW data of
// lzwEncodeGif to its end code and reports the number of pixels, or -1 when
// the stream is malformed or has data left after the end code.
int strictPixelCount(const QByteArray &lzw)
{
    const int minCodeSize = quint8(lzw[0]);
    QByteArray bits;
    int at = 1;
    while (at < lzw.size() && lzw[at] != 0) {
        const int n = quint8(lzw[at]);
        bits.append(lzw.mid(at + 1, n));
        at += n + 1;
    }
    if (at != lzw.size() - 1)
        return -1;
    const int clear = 1 << minCodeSize, end = clear + 1;
    qint64 pos = 0;
    auto read = [&](int width) {
        int v = 0;
        for (int b = 0; b < width; ++b, ++pos) {
            if (pos / 8 >= bits.size())
                return -1;
            v |= ((quint8(bits[int(pos / 8)]) >> (pos % 8)) & 1) << b;
        }
        return v;
    };
    QVector<int> lengths; // string length per code; enough to count pixels
    int width = minCodeSize + 1, prev = -1, pixels = 0;
    for (;;) {
        const int code = read(width);
        if (code < 0)
            return -1;
        if (code == clear) {
            lengths = QVector<int>(clear + 2, 1);
            width = minCodeSize + 1;
            prev = -1;
            continue;
        }
        if (code == end || lengths.isEmpty())
            break;
        if (code > lengths.size() || (code == lengths.size() && prev < 0))
            return -1;
        const int len = code == lengths.size() ? lengths[prev] + 1 : lengths[code];
        if (prev >= 0 && lengths.size() < 4096) {
            lengths.append(lengths[prev] + 1);
            if (lengths.size() == (1 << width) && width < 12)
                ++width;
        }
        pixels += len;
        prev = code;
    }
    return bits.size() * 8 - pos < 8 ? pixels : -1;
}

TEST(GifWriter, PicturesOfUpTo255ColoursComeBackExactly)
{
    struct Case {
        const char *what;
        int w, h, colors, holeEvery;
        bool runs;
    };
    const Case cases[] = {
        {"one pixel", 1, 1, 1, 0, false},
        {"two colours, smallest code size", 9, 7, 2, 0, false},
        {"three colours and transparency", 5, 3, 3, 4, false},
        {"sixteen colours", 17, 13, 16, 0, false},
        {"one colour, long run", 400, 3, 1, 0, false},
        {"drawn picture with holes", 300, 200, 200, 9, true},
        {"noise fills the code table many times", 256, 256, 255, 0, false},
        {"noise with 255 colours and holes", 120, 90, 255, 5, false},
    };
    for (const Case &c : cases) {
        const QImage image = makeImage(c.w, c.h, c.colors, c.holeEvery, c.runs, quint32(c.w * 131 + c.h));
        EXPECT_TRUE(sameImage(image, decode(encodeGif(image)))) << c.what;
    }
}

TEST(GifWriter, EveryStreamLengthAroundCodeWidthChangesDecodes)
{
    // Streams of every length up to 700 pixels cross each code-width change
    // with every possible last code.
    for (int colors : {2, 4, 7}) {
        for (int n = 1; n <= 700; ++n) {
            const QImage image = makeImage(n, 1, colors, colors == 7 ? 6 : 0, false, quint32(n * 7 + colors));
            ASSERT_TRUE(sameImage(image, decode(encodeGif(image)))) << colors << " colours, " << n << " pixels";
            QRandomGenerator rng(quint32(n * 7 + colors));
            QVector<quint8> indices;
            for (int i = 0; i < n; ++i)
                indices.append(quint8(rng.bounded(colors)));
            ASSERT_EQ(strictPixelCount(lzwEncodeGif(indices, 3)), n) << n << " pixels";
        }
    }
}

TEST(GifWriter, TransparencyIsOneBitAtHalfAlpha)
{
    QImage image(4, 1, QImage::Format_ARGB32);
    image.setPixel(0, 0, qRgba(10, 20, 30, 0));
    image.setPixel(1, 0, qRgba(10, 20, 30, 127));
    image.setPixel(2, 0, qRgba(10, 20, 30, 128));
    image.setPixel(3, 0, qRgba(10, 20, 30, 255));
    const QImage back = decode(encodeGif(image)).convertToFormat(QImage::Format_ARGB32);
    ASSERT_FALSE(back.isNull());
    EXPECT_EQ(qAlpha(back.pixel(0, 0)), 0);
    EXPECT_EQ(qAlpha(back.pixel(1, 0)), 0);
    EXPECT_EQ(back.pixel(2, 0), qRgb(10, 20, 30));
    EXPECT_EQ(back.pixel(3, 0), qRgb(10, 20, 30));
}

TEST(GifWriter, OpaquePictureHasNoTransparentIndex)
{
    const QImage image = makeImage(20, 10, 256, 0, false, 5);
    const QByteArray gif = encodeGif(image);
    EXPECT_FALSE(gif.contains(QByteArray("\x21\xf9", 2)));
    // All 256 colours fit the table when none is needed for transparency.
    EXPECT_TRUE(sameImage(image, decode(gif)));
}

TEST(GifWriter, ManyColoursAreReducedToCloseOnes)
{
    QImage image(96, 64, QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, qRgb(x * 255 / 95, y * 255 / 63, (x * y) % 256));
    EXPECT_LE(buildGifPalette(image, 255).size(), 255);
    const QImage back = decode(encodeGif(image)).convertToFormat(QImage::Format_ARGB32);
    ASSERT_EQ(back.size(), image.size());
    int worst = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QRgb a = image.pixel(x, y), b = back.pixel(x, y);
            EXPECT_EQ(qAlpha(b), 255);
            worst = std::max({worst, std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                              std::abs(qBlue(a) - qBlue(b))});
        }
    EXPECT_LE(worst, 48);
}

TEST(GifWriter, PaletteOfAFittingPictureIsItsColourSet)
{
    const QImage image = makeImage(30, 30, 40, 3, false, 9);
    QVector<QRgb> palette = buildGifPalette(image, 255);
    EXPECT_EQ(palette.size(), 40);
    // Transparent pixels add no colour.
    for (QRgb c : palette)
        EXPECT_EQ(qAlpha(c), 255);
}

} // namespace
