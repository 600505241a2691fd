#include "settings/VersionInfo.h"

#include <QUrl>

namespace {

// The components' projects and their sites, by the name a component line
// starts with.
struct Site
{
    const char *name;
    const char *url;
};

constexpr Site Sites[] = {
    {"FFmpeg", "https://ffmpeg.org/"},
    {"FluidSynth", "https://www.fluidsynth.org/"},
    {"SDL", "https://www.libsdl.org/"},
    {"TagLib", "https://taglib.org/"},
    {"libarchive", "https://www.libarchive.org/"},
    {"mpg123", "https://www.mpg123.de/"},
    {"soxr", "https://sourceforge.net/projects/soxr/"},
};

// The program's own remarks in the component lines (English on the console),
// as the tab shows them. Tried in order; the first match is replaced.
struct Remark
{
    const char *english;
    const char *japanese; // UTF-8
};

constexpr Remark Remarks[] = {
    {"FFmpeg and FluidSynth (loaded when a file needs them) from ", "FFmpeg・FluidSynth（必要なファイルで読み込み）: "},
    {"FFmpeg and FluidSynth not loaded: ", "FFmpeg・FluidSynthを読み込めません: "},
    {"decoders not loaded: ", "デコーダを読み込めません: "},
    {"TagLib not loaded: ", "TagLibを読み込めません: "},
    {"decoders from ", "デコーダ: "},
    {" (loaded when a file needs resampling)", "（サンプリングレートの変換が必要なファイルで読み込み）"},
    {"soxr not found", "soxr が見つかりません"},
};

const QString NotFound = QStringLiteral("NOT FOUND");

QString inJapanese(QString text)
{
    for (const Remark &r : Remarks) {
        const QString english = QString::fromLatin1(r.english);
        const qsizetype at = text.indexOf(english);
        if (at >= 0)
            return text.replace(at, english.size(), QString::fromUtf8(r.japanese));
    }
    return text;
}

// A line "<project> <version> …" links to the project's site; a line that
// only mentions a project ("FFmpeg and FluidSynth …") does not.
VersionLine lineOf(const QString &text)
{
    const QString trimmed = text.trimmed();
    const QStringList words = trimmed.split(u' ', Qt::SkipEmptyParts);
    QString url;
    if (words.size() >= 2 && words[1].front().isDigit()) {
        for (const Site &s : Sites)
            if (words[0] == QLatin1String(s.name))
                url = QString::fromLatin1(s.url);
    }
    return {inJapanese(trimmed), url};
}

} // namespace

QString VersionInfo::openableUrl(const QString &text)
{
    const QUrl url(text.trimmed(), QUrl::StrictMode);
    if (!url.isValid())
        return QString();
    const QString scheme = url.scheme().toLower();
    if ((scheme == u"http" || scheme == u"https") && !url.host().isEmpty())
        return url.toString();
    if (scheme == u"mailto") {
        const QString address = url.path();
        const qsizetype at = address.indexOf(u'@');
        if (at > 0 && at < address.size() - 1 && !address.contains(u' '))
            return url.toString();
    }
    return QString();
}

VersionInfo VersionInfo::make(const QString &programVersion, const QDate &programDate,
                              const QStringList &audioComponents, const QString &archiverVersion,
                              const MakerContact &contact)
{
    VersionInfo info;
    info.title = QStringLiteral("Velmora β Build ") + programVersion;
    info.releaseDate = QStringLiteral("Release");
    info.maker = QStringLiteral("Copyright (C) Velmora Project");
    if (programDate.isValid()) {
        info.releaseDate += u' ' + programDate.toString(QStringLiteral("yyyy/MM/dd"));
        info.maker = QStringLiteral("Copyright (C) %1 Velmora Project").arg(programDate.year());
    }
    if (!contact.webSite.trimmed().isEmpty())
        info.makerLinks << VersionLine{QStringLiteral("WebSite : ") + contact.webSite.trimmed(),
                                       openableUrl(contact.webSite)};
    if (!contact.mail.trimmed().isEmpty()) {
        QString address = contact.mail.trimmed();
        if (address.startsWith(QStringLiteral("mailto:"), Qt::CaseInsensitive))
            address = address.mid(7);
        info.makerLinks << VersionLine{QStringLiteral("E-mail : ") + address,
                                       openableUrl(QStringLiteral("mailto:") + address)};
    }
    info.iconCredit = QStringLiteral("アイコン制作: Velmora Project");
    for (const QString &component : audioComponents)
        if (!component.trimmed().isEmpty())
            info.audio << lineOf(component);
    if (info.audio.isEmpty())
        info.audio << VersionLine{NotFound, QString()};
    info.archiver << (archiverVersion.trimmed().isEmpty() ? VersionLine{NotFound, QString()} : lineOf(archiverVersion));
    return info;
}
