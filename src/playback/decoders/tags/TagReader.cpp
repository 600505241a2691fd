#include "playback/decoders/tags/TagReader.h"

#include "core/NativePath.h"
#include "playback/decoders/Id3v2Bounds.h"

#include <QFile>
#include <QStringDecoder>

#include <algorithm>
#include <cstring>
#include <map>

#include <taglib/aifffile.h>
#include <taglib/apefile.h>
#include <taglib/apetag.h>
#include <taglib/asffile.h>
#include <taglib/commentsframe.h>
#include <taglib/fileref.h>
#include <taglib/flacfile.h>
#include <taglib/id3v1tag.h>
#include <taglib/id3v2tag.h>
#include <taglib/mp4file.h>
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

QList<TagField> readTagFields(const QString &path)
{
    QList<TagField> out;
    BoundedTagStream stream(NativePath::encode(path));
    if (!stream.isOpen())
        return out;
    TagLib::FileRef ref(&stream, false);
    TagLib::File *file = ref.file();
    if (!file || !file->isValid())
        return out;

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
