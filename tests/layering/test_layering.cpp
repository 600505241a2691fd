// Reads the includes of src/ and fails on every one that runs the wrong way.
// The allowed directions are written here once (and in the README's
// architecture section): change them here, with a reason, or not at all.

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QRegularExpression>
#include <QSet>
#include <QStringList>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <functional>

namespace {

// What each part of src/ may include besides itself. A part is a folder
// under src/; the audio library's engine and decoders count as parts of
// their own. Widget code (a ui/ folder) follows its part's arrows.
const QMap<QString, QStringList> &allowed()
{
    static const QMap<QString, QStringList> map = {
        {"core", {}},
        {"archive", {"core"}},
        // The settings dialog lists the styles and shows the chosen one, and
        // drags and keeps itself in the work area as every frameless window.
        {"settings", {"core", "style", "window"}},
        // The style editor drags itself as every frameless window.
        {"style", {"core", "window"}},
        {"window", {"core"}},
        {"playlist", {"core", "archive"}},
        {"playback", {"core", "playlist"}},
        {"playback/engine", {"core", "playback"}},
        {"playback/decoders", {"core", "playback", "playback/engine"}},
        {"library", {"core", "playlist"}},
        {"mainwindow", {"core", "playlist", "playback", "settings", "style", "window"}},
        {"playlistwindow", {"core", "archive", "playlist", "playback", "library", "settings", "style", "window"}},
        {"app", {"core", "archive", "settings", "style", "window", "playlist", "playback", "library", "mainwindow",
                 "playlistwindow"}},
    };
    return map;
}

// Headers of outside libraries that only one part may include: the audio
// library's own (SDL, mpg123, soxr, FFmpeg, FluidSynth, TagLib) and the
// archiver's.
struct LibraryRule {
    QRegularExpression header;
    QStringList parts;
};
const QList<LibraryRule> &libraryRules()
{
    static const QList<LibraryRule> rules = {
        {QRegularExpression(QStringLiteral("^(SDL2?/|SDL[._])")), {"playback/engine"}},
        {QRegularExpression(QStringLiteral("^(libav|libsw|libpostproc)")), {"playback/decoders"}},
        {QRegularExpression(QStringLiteral("^fluidsynth")), {"playback/decoders"}},
        {QRegularExpression(QStringLiteral("^(mpg123|fmt123|out123|syn123)\\.h$")), {"playback/decoders"}},
        {QRegularExpression(QStringLiteral("^soxr")), {"playback/decoders"}},
        {QRegularExpression(QStringLiteral("^taglib/")), {"playback/decoders"}},
        {QRegularExpression(QStringLiteral("^archive(_entry)?\\.h$")), {"archive"}},
    };
    return rules;
}

struct Include {
    QString file; // relative to src/
    int line;
    QString header;
    bool quoted;
};

QString srcDir()
{
    return QStringLiteral(VELMORA_SOURCE_DIR "/src");
}

QList<Include> includesOf(const QString &root)
{
    static const QRegularExpression re(QStringLiteral(R"(^\s*#\s*include\s*([<"])([^>"]+)[>"])"));
    QList<Include> result;
    QDirIterator it(root, {QStringLiteral("*.h"), QStringLiteral("*.cpp")}, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly))
            continue;
        const QString rel = QDir(root).relativeFilePath(path);
        int n = 0;
        while (!f.atEnd()) {
            ++n;
            const QRegularExpressionMatch m = re.match(QString::fromUtf8(f.readLine()));
            if (m.hasMatch())
                result.append({rel, n, m.captured(2), m.captured(1) == QLatin1String("\"")});
        }
    }
    return result;
}

// The part a path below src/ belongs to, and whether it is widget code.
QString partOf(const QString &rel)
{
    const QStringList pieces = rel.split(QLatin1Char('/'));
    if (pieces.size() > 2 && pieces[0] == QLatin1String("playback")
        && (pieces[1] == QLatin1String("engine") || pieces[1] == QLatin1String("decoders")))
        return pieces[0] + QLatin1Char('/') + pieces[1];
    return pieces.value(0);
}

bool isWidgetCode(const QString &rel)
{
    return rel.split(QLatin1Char('/')).contains(QStringLiteral("ui"));
}

// Widget headers are the ones Qt's widgets module ships.
bool isWidgetHeader(const QString &header)
{
    const QString name = header.startsWith(QLatin1String("QtWidgets/")) ? header.mid(10) : header;
    if (!name.startsWith(QLatin1Char('Q')))
        return false;
    return QFileInfo::exists(QStringLiteral(VELMORA_QT_WIDGETS_INCLUDE "/") + name);
}

// The file a quoted include names, relative to `root`: looked for beside the
// including file first, then under `root`, as the compiler looks. A path
// that climbs out with ".." hides where it leads, and one found in neither
// place cannot be checked: both are errors rather than passes.
struct Resolved {
    QString rel;
    QString error;
};
Resolved resolveQuoted(const QString &root, const Include &inc)
{
    if (inc.header.split(QLatin1Char('/')).contains(QStringLiteral("..")))
        return {QString(), QStringLiteral("a path with .. (name the header from src/)")};
    const QString besideFile = QFileInfo(inc.file).path();
    const QString beside = besideFile == QLatin1String(".") ? inc.header : besideFile + QLatin1Char('/') + inc.header;
    for (const QString &rel : {beside, inc.header})
        if (QFileInfo(root + QLatin1Char('/') + rel).isFile())
            return {QDir::cleanPath(rel), QString()};
    return {QString(), QStringLiteral("not found beside the file nor under src/")};
}

