#include "core/CommandLine.h"
#include "core/NativePath.h"
#include "TestFiles.h"

#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QUrl>
#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

TEST(NativePath, EveryNameRoundTripsByteForByte)
{
    const struct {
        const char *what;
        QByteArray bytes;
        bool valid;
    } cases[] = {
        {"ascii", "/music/a b.mp3", true},
        {"utf-8 japanese", "/m/\xe3\x83\x86\xe3\x82\xb9\xe3\x83\x88.mp3", true},
        {"four-byte utf-8", "/m/\xf0\x9f\x8e\xb5.ogg", true},
        {"shift-jis", "/m/" + Cp932Mp3Name, false},
        {"latin-1", "/m/caf\xe9.wav", false},
        {"mixed", "/\xe3\x83\x86/\x83\x65/x", false},
        {"lone continuation", "/\x80", false},
        {"overlong slash", "/a\xc0\xafz", false},
        {"encoded surrogate", "/\xed\xb2\x80", false},
        {"beyond unicode", "/\xf4\x90\x80\x80", false},
        {"cut short at the end", "/x\xe3\x81", false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        const QString text = NativePath::decode(c.bytes);
        EXPECT_EQ(NativePath::encode(text), c.bytes);
        EXPECT_EQ(NativePath::hasRawBytes(text), !c.valid);
        if (c.valid)
            EXPECT_EQ(text, QString::fromUtf8(c.bytes)) << "valid names read as Qt reads them";
        else
            EXPECT_FALSE(text.contains(QChar::ReplacementCharacter));
        EXPECT_EQ(NativePath::localPathOfUrl(QUrl(NativePath::fileUrlOf(text))), text);
    }
    const QString odd = QStringLiteral("/m/100% #1?.mp3");
    EXPECT_EQ(NativePath::localPathOfUrl(QUrl(NativePath::fileUrlOf(odd))), odd);
    EXPECT_EQ(NativePath::localPathOfUrl(QUrl(QStringLiteral("file:///m/a%20b.mp3"))), QStringLiteral("/m/a b.mp3"));
    EXPECT_EQ(NativePath::localPathOfUrl(QUrl(QStringLiteral("http://x/a.mp3"))), QString());
}

TEST(NativePath, ArgumentsKeepTheirBytes)
{
    QByteArray raw = "/m/" + Cp932Mp3Name;
    const char *argv[] = {"velmora", raw.constData(), "--help"};
    const QStringList args = ArgumentsOf(3, argv);
    ASSERT_EQ(args.size(), 2);
    EXPECT_EQ(NativePath::encode(args[0]), raw);
    EXPECT_EQ(args[1], QStringLiteral("--help"));
}

TEST(NativePath, FilesWithAnyNameAreListedAndOpened)
{
    QTemporaryDir dir;
    const RawNamedFile sjis(dir.path(), Cp932Mp3Name, "sound");
    const RawNamedFile plain(dir.path(), "plain.mp3");
    const RawNamedFile hidden(dir.path(), ".hidden.mp3");
    QDir(dir.path()).mkdir(QStringLiteral("sub.mp3"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(dir.filePath(QStringLiteral("pipe.mp3"))).constData(), 0600), 0);

    QStringList listed = NativePath::visibleFilesIn(dir.path());
    listed.sort();
    const QString raw = sjis.path;
    ASSERT_EQ(listed, (QStringList{dir.path() + QStringLiteral("/plain.mp3"), raw}));

    QFile file;
    ASSERT_EQ(NativePath::openRegularFile(file, raw), NativePath::OpenResult::Opened);
    EXPECT_EQ(file.readAll(), QByteArray("sound"));

    QElapsedTimer timer;
    timer.start();
    for (const char *name : {"sub.mp3", "pipe.mp3", "missing.mp3"}) {
        QFile other;
        EXPECT_EQ(NativePath::openRegularFile(other, dir.filePath(QString::fromLatin1(name))),
                  NativePath::OpenResult::Missing)
            << name;
    }
    EXPECT_LT(timer.elapsed(), 5000) << "a pipe is never waited on";
}

} // namespace
