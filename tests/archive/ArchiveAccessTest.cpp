// Listing and extraction through the libarchive archiver, on archives the
// tests make: ordinary, Japanese, damaged and hostile ones.
#include "QtPrinters.h"
#include "ZipFixtures.h"

#include "archive/LibArchiveArchiver.h"
#include "archive/ZipOperations.h"
#include "core/EventPump.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <archive.h>
#include <gtest/gtest.h>

namespace {

QByteArray cp932(const char *bytes)
{
    return QByteArray(bytes);
}

class ArchiveAccess : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_root.isValid());
        ASSERT_TRUE(QDir(m_root.path()).mkpath(QStringLiteral("in")));
        ASSERT_TRUE(QDir(m_root.path()).mkpath(QStringLiteral("outside")));
        m_temp = m_root.filePath(QStringLiteral("veltemp")) + u'/';
    }

    QString archive(const QList<RawMember> &members, const QString &name = QStringLiteral("set.zip"))
    {
        const QString path = m_root.filePath(QStringLiteral("in/") + name);
        EXPECT_TRUE(writeFile(path, buildZip(members)));
        return path;
    }

    QStringList list(const QString &archivePath, int maxEntries = MaxListedMembers)
    {
        QStringList entries;
        ZipListUp(
            m_archiver, archivePath,
            [&](const QString &path, bool isArchiveMember) {
                EXPECT_TRUE(isArchiveMember);
                entries << path;
            },
            maxEntries);
        return entries;
    }

    QString extract(const QString &archivePath, const QString &member)
    {
        return ZipItemExtract(m_archiver, makeArchiveMemberPath(archivePath, member), m_temp);
    }

    // Every path below the test folder except the temporary folder, with
    // the kind of thing it is: what must not change whatever an archive says.
    QStringList outsideTemp() const
    {
        QStringList found;
        QDirIterator it(m_root.path(), QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            if (!path.startsWith(m_temp) && path + u'/' != m_temp)
                found << path + (it.fileInfo().isSymLink() ? QStringLiteral(" (link)") : QString());
        }
        found.sort();
        return found;
    }

    QStringList inTemp() const
    {
        QStringList found;
        QDirIterator it(m_temp, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                        QDirIterator::Subdirectories);
        while (it.hasNext())
            found << it.next().mid(m_temp.size());
        found.sort();
        return found;
    }

    static QByteArray contents(const QString &path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    QTemporaryDir m_root;
    QString m_temp;
    LibArchiveArchiver m_archiver;
};

TEST_F(ArchiveAccess, ListsMembersInArchiveOrderSkippingTextAndFolders)
{
    const QString path = archive({folderEntry("a/"), storedFile("a/b.mp3"), storedFile("readme.txt"),
                                  storedFile("NOTES.TXT"), storedFile("z.ogg"), storedFile("c/d.txt"),
                                  storedFile("c.mp3")});
    const QString quoted = u'"' + path + u'"';
    EXPECT_EQ(list(path), (QStringList{quoted + QStringLiteral("\\#ZIP#a/b.mp3"),
                                       quoted + QStringLiteral("\\#ZIP#NOTES.TXT"),
                                       quoted + QStringLiteral("\\#ZIP#z.ogg"), quoted + QStringLiteral("\\#ZIP#c.mp3")}));
}

TEST_F(ArchiveAccess, ExtractsTheMemberWithItsFoldersAndOverwrites)
{
    const QString path = archive({folderEntry("a/"), storedFile("a/b.mp3", "new contents"), storedFile("b.mp3", "other")});
    ASSERT_TRUE(QDir().mkpath(m_temp + QStringLiteral("a")));
    ASSERT_TRUE(writeFile(m_temp + QStringLiteral("a/b.mp3"), "stale copy from an earlier play"));

    const QString item = makeArchiveMemberPath(path, QStringLiteral("a/b.mp3"));
    const QString extracted = ZipItemExtract(m_archiver, item, m_temp);
    EXPECT_EQ(extracted, m_temp + QStringLiteral("a/b.mp3"));
    EXPECT_EQ(contents(extracted), QByteArray("new contents"));
    EXPECT_EQ(inTemp(), (QStringList{QStringLiteral("a"), QStringLiteral("a/b.mp3")}));
}

