#include "GifWriter.h"

#include <QFile>
#include <QHash>

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

namespace velmora::tools {
namespace {

struct ColorCount {
    QRgb rgb;
    qint64 count;
};

int channel(QRgb c, int axis)
{
    return axis == 0 ? qRed(c) : axis == 1 ? qGreen(c) : qBlue(c);
}

struct Box {
    std::vector<ColorCount> colors;

    // Widest channel and its range; a box of one colour cannot be split.
    std::pair<int, int> widestAxis() const
    {
        int best = 0, bestRange = -1;
        for (int axis = 0; axis < 3; ++axis) {
            int lo = 255, hi = 0;
            for (const ColorCount &c : colors) {
                lo = std::min(lo, channel(c.rgb, axis));
                hi = std::max(hi, channel(c.rgb, axis));
            }
            if (hi - lo > bestRange) {
                bestRange = hi - lo;
                best = axis;
            }
        }
        return {best, bestRange};
    }

    QRgb average() const
    {
        qint64 r = 0, g = 0, b = 0, n = 0;
        for (const ColorCount &c : colors) {
            r += qRed(c.rgb) * c.count;
            g += qGreen(c.rgb) * c.count;
            b += qBlue(c.rgb) * c.count;
            n += c.count;
        }
        return qRgb(int((r + n / 2) / n), int((g + n / 2) / n), int((b + n / 2) / n));
    }
};

int distance(QRgb a, QRgb b)
{
    const int dr = qRed(a) - qRed(b), dg = qGreen(a) - qGreen(b), db = qBlue(a) - qBlue(b);
    // Green weighs most for the eye; the weights keep the arithmetic integral.
    return 3 * dr * dr + 4 * dg * dg + 2 * db * db;
}

class BitWriter {
public:
    explicit BitWriter(QByteArray &out) : out_(out) {}
    void put(int code, int width)
    {
        buffer_ |= std::uint32_t(code) << bits_;
        bits_ += width;
        while (bits_ >= 8) {
            out_.append(char(buffer_ & 0xff));
            buffer_ >>= 8;
            bits_ -= 8;
        }
    }
    void flush()
    {
        if (bits_ > 0)
            out_.append(char(buffer_ & 0xff));
        buffer_ = 0;
        bits_ = 0;
    }

private:
    QByteArray &out_;
    std::uint32_t buffer_ = 0;
    int bits_ = 0;
};

void putWord(QByteArray &out, int v)
{
    out.append(char(v & 0xff));
    out.append(char((v >> 8) & 0xff));
}

} // namespace

QVector<QRgb> buildGifPalette(const QImage &source, int maxColors)
{
    const QImage image = source.convertToFormat(QImage::Format_ARGB32);
    QHash<QRgb, qint64> histogram;
    for (int y = 0; y < image.height(); ++y) {
        const QRgb *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(line[x]) >= kGifAlphaThreshold)
                ++histogram[line[x] | 0xff000000u];
    }
    QVector<QRgb> palette;
    if (histogram.isEmpty() || maxColors < 1)
        return palette;
    if (histogram.size() <= maxColors) {
        for (auto it = histogram.cbegin(); it != histogram.cend(); ++it)
            palette.append(it.key());
        std::sort(palette.begin(), palette.end());
        return palette;
    }

    std::vector<Box> boxes(1);
    for (auto it = histogram.cbegin(); it != histogram.cend(); ++it)
        boxes[0].colors.push_back({it.key(), it.value()});
    // Hash order changes from run to run; a fixed order keeps the output stable.
    std::sort(boxes[0].colors.begin(), boxes[0].colors.end(),
              [](const ColorCount &a, const ColorCount &b) { return a.rgb < b.rgb; });
    while (int(boxes.size()) < maxColors) {
        int pick = -1, pickRange = 0, pickAxis = 0;
        for (int i = 0; i < int(boxes.size()); ++i) {
            if (boxes[i].colors.size() < 2)
                continue;
            const auto [axis, range] = boxes[i].widestAxis();
            if (range > pickRange) {
                pick = i;
                pickRange = range;
                pickAxis = axis;
            }
        }
        if (pick < 0)
            break;
        std::vector<ColorCount> colors = std::move(boxes[pick].colors);
        std::stable_sort(colors.begin(), colors.end(), [pickAxis](const ColorCount &a, const ColorCount &b) {
            return channel(a.rgb, pickAxis) < channel(b.rgb, pickAxis);
        });
        qint64 total = 0;
        for (const ColorCount &c : colors)
            total += c.count;
        // Split at the weighted median, keeping at least one colour per side.
        qint64 running = 0;
        std::size_t cut = 1;
        for (std::size_t i = 0; i + 1 < colors.size(); ++i) {
            running += colors[i].count;
            cut = i + 1;
            if (running * 2 >= total)
                break;
        }
        Box upper;
        upper.colors.assign(colors.begin() + std::ptrdiff_t(cut), colors.end());
        colors.resize(cut);
        boxes[pick].colors = std::move(colors);
        boxes.push_back(std::move(upper));
    }
    for (const Box &box : boxes)
        palette.append(box.average());
    return palette;
}