// Every violation of the arrows in `root`, one line each.
QStringList violations(const QString &root)
{
    QStringList found;
    for (const Include &inc : includesOf(root)) {
        const QString where = QStringLiteral("%1:%2 includes %3").arg(inc.file).arg(inc.line).arg(inc.header);
        const QString from = partOf(inc.file);
        if (!allowed().contains(from)) {
            found << where + QStringLiteral(": the folder %1 has no place in the layering").arg(from);
            continue;
        }
        if (inc.quoted) {
            const Resolved target = resolveQuoted(root, inc);
            if (!target.error.isEmpty()) {
                found << where + QStringLiteral(": ") + target.error;
                continue;
            }
            const QString to = partOf(target.rel);
            if (to != from && !allowed().value(from).contains(to))
                found << where + QStringLiteral(": %1 may not use %2").arg(from, to);
            if (isWidgetCode(target.rel) && !isWidgetCode(inc.file))
                found << where + QStringLiteral(": logic may not use widgets");
            continue;
        }
        if (!isWidgetCode(inc.file) && isWidgetHeader(inc.header))
            found << where + QStringLiteral(": logic may not use widgets");
        for (const LibraryRule &rule : libraryRules())
            if (rule.header.match(inc.header).hasMatch() && !rule.parts.contains(from))
                found << where + QStringLiteral(": only %1 may use this library").arg(rule.parts.join(QStringLiteral(", ")));
    }
    return found;
}

TEST(Layering, TheAllowedDirectionsHaveNoCycle)
{
    // Depth-first over the table: a part met again on its own path is a cycle.
    QSet<QString> done;
    std::function<bool(const QString &, QStringList &)> acyclic = [&](const QString &part, QStringList &path) {
        if (path.contains(part)) {
            ADD_FAILURE() << "cycle: " << (path << part).join(QStringLiteral(" -> ")).toStdString();
            return false;
        }
        if (done.contains(part))
            return true;
        path << part;
        for (const QString &to : allowed().value(part)) {
            EXPECT_TRUE(allowed().contains(to)) << part.toStdString() << " names an unknown part " << to.toStdString();
            if (!acyclic(to, path))
                return false;
        }
        path.removeLast();
        done.insert(part);
        return true;
    };
    for (const QString &part : allowed().keys()) {
        QStringList path;
        acyclic(part, path);
    }
}

TEST(Layering, EveryIncludeOfTheSourcesRunsAnAllowedWay)
{
    ASSERT_TRUE(QFileInfo::exists(QStringLiteral(VELMORA_QT_WIDGETS_INCLUDE "/QWidget")))
        << "the widgets module's headers are needed to tell widget headers apart";
    const QStringList found = violations(srcDir());
    EXPECT_TRUE(found.isEmpty()) << found.join(QLatin1Char('\n')).toStdString();
    EXPECT_GT(includesOf(srcDir()).size(), 100) << "the sources were not found";
}

TEST(Layering, TheCheckCatchesEachKindOfWrongArrow)
{
    // A small tree with one wrong arrow of each kind, and one right one.
    QTemporaryDir tree;
    const QString root = tree.path();
    const auto write = [&](const QString &rel, const QByteArray &text) {
        QDir().mkpath(QFileInfo(root + QLatin1Char('/') + rel).absolutePath());
        QFile f(root + QLatin1Char('/') + rel);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
    };
    write(QStringLiteral("core/Base.h"), "#include \"app/Application.h\"\n");
    write(QStringLiteral("app/Application.h"), "#include \"core/Base.h\"\n");
    write(QStringLiteral("playlist/List.h"), "#include \"playlistwindow/ui/Window.h\"\n#include <QWidget>\n");
    write(QStringLiteral("playlistwindow/ui/Window.h"), "#include \"playlist/List.h\"\n#include <QMenu>\n");
    write(QStringLiteral("playback/Player.h"),
          "#include <SDL2/SDL.h>\n#include <libavformat/avformat.h>\n#include <mpg123.h>\n#include <soxr.h>\n");
    // A header of the same folder named without its path is found beside the
    // file, and counts as that folder's.
    write(QStringLiteral("playback/engine/Mixer.h"), "#include \"Stream.h\"\n#include \"playback/Player.h\"\n");
    write(QStringLiteral("playback/engine/Stream.h"), "");
    write(QStringLiteral("core/Pump.cpp"), "#include \"../app/Application.h\"\n#include \"core/Missing.h\"\n"
                                           "#include \"Missing.h\"\n#include \"./Base.h\"\n");
    const QStringList found = violations(root);
    const QStringList expected = {
        "core/Base.h:1 includes app/Application.h: core may not use app",
        "playlist/List.h:1 includes playlistwindow/ui/Window.h: playlist may not use playlistwindow",
        "playlist/List.h:1 includes playlistwindow/ui/Window.h: logic may not use widgets",
        "playlist/List.h:2 includes QWidget: logic may not use widgets",
        "playback/Player.h:1 includes SDL2/SDL.h: only playback/engine may use this library",
        "playback/Player.h:2 includes libavformat/avformat.h: only playback/decoders may use this library",
        "playback/Player.h:3 includes mpg123.h: only playback/decoders may use this library",
        "playback/Player.h:4 includes soxr.h: only playback/decoders may use this library",
        "core/Pump.cpp:1 includes ../app/Application.h: a path with .. (name the header from src/)",
        "core/Pump.cpp:2 includes core/Missing.h: not found beside the file nor under src/",
        "core/Pump.cpp:3 includes Missing.h: not found beside the file nor under src/",
    };
    for (const QString &e : expected)
        EXPECT_TRUE(found.contains(e)) << "not caught: " << e.toStdString();
    EXPECT_EQ(found.size(), expected.size()) << found.join(QLatin1Char('\n')).toStdString();
}

} // namespace
