#include "playback/decoders/tags/TagReader.h"

#include "core/NativePath.h"
#include "playback/decoders/Id3v2Bounds.h"

#include <QFile>
#include <QStringDecoder>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <tuple>
#include <utility>

#include <taglib/aifffile.h>
#include <taglib/apefile.h>
#include <taglib/apetag.h>
#include <taglib/asffile.h>
#include <taglib/audioproperties.h>
#include <taglib/commentsframe.h>
#include <taglib/fileref.h>
#include <taglib/flacfile.h>
#include <taglib/id3v1tag.h>
#include <taglib/id3v2tag.h>
#include <taglib/mp4atom.h>
#include <taglib/mp4file.h>
#include <taglib/mp4tag.h>
#include <taglib/mpcfile.h>
#include <taglib/mpegfile.h>
#include <taglib/oggflacfile.h>
#include <taglib/opusfile.h>
#include <taglib/speexfile.h>
#include <taglib/textidentificationframe.h>
#include <taglib/tfilestream.h>
#include <taglib/tpropertymap.h>
#include <taglib/vorbisfile.h>
#include <taglib/wavfile.h>
#include <taglib/wavpackfile.h>
#include <taglib/xingheader.h>
#include <taglib/xiphcomment.h>

using TagField = AudioLibrary::TagField;

namespace {

// The file as TagLib reads it, with two bounds. Every ID3v2 tag TagLib
// reads is replaced by id3v2::boundedTag() of it, from the moment TagLib
// reads its header: TagLib would inflate a compressed frame whole, however
// large. And reading ends (as at the end of the file) after MaxReads reads:
// TagLib searches junk a kilobyte at a time, slowly, and would otherwise keep
// the window frozen for minutes on a large file that holds no tag.
class BoundedTagStream : public TagLib::IOStream
{
public:
    static constexpr int MaxReads = 4096;
    static constexpr qint64 MaxTagRead = qint64(64) << 20;

    explicit BoundedTagStream(const QByteArray &fileName) : m_file(fileName.constData(), true) {}

    TagLib::FileName name() const override { return m_file.name(); }
    bool isOpen() const override { return m_file.isOpen(); }
    bool readOnly() const override { return true; }
    void seek(long offset, Position p = Beginning) override { m_file.seek(offset, p); }
    void clear() override { m_file.clear(); }
    long tell() const override { return m_file.tell(); }
    long length() override { return m_file.length(); }
    void writeBlock(const TagLib::ByteVector &) override {}
    void insert(const TagLib::ByteVector &, unsigned long, unsigned long) override {}
    void removeBlock(unsigned long, unsigned long) override {}
    void truncate(long) override {}

    TagLib::ByteVector readBlock(unsigned long length) override
    {
        if (++m_reads > MaxReads)
            return {};
        const long at = m_file.tell();
        for (const auto &[start, tag] : m_tags) {
            if (at >= start && at + long(length) <= start + tag.size)
                return readWithin(tag, start, at, long(length));
        }
        TagLib::ByteVector block = m_file.readBlock(length);
        if (block.startsWith("ID3") && !m_tags.count(at))
            boundTagAt(at, block);
        for (const auto &[start, tag] : m_tags) {
            const long from = std::max<long>(start, at);
            const long to = std::min<long>(start + tag.size, at + long(block.size()));
            if (from >= to)
                continue;
            // The kept frames, then zeros to the end of the tag.
            const long kept = std::clamp<long>(start + long(tag.bytes.size()), from, to);
            if (kept > from)
                std::memcpy(block.data() + (from - at), tag.bytes.constData() + (from - start), size_t(kept - from));
            std::memset(block.data() + (kept - at), 0, size_t(to - kept));
        }
        return block;
    }

private:
    struct BoundedTag {
        QByteArray bytes; // read in the tag's place
        long size = 0;    // of the tag without its footer, as far as the file goes:
                          // zeros after `bytes` (beyond MaxTagRead too)
    };