TEST_F(ArchiveAccess, CreatesTheTemporaryFolderPrivately)
{
    const QString path = archive({storedFile("b.mp3", "x")});
    ASSERT_FALSE(QFileInfo::exists(m_temp));
    EXPECT_EQ(extract(path, QStringLiteral("b.mp3")), m_temp + QStringLiteral("b.mp3"));
    EXPECT_EQ(QFileInfo(m_temp).permissions() & (QFile::ReadGroup | QFile::ReadOther | QFile::WriteOther), 0);
}

TEST_F(ArchiveAccess, ExtractsDeflatedMembersWrittenByLibarchive)
{
    const QString path = m_root.filePath(QStringLiteral("in/deflate.zip"));
    const QByteArray music = QByteArray("ID3").repeated(50000);
    ASSERT_TRUE(writeDeflateZip(path, {{QStringLiteral("disc1/01.mp3"), music}, {QStringLiteral("disc1/02.mp3"), "2"}}));
    EXPECT_EQ(list(path).size(), 2);
    EXPECT_EQ(contents(extract(path, QStringLiteral("disc1/01.mp3"))), music);
}

TEST_F(ArchiveAccess, NamesWithPatternCharactersAreFoundByTheirEscapedPattern)
{
    const char *names[] = {"x [live].mp3", "Symphony \xE2\x85\xA3.mp3", "a b  c.mp3", "a_b__c.mp3", "[1] intro.mp3",
                           "say \"hi\".mp3",
                           "\xE8\xA1\xA8\xE3\x82\xBD/\xE6\x9B\xB2 [1].mp3"};
    QList<RawMember> members;
    for (const char *name : names) {
        RawMember m = storedFile(name, name);
        m.flags = 0x800;
        members << m;
    }
    const QString path = archive(members);
    for (const char *name : names) {
        const QString extracted = extract(path, QString::fromUtf8(name));
        EXPECT_EQ(extracted, m_temp + QString::fromUtf8(name)) << name;
        EXPECT_EQ(contents(extracted), QByteArray(name)) << name;
    }
}

TEST_F(ArchiveAccess, ArchivesMadeByTheZipCommand)
{
    if (QProcess::execute(QStringLiteral("sh"), {QStringLiteral("-c"), QStringLiteral("command -v zip >/dev/null")}) != 0)
        GTEST_SKIP() << "the zip command is not installed";
    const QString source = m_root.filePath(QStringLiteral("source"));
    ASSERT_TRUE(QDir().mkpath(source + QStringLiteral("/a")));
    ASSERT_TRUE(writeFile(source + QStringLiteral("/a/b.mp3"), QByteArray("ID3").repeated(1000)));
    ASSERT_TRUE(writeFile(source + QStringLiteral("/readme.txt"), "notes"));
    const QString path = m_root.filePath(QStringLiteral("in/made by zip.zip"));
    QProcess zip;
    zip.setWorkingDirectory(source);
    zip.start(QStringLiteral("zip"), {QStringLiteral("-q"), QStringLiteral("-r"), path, QStringLiteral("a"),
                                      QStringLiteral("readme.txt")});
    ASSERT_TRUE(zip.waitForFinished());
    ASSERT_EQ(zip.exitCode(), 0);

    const QStringList entries = list(path);
    ASSERT_EQ(entries, QStringList{makeArchiveMemberPath(path, QStringLiteral("a/b.mp3"))});
    const QString extracted = ZipItemExtract(m_archiver, entries.first(), m_temp);
    EXPECT_EQ(extracted, m_temp + QStringLiteral("a/b.mp3"));
    EXPECT_EQ(contents(extracted), QByteArray("ID3").repeated(1000));
}

