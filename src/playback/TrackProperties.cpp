#include "playback/TrackProperties.h"

#include "playback/Tags.h"
#include "playback/TrackCells.h"
#include "playback/TrackDetailsSource.h"
#include "playlist/PathNames.h"

#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QTemporaryDir>

#include <memory>

namespace {

const QLocale &numbers()
{
    static const QLocale c(QLocale::Japanese, QLocale::Japan);
    return c;
}

// Japanese names of the common fields, by the name each tag kind gives them.
QString meaningOf(const QByteArray &name)
{
    static const QList<std::pair<QList<QByteArray>, QString>> meanings = {
        {{"TITLE", "TIT2", "TITL", "INAM"}, QStringLiteral("タイトル")},
        {{"ARTIST", "TPE1", "AUTHOR", "IART"}, QStringLiteral("アーティスト")},
        {{"ALBUM", "TALB", "WM/ALBUMTITLE", "IPRD"}, QStringLiteral("アルバム")},
        {{"ALBUMARTIST", "TPE2", "WM/ALBUMARTIST"}, QStringLiteral("アルバムアーティスト")},
        {{"TRACK", "TRACKNUMBER", "TRCK", "WM/TRACKNUMBER"}, QStringLiteral("トラック番号")},
        {{"YEAR", "DATE", "TYER", "TDRC", "WM/YEAR", "ICRD"}, QStringLiteral("年")},
        {{"COMMENT", "COMM", "DESCRIPTION", "ICMT"}, QStringLiteral("コメント")},
        {{"GENRE", "TCON", "WM/GENRE", "IGNR"}, QStringLiteral("ジャンル")},
        {{"COMPOSER", "TCOM", "WM/COMPOSER"}, QStringLiteral("作曲者")},
        {{"COPYRIGHT", "TCOP", "ICOP"}, QStringLiteral("著作権")},
        {{"ENCODER", "TSSE", "ENCODEDBY", "TENC", "ISFT"}, QStringLiteral("エンコーダ")},
    };
    for (const auto &[names, meaning] : meanings)
        if (names.contains(name.toUpper()))
            return meaning;
    return QString();
}

QString kindTitle(int kind)
{
    switch (kind) {
    case AudioLibrary::TagVorbis:
        return QStringLiteral("Vorbis comment");
    case AudioLibrary::TagId3v1:
        return QStringLiteral("ID3v1");
    case AudioLibrary::TagId3v2:
        return QStringLiteral("ID3v2");
    case AudioLibrary::TagAsf:
        return QStringLiteral("ASF");
    default:
        return QStringLiteral("その他");
    }
}

// One section per tag kind, in the order the kinds first appear.
QList<PropertySection> tagSections(const QList<AudioLibrary::TagField> &fields)
{
    QList<PropertySection> out;
    QList<int> kinds;
    for (const AudioLibrary::TagField &f : fields) {
        int at = int(kinds.indexOf(f.kind));
        if (at < 0) {
            kinds << f.kind;
            out.append({TrackPropertiesReader::TagSection + QStringLiteral(" (") + kindTitle(f.kind) + u')', {}});
            at = int(kinds.size()) - 1;
        }
        const QString name = QString::fromUtf8(f.name);
        const QString meaning = meaningOf(f.name);
        const QString label = meaning.isEmpty() ? name : QStringLiteral("%1 (%2)").arg(meaning, name);
        out[at].lines.append({label, QString::fromUtf8(f.value)});
    }
    if (out.isEmpty())
        out.append({TrackPropertiesReader::TagSection, {{QString(), TrackPropertiesReader::NoTags}}});
    return out;
}

PropertySection soundSection(const TrackDetails &d)
{
    PropertySection s{TrackPropertiesReader::SoundSection, {}};
    const StreamFormat &f = d.format;
    const QString unknown = QStringLiteral("不明");
    const int lengthMs = d.lengthMs > 0 ? d.lengthMs : f.lengthMs;
    if (!d.formatKnown && lengthMs <= 0) {
        s.lines.append({QString(), TrackPropertiesReader::Unreadable});
        return s;
    }
    s.lines.append({QStringLiteral("形式"), f.container.isEmpty() ? unknown : f.container});
    s.lines.append({QStringLiteral("コーデック"), f.codec.isEmpty() ? unknown : f.codec});
    s.lines.append({QStringLiteral("長さ"), lengthMs > 0 ? TrackPropertiesReader::LengthText(lengthMs) : unknown});
    // The stream's own rate where its headers give one; otherwise the mean
    // over the whole file, as the list's BitRate cell shows it.
    const QString mean = BitRateText(d.bytes, lengthMs);
    QString bitRate = f.bitRateKbps > 0 ? QStringLiteral("%1 kbps").arg(f.bitRateKbps)
                      : mean.isEmpty()  ? unknown
                                        : QStringLiteral("%1 kbps (ファイル全体の平均)").arg(mean.chopped(3));
    s.lines.append({QStringLiteral("ビットレート"), bitRate});
    s.lines.append({QStringLiteral("サンプルレート"),
                    f.sampleRate > 0 ? numbers().toString(f.sampleRate) + QStringLiteral(" Hz") : unknown});
    s.lines.append({QStringLiteral("チャンネル"), f.channels > 0 ? TrackPropertiesReader::ChannelsText(f.channels) : unknown});
    return s;
}

} // namespace

