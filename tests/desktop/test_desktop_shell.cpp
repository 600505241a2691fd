// The desktop shell: the trash on a home without a trash folder yet, and moves that fail.
#include "core/ui/DesktopShell.h"
#include "FileSizeLimit.h"
#include "TestFiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <iostream>
#include <memory>
#include <unistd.h>

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

#ifdef Q_OS_UNIX
// A move that fails (into the dust box, say) leaves nothing in the target
// folder: no empty or partial file, and no second copy of a file that stays.
TEST(DesktopShellMove, AFailedMoveLeavesNothingBehind)
{
    // Another file system than the target's, so that the move must copy.
    QTemporaryDir otherDisk(QStringLiteral("/dev/shm/velmora-move-XXXXXX"));
    if (!otherDisk.isValid())
        GTEST_SKIP() << "no second file system at /dev/shm";
    const struct {
        const char *name;
        bool fullDisk;
        bool readOnlySource;
    } cases[] = {
        {"a full disk", true, false},
        {"out of a folder that keeps its files", false, true},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        if (c.readOnlySource && geteuid() == 0) {
            std::cout << "skipped for root, whom no folder refuses: " << c.name << "\n";
            continue;
        }
        QTemporaryDir target;
        const QString folder = otherDisk.path() + "/" + QString::fromUtf8(c.name);
        const QString source = touchFile(folder + "/song.mp3", QByteArray(256 * 1024, 'a'));
        if (c.readOnlySource)
            QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        const QString dustBox = target.path() + "/ごみ箱";
        QDir().mkpath(dustBox);
        DesktopShell shell;
        bool moved = true;
        {
            std::unique_ptr<FileSizeLimit> full;
            if (c.fullDisk)
                full = std::make_unique<FileSizeLimit>(4096);
            moved = shell.move(source, dustBox + "/song.mp3");
        }
        QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        EXPECT_FALSE(moved);
        EXPECT_EQ(QFileInfo(source).size(), 256 * 1024) << "the file stays where it was, whole";
        EXPECT_TRUE(QDir(dustBox).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot).isEmpty())
            << QDir(dustBox).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).join(u',').toStdString();
    }
}
#endif

} // namespace
