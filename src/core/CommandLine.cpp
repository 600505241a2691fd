#include "core/CommandLine.h"

#include "core/AudioFormats.h"
#include "core/InputBounds.h"
#include "core/NativePath.h"

QString CommandLineRequest::joinedText() const
{
    if (paths.isEmpty())
        return QString();
    return QLatin1Char('"') + paths.join(QStringLiteral("\" \"")) + QLatin1Char('"');
}

QStringList ArgumentsOf(int argc, const char *const *argv)
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
#ifdef Q_OS_WIN
        arguments.append(QString::fromLocal8Bit(argv[i]));
#else
        arguments.append(NativePath::decode(argv[i])); // every byte of a file name kept
#endif
    return arguments;
}

CommandLineRequest ParseArguments(const QStringList &arguments)
{
    CommandLineRequest request;
    bool optionsEnded = false;
    for (const QString &arg : arguments) {
        if (!optionsEnded && arg.startsWith(QLatin1Char('-')) && arg.size() > 1) {
            if (arg == QLatin1String("--"))
                optionsEnded = true;
            else if (arg == QLatin1String("--help") || arg == QLatin1String("-h"))
                request.showHelp = true;
            else if (arg == QLatin1String("--version") || arg == QLatin1String("-v"))
                request.showVersion = true;
            else if (arg == QLatin1String("--new-instance"))
                request.newInstance = true;
            else if (request.error.isEmpty())
                request.error = QStringLiteral("unknown option: %1").arg(arg);
            continue;
        }
        const QString problem = InputBounds::pathProblem(arg);
        if (!problem.isEmpty()) {
            request.leftOut.append(QStringLiteral("left out (%1): %2").arg(problem, arg.left(200)));
            continue;
        }
        request.paths.append(arg);
    }
    return request;
}

QStringList WithoutToolkitOptions(const QStringList &arguments)
{
    // The options QGuiApplication, QApplication and the X11 platform read;
    // Qt takes each with one dash or two.
    static const QStringList withValue = {
        QStringLiteral("platform"),      QStringLiteral("platformpluginpath"), QStringLiteral("platformtheme"),
        QStringLiteral("plugin"),        QStringLiteral("qwindowgeometry"),    QStringLiteral("geometry"),
        QStringLiteral("qwindowtitle"),  QStringLiteral("title"),              QStringLiteral("qwindowicon"),
        QStringLiteral("icon"),          QStringLiteral("display"),            QStringLiteral("session"),
        QStringLiteral("style"),         QStringLiteral("stylesheet"),         QStringLiteral("name"),
    };
    static const QStringList flags = {
        QStringLiteral("reverse"), QStringLiteral("widgetcount"), QStringLiteral("nograb"),
        QStringLiteral("dograb"),  QStringLiteral("sync"),        QStringLiteral("testability"),
    };
    QStringList rest;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &arg = arguments[i];
        if (arg == QLatin1String("--")) {
            rest += arguments.mid(i);
            break;
        }
        QString name = arg;
        if (name.startsWith(QLatin1String("--")))
            name.remove(0, 2);
        else if (name.startsWith(QLatin1Char('-')))
            name.remove(0, 1);
        else {
            rest << arg;
            continue;
        }
        const qsizetype equals = name.indexOf(QLatin1Char('='));
        if (equals > 0 && withValue.contains(name.left(equals)))
            continue;
        if (name.startsWith(QLatin1String("qmljsdebugger=")) || flags.contains(name))
            continue;
        if (withValue.contains(name) && i + 1 < arguments.size()) {
            ++i; // its value
            continue;
        }
        rest << arg;
    }
    return rest;
}

QStringList SplitCommandLine(const QString &text)
{
    if (text.isEmpty())
        return {};
    if (text.startsWith(QLatin1Char('"'))) {
        // A lone quote has no last character to drop besides itself.
        const QString inner = text.size() >= 2 ? text.mid(1, text.size() - 2) : QString();
        return inner.split(QStringLiteral("\" \""));
    }
    return text.split(QLatin1Char(' '));
}

namespace {

// The playable extensions, indented and wrapped for an 80-column terminal.
QString wrappedExtensions()
{
    QString out;
    QString line = QStringLiteral(" ");
    for (const QString &e : AudioFormats::extensions()) {
        if (line.size() + e.size() + 2 > 78) {
            out += line + u'\n';
            line = QStringLiteral(" ");
        }
        line += QStringLiteral(" .") + e;
    }
    return out + line + u'\n';
}

} // namespace

QString UsageText()
{
    return QStringLiteral(
        "Usage: velmora [options] [--] [file|folder|archive.zip|playlist.m3u ...]\n"
        "\n"
        "Plays local audio files. The paths replace the open track list, which is\n"
        "saved first to its own playlist; the new list is named \"CommandLine\"\n"
        "(\"CommandLine (2)\" when that playlist exists). Each path is added as\n"
        "dropping that file on the player adds it:\n"
        "  song.mp3      one row (a file that cannot be played is marked when tried)\n"
        "  folder        its audio files, then those of its sub-folders (unless\n"
        "                turned off in the settings), in name order, replace the\n"
        "                list, which is named after the folder, as a new playlist\n"
        "  list.m3u      one row for the playlist file, then its tracks\n"
        "  archive.zip   one row per member (.txt members and folders left out),\n"
        "                extracted when it plays; the list is named after the\n"
        "                archive, as a new playlist. Only names ending in .zip or\n"
        "                .ZIP are opened as archives.\n"
        "Audio files are those ending in (any letter case)\n")
           + wrappedExtensions()
           + QStringLiteral(
        "Nothing plays until the play button is pressed.\n"
        "When a player already runs on the same program folder, the paths are\n"
        "handed to it instead and added to its list (a folder adds its audio\n"
        "files; the list is not replaced); without paths it comes to the front.\n"
        "\n"
        "Options:\n"
        "  -h, --help      show this help and exit\n"
        "  -v, --version   show the version and exit\n"
        "  --new-instance  start a player of its own; beside a running one it\n"
        "                  saves nothing into the shared program folder\n"
        "  --              treat every following argument as a path\n"
        "\n"
        "Environment:\n"
        "  VELMORA_HOME     folder for settings, playlists, styles and colours\n"
        "  SDL_AUDIODRIVER  audio output driver (for example dummy or disk)\n");
}