TEST_F(ArchiveAccess, NamesAreUtf8WhenValidOtherwiseCp932)
{
    struct {
        const char *label;
        QByteArray stored;
        bool utf8Flag;
        QString listed;
    } cases[] = {
        {"CP932 with 0x5C trail bytes", cp932("\x95\x5C\x83\x5C.mp3"), false, QStringLiteral("表ソ.mp3")},
        {"CP932 half-width katakana", cp932("\xC3\xBD\xC4.mp3"), false, QStringLiteral("ﾃｽﾄ.mp3")},
        {"CP932 Roman numeral", cp932("\x87\x57.mp3"), false, QStringLiteral("Ⅳ.mp3")},
        {"CP932 folder", cp932("\x83\x5C\x83\x93\x83\x4F/\x95\x5C.mp3"), false, QStringLiteral("ソング/表.mp3")},
        {"CP932 with a backslash separator", cp932("\x83\x5C\\b.mp3"), false, QStringLiteral("ソ/b.mp3")},
        {"UTF-8 flagged", QByteArray("\xE8\xA1\xA8\xE3\x82\xBD.ogg"), true, QStringLiteral("表ソ.ogg")},
        // Zip tools on Linux and macOS write UTF-8 without the flag; valid
        // UTF-8 wins over CP932 even where both would decode ("ﾃｩ").
        {"UTF-8 without the flag", QByteArray("\xC3\xA9.wav"), false, QStringLiteral("é.wav")},
        {"Japanese UTF-8 without the flag", QByteArray("\xE8\xA1\xA8\xE3\x82\xBD/\xE6\x9B\xB2.ogg"), false,
         QStringLiteral("表ソ/曲.ogg")},
        {"decomposed UTF-8 from macOS", QByteArray("\xE3\x83\x8F\xE3\x82\x9A.mp3"), false,
         QStringLiteral("\u30CF\u309A.mp3")},
        {"not CP932 without the flag", QByteArray("\x81\x20\xE6\x9B\xB2.mid"), false,
         QStringLiteral("\uFFFD \u66F2.mid")},
    };
    QList<RawMember> members;
    for (const auto &c : cases) {
        RawMember m = storedFile(c.stored, c.label);
        m.flags = c.utf8Flag ? 0x800 : 0;
        members << m;
    }
    const QString path = archive(members);
    const QStringList entries = list(path);
    ASSERT_EQ(entries.size(), qsizetype(std::size(cases)));
    for (size_t i = 0; i < std::size(cases); ++i) {
        const auto &c = cases[i];
        EXPECT_EQ(splitArchiveMemberPath(entries[i])->memberName, c.listed) << c.label;
        const QString extracted = ZipItemExtract(m_archiver, entries[i], m_temp);
        EXPECT_EQ(extracted, m_temp + c.listed) << c.label;
        EXPECT_EQ(contents(extracted), QByteArray(c.label)) << c.label;
    }
}

TEST_F(ArchiveAccess, NamesLeadingOutsideAreNeitherListedNorWritten)
{
    const QByteArray absolute = QFile::encodeName(m_root.filePath(QStringLiteral("outside/abs.mp3")));
    const QByteArray hostile[] = {"../evil.mp3", "a/../../evil.mp3", "..\\evil.mp3", "a\\..\\..\\evil.mp3",
                                  absolute, "C:\\evil.mp3", "C:/evil.mp3", "\\\\server\\evil.mp3"};
    QList<RawMember> members;
    for (const QByteArray &name : hostile)
        members << storedFile(name, "payload");
    members << storedFile("ok.mp3");
    const QString path = archive(members);
    const QStringList before = outsideTemp();

    EXPECT_EQ(list(path), QStringList{makeArchiveMemberPath(path, QStringLiteral("ok.mp3"))});
    for (const QByteArray &name : hostile) {
        EXPECT_EQ(extract(path, QString::fromUtf8(name)), QString()) << name.constData();
        EXPECT_EQ(m_archiver.command(QStringLiteral(R"(-x --i -o "%1" "%2" "%3")")
                                         .arg(path, m_temp, ZipPatternEscape(QString::fromUtf8(name)))),
                  Archiver::Refused)
            << name.constData();
    }
    // Everything at once: the safe member is written, the others are not.
    EXPECT_EQ(m_archiver.command(QStringLiteral(R"(-x --i -o "%1" "%2" "*")").arg(path, m_temp)), Archiver::Refused);
    EXPECT_EQ(inTemp(), QStringList{QStringLiteral("ok.mp3")});
    EXPECT_EQ(outsideTemp(), before);
}

