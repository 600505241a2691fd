#include "settings/VersionInfo.h"

namespace {

struct Site
{
    const char *prefix; // how the library names itself at the start of its line
    const char *url;
};

constexpr Site Sites[] = {
    {"FFmpeg", "https://ffmpeg.org/"},
    {"FluidSynth", "https://www.fluidsynth.org/"},
    {"SDL", "https://www.libsdl.org/"},
    {"TagLib", "https://taglib.org/"},
    {"libarchive", "https://www.libarchive.org/"},
};

const QString NotFound = QStringLiteral("NOT FOUND");

VersionLine lineOf(const QString &text)
{
    const QString trimmed = text.trimmed();
    for (const Site &s : Sites) {
        const QString prefix = QString::fromLatin1(s.prefix);
        if (trimmed.startsWith(prefix + u' '))
            return {trimmed, QString::fromLatin1(s.url)};
    }
    return {trimmed, QString()};
}

} // namespace

VersionInfo VersionInfo::make(const QString &programVersion, const QDate &programDate,
                              const QStringList &audioComponents, const QString &archiverVersion)
{
    VersionInfo info;
    info.title = QStringLiteral("Velmora β Build ") + programVersion;
    info.releaseDate = QStringLiteral("Release");
    info.maker = QStringLiteral("Copyright (C) Velmora Project");
    if (programDate.isValid()) {
        info.releaseDate += u' ' + programDate.toString(QStringLiteral("yyyy/MM/dd"));
        info.maker = QStringLiteral("Copyright (C) %1 Velmora Project").arg(programDate.year());
    }
    for (const QString &component : audioComponents)
        if (!component.trimmed().isEmpty())
            info.audio << lineOf(component);
    if (info.audio.isEmpty())
        info.audio << VersionLine{NotFound, QString()};
    info.archiver << (archiverVersion.trimmed().isEmpty() ? VersionLine{NotFound, QString()} : lineOf(archiverVersion));
    return info;
}