QByteArray lzwEncodeGif(const QVector<quint8> &indices, int minCodeSize)
{
    QByteArray packed;
    BitWriter bits(packed);
    const int clearCode = 1 << minCodeSize;
    const int endCode = clearCode + 1;
    constexpr int kMaxCodes = 4096;

    // Child table: code * 256 + next index -> code of the longer string.
    std::vector<std::int16_t> children(std::size_t(kMaxCodes) * 256, -1);
    int nextCode = clearCode + 2;
    int codeSize = minCodeSize + 1;
    auto reset = [&] {
        std::fill(children.begin(), children.end(), std::int16_t(-1));
        nextCode = clearCode + 2;
        codeSize = minCodeSize + 1;
    };

    bits.put(clearCode, codeSize);
    if (!indices.isEmpty()) {
        int current = indices[0];
        for (int i = 1; i < indices.size(); ++i) {
            const int k = indices[i];
            const std::size_t slot = std::size_t(current) * 256 + std::size_t(k);
            if (children[slot] >= 0) {
                current = children[slot];
                continue;
            }
            bits.put(current, codeSize);
            children[slot] = std::int16_t(nextCode++);
            // The decoder adds its entry one code later, so it widens its codes
            // when our next free code has passed the current width's range.
            if (nextCode > (1 << codeSize) && codeSize < 12)
                ++codeSize;
            if (nextCode == kMaxCodes) {
                bits.put(clearCode, codeSize);
                reset();
            }
            current = k;
        }
        bits.put(current, codeSize);
        // Reading that last code makes the decoder add one more entry, which
        // may widen the end code.
        if (nextCode < kMaxCodes && nextCode + 1 > (1 << codeSize) && codeSize < 12)
            ++codeSize;
    }
    bits.put(endCode, codeSize);
    bits.flush();

    QByteArray out;
    out.append(char(minCodeSize));
    for (int pos = 0; pos < packed.size(); pos += 255) {
        const int n = std::min(255, int(packed.size()) - pos);
        out.append(char(n));
        out.append(packed.constData() + pos, n);
    }
    out.append(char(0));
    return out;
}

QByteArray encodeGif(const QImage &source)
{
    const QImage image = source.convertToFormat(QImage::Format_ARGB32);
    const int w = image.width(), h = image.height();

    bool anyTransparent = false;
    for (int y = 0; y < h && !anyTransparent; ++y) {
        const QRgb *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        for (int x = 0; x < w; ++x)
            if (qAlpha(line[x]) < kGifAlphaThreshold) {
                anyTransparent = true;
                break;
            }
    }

    QVector<QRgb> palette = buildGifPalette(image, anyTransparent ? 255 : 256);
    int transparentIndex = -1;
    if (anyTransparent) {
        transparentIndex = int(palette.size());
        palette.append(qRgb(0, 0, 0));
    }
    if (palette.isEmpty())
        palette.append(qRgb(0, 0, 0));
    int tableBits = 1;
    while ((1 << tableBits) < palette.size())
        ++tableBits;

    QHash<QRgb, quint8> nearest;
    QVector<quint8> indices;
    indices.reserve(w * h);
    for (int y = 0; y < h; ++y) {
        const QRgb *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        for (int x = 0; x < w; ++x) {
            if (qAlpha(line[x]) < kGifAlphaThreshold) {
                indices.append(quint8(transparentIndex));
                continue;
            }
            const QRgb c = line[x] | 0xff000000u;
            auto it = nearest.constFind(c);
            if (it == nearest.constEnd()) {
                int best = 0, bestDistance = INT32_MAX;
                const int opaqueCount = anyTransparent ? transparentIndex : int(palette.size());
                for (int i = 0; i < opaqueCount; ++i) {
                    const int d = distance(c, palette[i]);
                    if (d < bestDistance) {
                        bestDistance = d;
                        best = i;
                    }
                }
                it = nearest.insert(c, quint8(best));
            }
            indices.append(it.value());
        }
    }

    QByteArray gif("GIF89a");
    putWord(gif, w);
    putWord(gif, h);
    // Global colour table present, 8 bits of colour resolution, table size.
    gif.append(char(0x80 | 0x70 | (tableBits - 1)));
    gif.append(char(0)); // background colour index
    gif.append(char(0)); // no aspect ratio
    for (int i = 0; i < (1 << tableBits); ++i) {
        const QRgb c = i < palette.size() ? palette[i] : qRgb(0, 0, 0);
        gif.append(char(qRed(c)));
        gif.append(char(qGreen(c)));
        gif.append(char(qBlue(c)));
    }
    if (transparentIndex >= 0) {
        gif.append("\x21\xf9\x04", 3);
        gif.append(char(0x05)); // disposal: leave in place; transparent colour given
        putWord(gif, 0);         // no delay
        gif.append(char(transparentIndex));
        gif.append(char(0));
    }
    gif.append(char(0x2c));
    putWord(gif, 0);
    putWord(gif, 0);
    putWord(gif, w);
    putWord(gif, h);
    gif.append(char(0)); // no local table, not interlaced
    gif.append(lzwEncodeGif(indices, std::max(2, tableBits)));
    gif.append(char(0x3b));
    return gif;
}

bool writeGif(const QImage &image, const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    const QByteArray data = encodeGif(image);
    return file.write(data) == data.size() && file.flush();
}

} // namespace velmora::tools