TEST_F(ArchiveAccess, LinkAndDeviceMembersAreNeverCreated)
{
    // Member types live in the central directory, which the streaming reader
    // never trusts: such members can at most come out as plain files holding
    // their stored bytes.
    const QString target = m_root.filePath(QStringLiteral("outside/target.mp3"));
    RawMember link = storedFile("link.mp3", QFile::encodeName(target));
    link.unixMode = 0120777;
    RawMember device = storedFile("device.mp3", "");
    device.unixMode = 020644;
    RawMember fifo = storedFile("fifo.mp3", "");
    fifo.unixMode = 010644;
    const QString path = archive({link, device, fifo, storedFile("ok.mp3")});
    const QStringList before = outsideTemp();

    list(path);
    for (const char *name : {"link.mp3", "device.mp3", "fifo.mp3", "ok.mp3"})
        extract(path, QString::fromLatin1(name));
    m_archiver.command(QStringLiteral(R"(-x --i -o "%1" "%2" "*")").arg(path, m_temp));
    for (const QString &name : inTemp()) {
        const QFileInfo info(m_temp + name);
        EXPECT_TRUE(info.isFile() && !info.isSymLink()) << name.toStdString();
    }
    EXPECT_TRUE(QFileInfo(m_temp + QStringLiteral("ok.mp3")).isFile());
    EXPECT_FALSE(QFileInfo::exists(target));
    EXPECT_EQ(outsideTemp(), before);
}

TEST_F(ArchiveAccess, NothingIsWrittenThroughSymbolicLinksInTheTemporaryFolder)
{
    const QString outside = m_root.filePath(QStringLiteral("outside"));
    const QString victim = outside + QStringLiteral("/victim.mp3");
    ASSERT_TRUE(writeFile(victim, "keep"));
    const QString path = archive({storedFile("a/b.mp3", "member"), storedFile("victim.mp3", "member")});
    ASSERT_TRUE(QDir().mkpath(m_temp));
    ASSERT_TRUE(QFile::link(outside, m_temp + QStringLiteral("a")));
    ASSERT_TRUE(QFile::link(victim, m_temp + QStringLiteral("victim.mp3")));
    const QStringList before = outsideTemp();

    // A linked folder refuses the member.
    EXPECT_EQ(extract(path, QStringLiteral("a/b.mp3")), QString());
    // A linked file is replaced by the member; its target keeps its contents.
    const QString extracted = extract(path, QStringLiteral("victim.mp3"));
    EXPECT_EQ(extracted, m_temp + QStringLiteral("victim.mp3"));
    EXPECT_FALSE(QFileInfo(extracted).isSymLink());
    EXPECT_EQ(contents(extracted), QByteArray("member"));
    EXPECT_EQ(contents(victim), QByteArray("keep"));
    EXPECT_EQ(outsideTemp(), before);
}

TEST_F(ArchiveAccess, ATemporaryFolderThatIsALinkIsRefused)
{
    const QString path = archive({storedFile("b.mp3", "member")});
    ASSERT_TRUE(QFile::link(m_root.filePath(QStringLiteral("outside")), m_root.filePath(QStringLiteral("veltemp"))));
    EXPECT_EQ(extract(path, QStringLiteral("b.mp3")), QString());
    EXPECT_FALSE(QFileInfo::exists(m_root.filePath(QStringLiteral("outside/b.mp3"))));
}

