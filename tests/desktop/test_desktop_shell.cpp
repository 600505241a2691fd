// The desktop shell's trash on a home without a trash folder yet.
#include "core/ui/DesktopShell.h"
#include "TestFiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

#if defined(Q_OS_UNIX) && !defined(Q_OS_DARWIN)
TEST(DesktopShellTrash, AFreshHomeGetsItsTrashAndTheWorkingFolderStaysClean)
{
    QTemporaryDir home;
    QTemporaryDir work;
    const QByteArray oldHome = qgetenv("HOME");
    const QByteArray oldData = qgetenv("XDG_DATA_HOME");
    const QString oldWork = QDir::currentPath();
    qputenv("HOME", QFile::encodeName(home.path()));
    qunsetenv("XDG_DATA_HOME");
    QDir::setCurrent(work.path());

    const QString file = touchFile(home.path() + "/Playlist/Mix.m3u", "tracks");
    DesktopShell shell;
    const bool trashed = shell.remove(file, true);

    QDir::setCurrent(oldWork);
    qputenv("HOME", oldHome);
    if (!oldData.isEmpty())
        qputenv("XDG_DATA_HOME", oldData);

    EXPECT_TRUE(trashed);
    EXPECT_FALSE(QFileInfo::exists(file));
    EXPECT_EQ(readBytes(home.path() + "/.local/share/Trash/files/Mix.m3u"), "tracks");
    EXPECT_TRUE(QDir(work.path()).isEmpty()) << "a trash was made in the working folder";
}
#endif

} // namespace
