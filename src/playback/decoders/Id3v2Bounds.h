#pragma once

#include <QByteArray>
#include <QtGlobal>
#include <utility>
#include <vector>

class QIODevice;

// ID3v2 tags as the decoders may safely see them. FFmpeg and TagLib both
// inflate a compressed frame whole, however large it claims to be: a 200 KB
// frame of a 240 KB file can stand for gigabytes of text. FFmpeg's copy of
// the tags is never used (tags come from TagLib), so FFmpeg is shown their
// bodies as zeros; TagLib is shown a copy that holds only the frames the
// player reads, each within bounds.
namespace id3v2 {

inline constexpr qint64 HeaderBytes = 10;
// The most one kept frame may hold once inflated, and all kept frames
// together; text longer than this is no title or artist.
inline constexpr qint64 MaxFrameBytes = qint64(1) << 20;
inline constexpr qint64 MaxTagBytes = qint64(4) << 20;

// The size of the tag (header, body and footer) whose header starts
// `bytes`; 0 when they do not start with an ID3v2 header of versions 2 to 4.
qint64 tagSize(const QByteArray &bytes);
// The same without the footer: where the body of that tag ends.
qint64 bodyEnd(const QByteArray &bytes);

// `tag` (header and body, as long as tagSize() says or cut by the end of the
// file) with only the text and comment frames the tag reader uses: none
// that is encrypted, whose compressed data does not end inside the frame, or
// that exceeds MaxFrameBytes once inflated, and no more than MaxTagBytes in
// all, with tag-wide unsynchronisation undone and the extended header
// dropped. The result is the header and those frames only: read in the
// tag's place with zeros after it to the end of the body (bodyEnd(); a
// footer stays as it is), the file around it reads as before. It holds a few
// MiB at most, however large the tag.
// Null when `tag` has no valid header.
QByteArray boundedTag(const QByteArray &tag);

// The bodies [begin, end) of the ID3v2 tags FFmpeg would parse in `file`:
// the tags at its start, the "ID3 " chunks of RIFF, RF64, AIFF and DSDIFF
// files and the tag DSF files point to. The file's position is left
// undefined.
std::vector<std::pair<qint64, qint64>> tagBodies(QIODevice &file);

} // namespace id3v2