TEST_F(ArchiveAccess, ExtractionStopsAtTheWriteLimitAndLeavesNothing)
{
    struct {
        const char *label;
        RawMember member;
        LibArchiveArchiver::Limits limits;
    } cases[] = {
        {"absolute limit", storedFile("big.wav", QByteArray(1 << 20, 'x')), {64 * 1024, 0, 0}},
        {"bzip2 bomb against the archive's size", bzip2Zeros("bomb.wav", std::int64_t(32) << 20), {}},
    };
    for (auto &c : cases) {
        const QString path = archive({c.member, storedFile("small.mp3", "ok")});
        m_archiver.setLimits(c.limits);
        EXPECT_EQ(m_archiver.command(QStringLiteral(R"(-x --i -o "%1" "%2" "%3")")
                                         .arg(path, m_temp, QString::fromLatin1(c.member.name))),
                  Archiver::LimitExceeded)
            << c.label;
        EXPECT_EQ(extract(path, QString::fromLatin1(c.member.name)), QString()) << c.label;
        EXPECT_EQ(inTemp(), QStringList()) << c.label;
        // Members within the limit still extract.
        EXPECT_EQ(contents(extract(path, QStringLiteral("small.mp3"))), QByteArray("ok")) << c.label;
        QDir(m_temp).removeRecursively();
    }
}

TEST(MemberSizeLimit, FitsAudioAndLeavesTheDiskSomeRoom)
{
    constexpr std::int64_t MiB = 1 << 20;
    const struct {
        std::int64_t freeBytes;
        std::int64_t limit;
    } cases[] = {
        {-1, MaxMemberBytes},                          // free space unknown
        {std::int64_t(100) << 30, MaxMemberBytes},
        {MaxMemberBytes + FreeSpaceMargin, MaxMemberBytes},
        {600 * MiB, 600 * MiB - FreeSpaceMargin},
        {FreeSpaceMargin, 0},
        {0, 0},
    };
    for (const auto &c : cases)
        EXPECT_EQ(memberSizeLimit(c.freeBytes), c.limit) << c.freeBytes;
}

// A 4 MB archive holding almost 4 GiB of zeros: extraction stops at the
// limit or when asked to, keeps the event loop turning, and leaves nothing.
TEST_F(ArchiveAccess, AnOversizedMemberStopsAtTheLimitOrWhenAskedAndLeavesNothing)
{
    constexpr std::int64_t Bomb = (std::int64_t(4) << 30) - (1 << 20);
    RawMember unsized = deflateZeros("unsized.mp3", Bomb);
    unsized.descriptor = true;
    const QString path = archive({deflateZeros("zeros.mp3", Bomb), unsized, storedFile("small.mp3", "ok")});
    ASSERT_LT(QFileInfo(path).size(), 16 << 20);

    int argc = 1;
    char name[] = "test_archive";
    char *argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);
    const struct {
        const char *label;
        const char *member;
        std::int64_t maxBytes; // -1: the limit for the disk, far above what is written before the stop
        bool stopSoon;
    } cases[] = {
        {"over the limit", "zeros.mp3", 8 << 20, false},
        {"stopped", "unsized.mp3", -1, true},
        {"stopped while skipping a member of unstated size", "small.mp3", -1, true},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.label);
        bool stop = false;
        int ticks = 0;
        qint64 longestGapMs = 0;
        QElapsedTimer sinceTick;
        sinceTick.start();
        QTimer ticker;
        QObject::connect(&ticker, &QTimer::timeout, [&] {
            ++ticks;
            longestGapMs = std::max(longestGapMs, sinceTick.restart());
            if (c.stopSoon && ticks == 20)
                stop = true; // the program is ending
        });
        ticker.start(1);
        ExtractOptions options;
        options.maxBytes = c.maxBytes;
        options.stop = [&] { return stop; };
        QElapsedTimer clock;
        clock.start();
        EXPECT_EQ(ZipItemExtract(m_archiver, makeArchiveMemberPath(path, QString::fromLatin1(c.member)), m_temp,
                                 options),
                  QString());
        EXPECT_LT(clock.elapsed(), 60000);
        EXPECT_EQ(inTemp(), QStringList());
        if (c.stopSoon) {
            EXPECT_GE(ticks, 20) << "events did not run while the member was written";
            EXPECT_LT(longestGapMs, 2000);
        }
    }
}

