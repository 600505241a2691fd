// cmake --install into a temporary prefix; the installed program starts
// from there, without the build tree.

#include "app/MprisService.h"
#include "PlayerProcess.h"
#include "QtPrinters.h"
#include "TestFiles.h"

#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// The value of `key` in the [Desktop Entry] group.
QString desktopValue(const QByteArray &entry, const QString &key)
{
    const QRegularExpression re(QStringLiteral("^%1=(.*)$").arg(key), QRegularExpression::MultilineOption);
    return re.match(QString::fromUtf8(entry)).captured(1);
}

TEST(Install, TheInstalledProgramRunsOnItsOwn)
{
    QTemporaryDir top;
    const QString prefix = top.filePath(QStringLiteral("prefix"));
    QProcess install;
    install.setProcessChannelMode(QProcess::MergedChannels);
    install.start(QStringLiteral(VELMORA_CMAKE),
                  {QStringLiteral("--install"), QStringLiteral(VELMORA_BUILD_DIR), QStringLiteral("--prefix"), prefix});
    ASSERT_TRUE(install.waitForFinished(120000));
    ASSERT_EQ(install.exitCode(), 0) << install.readAll().toStdString();

    const QString program = prefix + QStringLiteral("/bin/velmora");
    ASSERT_TRUE(QFileInfo(program).isExecutable());
    const QString data = prefix + QStringLiteral("/share/");
    for (const char *file : {"velmora/Style/WindowsStyle/info.txt", "velmora/manual.txt", "velmora/demo/Little Chime.wav",
                             "icons/hicolor/16x16/apps/velmora.png", "icons/hicolor/48x48/apps/velmora.png",
                             "icons/hicolor/256x256/apps/velmora.png"})
        EXPECT_TRUE(QFileInfo::exists(data + QString::fromUtf8(file))) << file;

    // The desktop entry is valid and offers every type the player opens.
    const QString entryPath = data + QStringLiteral("applications/velmora.desktop");
    const QByteArray entry = readBytes(entryPath);
    QStringList types = desktopValue(entry, QStringLiteral("MimeType")).split(u';', Qt::SkipEmptyParts);
    QStringList supported = MprisService::supportedMimeTypes();
    types.sort();
    supported.sort();
    EXPECT_EQ(types, supported);
    EXPECT_EQ(desktopValue(entry, QStringLiteral("Exec")), QStringLiteral("velmora %F"));
    const QString validator = QStandardPaths::findExecutable(QStringLiteral("desktop-file-validate"));
    if (validator.isEmpty()) {
        ADD_FAILURE() << "desktop-file-validate is missing (Debian package desktop-file-utils)";
    } else {
        QProcess validate;
        validate.setProcessChannelMode(QProcess::MergedChannels);
        validate.start(validator, {entryPath});
        ASSERT_TRUE(validate.waitForFinished(30000));
        EXPECT_EQ(validate.exitCode(), 0) << validate.readAll().toStdString();
        EXPECT_TRUE(validate.readAll().trimmed().isEmpty());
    }

    // The installed decoder module, not the build's.
    PlayerProcess version(QString(), top.filePath(QStringLiteral("run")));
    version.process.setProcessChannelMode(QProcess::SeparateChannels);
    ASSERT_EQ(version.run({QStringLiteral("--version")}, 20000, program), 0);
    const QString versions = QString::fromUtf8(version.process.readAllStandardOutput());
    EXPECT_TRUE(versions.contains(QStringLiteral("decoders from ") + prefix + u'/')) << versions.toStdString();
    EXPECT_TRUE(versions.contains(QStringLiteral("FluidSynth (loaded when a file needs them) from ") + prefix + u'/'))
        << versions.toStdString();

    // Started once as a user would: the program folder is the user's data
    // folder, seeded with the installed styles; nothing is written beside
    // the program.
    const QString user = top.filePath(QStringLiteral("user"));
    QDir().mkpath(user);
    PlayerProcess player(QString(), top.filePath(QStringLiteral("run")));
    QProcessEnvironment env = player.process.processEnvironment();
    env.insert(QStringLiteral("HOME"), user);
    player.process.setProcessEnvironment(env);
    const QString demo = data + QStringLiteral("velmora/demo/Little Chime.wav");
    ASSERT_TRUE(player.start({demo}, program));
    const QString folder = user + QStringLiteral("/.local/share/Velmora/");
    // The list's journal holds the track once the command line was taken.
    EXPECT_TRUE(waitUntil([&] { return readBytes(folder + QStringLiteral("AutoPlaylist.journal")).contains(demo.toUtf8()); }))
        << "the installed player did not take its command line";
    EXPECT_EQ(player.quit(), 0);
    EXPECT_TRUE(QFileInfo::exists(folder + QStringLiteral("Style/WindowsStyle/info.txt")));
    // The list of a start with paths is a playlist of its own.
    EXPECT_TRUE(readBytes(folder + QStringLiteral("Playlist/CommandLine.m3u")).contains(demo.toUtf8()));
    EXPECT_EQ(QDir(prefix + QStringLiteral("/bin")).entryList(QDir::Files | QDir::Hidden), QStringList{"velmora"});
}

} // namespace
