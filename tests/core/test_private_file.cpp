// The program's own files: never read or written through a symbolic link
// planted in their place, and never left half-written.
#include "core/PrivateFile.h"
#include "FileSizeLimit.h"
#include "TestFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

TEST(PrivateFile, WhatIsPlantedAtItsNameIsReplacedNeverWrittenThrough)
{
    const struct {
        const char *name;
        std::function<void(const QString &path, const QString &victim)> plant;
    } cases[] = {
        {"nothing", [](const QString &, const QString &) {}},
        {"an older file", [](const QString &p, const QString &) { writeBytes(p, "old"); }},
        {"a link to another file", [](const QString &p, const QString &v) { QFile::link(v, p); }},
        {"a dangling link", [](const QString &p, const QString &v) { QFile::link(v + ".gone", p); }},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir dir;
        const QString path = dir.filePath("AutoPlaylist.journal");
        const QString victim = dir.filePath("victim");
        writeBytes(victim, "precious");
        c.plant(path, victim);
        ASSERT_TRUE(PrivateFile::write(path, QByteArray("mine")));
        EXPECT_EQ(PrivateFile::kindOf(path), PrivateFile::Kind::File);
        EXPECT_EQ(readBytes(path), QByteArray("mine"));
        EXPECT_EQ(readBytes(victim), QByteArray("precious"));
        EXPECT_FALSE(QFileInfo::exists(victim + ".gone"));
        EXPECT_EQ(QFileInfo(path).permissions() & (QFileDevice::ReadOther | QFileDevice::WriteOther),
                  QFileDevice::Permissions()) << "private to the user";
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System).size(), 2)
            << "no temporary file left";
    }
}

TEST(PrivateFile, AFailedWriteLeavesTheOldFileAndNoTemporaryOne)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("OpenPlaylist.txt");
    writeBytes(path, "old");
    {
        const FileSizeLimit full(1024);
        EXPECT_FALSE(PrivateFile::write(path, QByteArray(64 * 1024, 'x')));
    }
    EXPECT_FALSE(PrivateFile::write(path, [](QIODevice &) { return false; }));
    EXPECT_EQ(readBytes(path), QByteArray("old"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System), QStringList{"OpenPlaylist.txt"});
}

TEST(PrivateFile, ReadsOnlyAnOrdinaryFileOfBoundedSize)
{
    QTemporaryDir dir;
    const QString file = dir.filePath("file");
    writeBytes(file, "12345");
    QFile::link(file, dir.filePath("link"));
    QDir().mkpath(dir.filePath("folder"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(dir.filePath("pipe")).constData(), 0600), 0);
    const struct {
        const char *name;
        qint64 limit;
        bool read;
    } cases[] = {
        {"file", 5, true}, {"file", 4, false}, {"link", 5, false}, {"folder", 5, false},
        {"pipe", 5, false}, {"missing", 5, false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(std::string(c.name) + " limit " + std::to_string(c.limit));
        QByteArray bytes = "untouched";
        EXPECT_EQ(PrivateFile::read(dir.filePath(QString::fromUtf8(c.name)), c.limit, &bytes), c.read);
        EXPECT_EQ(bytes, c.read ? QByteArray("12345") : QByteArray("untouched"));
    }
}

TEST(PrivateFile, RenameNeverReplacesAnything)
{
    QTemporaryDir dir;
    const QString from = dir.filePath("journal"), to = dir.filePath("journal.damaged");
    writeBytes(from, "a");
    writeBytes(to, "b");
    EXPECT_FALSE(PrivateFile::renameNoReplace(from, to));
    EXPECT_EQ(readBytes(to), QByteArray("b"));
    QFile::remove(to);
    QFile::link(dir.filePath("elsewhere"), from + ".link");
    EXPECT_TRUE(PrivateFile::renameNoReplace(from + ".link", to));
    EXPECT_EQ(PrivateFile::kindOf(to), PrivateFile::Kind::Link) << "the link itself moved";
    EXPECT_EQ(PrivateFile::kindOf(from + ".link"), PrivateFile::Kind::Missing);
}

} // namespace