// An archive of 100,000 empty members, played member after member: each
// member is found without reading the archive again, and a quit or a
// superseded play is heard while the archive is first read.
TEST_F(ArchiveAccess, MembersOfAHugeArchiveAreFoundOnceAndAQuitIsHeardWhileReading)
{
    constexpr int Members = 100000;
    QList<RawMember> members;
    members.reserve(Members);
    for (int i = 0; i < Members; ++i)
        members << storedFile(QByteArray("track ") + QByteArray::number(i).rightJustified(6, '0') + ".mp3", "");
    const QString path = archive(members, QStringLiteral("huge.zip"));
    auto memberName = [](int i) { return QStringLiteral("track %1.mp3").arg(i, 6, 10, QLatin1Char('0')); };

    int argc = 1;
    char name[] = "test_archive";
    char *argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);

    const struct {
        const char *label;
        std::function<void()> ask; // what the user does once events run
        bool programEnds;
    } quits[] = {
        {"the program ends", [] { EventPump::setStopRequested(true); }, true},
        {"another track is played", [] {}, false},
    };
    for (const auto &q : quits) {
        SCOPED_TRACE(q.label);
        LibArchiveArchiver fresh; // nothing read yet
        int asked = 0;
        bool superseded = false;
        ExtractOptions options;
        options.stop = [&] {
            if (++asked == 3) {
                q.ask();
                superseded = !q.programEnds;
            }
            return superseded;
        };
        EXPECT_EQ(ZipItemExtract(fresh, makeArchiveMemberPath(path, memberName(Members - 1)), m_temp, options),
                  QString());
        EXPECT_GE(asked, 3) << "the archive was read without asking whether to go on";
        EXPECT_EQ(inTemp(), QStringList());
        EventPump::setStopRequested(false);
    }

    // Played one after another from the end, where a reader from the start
    // has the longest way: the archive is read once, not once per member.
    QElapsedTimer clock;
    clock.start();
    const int played = 200;
    for (int i = Members - 1; i >= Members - played; --i) {
        const QString file = extract(path, memberName(i));
        ASSERT_EQ(file, m_temp + memberName(i));
        ASSERT_TRUE(QFile::remove(file));
    }
    EXPECT_LT(clock.elapsed(), 8000) << "each member read the archive again";
}

// Members played one after another: the temporary folder keeps the one
// playing and the one after it, and nothing once the player is gone.
TEST_F(ArchiveAccess, OnlyTheNewestExtractedMembersStayAndNoneAfterTheEnd)
{
    const QString path = archive({deflateZeros("a/1.mp3", 1 << 20), deflateZeros("a/2.mp3", 1 << 20),
                                  deflateZeros("b/3.mp3", 1 << 20), deflateZeros("4.mp3", 1 << 20)});
    const struct {
        const char *played;
        QStringList inTemp;
    } steps[] = {
        {"a/1.mp3", {"a", "a/1.mp3"}},
        {"a/2.mp3", {"a", "a/1.mp3", "a/2.mp3"}},
        {"b/3.mp3", {"a", "a/2.mp3", "b", "b/3.mp3"}},
        {"a/1.mp3", {"a", "a/1.mp3", "b", "b/3.mp3"}},
        {"4.mp3", {"4.mp3", "a", "a/1.mp3"}},
    };
    {
        ExtractedMembers held;
        for (const auto &step : steps) {
            SCOPED_TRACE(step.played);
            const QString file = extract(path, QString::fromLatin1(step.played));
            ASSERT_FALSE(file.isEmpty());
            held.add(file, m_temp);
            EXPECT_EQ(inTemp(), step.inTemp);
        }
    }
    EXPECT_EQ(inTemp(), QStringList()) << "extracted members outlived the player";
}

