#include "core/AppPaths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

TEST(AppPaths, FoldersAreBuiltOnTheProgramFolder)
{
    const AppPaths p(QStringLiteral("/opt/v"));
    EXPECT_EQ(p.programFolder(), QStringLiteral("/opt/v/"));
    EXPECT_EQ(p.iniFilePath(), QStringLiteral("/opt/v/Velmora.ini"));
    EXPECT_EQ(p.playlistFolder(), QStringLiteral("/opt/v/Playlist/"));
    EXPECT_EQ(p.styleFolder(), QStringLiteral("/opt/v/Style/"));
    EXPECT_EQ(p.colorIniFilePath(), QStringLiteral("/opt/v/Color/AutoColor.ini"));
    EXPECT_EQ(p.autoPlaylistPath(), QStringLiteral("/opt/v/Playlist/AutoPlaylist.m3u"));
}

TEST(AppPaths, ResolveOrder)
{
    QTemporaryDir exe, data, home;
    // VELMORA_HOME wins over everything.
    EXPECT_EQ(AppPaths::resolve(exe.path(), home.path(), data.path()).programFolder(), home.path() + "/");
    // A writable executable folder is the portable layout.
    EXPECT_EQ(AppPaths::resolve(exe.path(), QString(), data.path()).programFolder(), exe.path() + "/");
    // A missing (or read-only) executable folder falls back to the user's data folder.
    const AppPaths fallback = AppPaths::resolve(exe.path() + "/missing", QString(), data.path());
    EXPECT_EQ(fallback.programFolder(), data.path() + "/");
    EXPECT_EQ(fallback.bundleFolder(), exe.path() + "/missing/");
}

TEST(AppPaths, AnInstalledProgramKeepsItsFilesApart)
{
    // <prefix>/bin/velmora with its bundled files in <prefix>/share/velmora.
    QTemporaryDir prefix, data, home;
    const QString bin = prefix.path() + "/bin", share = prefix.path() + "/share/velmora";
    QDir().mkpath(bin);
    QDir().mkpath(share + "/Style/WindowsStyle");
    const struct {
        const char *name;
        QString home;
        QString installed;
        QString program;
        QString bundle;
    } cases[] = {
        {"Installed", QString(), share, data.path() + "/", share + "/"},
        {"InstalledWithHome", home.path(), share, home.path() + "/", share + "/"},
        {"NoInstalledFiles", QString(), prefix.path() + "/share/missing", bin + "/", bin + "/"},
    };
    for (const auto &c : cases) {
        const AppPaths p = AppPaths::resolve(bin, c.home, data.path(), c.installed);
        EXPECT_EQ(p.programFolder(), c.program) << c.name;
        EXPECT_EQ(p.bundleFolder(), c.bundle) << c.name;
    }
    // A build or portable folder holds the bundled files itself and stays portable.
    QDir().mkpath(bin + "/Style");
    EXPECT_EQ(AppPaths::resolve(bin, QString(), data.path(), share).programFolder(), bin + "/");
}

TEST(AppPaths, PrepareSeedsBundledStylesOnce)
{
    QTemporaryDir bundle, home;
    QDir().mkpath(bundle.path() + "/Style/WindowsStyle");
    QFile f(bundle.path() + "/Style/WindowsStyle/info.txt");
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("bundled");
    f.close();

    const AppPaths p(home.path() + "/data", bundle.path());
    ASSERT_TRUE(p.prepare());
    EXPECT_TRUE(QFileInfo::exists(p.styleFolder() + "WindowsStyle/info.txt"));

    // A style the user changed is never overwritten by a later start.
    QFile mine(p.styleFolder() + "WindowsStyle/info.txt");
    ASSERT_TRUE(mine.open(QIODevice::WriteOnly | QIODevice::Truncate));
    mine.write("mine");
    mine.close();
    ASSERT_TRUE(p.prepare());
    QFile again(p.styleFolder() + "WindowsStyle/info.txt");
    ASSERT_TRUE(again.open(QIODevice::ReadOnly));
    EXPECT_EQ(again.readAll(), QByteArray("mine"));
}

TEST(AppPaths, PrepareFillsAStyleFolderThatHoldsNoStyle)
{
    QTemporaryDir bundle;
    QDir().mkpath(bundle.path() + "/Style/WindowsStyle");
    QFile f(bundle.path() + "/Style/WindowsStyle/play_n.gif");
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("gif");
    f.close();

    const struct {
        const char *name;
        QStringList made; // folders and files ("/" at the end: a folder) before the start
        bool seeded;
    } cases[] = {
        {"an empty style folder", {"Style/"}, true},
        {"an empty default style", {"Style/WindowsStyle/"}, true},
        {"a style of the user's", {"Style/Mine/play_n.gif"}, false},
    };
    for (const auto &c : cases) {
        QTemporaryDir home;
        for (const QString &item : c.made) {
            const QString path = home.path() + "/" + item;
            QDir().mkpath(item.endsWith(u'/') ? path : QFileInfo(path).absolutePath());
            if (!item.endsWith(u'/')) {
                QFile made(path);
                ASSERT_TRUE(made.open(QIODevice::WriteOnly));
            }
        }
        const AppPaths p(home.path(), bundle.path());
        ASSERT_TRUE(p.prepare());
        EXPECT_EQ(QFileInfo::exists(p.styleFolder() + "WindowsStyle/play_n.gif"), c.seeded) << c.name;
        EXPECT_EQ(p.bundledStyleFolder(), bundle.path() + "/Style/WindowsStyle/");
    }
}

TEST(TempFolder, CreatedPrivateAndReused)
{
    QTemporaryDir sys;
    const QString path = TempFolder::make(sys.path());
    ASSERT_FALSE(path.isEmpty());
    EXPECT_TRUE(path.endsWith(QLatin1Char('/')));
    const QFileInfo info(path);
    EXPECT_TRUE(info.isDir());
    EXPECT_EQ(info.permissions() & (QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup | QFile::ReadOther
                                    | QFile::WriteOther | QFile::ExeOther),
              QFile::Permissions());
    EXPECT_EQ(TempFolder::make(sys.path()), path);
    EXPECT_EQ(TempFolderQuoted(path), QLatin1Char('"') + path + QLatin1Char('"'));
}

TEST(TempFolder, OpenPermissionsAreNarrowed)
{
    QTemporaryDir sys;
    const QString planted = sys.path() + "/" + TempFolder::folderName();
    ASSERT_TRUE(QDir().mkdir(planted));
    QFile::setPermissions(planted, QFile::Permissions(0x7777));
    ASSERT_FALSE(TempFolder::make(sys.path()).isEmpty());
    EXPECT_EQ(QFileInfo(planted).permissions() & (QFile::WriteOther | QFile::WriteGroup), QFile::Permissions());
}

TEST(TempFolder, PlantedSymbolicLinkIsRefused)
{
    QTemporaryDir sys, elsewhere;
    const QString planted = sys.path() + "/" + TempFolder::folderName();
    ASSERT_TRUE(QFile::link(elsewhere.path(), planted));
    EXPECT_TRUE(TempFolder::make(sys.path()).isEmpty());
    // Nothing was done to the folder the link points at.
    EXPECT_TRUE(QDir(elsewhere.path()).isEmpty());
}

TEST(TempFolder, PlantedFileIsRefused)
{
    QTemporaryDir sys;
    QFile f(sys.path() + "/" + TempFolder::folderName());
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();
    EXPECT_TRUE(TempFolder::make(sys.path()).isEmpty());
}

} // namespace
