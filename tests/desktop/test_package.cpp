// `cpack -G DEB` builds a Debian package of the installed layout: its files,
// its declared dependencies and its software-centre metadata.

#include "TestFiles.h"

#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct Outcome {
    int exitCode = -1;
    QString output;
};

Outcome run(const QString &program, const QStringList &args, int timeoutMs = 300000)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(program, args);
    if (!p.waitForFinished(timeoutMs))
        return {};
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, QString::fromUtf8(p.readAll())};
}

// One package built for the whole suite: packing takes seconds.
class DebianPackage : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        s_dir = new QTemporaryDir;
        const Outcome pack = run(QStringLiteral(VELMORA_CPACK),
                             {QStringLiteral("-G"), QStringLiteral("DEB"), QStringLiteral("--config"),
                              QStringLiteral(VELMORA_BUILD_DIR "/CPackConfig.cmake"), QStringLiteral("-B"), s_dir->path()});
        s_packOutput = new QString(pack.output);
        const QStringList debs = QDir(s_dir->path()).entryList({QStringLiteral("velmora_*.deb")}, QDir::Files);
        s_deb = new QString(debs.size() == 1 ? s_dir->filePath(debs.first()) : QString());
    }
    static void TearDownTestSuite()
    {
        delete s_deb;
        delete s_packOutput;
        delete s_dir;
    }
    void SetUp() override { ASSERT_FALSE(s_deb->isEmpty()) << "no package was made:\n" << s_packOutput->toStdString(); }

    static QString field(const QString &name)
    {
        return run(QStringLiteral("dpkg-deb"), {QStringLiteral("-f"), *s_deb, name}).output.trimmed();
    }

    static inline QTemporaryDir *s_dir = nullptr;
    static inline QString *s_packOutput = nullptr;
    static inline QString *s_deb = nullptr;
};

TEST_F(DebianPackage, HoldsTheProgramItsModulesAndEveryFileTheDesktopLooksFor)
{
    const Outcome list = run(QStringLiteral("dpkg-deb"), {QStringLiteral("-c"), *s_deb});
    ASSERT_EQ(list.exitCode, 0) << list.output.toStdString();
    QStringList files;
    for (const QString &line : list.output.split(u'\n', Qt::SkipEmptyParts)) {
        // "-rwxr-xr-x root/root 1078600 2026-12-08 15:10 ./usr/bin/velmora"
        const qsizetype at = line.indexOf(QStringLiteral(" ./"));
        if (at >= 0 && !line.endsWith(u'/'))
            files << line.mid(at + 2);
    }
    const char *const expected[] = {
        "/usr/bin/velmora",
        "/usr/lib/velmora/libvelmora_decoders.so",
        "/usr/lib/velmora/libvelmora_ffmpeg.so",
        "/usr/lib/velmora/libvelmora_tags.so",
        "/usr/share/velmora/Style/WindowsStyle/info.txt",
        "/usr/share/velmora/manual.txt",
        "/usr/share/velmora/demo/Little Chime.wav",
        "/usr/share/applications/velmora.desktop",
        "/usr/share/metainfo/org.velmora.Velmora.metainfo.xml",
        "/usr/share/icons/hicolor/16x16/apps/velmora.png",
        "/usr/share/icons/hicolor/48x48/apps/velmora.png",
        "/usr/share/icons/hicolor/256x256/apps/velmora.png",
        "/usr/share/doc/velmora/README.md",
    };
    for (const char *file : expected)
        EXPECT_TRUE(files.contains(QString::fromUtf8(file))) << file;
    for (const QString &file : files)
        EXPECT_TRUE(file.startsWith(QStringLiteral("/usr/bin/")) || file.startsWith(QStringLiteral("/usr/lib/velmora/"))
                    || file.startsWith(QStringLiteral("/usr/share/")))
            << "stray file " << file.toStdString();
}

TEST_F(DebianPackage, DeclaresWhatItLinksAndWhatItOpensAtRunTime)
{
    EXPECT_EQ(field(QStringLiteral("Package")), QStringLiteral("velmora"));
    EXPECT_FALSE(field(QStringLiteral("Version")).isEmpty());
    EXPECT_FALSE(field(QStringLiteral("Architecture")).isEmpty());
    const QString depends = field(QStringLiteral("Depends"));
    // The program's own libraries (from its links) and those of every module,
    // and what is only opened at run time.
    const char *const packages[] = {
        "libqt6widgets6", "libqt6network6", "libsdl2-2.0-0", "libarchive13", // the program
        "libmpg123-0",                                                      // MP3 module
        "libavcodec", "libavformat", "libswresample", "libfluidsynth3",     // FFmpeg and MIDI module
        "libtag1v5",                                                        // tag module
        "libsoxr0", "timgm6mb-soundfont", "qt6-qpa-plugins", "fonts-ipafont-gothic", "qt6-translations-l10n", // opened at run time
    };
    for (const char *package : packages)
        EXPECT_TRUE(depends.contains(QRegularExpression(QStringLiteral("(^|[ ,|])%1").arg(QString::fromUtf8(package)))))
            << package << " missing from: " << depends.toStdString();
}

TEST_F(DebianPackage, SoftwareCentresAcceptItsMetadata)
{
    QTemporaryDir tree;
    const Outcome extract = run(QStringLiteral("dpkg-deb"), {QStringLiteral("-x"), *s_deb, tree.path()});
    ASSERT_EQ(extract.exitCode, 0) << extract.output.toStdString();
    const QString metainfo = tree.filePath(QStringLiteral("usr/share/metainfo/org.velmora.Velmora.metainfo.xml"));
    const QString appstream = QStandardPaths::findExecutable(QStringLiteral("appstreamcli"));
    ASSERT_FALSE(appstream.isEmpty()) << "appstreamcli is missing (Debian package appstream)";
    const Outcome validate = run(appstream, {QStringLiteral("validate"), QStringLiteral("--no-net"), metainfo});
    EXPECT_EQ(validate.exitCode, 0) << validate.output.toStdString();
    // The metadata names the desktop entry the package installs.
    EXPECT_TRUE(readBytes(metainfo).contains("<launchable type=\"desktop-id\">velmora.desktop</launchable>"));
    EXPECT_TRUE(QFileInfo::exists(tree.filePath(QStringLiteral("usr/share/applications/velmora.desktop"))));
}

} // namespace