// A member that says it is larger than may be written is refused before a
// byte of it is written (or the disk it would not fit on is filled first).
TEST_F(ArchiveAccess, AMemberThatWouldNotFitIsRefusedUnwritten)
{
    const QString path = archive({deflateZeros("big.mp3", MaxMemberBytes + 1), deflateZeros("fits.mp3", 1 << 20)});
    const struct {
        const char *member;
        std::int64_t maxBytes; // -1: the limit for the disk
        bool extracted;
    } cases[] = {
        {"big.mp3", -1, false},
        {"fits.mp3", 1 << 20, true},
        {"fits.mp3", (1 << 20) - 1, false},
        {"fits.mp3", 0, false}, // a full disk
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(std::string(c.member) + " limit " + std::to_string(c.maxBytes));
        int blocksWritten = 0;
        ExtractOptions options;
        options.maxBytes = c.maxBytes;
        options.stop = [&] {
            ++blocksWritten;
            return false;
        };
        const QString file =
            ZipItemExtract(m_archiver, makeArchiveMemberPath(path, QString::fromLatin1(c.member)), m_temp, options);
        EXPECT_EQ(!file.isEmpty(), c.extracted);
        if (!c.extracted) {
            EXPECT_EQ(blocksWritten, 0);
            EXPECT_EQ(inTemp(), QStringList());
        }
        QFile::remove(file);
    }
}

TEST_F(ArchiveAccess, DamagedAndUnsupportedMembersFailCleanly)
{
    RawMember encrypted = storedFile("encrypted.mp3", QByteArray(64, 'e'));
    encrypted.flags = 1;
    RawMember unknownMethod = storedFile("method.mp3", "data");
    unknownMethod.method = 77;
    RawMember badCrc = storedFile("crc.mp3", "data");
    badCrc.crc = 0x12345678;
    RawMember badDeflate = storedFile("deflate.mp3", QByteArray("\xff\xff\xff\xff not deflate data"));
    badDeflate.method = 8;
    badDeflate.uncompressedSize = 1000;
    const QList<RawMember> members = {encrypted, unknownMethod, badCrc, badDeflate, storedFile("ok.mp3", "ok")};
    const QString path = archive(members);

    // Listed (they are tracks), but none of them is extracted.
    EXPECT_EQ(list(path).size(), 5);
    for (const RawMember &m : members.first(4)) {
        EXPECT_EQ(extract(path, QString::fromLatin1(m.name)), QString()) << m.name.constData();
        EXPECT_EQ(inTemp(), QStringList()) << m.name.constData();
    }
    EXPECT_EQ(contents(extract(path, QStringLiteral("ok.mp3"))), QByteArray("ok"));
}

TEST_F(ArchiveAccess, UnreadableArchivesListNothingMoreAndExtractNothing)
{
    const QString whole = archive({storedFile("a.mp3", QByteArray(4000, 'a')), storedFile("b.mp3", "b")});
    const QByteArray bytes = contents(whole);
    const struct {
        const char *label;
        QByteArray bytes;
        int listed; // members whose headers come before the damage
    } cases[] = {
        {"empty file", {}, 0},
        {"not an archive", "ID3 this is an mp3 file, not a zip archive", 0},
        {"cut inside the first member", bytes.left(2000), 1},
        {"cut inside a header", bytes.left(20), 0},
    };
    for (const auto &c : cases) {
        const QString path = m_root.filePath(QStringLiteral("in/broken.zip"));
        ASSERT_TRUE(writeFile(path, c.bytes));
        EXPECT_EQ(list(path).size(), c.listed) << c.label;
        EXPECT_EQ(extract(path, QStringLiteral("a.mp3")), QString()) << c.label;
        EXPECT_EQ(inTemp(), QStringList()) << c.label;
    }
    EXPECT_EQ(list(m_root.filePath(QStringLiteral("in/missing.zip"))), QStringList());
    EXPECT_EQ(extract(m_root.filePath(QStringLiteral("in/missing.zip")), QStringLiteral("a.mp3")), QString());
}

TEST_F(ArchiveAccess, LongListingsLetEventsRunAndStopAtTheRowLimit)
{
    QList<RawMember> members;
    for (int i = 0; i < 100000; ++i)
        members << storedFile(QByteArray("notes/") + QByteArray::number(i) + ".txt", "");
    for (int i = 0; i < 50; ++i)
        members << storedFile(QByteArray::number(i) + ".mp3", "");
    const QString path = archive(members);

    int argc = 1;
    char name[] = "test_archive";
    char *argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);
    int ticks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
    timer.start(0);

    const QStringList entries = list(path);
    EXPECT_EQ(entries.size(), 50);
    EXPECT_EQ(entries.first(), makeArchiveMemberPath(path, QStringLiteral("0.mp3")));
    EXPECT_GT(ticks, 0) << "no event ran during the listing";
    EXPECT_EQ(list(path, 10).size(), 10);
}

