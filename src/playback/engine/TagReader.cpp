#include "playback/engine/TagReader.h"

#include <QFile>
#include <QStringDecoder>

#include <taglib/apetag.h>
#include <taglib/asffile.h>
#include <taglib/fileref.h>
#include <taglib/flacfile.h>
#include <taglib/id3v1tag.h>
#include <taglib/id3v2frame.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#include <taglib/oggfile.h>
#include <taglib/taglib.h>
#include <taglib/tpropertymap.h>
#include <taglib/xiphcomment.h>

namespace {

using Fields = QList<AudioLibrary::TagField>;

QString decodeLegacy(const TagLib::ByteVector &data)
{
    QByteArray bytes(data.data(), qsizetype(data.size()));
    const qsizetype nul = bytes.indexOf('\0');
    if (nul >= 0)
        bytes.truncate(nul);
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return text;
    QStringDecoder sjis("Shift_JIS");
    if (sjis.isValid()) {
        text = sjis.decode(bytes);
        if (!sjis.hasError())
            return text;
    }
    return QString::fromLatin1(bytes);
}

TagLib::String toTagLib(const QString &text)
{
    return TagLib::String(text.toUtf8().constData(), TagLib::String::UTF8);
}

// 8-bit texts of ID3 tags: Japanese files store them in the system code page.
class LegacyId3v1Handler : public TagLib::ID3v1::StringHandler
{
public:
    TagLib::String parse(const TagLib::ByteVector &data) const override
    {
        return toTagLib(decodeLegacy(data).trimmed());
    }
};

class LegacyId3v2Handler : public TagLib::ID3v2::Latin1StringHandler
{
public:
    TagLib::String parse(const TagLib::ByteVector &data) const override { return toTagLib(decodeLegacy(data)); }
};

void installHandlers()
{
    // TagLib keeps the handlers for the whole run; they hold no state.
    static const LegacyId3v1Handler id3v1;
    static const LegacyId3v2Handler id3v2;
    static const bool done = [] {
        TagLib::ID3v1::Tag::setStringHandler(&id3v1);
        TagLib::ID3v2::Tag::setLatin1StringHandler(&id3v2);
        return true;
    }();
    (void)done;
}

QByteArray utf8(const TagLib::String &s)
{
    return QByteArray(s.toCString(true));
}

void add(Fields &fields, int kind, const QByteArray &name, const QByteArray &value)
{
    if (!value.isEmpty())
        fields.append({kind, name, value});
}

void addId3v1(Fields &fields, TagLib::ID3v1::Tag *tag)
{
    if (!tag || tag->isEmpty())
        return;
    const int k = AudioLibrary::TagId3v1;
    add(fields, k, "TITLE", utf8(tag->title()));
    add(fields, k, "ARTIST", utf8(tag->artist()));
    add(fields, k, "ALBUM", utf8(tag->album()));
    if (tag->year() != 0)
        add(fields, k, "YEAR", QByteArray::number(tag->year()));
    add(fields, k, "COMMENT", utf8(tag->comment()));
    if (tag->track() != 0)
        add(fields, k, "TRACK", QByteArray::number(tag->track()));
    add(fields, k, "GENRE", utf8(tag->genre()));
}

void addId3v2(Fields &fields, TagLib::ID3v2::Tag *tag)
{
    if (!tag)
        return;
    for (const TagLib::ID3v2::Frame *frame : tag->frameList()) {
        const TagLib::ByteVector id = frame->frameID();
        add(fields, AudioLibrary::TagId3v2, QByteArray(id.data(), qsizetype(id.size())), utf8(frame->toString()));
    }
}

void addXiph(Fields &fields, TagLib::Ogg::XiphComment *tag)
{
    if (!tag)
        return;
    const TagLib::Ogg::FieldListMap map = tag->fieldListMap();
    for (auto it = map.begin(); it != map.end(); ++it) {
        for (const TagLib::String &value : it->second)
            add(fields, AudioLibrary::TagVorbis, utf8(it->first), utf8(value));
    }
}

void addAsf(Fields &fields, TagLib::ASF::Tag *tag)
{
    if (!tag)
        return;
    const int k = AudioLibrary::TagAsf;
    add(fields, k, "TITLE", utf8(tag->title()));
    add(fields, k, "AUTHOR", utf8(tag->artist()));
    add(fields, k, "COPYRIGHT", utf8(tag->copyright()));
    add(fields, k, "DESCRIPTION", utf8(tag->comment()));
    add(fields, k, "RATING", utf8(tag->rating()));
    const TagLib::ASF::AttributeListMap &map = tag->attributeListMap();
    for (auto it = map.begin(); it != map.end(); ++it) {
        for (const TagLib::ASF::Attribute &attribute : it->second) {
            if (attribute.type() == TagLib::ASF::Attribute::UnicodeType)
                add(fields, k, utf8(it->first), utf8(attribute.toString()));
        }
    }
}

void addProperties(Fields &fields, const TagLib::PropertyMap &map)
{
    for (auto it = map.begin(); it != map.end(); ++it) {
        for (const TagLib::String &value : it->second)
            add(fields, AudioLibrary::TagOther, utf8(it->first), utf8(value));
    }
}

} // namespace

namespace TagReader {

QList<AudioLibrary::TagField> read(const QString &path)
{
    installHandlers();
    Fields fields;
    const QByteArray name = QFile::encodeName(path);
    TagLib::FileRef ref(name.constData(), false);
    TagLib::File *file = ref.file();
    if (!file || !file->isValid())
        return fields;

    if (auto *mpeg = dynamic_cast<TagLib::MPEG::File *>(file)) {
        addId3v1(fields, mpeg->hasID3v1Tag() ? mpeg->ID3v1Tag() : nullptr);
        if (mpeg->hasAPETag())
            addProperties(fields, mpeg->APETag()->properties());
        addId3v2(fields, mpeg->hasID3v2Tag() ? mpeg->ID3v2Tag() : nullptr);
    } else if (auto *flac = dynamic_cast<TagLib::FLAC::File *>(file)) {
        addId3v1(fields, flac->hasID3v1Tag() ? flac->ID3v1Tag() : nullptr);
        addId3v2(fields, flac->hasID3v2Tag() ? flac->ID3v2Tag() : nullptr);
        addXiph(fields, flac->hasXiphComment() ? flac->xiphComment() : nullptr);
    } else if (auto *ogg = dynamic_cast<TagLib::Ogg::File *>(file)) {
        addXiph(fields, dynamic_cast<TagLib::Ogg::XiphComment *>(ogg->tag()));
    } else if (auto *asf = dynamic_cast<TagLib::ASF::File *>(file)) {
        addAsf(fields, asf->tag());
    } else {
        addProperties(fields, file->properties());
    }
    return fields;
}

QString versionText()
{
    return QStringLiteral("TagLib %1.%2.%3").arg(TAGLIB_MAJOR_VERSION).arg(TAGLIB_MINOR_VERSION).arg(TAGLIB_PATCH_VERSION);
}

} // namespace TagReader
