// A small GIF89a encoder for still pictures with one transparent colour.
// Qt reads GIF but cannot write it, and the style's button pictures must be
// GIF files, so the asset generator encodes them itself.
#pragma once

#include <QByteArray>
#include <QImage>
#include <QRgb>
#include <QString>
#include <QVector>

namespace velmora::tools {

// Pixels whose alpha is below this become the transparent index; every other
// pixel is written opaque with its colour as it stands (the caller composites
// soft edges over the colour the picture will be shown on).
constexpr int kGifAlphaThreshold = 128;

// Reduces the opaque pixels of `image` to at most `maxColors` colours
// (median cut, weighted by pixel count). Returns the palette; the exact colour
// set when it already fits.
QVector<QRgb> buildGifPalette(const QImage &image, int maxColors);

// The GIF stream of `image`: one frame, a global colour table, and a graphic
// control extension naming the transparent index when any pixel is
// transparent. Colours are mapped to the nearest palette entry.
QByteArray encodeGif(const QImage &image);

// LZW-compressed image data as it follows the image descriptor: the minimum
// code size byte, the sub-blocks and the block terminator. Exposed for tests.
QByteArray lzwEncodeGif(const QVector<quint8> &indices, int minCodeSize);

// Writes encodeGif(image) to `path`; false when the file cannot be written.
bool writeGif(const QImage &image, const QString &path);

} // namespace velmora::tools