QString TrackPropertySheet::value(const QString &section, const QString &label) const
{
    for (const PropertySection &s : sections) {
        if (s.title != section)
            continue;
        for (const PropertyLine &l : s.lines)
            if (l.label == label)
                return l.value;
    }
    return QString();
}

TrackPropertiesReader::TrackPropertiesReader(TrackDetailsSource &details, MemberExtractor extractMember,
                                             std::function<QString()> tempFolder)
    : m_details(details), m_extractMember(std::move(extractMember)), m_tempFolder(std::move(tempFolder))
{
}

QString TrackPropertiesReader::SizeText(qint64 bytes)
{
    const QString exact = numbers().toString(bytes) + QStringLiteral(" バイト");
    if (bytes < 1024)
        return exact;
    const char *units[] = {"KB", "MB", "GB", "TB"};
    double value = double(bytes);
    int unit = -1;
    while (value >= 1024.0 && unit < 3) {
        value /= 1024.0;
        ++unit;
    }
    return QStringLiteral("%1 %2 (%3)").arg(numbers().toString(value, 'f', 1), QLatin1String(units[unit]), exact);
}

QString TrackPropertiesReader::LengthText(int lengthMs)
{
    const int ms = lengthMs % 1000;
    const int totalSeconds = lengthMs / 1000;
    const int s = totalSeconds % 60, m = (totalSeconds / 60) % 60, h = totalSeconds / 3600;
    const QString tail = QStringLiteral("%1.%2").arg(s, 2, 10, QLatin1Char('0')).arg(ms, 3, 10, QLatin1Char('0'));
    return h > 0 ? QStringLiteral("%1:%2:%3").arg(h).arg(m, 2, 10, QLatin1Char('0')).arg(tail)
                 : QStringLiteral("%1:%2").arg(m).arg(tail);
}

QString TrackPropertiesReader::ChannelsText(int channels)
{
    if (channels == 1)
        return QStringLiteral("1 (モノラル)");
    if (channels == 2)
        return QStringLiteral("2 (ステレオ)");
    return QString::number(channels);
}

TrackPropertySheet TrackPropertiesReader::read(const QString &rowPath) const
{
    TrackPropertySheet sheet;
    PropertySection file{FileSection, {}};
    QString readable; // the file whose details are read
    std::unique_ptr<QTemporaryDir> extraction;
    if (IsArchiveMemberPath(rowPath)) {
        const QString archive = ArchivePathOfMember(rowPath);
        const QString member = MemberNameOf(rowPath);
        sheet.name = QFileInfo(member).fileName();
        sheet.localFile = archive;
        file.lines.append({QStringLiteral("書庫"), QDir::toNativeSeparators(archive)});
        file.lines.append({QStringLiteral("書庫内の名前"), member});
        const QString temp = m_tempFolder();
        if (!QFileInfo::exists(archive)) {
            file.lines.append({QString(), Missing});
        } else if (!temp.isEmpty()) {
            extraction = std::make_unique<QTemporaryDir>(QDir(temp).filePath(QStringLiteral("properties-XXXXXX")));
            if (extraction->isValid())
                readable = m_extractMember(rowPath, extraction->path() + u'/');
        }
        if (readable.isEmpty() && QFileInfo::exists(archive))
            file.lines.append({QString(), NotExtracted});
    } else {
        const QFileInfo info(rowPath);
        sheet.name = info.fileName();
        sheet.localFile = rowPath;
        file.lines.append({QStringLiteral("名前"), info.fileName()});
        file.lines.append({QStringLiteral("場所"), QDir::toNativeSeparators(info.absolutePath())});
        readable = rowPath;
    }

    TrackDetails details;
    const bool read = !readable.isEmpty() && m_details.readDetails(readable, details);
    if (read) {
        file.lines.append({QStringLiteral("サイズ"), SizeText(details.bytes)});
        const QString suffix = QFileInfo(readable).suffix();
        if (!suffix.isEmpty())
            file.lines.append({QStringLiteral("拡張子"), suffix});
    } else if (!IsArchiveMemberPath(rowPath)) {
        file.lines.append({QString(), Missing});
    }
    sheet.sections.append(file);
    if (read) {
        sheet.sections.append(soundSection(details));
        sheet.sections.append(tagSections(details.fields));
    }
    return sheet; // the extraction folder goes with `extraction`
}