TEST_F(ArchiveAccess, ArchiverContract)
{
    const QString path = archive({folderEntry("a/"), storedFile("a/b.mp3"), storedFile("c.ogg")});
    EXPECT_EQ(m_archiver.openArchive(path, 1), 0u);
    EXPECT_EQ(m_archiver.openArchive(m_root.filePath(QStringLiteral("in/none.zip")), 0), 0u);

    const Archiver::Handle h = m_archiver.openArchive(path, 0);
    ASSERT_NE(h, 0u);
    Archiver::MemberRecord record;
    EXPECT_NE(m_archiver.findNext(h, record), 0) << "findNext before findFirst";
    ASSERT_EQ(m_archiver.findFirst(h, QStringLiteral("*.*"), record), 0);
    EXPECT_EQ(record.name, QStringLiteral("a/"));
    EXPECT_TRUE(record.isFolder);
    ASSERT_EQ(m_archiver.findNext(h, record), 0);
    EXPECT_EQ(record.name, QStringLiteral("a/b.mp3"));
    EXPECT_EQ(record.originalSize, 4);
    EXPECT_FALSE(record.isFolder);
    ASSERT_EQ(m_archiver.findNext(h, record), 0);
    EXPECT_NE(m_archiver.findNext(h, record), 0);
    EXPECT_NE(m_archiver.findNext(h, record), 0) << "the end stays the end";

    ASSERT_EQ(m_archiver.findFirst(h, QStringLiteral("*.ogg"), record), 0) << "findFirst restarts";
    EXPECT_EQ(record.name, QStringLiteral("c.ogg"));
    EXPECT_EQ(m_archiver.closeArchive(h), 0);
    EXPECT_NE(m_archiver.closeArchive(h), 0);
    EXPECT_NE(m_archiver.findFirst(h, QStringLiteral("*"), record), 0);

    EXPECT_EQ(m_archiver.command(QStringLiteral(R"(--i -o "%1" "%2" "*")").arg(path, m_temp)),
              Archiver::BadCommandLine);
    EXPECT_EQ(m_archiver.command(QStringLiteral(R"(-x --i -o "%1" "%2" "nothing*")").arg(path, m_temp)),
              Archiver::NoMatch);
}

TEST_F(ArchiveAccess, VersionComesFromTheLinkedLibrary)
{
    const int number = archive_version_number();
    const int expected = number / 1000000 * 100 + std::min(number / 1000 % 1000, 9) * 10 + std::min(number % 1000, 9);
    EXPECT_EQ(m_archiver.getVersion(), expected);
    EXPECT_TRUE(UnzipVersionGet(m_archiver).startsWith(QStringLiteral("Ver %1.").arg(number / 1000000)));
}

TEST_F(ArchiveAccess, OpeningAnArchiveListsItAndNamesThePlaylist)
{
    const QString path = archive({storedFile("a.mp3"), storedFile("b.mp3")}, QStringLiteral("Live 2020.zip"));
    QStringList entries;
    const auto add = [&](const QString &p, bool) { entries << p; };
    const ZipTreeNode rock{true, QStringLiteral("Rock"), QStringLiteral("Rock")};
    EXPECT_EQ(ZipFileOpen(m_archiver, path, add, rock, QStringLiteral("AutoPlaylist")), QStringLiteral("Rock/Live 2020"));
    EXPECT_EQ(entries.size(), 2);
    EXPECT_EQ(ZipFileOpen(m_archiver, m_root.filePath(QStringLiteral("in/gone.zip")), add, std::nullopt, QString()),
              QStringLiteral("gone"));
    EXPECT_EQ(entries.size(), 2);
}

} // namespace
