#include "playback/decoders/Id3v2Bounds.h"

#include <QIODevice>
#include <zlib.h>

#include <algorithm>
#include <cstring>

namespace id3v2 {
namespace {

using Ranges = std::vector<std::pair<qint64, qint64>>;

quint32 byteAt(const QByteArray &b, qint64 i)
{
    return static_cast<unsigned char>(b[qsizetype(i)]);
}

quint32 bigEndian(const QByteArray &b, qint64 at, int n)
{
    quint32 v = 0;
    for (int i = 0; i < n; ++i)
        v = (v << 8) | byteAt(b, at + i);
    return v;
}

quint32 synchsafe(const QByteArray &b, qint64 at)
{
    quint32 v = 0;
    for (int i = 0; i < 4; ++i)
        v = (v << 7) | (byteAt(b, at + i) & 0x7F);
    return v;
}

void putSynchsafe(QByteArray &b, qint64 at, quint32 v)
{
    for (int i = 3; i >= 0; --i) {
        b[qsizetype(at + i)] = char(v & 0x7F);
        v >>= 7;
    }
}

// Undoes unsynchronisation: every 0xFF 0x00 becomes 0xFF.
QByteArray resynchronised(const QByteArray &data)
{
    QByteArray out;
    out.reserve(data.size());
    for (qsizetype i = 0; i < data.size(); ++i) {
        out.append(data[i]);
        if (static_cast<unsigned char>(data[i]) == 0xFF && i + 1 < data.size() && data[i + 1] == 0)
            ++i;
    }
    return out;
}

bool isFrameId(const QByteArray &b, qint64 at, int length)
{
    if (at < 0 || at + length > b.size())
        return false;
    for (int i = 0; i < length; ++i) {
        const char c = b[qsizetype(at + i)];
        if (!((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')))
            return false;
    }
    return true;
}

// Frames the tag reader turns into fields: text frames, comments, and the
// frames TagLib reads as text or converts into text frames.
bool isReadAsText(const QByteArray &id)
{
    static const char *const others[] = {"COMM", "COM", "IPLS", "IPL", "WFED", "WFD",
                                         "MVNM", "MVN", "MVIN", "MVI", "GRP1", "GP1"};
    return id.startsWith('T') || std::any_of(std::begin(others), std::end(others), [&](const char *o) { return id == o; });
}

// The size of what the zlib stream at the start of `data` inflates to, when
// it ends inside `data` and is at most `limit`; -1 otherwise. Inflating stops
// as soon as the limit is passed.
qint64 inflatedSize(const QByteArray &data, qint64 limit)
{
    z_stream z{};
    if (inflateInit(&z) != Z_OK)
        return -1;
    z.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(data.constData()));
    z.avail_in = uInt(data.size());
    unsigned char out[16384];
    qint64 total = 0;
    int r = Z_OK;
    while (r == Z_OK && total <= limit) {
        z.next_out = out;
        z.avail_out = sizeof(out);
        r = inflate(&z, Z_NO_FLUSH);
        total += qint64(sizeof(out) - z.avail_out);
        if (r == Z_BUF_ERROR || (r == Z_OK && z.avail_in == 0 && z.avail_out != 0))
            break; // the input ended inside the stream
    }
    inflateEnd(&z);
    return r == Z_STREAM_END && total <= limit ? total : -1;
}

// The frames of a tag body worth keeping, copied one after another.
class FrameFilter
{
public:
    FrameFilter(int major, bool tagUnsynchronised) : m_major(major), m_tagUnsync(tagUnsynchronised) {}

    QByteArray keep(const QByteArray &body, qint64 from, qint64 end, qint64 room)
    {
        const int header = m_major == 2 ? 6 : 10;
        const int idLength = m_major == 2 ? 3 : 4;
        QByteArray kept;
        qint64 expandedTotal = 0;
        for (qint64 pos = from; pos + header <= end;) {
            if (!isFrameId(body, pos, idLength))
                break; // padding, or the end of what can be read
            const qint64 size = frameSize(body, pos);
            if (size <= 0 || pos + header + size > end)
                break;
            const QByteArray id = body.mid(qsizetype(pos), idLength);
            const qint64 expanded = isReadAsText(id) ? expandedSize(body, pos, header, size) : -1;
            if (expanded >= 0 && expandedTotal + expanded <= MaxTagBytes
                && kept.size() + header + size <= room) {
                QByteArray frame = body.mid(qsizetype(pos), qsizetype(header + size));
                if (m_major == 4)
                    putSynchsafe(frame, 4, quint32(size)); // iTunes writes plain sizes
                kept += frame;
                expandedTotal += expanded;
            }
            pos += header + size;
        }
        return kept;
    }

private:
    qint64 frameSize(const QByteArray &body, qint64 pos) const
    {
        if (m_major == 2)
            return bigEndian(body, pos + 3, 3);
        if (m_major == 3)
            return bigEndian(body, pos + 4, 4);
        // Version 4 sizes are synchsafe, but iTunes writes plain ones: the
        // reading whose next frame is in place wins, as TagLib decides.
        const qint64 size = synchsafe(body, pos + 4);
        if (size > 127 && !isFrameId(body, pos + 10 + size, 4)) {
            const qint64 plain = bigEndian(body, pos + 4, 4);
            if (isFrameId(body, pos + 10 + plain, 4))
                return plain;
        }
        return size;
    }

    // What the frame's data amount to once inflated; -1 when the frame must
    // go: encrypted, compressed beyond bounds, or larger than MaxFrameBytes.
    qint64 expandedSize(const QByteArray &body, qint64 pos, int header, qint64 size) const
    {
        if (m_major == 2)
            return size <= MaxFrameBytes ? size : -1;
        const quint32 format = byteAt(body, pos + 9);
        const bool compressed = m_major == 3 ? (format & 0x80) : (format & 0x08);
        const bool encrypted = m_major == 3 ? (format & 0x40) : (format & 0x04);
        const bool lengthGiven = compressed || (m_major == 4 && (format & 0x01));
        // Undoing unsynchronisation at most halves the data, and inflating
        // never shrinks it by more than a little: a frame this large holds
        // more than MaxFrameBytes either way, and is not copied to find out.
        if (encrypted || size > 2 * MaxFrameBytes + 65536)
            return -1;
        QByteArray data = body.mid(qsizetype(pos + header), qsizetype(size));
        if (m_major == 4 && (m_tagUnsync || (format & 0x02)))
            data = resynchronised(data);
        if (lengthGiven) {
            if (data.size() < 4)
                return -1;
            data.remove(0, 4);
        }
        // The compressed stream must end inside the frame: TagLib inflates
        // on into whatever follows it.
        return compressed ? inflatedSize(data, MaxFrameBytes) : (data.size() <= MaxFrameBytes ? data.size() : -1);
    }

    int m_major;
    bool m_tagUnsync;
};

} // namespace

qint64 tagSize(const QByteArray &bytes)
{
    if (bytes.size() < HeaderBytes || !bytes.startsWith("ID3"))
        return 0;
    const quint32 major = byteAt(bytes, 3);
    if (major < 2 || major > 4 || byteAt(bytes, 4) == 0xFF)
        return 0;
    for (int i = 6; i < 10; ++i)
        if (byteAt(bytes, i) & 0x80)
            return 0;
    const bool footer = major == 4 && (byteAt(bytes, 5) & 0x10);
    return HeaderBytes + synchsafe(bytes, 6) + (footer ? HeaderBytes : 0);
}

qint64 bodyEnd(const QByteArray &bytes)
{
    const qint64 size = tagSize(bytes);
    return size > 0 ? HeaderBytes + synchsafe(bytes, 6) : 0;
}

QByteArray boundedTag(const QByteArray &tag)
{
    if (tagSize(tag) == 0)
        return {};
    const int major = int(byteAt(tag, 3));
    int flags = int(byteAt(tag, 5));
    const qint64 declared = synchsafe(tag, 6);
    // A view, not a copy: the tag may be tens of MiB.
    QByteArray body = QByteArray::fromRawData(tag.constData() + HeaderBytes,
                                              qsizetype(std::min<qint64>(declared, tag.size() - HeaderBytes)));
    const qint64 room = body.size() - (major == 4 && (flags & 0x10) ? HeaderBytes : 0);

    QByteArray kept;
    // Version 2 uses the extended-header flag for a compressed whole tag,
    // which nothing reads.
    if (!(major == 2 && (flags & 0x40))) {
        const bool tagUnsync = flags & 0x80;
        if (tagUnsync && major <= 3)
            body = resynchronised(body);
        qint64 from = 0;
        if (major >= 3 && (flags & 0x40) && body.size() >= 4)
            from = major == 3 ? qint64(bigEndian(body, 0, 4)) + 4 : qint64(synchsafe(body, 0));
        kept = FrameFilter(major, tagUnsync).keep(body, from, body.size(), room);
    }
    flags &= ~0x40;
    if (major <= 3)
        flags &= ~0x80;

    QByteArray out = tag.left(HeaderBytes) + kept;
    out[5] = char(flags);
    return out;
}

namespace {

// Adds the body of the tag at `pos` of `file`; its whole size, 0 when none.
qint64 addTagAt(QIODevice &file, qint64 pos, Ranges &ranges)
{
    if (pos < 0 || !file.seek(pos))
        return 0;
    const qint64 size = tagSize(file.read(HeaderBytes));
    if (size > 0)
        ranges.emplace_back(pos + HeaderBytes, pos + size);
    return size;
}

quint64 littleEndian(const QByteArray &b, int at, int n)
{
    quint64 v = 0;
    for (int i = n - 1; i >= 0; --i)
        v = (v << 8) | byteAt(b, at + i);
    return v;
}

// Walks the chunks from `pos` and adds the tags of "ID3 " chunks.
void walkChunks(QIODevice &file, qint64 pos, int sizeBytes, bool littleEndianSizes, Ranges &ranges)
{
    const qint64 fileSize = file.size();
    const int header = 4 + sizeBytes;
    qint64 rf64DataSize = -1;
    for (int n = 0; n < 4096 && pos + header <= fileSize; ++n) {
        if (!file.seek(pos))
            return;
        const QByteArray h = file.read(header);
        if (h.size() < header)
            return;
        const QByteArray id = h.left(4);
        qint64 size = littleEndianSizes ? qint64(littleEndian(h, 4, sizeBytes)) : qint64(bigEndian(h, 4, sizeBytes));
        if (id == "ds64") {
            const QByteArray ds64 = file.read(16);
            if (ds64.size() == 16)
                rf64DataSize = qint64(littleEndian(ds64, 8, 8));
        } else if (id == "data" && size == 0xFFFFFFFF && rf64DataSize >= 0) {
            size = rf64DataSize;
        } else if (id == "ID3 " || id == "id3 ") {
            addTagAt(file, pos + header, ranges);
        }
        if (size < 0 || size > fileSize)
            return;
        pos += header + size + (size & 1);
    }
}

} // namespace

std::vector<std::pair<qint64, qint64>> tagBodies(QIODevice &file)
{
    Ranges ranges;
    qint64 start = 0;
    for (int n = 0; n < 64; ++n) {
        const qint64 size = addTagAt(file, start, ranges);
        if (size == 0)
            break;
        start += size;
    }
    if (!file.seek(start))
        return ranges;
    const QByteArray head = file.read(28);
    if (head.size() < 16)
        return ranges;
    const QByteArray form = head.left(4);
    if ((form == "RIFF" || form == "RF64" || form == "BW64") && head.mid(8, 4) == "WAVE")
        walkChunks(file, start + 12, 4, true, ranges);
    else if (form == "RIFX" && head.mid(8, 4) == "WAVE")
        walkChunks(file, start + 12, 4, false, ranges);
    else if (form == "FORM")
        walkChunks(file, start + 12, 4, false, ranges);
    else if (form == "FRM8")
        walkChunks(file, start + 16, 8, false, ranges);
    else if (form == "DSD " && head.size() == 28)
        addTagAt(file, start + qint64(littleEndian(head, 20, 8)), ranges);
    return ranges;
}

} // namespace id3v2
