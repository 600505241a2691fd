#include "playback/Tags.h"

#include <array>

TagKindError::TagKindError(int kind)
    : std::runtime_error("unknown tag kind")
    , m_kind(kind)
{
}

QString TagKindName(int kind)
{
    static const std::array<const char *, 7> names = {"VORBIS", "ID3V1", "ID3V2", "SHOUTcast", "Icecast", "ASF", ""};
    if (kind < 0 || kind >= int(names.size()))
        throw TagKindError(kind);
    return QString::fromLatin1(names[std::size_t(kind)]);
}

QString PtrToText(const QByteArray &bytes)
{
    constexpr int maxBytes = 255;
    qsizetype end = bytes.indexOf('\0');
    if (end < 0)
        end = bytes.size();
    if (end > maxBytes) {
        end = maxBytes;
        // Step back over continuation bytes so the cut falls between characters.
        qsizetype start = end;
        while (start > 0 && (static_cast<unsigned char>(bytes[start]) & 0xC0) == 0x80)
            --start;
        end = start;
    }
    return QString::fromUtf8(bytes.constData(), end);
}

namespace {

// Which record field an ID3v2 frame fills; nullptr for none.
QString TagInfo::*id3v2Field(const QString &name, bool &isBandFallback)
{
    isBandFallback = false;
    if (name == QLatin1String("TIT2"))
        return &TagInfo::Title;
    if (name == QLatin1String("TPE1"))
        return &TagInfo::Artist;
    if (name == QLatin1String("TPE2")) {
        isBandFallback = true;
        return &TagInfo::Artist;
    }
    if (name == QLatin1String("TALB"))
        return &TagInfo::Album;
    if (name == QLatin1String("TRCK"))
        return &TagInfo::Track;
    if (name == QLatin1String("TYER") || name == QLatin1String("TDRC"))
        return &TagInfo::Year;
    if (name == QLatin1String("COMM"))
        return &TagInfo::Comment;
    return nullptr;
}

QString TagInfo::*fieldByPrefix(const QString &name)
{
    const QStringView prefix = QStringView(name).left(2);
    if (prefix == QLatin1String("TI"))
        return &TagInfo::Title;
    if (prefix == QLatin1String("AR") || prefix == QLatin1String("AU"))
        return &TagInfo::Artist;
    if (prefix == QLatin1String("AL"))
        return &TagInfo::Album;
    if (prefix == QLatin1String("TR"))
        return &TagInfo::Track;
    if (prefix == QLatin1String("YE"))
        return &TagInfo::Year;
    if (prefix == QLatin1String("CO"))
        return &TagInfo::Comment;
    return nullptr;
}

} // namespace

TagInfo ReadTags(const AudioLibrary &audio, AudioLibrary::StreamHandle stream)
{
    QList<AudioLibrary::TagField> fields;
    const int count = audio.streamNumTagFields(stream);
    for (int i = 0; i < count; ++i) {
        AudioLibrary::TagField field;
        if (audio.streamTagField(stream, i, field))
            fields.append(field);
    }
    return TagsFromFields(fields);
}

TagInfo TagsFromFields(const QList<AudioLibrary::TagField> &fields)
{
    TagInfo info;
    bool haveLeadArtist = false;
    for (const AudioLibrary::TagField &field : fields) {
        const QString name = PtrToText(field.name);
        const QString kindName = TagKindName(field.kind); // throws for unknown kinds
        QString TagInfo::*target = nullptr;
        if (field.kind == AudioLibrary::TagId3v2) {
            if (!name.startsWith(QLatin1Char('T')) && name != QLatin1String("COMM"))
                continue;
            bool bandFallback = false;
            target = id3v2Field(name, bandFallback);
            // The band stands in for the artist only when no lead artist is tagged.
            if (bandFallback && haveLeadArtist)
                target = nullptr;
            if (target == &TagInfo::Artist && !bandFallback)
                haveLeadArtist = true;
        } else {
            target = fieldByPrefix(name);
        }
        info.TagType = kindName;
        info.FieldsTaken = true;
        if (target)
            info.*target = PtrToText(field.value);
    }
    return info;
}