    // A read inside a bounded tag, answered from it alone and ending a
    // little after its kept frames: TagLib reads a tag's body in one block
    // as long as its header claims (up to 256 MiB), and parses frames only
    // up to the first zero byte.
    TagLib::ByteVector readWithin(const BoundedTag &tag, long start, long at, long length)
    {
        constexpr long ZerosAfter = 1024;
        const long keptEnd = start + long(tag.bytes.size());
        const long end = std::min(at + length, keptEnd + ZerosAfter);
        TagLib::ByteVector block(static_cast<unsigned>(std::max(end - at, 0L)), '\0');
        if (keptEnd > at)
            std::memcpy(block.data(), tag.bytes.constData() + (at - start), size_t(std::min(keptEnd, end) - at));
        m_file.seek(at + long(block.size()));
        return block;
    }

    void boundTagAt(long at, const TagLib::ByteVector &start)
    {
        const QByteArray header(start.data(), int(std::min<unsigned>(start.size(), unsigned(id3v2::HeaderBytes))));
        const qint64 size = std::min(id3v2::tagSize(header), MaxTagRead);
        if (size == 0)
            return;
        const long resume = m_file.tell();
        m_file.seek(at);
        const TagLib::ByteVector raw = m_file.readBlock(static_cast<unsigned long>(size));
        m_file.seek(resume);
        const QByteArray bounded = id3v2::boundedTag(QByteArray::fromRawData(raw.data(), qsizetype(raw.size())));
        if (!bounded.isNull())
            m_tags[at] = {bounded, long(std::min<qint64>(m_file.length() - at, id3v2::bodyEnd(header)))};
    }

    TagLib::FileStream m_file;
    std::map<long, BoundedTag> m_tags; // where a tag starts -> what is read there
    int m_reads = 0;
};

bool hasC1Controls(const QByteArray &bytes)
{
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if (b >= 0x80 && b <= 0x9F)
            return true;
    }
    return false;
}

bool isWellFormedShiftJis(const QByteArray &bytes)
{
    const qsizetype n = bytes.size();
    for (qsizetype i = 0; i < n; ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        if (b < 0x80 || (b >= 0xA1 && b <= 0xDF))
            continue; // ASCII, half-width katakana
        if (!((b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC)) || i + 1 >= n)
            return false;
        const auto t = static_cast<unsigned char>(bytes[++i]);
        if (t < 0x40 || t == 0x7F || t > 0xFC)
            return false;
    }
    return true;
}

QByteArray utf8(const TagLib::String &s)
{
    return QByteArray::fromStdString(s.to8Bit(true));
}

// A string TagLib read from a Latin-1 field: its bytes are recovered exactly.
QByteArray legacy(const TagLib::String &s)
{
    return decodeLegacyTagText(QByteArray::fromStdString(s.to8Bit(false)));
}

void add(QList<TagField> &out, int kind, const QByteArray &name, const QByteArray &value)
{
    if (!name.isEmpty() && !value.isEmpty())
        out.append(TagField{kind, name, value});
}

void addId3v1(QList<TagField> &out, const TagLib::ID3v1::Tag *tag)
{
    if (!tag)
        return;
    constexpr int k = AudioLibrary::TagId3v1;
    add(out, k, "TITLE", legacy(tag->title()));
    add(out, k, "ARTIST", legacy(tag->artist()));
    add(out, k, "ALBUM", legacy(tag->album()));
    if (tag->year())
        add(out, k, "YEAR", QByteArray::number(tag->year()));
    add(out, k, "COMMENT", legacy(tag->comment()));
    if (tag->track())
        add(out, k, "TRACK", QByteArray::number(tag->track()));
    add(out, k, "GENRE", utf8(tag->genre()));
}

