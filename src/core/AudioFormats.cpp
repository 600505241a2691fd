#include "core/AudioFormats.h"

#include <QSet>

namespace AudioFormats {

const QList<Family> &families()
{
    // mpg123 takes MPEG layers 1-3; FFmpeg recognises the others by their
    // content; MIDI files go to the synthesiser.
    static const QList<Family> table = {
        {"MP3/MP2", {"mp3", "mp2", "mp1"}, {"audio/mpeg"}},
        {"WMA", {"wma"}, {"audio/x-ms-wma"}},
        {"Ogg Vorbis/Opus", {"ogg", "oga", "opus"}, {"audio/ogg", "audio/x-vorbis+ogg", "audio/x-opus+ogg"}},
        {"WAV", {"wav"}, {"audio/x-wav"}},
        {"FLAC", {"flac"}, {"audio/flac"}},
        {"AAC/M4A", {"m4a", "aac"}, {"audio/aac", "audio/mp4", "audio/x-m4a"}},
        {"APE", {"ape"}, {"audio/x-ape"}},
        {"Musepack", {"mpc"}, {"audio/x-musepack"}},
        {"WavPack", {"wv"}, {"audio/x-wavpack"}},
        {"AIFF", {"aif", "aiff"}, {"audio/x-aiff"}},
        {"MIDI", {"mid", "midi"}, {"audio/midi"}},
    };
    return table;
}

const QStringList &extensions()
{
    static const QStringList all = [] {
        QStringList out;
        for (const Family &f : families())
            out += f.extensions;
        return out;
    }();
    return all;
}

bool isPlayable(QStringView path)
{
    static const QSet<QString> known(extensions().cbegin(), extensions().cend());
    const qsizetype dot = path.lastIndexOf(u'.');
    const qsizetype slash = path.lastIndexOf(u'/');
    if (dot < 0 || dot <= slash + 1) // no extension, or a hidden name such as ".mp3"
        return false;
    const QStringView tail = path.mid(dot + 1);
    if (tail.size() > 4)
        return false;
    return known.contains(tail.toString().toLower());
}

namespace {

QString patternsOf(const QStringList &extensions, QChar separator)
{
    QStringList patterns;
    for (const QString &e : extensions)
        patterns << QStringLiteral("*.") + e;
    return patterns.join(separator);
}

} // namespace

QString dialogFilter()
{
    QStringList parts;
    parts << QStringLiteral("オーディオファイル (%1)").arg(patternsOf(extensions(), u' '))
          << patternsOf(extensions(), u';');
    for (const Family &f : families()) {
        parts << QStringLiteral("%1ファイル (%2)").arg(QString::fromUtf8(f.label), patternsOf(f.extensions, u' '))
              << patternsOf(f.extensions, u';');
    }
    parts << QStringLiteral("すべてのファイル (*)") << QStringLiteral("*");
    return parts.join(u'|');
}

QStringList mimeTypes()
{
    QStringList out;
    for (const Family &f : families()) {
        for (const QString &m : f.mimeTypes) {
            if (!out.contains(m))
                out << m;
        }
    }
    return out;
}

QString extensionLine()
{
    QStringList dotted;
    for (const QString &e : extensions())
        dotted << u'.' + e;
    return dotted.join(u' ');
}

} // namespace AudioFormats