void addId3v2(QList<TagField> &out, const TagLib::ID3v2::Tag *tag)
{
    if (!tag)
        return;
    for (const TagLib::ID3v2::Frame *frame : tag->frameList()) {
        const QByteArray id(frame->frameID().data(), int(frame->frameID().size()));
        if (const auto *user = dynamic_cast<const TagLib::ID3v2::UserTextIdentificationFrame *>(frame)) {
            // Named by its description ("TXXX:REPLAYGAIN_TRACK_GAIN"), the
            // value without it.
            TagLib::StringList values = user->fieldList();
            if (!values.isEmpty())
                values.erase(values.begin());
            const bool latin1 = user->textEncoding() == TagLib::String::Latin1;
            const TagLib::String value = values.toString(" ");
            add(out, AudioLibrary::TagId3v2, id + ':' + utf8(user->description()),
                latin1 ? legacy(value) : utf8(value));
        } else if (const auto *text = dynamic_cast<const TagLib::ID3v2::TextIdentificationFrame *>(frame)) {
            const bool latin1 = text->textEncoding() == TagLib::String::Latin1;
            add(out, AudioLibrary::TagId3v2, id, latin1 ? legacy(text->toString()) : utf8(text->toString()));
        } else if (const auto *comment = dynamic_cast<const TagLib::ID3v2::CommentsFrame *>(frame)) {
            const bool latin1 = comment->textEncoding() == TagLib::String::Latin1;
            add(out, AudioLibrary::TagId3v2, id, latin1 ? legacy(comment->text()) : utf8(comment->text()));
        }
    }
}

void addXiph(QList<TagField> &out, const TagLib::Ogg::XiphComment *tag)
{
    if (!tag)
        return;
    // Vorbis comment names are case-insensitive; TagLib gives them in capitals.
    for (const auto &[name, values] : tag->fieldListMap()) {
        for (const TagLib::String &value : values)
            add(out, AudioLibrary::TagVorbis, utf8(name), utf8(value));
    }
}

void addApe(QList<TagField> &out, const TagLib::APE::Tag *tag)
{
    if (!tag)
        return;
    for (const auto &[name, item] : tag->itemListMap()) {
        if (item.type() != TagLib::APE::Item::Text)
            continue;
        for (const TagLib::String &value : item.values())
            add(out, AudioLibrary::TagOther, utf8(name.upper()), utf8(value));
    }
}

QByteArray asfAttributeText(const TagLib::ASF::Attribute &a)
{
    switch (a.type()) {
    case TagLib::ASF::Attribute::UnicodeType:
        return utf8(a.toString());
    case TagLib::ASF::Attribute::BoolType:
        return a.toBool() ? "1" : "0";
    case TagLib::ASF::Attribute::WordType:
        return QByteArray::number(a.toUShort());
    case TagLib::ASF::Attribute::DWordType:
        return QByteArray::number(a.toUInt());
    case TagLib::ASF::Attribute::QWordType:
        return QByteArray::number(qulonglong(a.toULongLong()));
    default:
        return {}; // pictures, GUIDs and other binary data
    }
}

void addAsf(QList<TagField> &out, const TagLib::ASF::Tag *tag)
{
    if (!tag)
        return;
    constexpr int k = AudioLibrary::TagAsf;
    add(out, k, "TITLE", utf8(tag->title()));
    add(out, k, "AUTHOR", utf8(tag->artist()));
    add(out, k, "COPYRIGHT", utf8(tag->copyright()));
    add(out, k, "DESCRIPTION", utf8(tag->comment()));
    add(out, k, "RATING", utf8(tag->rating()));
    for (const auto &[name, attributes] : tag->attributeListMap()) {
        for (const TagLib::ASF::Attribute &a : attributes)
            add(out, k, utf8(name), asfAttributeText(a));
    }
}

// The loudness items among an MP4 file's freeform atoms
// ("----:com.apple.iTunes:replaygain_track_gain"), named by their last part in
// capitals; TagLib's property map leaves them out. Other freeform atoms stay
// out too: their names could fill the title or artist by their first letters.
void addMp4Freeform(QList<TagField> &out, const TagLib::MP4::Tag *tag)
{
    if (!tag)
        return;
    for (const auto &[key, item] : tag->itemMap()) {
        if (!key.startsWith("----:"))
            continue;
        const int colon = key.rfind(":");
        const TagLib::String name = key.substr(static_cast<unsigned>(colon + 1)).upper();
        if (!name.startsWith("REPLAYGAIN_"))
            continue;
        for (const TagLib::String &value : item.toStringList())
            add(out, AudioLibrary::TagOther, utf8(name), utf8(value));
    }
}

void addProperties(QList<TagField> &out, const TagLib::PropertyMap &map)
{
    for (const auto &[name, values] : map) {
        for (const TagLib::String &value : values)
            add(out, AudioLibrary::TagOther, utf8(name), utf8(value));
    }
}

} // namespace

QByteArray decodeLegacyTagText(const QByteArray &bytes)
{
    if (!hasC1Controls(bytes))
        return QString::fromLatin1(bytes).toUtf8();
    QStringDecoder utf8Decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    [[maybe_unused]] const QString asUtf8 = utf8Decoder(bytes);
    if (!utf8Decoder.hasError())
        return bytes;
    if (isWellFormedShiftJis(bytes)) {
        QStringDecoder sjis("windows-31j", QStringDecoder::Flag::Stateless);
        if (sjis.isValid()) {
            const QString text = sjis(bytes);
            if (!sjis.hasError())
                return text.toUtf8();
        }
    }
    return QString::fromLatin1(bytes).toUtf8();
}

namespace {

QList<TagField> fieldsOf(TagLib::File *file)
{
    QList<TagField> out;
    if (auto *mpeg = dynamic_cast<TagLib::MPEG::File *>(file)) {
        if (mpeg->hasID3v1Tag())
            addId3v1(out, mpeg->ID3v1Tag());
        if (mpeg->hasAPETag())
            addApe(out, mpeg->APETag());
        if (mpeg->hasID3v2Tag())
            addId3v2(out, mpeg->ID3v2Tag());
    } else if (auto *flac = dynamic_cast<TagLib::FLAC::File *>(file)) {
        if (flac->hasID3v1Tag())
            addId3v1(out, flac->ID3v1Tag());
        if (flac->hasID3v2Tag())
            addId3v2(out, flac->ID3v2Tag());
        if (flac->hasXiphComment())
            addXiph(out, flac->xiphComment());
    } else if (auto *vorbis = dynamic_cast<TagLib::Ogg::Vorbis::File *>(file)) {
        addXiph(out, vorbis->tag());
    } else if (auto *opus = dynamic_cast<TagLib::Ogg::Opus::File *>(file)) {
        addXiph(out, opus->tag());
    } else if (auto *speex = dynamic_cast<TagLib::Ogg::Speex::File *>(file)) {
        addXiph(out, speex->tag());
    } else if (auto *oggFlac = dynamic_cast<TagLib::Ogg::FLAC::File *>(file)) {
        addXiph(out, oggFlac->tag());
    } else if (auto *asf = dynamic_cast<TagLib::ASF::File *>(file)) {
        addAsf(out, asf->tag());
    } else if (auto *ape = dynamic_cast<TagLib::APE::File *>(file)) {
        if (ape->hasID3v1Tag())
            addId3v1(out, ape->ID3v1Tag());
        if (ape->hasAPETag())
            addApe(out, ape->APETag());
    } else if (auto *mpc = dynamic_cast<TagLib::MPC::File *>(file)) {
        if (mpc->hasID3v1Tag())
            addId3v1(out, mpc->ID3v1Tag());
        if (mpc->hasAPETag())
            addApe(out, mpc->APETag());
    } else if (auto *wavPack = dynamic_cast<TagLib::WavPack::File *>(file)) {
        if (wavPack->hasID3v1Tag())
            addId3v1(out, wavPack->ID3v1Tag());
        if (wavPack->hasAPETag())
            addApe(out, wavPack->APETag());
    } else if (auto *wav = dynamic_cast<TagLib::RIFF::WAV::File *>(file)) {
        if (wav->hasInfoTag())
            addProperties(out, wav->InfoTag()->properties());
        if (wav->hasID3v2Tag())
            addId3v2(out, wav->ID3v2Tag());
    } else if (auto *aiff = dynamic_cast<TagLib::RIFF::AIFF::File *>(file)) {
        if (aiff->hasID3v2Tag())
            addId3v2(out, aiff->tag());
    } else if (auto *mp4 = dynamic_cast<TagLib::MP4::File *>(file)) {
        addProperties(out, file->properties());
        addMp4Freeform(out, mp4->tag());
    } else {
        addProperties(out, file->properties());
    }
    return out;
}

quint32 bigEndian(const TagLib::ByteVector &v, unsigned at, unsigned bytes)
{
    quint32 n = 0;
    for (unsigned i = 0; i < bytes; ++i)
        n = (n << 8) | static_cast<unsigned char>(v[at + i]);
    return n;
}

quint64 bigEndian64(const TagLib::ByteVector &v, unsigned at)
{
    return (quint64(bigEndian(v, at, 4)) << 32) | bigEndian(v, at + 4, 4);
}

int samplesPerFrame(const TagLib::MPEG::Properties &p)
{
    if (p.layer() == 1)
        return 384;
    if (p.layer() == 2 || p.version() == TagLib::MPEG::Header::Version1)
        return 1152;
    return 576;
}

// The encoder delay and padding of the LAME tag after the Xing/Info header
// of the first frame, in samples; 0 when there is none.
int lameTrim(TagLib::MPEG::File &file, const TagLib::MPEG::Properties &p)
{
    const long first = file.firstFrameOffset();
    if (first < 0)
        return 0;
    file.seek(first);
    const TagLib::ByteVector frame = file.readBlock(256);
    const bool mono = p.channelMode() == TagLib::MPEG::Header::SingleChannel;
    const unsigned xing = p.version() == TagLib::MPEG::Header::Version1 ? (mono ? 21 : 36) : (mono ? 13 : 21);
    if (frame.size() < xing + 8 || (frame.mid(xing, 4) != "Xing" && frame.mid(xing, 4) != "Info"))
        return 0;
    const quint32 flags = bigEndian(frame, xing + 4, 4);
    unsigned lame = xing + 8;
    lame += (flags & 1 ? 4 : 0) + (flags & 2 ? 4 : 0) + (flags & 4 ? 100 : 0) + (flags & 8 ? 4 : 0);
    // The encoder's name (9 bytes) and 12 bytes of settings come first.
    if (frame.size() < lame + 24)
        return 0;
    const quint32 trim = bigEndian(frame, lame + 21, 3);
    return int(trim >> 12) + int(trim & 0xFFF);
}

double mpegLengthMs(TagLib::MPEG::File &file)
{
    const TagLib::MPEG::Properties *p = file.audioProperties();
    if (!p || p->sampleRate() <= 0)
        return 0;
    const int spf = samplesPerFrame(*p);
    const TagLib::MPEG::XingHeader *header = p->xingHeader();
    if (header && header->totalFrames() > 0) {
        qint64 samples = qint64(header->totalFrames()) * spf;
        if (header->type() == TagLib::MPEG::XingHeader::Xing)
            samples = std::max<qint64>(samples - lameTrim(file, *p), 0);
        return double(samples) * 1000.0 / p->sampleRate();
    }
    // A constant rate: frames of the mean size of that rate fill the stream,
    // whose length TagLib gives to the millisecond, well inside a frame.
    const qint64 frames = std::llround(double(p->lengthInMilliseconds()) * p->sampleRate() / (1000.0 * spf));
    return double(frames * spf) * 1000.0 / p->sampleRate();
}

// The movie header's time scale (edit durations count in it); 0 without one.
template <typename Read>
quint32 mvhdTimeScale(TagLib::MP4::Atom *moov, const Read &read)
{
    TagLib::MP4::Atom *mvhd = moov->find("mvhd");
    if (!mvhd)
        return 0;
    const TagLib::ByteVector h = read(mvhd);
    const bool v1 = !h.isEmpty() && h[0] == 1;
    return h.size() >= (v1 ? 24u : 16u) ? bigEndian(h, v1 ? 20 : 12, 4) : 0;
}

// The first audio track's samples less the priming its edit list skips and
// the padding its edit list or iTunes gapless data leave out, as the decoder
// plays them.
double mp4LengthMs(TagLib::MP4::File &file)
{
    TagLib::MP4::Atoms atoms(&file);
    const auto read = [&file](const TagLib::MP4::Atom *atom) {
        file.seek(atom->offset + 8);
        return file.readBlock(static_cast<unsigned long>(std::clamp<long>(atom->length - 8, 0, 1 << 20)));
    };
    TagLib::MP4::Atom *moov = atoms.find("moov");
    if (!moov)
        return 0;
    for (TagLib::MP4::Atom *trak : moov->findall("trak")) {
        TagLib::MP4::Atom *hdlr = trak->find("mdia", "hdlr");
        TagLib::MP4::Atom *mdhd = trak->find("mdia", "mdhd");
        TagLib::MP4::Atom *stts = trak->find("mdia", "minf", "stbl", "stts");
        if (!hdlr || !mdhd || !stts || read(hdlr).mid(8, 4) != "soun")
            continue;
        const TagLib::ByteVector h = read(mdhd);
        const bool v1 = !h.isEmpty() && h[0] == 1;
        if (h.size() < (v1 ? 24u : 16u))
            return 0;
        const quint32 scale = bigEndian(h, v1 ? 20 : 12, 4);
        const TagLib::ByteVector t = read(stts);
        if (scale == 0 || t.size() < 8)
            return 0;
        // Every frame decodes whole, the last one's padding too: the frames
        // times the frame length (the first entry's), not the durations the
        // table gives (the last frame's is cut to the end of the sound).
        qint64 frames = 0;
        const quint32 entries = std::min<quint32>(bigEndian(t, 4, 4), (t.size() - 8) / 8);
        for (quint32 i = 0; i < entries; ++i)
            frames += bigEndian(t, 8 + 8 * i, 4);
        double samples = entries > 0 ? double(frames) * bigEndian(t, 12, 4) : 0; // no overflow on any table
        // edts holds elst: version, flags, count, then the first edit's
        // duration (in the movie's time scale) and the media time it starts at.
        double declaredMs = 0;
        if (TagLib::MP4::Atom *edts = trak->find("edts")) {
            const TagLib::ByteVector e = read(edts);
            if (e.size() >= 16 && e.mid(4, 4) == "elst" && bigEndian(e, 12, 4) >= 1) {
                const bool ev1 = e[8] == 1;
                if (e.size() >= (ev1 ? 32u : 24u)) {
                    samples -= double(std::max<qint64>(ev1 ? qint64(bigEndian64(e, 24)) : qint32(bigEndian(e, 20, 4)), 0));
                    const double duration = ev1 ? double(bigEndian64(e, 16)) : double(bigEndian(e, 16, 4));
                    if (const quint32 movieScale = mvhdTimeScale(moov, read); movieScale > 0)
                        declaredMs = duration * 1000.0 / movieScale;
                }
            }
        }
        // iTunes gapless data: delay, padding and the number of real samples.
        const TagLib::MP4::ItemMap items = file.tag() ? file.tag()->itemMap() : TagLib::MP4::ItemMap();
        if (auto smpb = items.find("----:com.apple.iTunes:iTunSMPB"); smpb != items.end()) {
            const TagLib::StringList texts = smpb->second.toStringList();
            unsigned long long real = 0;
            if (!texts.isEmpty() && std::sscanf(texts.front().to8Bit().c_str(), "%*x %*x %*x %llx", &real) == 1 && real > 0)
                declaredMs = double(real) * 1000.0 / scale;
        }
        const double lengthMs = std::max(samples, 0.0) * 1000.0 / scale;
        // The decoder stops where the file says the sound ends, when that
        // cuts only the encoder's padding (at most a tenth of a second).
        if (declaredMs > 0 && declaredMs < lengthMs && lengthMs - declaredMs <= 100.0)
            return declaredMs;
        return lengthMs;
    }
    return 0;
}

// Ogg Opus: the decoder's timeline starts before the pre-skip it drops, so
// the stream lasts the pre-skip longer than the granule positions say.
double opusLengthMs(TagLib::Ogg::Opus::File &file)
{
    const TagLib::AudioProperties *p = file.audioProperties();
    if (!p || p->lengthInMilliseconds() <= 0)
        return 0;
    const TagLib::ByteVector head = file.packet(0);
    const int preSkip = head.size() >= 12 && head.startsWith("OpusHead")
                            ? static_cast<unsigned char>(head[10]) | (static_cast<unsigned char>(head[11]) << 8)
                            : 0;
    return p->lengthInMilliseconds() + preSkip * 1000.0 / 48000;
}

template<typename Properties>
double countedLengthMs(const Properties *p)
{
    return p && p->sampleRate() > 0 ? double(p->sampleFrames()) * 1000.0 / p->sampleRate() : 0;
}

double lengthOf(TagLib::File *file)
{
    if (auto *mpeg = dynamic_cast<TagLib::MPEG::File *>(file))
        return mpegLengthMs(*mpeg);
    if (auto *flac = dynamic_cast<TagLib::FLAC::File *>(file))
        return countedLengthMs(flac->audioProperties());
    if (auto *wav = dynamic_cast<TagLib::RIFF::WAV::File *>(file))
        return countedLengthMs(wav->audioProperties());
    if (auto *aiff = dynamic_cast<TagLib::RIFF::AIFF::File *>(file))
        return countedLengthMs(aiff->audioProperties());
    if (auto *wavPack = dynamic_cast<TagLib::WavPack::File *>(file))
        return countedLengthMs(wavPack->audioProperties());
    if (auto *ape = dynamic_cast<TagLib::APE::File *>(file))
        return countedLengthMs(ape->audioProperties());
    if (auto *mpc = dynamic_cast<TagLib::MPC::File *>(file))
        return countedLengthMs(mpc->audioProperties());
    if (auto *mp4 = dynamic_cast<TagLib::MP4::File *>(file))
        return mp4LengthMs(*mp4);
    if (auto *opus = dynamic_cast<TagLib::Ogg::Opus::File *>(file))
        return opusLengthMs(*opus);
    const TagLib::AudioProperties *p = file->audioProperties();
    return p ? double(p->lengthInMilliseconds()) : 0;
}

// Opens `path` for TagLib, with its audio properties when `properties`, and
// hands the file to `use`; false when TagLib does not know the file.
template <typename Use>
bool withTagFile(const QString &path, bool properties, Use &&use)
{
    BoundedTagStream stream(NativePath::encode(path));
    if (!stream.isOpen())
        return false;
    TagLib::FileRef ref(&stream, properties, TagLib::AudioProperties::Average);
    TagLib::File *file = ref.file();
    if (!file || !file->isValid())
        return false;
    use(file);
    return true;
}

} // namespace

QList<TagField> readTagFields(const QString &path)
{
    QList<TagField> fields;
    withTagFile(path, false, [&](TagLib::File *file) { fields = fieldsOf(file); });
    return fields;
}

bool readTrackHeader(const QString &path, TrackHeader &header)
{
    return withTagFile(path, true, [&](TagLib::File *file) {
        header.fields = fieldsOf(file);
        header.lengthMs = lengthOf(file);
    });
}

namespace {

// The codec of a WAV file by its format tag.
QString wavCodec(int formatTag, int bits)
{
    switch (formatTag) {
    case 1:
        return QStringLiteral("PCM %1 bit").arg(bits);
    case 3:
        return QStringLiteral("PCM %1 bit float").arg(bits);
    case 6:
        return QStringLiteral("A-law");
    case 7:
        return QStringLiteral("μ-law");
    case 0x55:
        return QStringLiteral("MPEG Layer 3");
    case 0xFFFE:
        return QStringLiteral("PCM %1 bit (extensible)").arg(bits);
    default:
        return QStringLiteral("format 0x%1").arg(formatTag, 4, 16, QLatin1Char('0'));
    }
}

QString mpegCodec(const TagLib::MPEG::Properties &p)
{
    const char *version = p.version() == TagLib::MPEG::Header::Version1   ? "1"
                          : p.version() == TagLib::MPEG::Header::Version2 ? "2"
                                                                          : "2.5";
    return QStringLiteral("MPEG-%1 Layer %2").arg(QLatin1String(version)).arg(p.layer());
}

// The container's name and the codec inside it.
std::pair<QString, QString> kindOf(TagLib::File *file)
{
    if (auto *mpeg = dynamic_cast<TagLib::MPEG::File *>(file)) {
        const auto *p = mpeg->audioProperties();
        const QString codec = p ? mpegCodec(*p) : QString();
        return {p && p->layer() == 2 ? QStringLiteral("MP2") : QStringLiteral("MP3"), codec};
    }
    if (auto *flac = dynamic_cast<TagLib::FLAC::File *>(file)) {
        const auto *p = flac->audioProperties();
        return {QStringLiteral("FLAC"), p ? QStringLiteral("FLAC %1 bit").arg(p->bitsPerSample()) : QStringLiteral("FLAC")};
    }
    if (dynamic_cast<TagLib::Ogg::Vorbis::File *>(file))
        return {QStringLiteral("Ogg"), QStringLiteral("Vorbis")};
    if (dynamic_cast<TagLib::Ogg::Opus::File *>(file))
        return {QStringLiteral("Ogg"), QStringLiteral("Opus")};
    if (dynamic_cast<TagLib::Ogg::Speex::File *>(file))
        return {QStringLiteral("Ogg"), QStringLiteral("Speex")};
    if (dynamic_cast<TagLib::Ogg::FLAC::File *>(file))
        return {QStringLiteral("Ogg"), QStringLiteral("FLAC")};
    if (auto *asf = dynamic_cast<TagLib::ASF::File *>(file)) {
        const auto *p = asf->audioProperties();
        const QString name = p ? QString::fromStdString(p->codecName().to8Bit(true)) : QString();
        return {QStringLiteral("ASF (WMA)"), name.isEmpty() ? QStringLiteral("Windows Media Audio") : name};
    }
    if (auto *mp4 = dynamic_cast<TagLib::MP4::File *>(file)) {
        const auto *p = mp4->audioProperties();
        const QString codec = !p                                          ? QString()
                              : p->codec() == TagLib::MP4::Properties::AAC  ? QStringLiteral("AAC")
                              : p->codec() == TagLib::MP4::Properties::ALAC ? QStringLiteral("ALAC")
                                                                            : QString();
        return {QStringLiteral("MP4 (M4A)"), codec};
    }
    if (dynamic_cast<TagLib::APE::File *>(file))
        return {QStringLiteral("APE"), QStringLiteral("Monkey's Audio")};
    if (dynamic_cast<TagLib::MPC::File *>(file))
        return {QStringLiteral("MPC"), QStringLiteral("Musepack")};
    if (dynamic_cast<TagLib::WavPack::File *>(file))
        return {QStringLiteral("WavPack"), QStringLiteral("WavPack")};
    if (auto *wav = dynamic_cast<TagLib::RIFF::WAV::File *>(file)) {
        const auto *p = wav->audioProperties();
        return {QStringLiteral("WAV"), p ? wavCodec(p->format(), p->bitsPerSample()) : QString()};
    }
    if (auto *aiff = dynamic_cast<TagLib::RIFF::AIFF::File *>(file)) {
        const auto *p = aiff->audioProperties();
        if (p && p->isAiffC())
            return {QStringLiteral("AIFF-C"), QString::fromStdString(p->compressionName().to8Bit(true))};
        return {QStringLiteral("AIFF"), p ? QStringLiteral("PCM %1 bit").arg(p->bitsPerSample()) : QString()};
    }
    return {};
}

} // namespace

bool readStreamFormat(const QString &path, StreamFormat &format)
{
    return withTagFile(path, true, [&](TagLib::File *file) {
        StreamFormat read;
        std::tie(read.container, read.codec) = kindOf(file);
        if (const TagLib::AudioProperties *p = file->audioProperties()) {
            read.sampleRate = std::max(0, p->sampleRate());
            read.channels = std::max(0, p->channels());
            read.bitRateKbps = std::max(0, p->bitrate());
        }
        read.lengthMs = int(std::lround(lengthOf(file)));
        format = read;
    });
}
