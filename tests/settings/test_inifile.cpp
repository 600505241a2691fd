#include "FileSizeLimit.h"
#include "TestFiles.h"
#include "settings/IniFile.h"

#include <QDir>
#include <QFile>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <limits>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QByteArray crlf(QByteArray text)
{
    return text.replace("\n", "\r\n");
}

class IniFileTest : public ::testing::Test
{
protected:
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("Velmora.ini"));
};

// ---------------------------------------------------------------- reading

struct ReadCase
{
    const char *name;
    QByteArray file; // empty: no file at all
    const char *section;
    const char *key;
    QString expected; // "<default>" when the default must come back
};

const QString Default = QStringLiteral("<default>");

TEST_F(IniFileTest, ReadProfileStringFollowsTheProfileRules)
{
    const QByteArray longLine(1024 * 1024, 'x');
    const QByteArray nul("[Main]\nName=ab\0cd\n", 18);
    const ReadCase cases[] = {
        {"missing file", QByteArray(), "Main", "Top", Default},
        {"missing section", "[Other]\nTop=1\n", "Main", "Top", Default},
        {"missing key", "[Main]\nLeft=1\n", "Main", "Top", Default},
        {"section name in other case", "[setting]\nTop=2000\n", "Setting", "Top", "2000"},
        {"key name in other case", "[Main]\nTOP=3\n", "main", "top", "3"},
        {"blanks around names and value", "  [ Main ]  \n\t Top \t=  a b  \n", "Main", "Top", "a b"},
        {"value in double quotes keeps inner blanks", "[Main]\nName=\"  a b \"\n", "Main", "Name", "  a b "},
        {"lone quote stays", "[Main]\nName=\"abc\n", "Main", "Name", "\"abc"},
        {"ideographic space belongs to the value", "[Main]\nName=\xe3\x80\x80x\n", "Main", "Name",
         QStringLiteral("\u3000x")},
        {"empty value", "[Main]\nName=\n", "Main", "Name", ""},
        {"value keeps further equals signs", "[Main]\nName=a=b\n", "Main", "Name", "a=b"},
        {"first of duplicate keys", "[Main]\nTop=1\nTop=2\n", "Main", "Top", "1"},
        {"only the first of duplicate sections", "[Main]\nTop=1\n[MAIN]\nLeft=2\n", "Main", "Left", Default},
        {"key before any section is not in a section", "Top=5\n[Main]\nLeft=1\n", "Main", "Top", Default},
        {"line without equals sign is skipped", "[Main]\nTop\nTop=7\n", "Main", "Top", "7"},
        {"lone bracket is no section", "[Main]\n[\nTop=4\n", "Main", "Top", "4"},
        {"text after the bracket is ignored", "[Main] ; note\nTop=4\n", "Main", "Top", "4"},
        {"cut at NUL", nul, "Main", "Name", "ab"},
        {"CR line ends", "[Main]\rTop=8\rLeft=9", "Main", "Left", "9"},
        {"LF line ends, no final line end", "[Main]\nTop=8", "Main", "Top", "8"},
        {"UTF-8 byte-order mark", "\xef\xbb\xbf[Main]\nTop=6\n", "Main", "Top", "6"},
        {"two byte-order marks", "\xef\xbb\xbf\xef\xbb\xbf[Main]\nTop=6\n", "Main", "Top", "6"},
        {"megabyte line before the key", "[Main]\n" + longLine + "\nTop=1\n", "Main", "Top", "1"},
        {"megabyte value is cut to 1023", "[Main]\nTop=" + longLine + "\n", "Main", "Top",
         QString(MaxProfileStringLength, QLatin1Char('x'))},
        {"binary junk", QByteArray("\x00\xff[\x01=\x02]\n\xfe\xfe", 10), "Main", "Top", Default},
    };
    for (const ReadCase &c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(path);
        if (!c.file.isEmpty())
            writeBytes(path, c.file);
        EXPECT_EQ(ReadProfileString(QString::fromUtf8(c.section), QString::fromUtf8(c.key), Default, path),
                  c.expected);
    }
}

TEST_F(IniFileTest, LongValueIsNeverCutInsideACharacter)
{
    // 1022 ASCII characters, then a character outside the BMP (two code units).
    writeBytes(path, "[Main]\nName=" + QByteArray(1022, 'a') + "\xf0\x9f\x8e\xb5" + "tail\n");
    const QString v = ReadProfileString(QStringLiteral("Main"), QStringLiteral("Name"), QString(), path);
    EXPECT_EQ(v, QString(1022, QLatin1Char('a')));
}

TEST_F(IniFileTest, ShiftJisFileFromAnOlderSystemLoads)
{
    const QString file = QStringLiteral(VELMORA_TEST_DATA "/settings/shiftjis.ini");
    EXPECT_EQ(ReadProfileString(QStringLiteral("Font"), QStringLiteral("MainFontName"), QString(), file),
              QStringLiteral("ＭＳ ゴシック"));
    EXPECT_EQ(ReadProfileString(QStringLiteral("Style"), QStringLiteral("Name"), QString(), file),
              QStringLiteral("和風スタイル"));
}

struct IntCase
{
    const char *name;
    const char *value;
    int expected;
};

TEST_F(IniFileTest, ReadProfileIntTakesTheLeadingNumber)
{
    constexpr int IntMax = std::numeric_limits<int>::max();
    constexpr int IntMin = std::numeric_limits<int>::min();
    const IntCase cases[] = {
        {"plain", "1350", 1350},
        {"negative", "-1", -1},
        {"number then text", "12px", 12},
        {"text", "abc", 0},
        {"empty", "", 0},
        {"minus alone", "-", 0},
        {"plus sign is not a number", "+5", 0},
        {"blanks are trimmed", "  7  ", 7},
        {"in quotes", "\"42\"", 42},
        {"full-width digits are text", "\xef\xbc\x91", 0},
        {"decimal point ends the number", "8.75", 8},
        {"too large saturates", "99999999999999999999", IntMax},
        {"too small saturates", "-99999999999999999999", IntMin},
        {"largest", "2147483647", IntMax},
        {"smallest", "-2147483648", IntMin},
    };
    for (const IntCase &c : cases) {
        SCOPED_TRACE(c.name);
        writeBytes(path, QByteArray("[Main]\nTop=") + c.value + "\n");
        EXPECT_EQ(ReadProfileInt(QStringLiteral("Main"), QStringLiteral("Top"), 1000, path), c.expected);
    }
    EXPECT_EQ(ReadProfileInt(QStringLiteral("Main"), QStringLiteral("Missing"), 1000, path), 1000);
}

TEST_F(IniFileTest, EveryReadOpensTheFileAnew)
{
    ASSERT_TRUE(WriteProfileInt(QStringLiteral("Main"), QStringLiteral("Top"), 5, path));
    EXPECT_EQ(ReadProfileInt(QStringLiteral("Main"), QStringLiteral("Top"), 0, path), 5);
    writeBytes(path, "[Main]\nTop=9\n");
    EXPECT_EQ(ReadProfileInt(QStringLiteral("Main"), QStringLiteral("Top"), 0, path), 9);
}

// ---------------------------------------------------------------- writing

struct WriteCase
{
    const char *name;
    QByteArray before; // empty: no file
    void (*write)(const QString &path);
    QByteArray after;
};

TEST_F(IniFileTest, WritesReplaceInPlaceOrAppend)
{
    const WriteCase cases[] = {
        {"missing file is created", QByteArray(),
         [](const QString &p) { WriteProfileInt("Main", "Top", 1000, p); }, "[Main]\r\nTop=1000\r\n"},
        {"key replaced in place, spelling and other lines kept", "; note\n[main]\ntop = 1 ; old\nLeft=2\n",
         [](const QString &p) { WriteProfileInt("Main", "Top", -7, p); },
         "; note\r\n[main]\r\ntop=-7\r\nLeft=2\r\n"},
        {"new key after the section's last line, before blank lines", "[A]\nx=1\n\n[B]\ny=2\n",
         [](const QString &p) { WriteProfileString("a", "z", "3", p); }, "[A]\r\nx=1\r\nz=3\r\n\r\n[B]\r\ny=2\r\n"},
        {"new key in an empty section", "[A]\n[B]\n",
         [](const QString &p) { WriteProfileString("A", "k", "v", p); }, "[A]\r\nk=v\r\n[B]\r\n"},
        {"new section at the end, final line end added", "[A]\nx=1",
         [](const QString &p) { WriteProfileString("B", "y", "2", p); }, "[A]\r\nx=1\r\n[B]\r\ny=2\r\n"},
        {"only the first duplicate section is written", "[A]\nx=1\n[A]\nx=2\n",
         [](const QString &p) { WriteProfileInt("A", "x", 9, p); }, "[A]\r\nx=9\r\n[A]\r\nx=2\r\n"},
        {"16-bit and 32-bit extremes", QByteArray(),
         [](const QString &p) {
             WriteProfileInt("A", "i", -32768, p);
             WriteProfileLong("A", "l", std::numeric_limits<qint32>::min(), p);
         },
         "[A]\r\ni=-32768\r\nl=-2147483648\r\n"},
        {"a line end in a value cannot add lines", "[Main]\nTop=1\n",
         [](const QString &p) { WriteProfileString("Option", "SelectFolder", "/a\r\n[Main]\r\nTop=9", p); },
         "[Main]\r\nTop=1\r\n[Option]\r\nSelectFolder=/a\r\n"},
        {"junk lines survive a write", "\x01\x02junk\n[\n[A]\nnoequals\n",
         [](const QString &p) { WriteProfileString("A", "k", "v", p); },
         "\x01\x02junk\r\n[\r\n[A]\r\nnoequals\r\nk=v\r\n"},
        {"Japanese text is written as UTF-8", QByteArray(),
         [](const QString &p) { WriteProfileString("Font", "MainFontName", "ＭＳ Ｐゴシック", p); },
         "[Font]\r\nMainFontName=ＭＳ Ｐゴシック\r\n"},
    };
    for (const WriteCase &c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(path);
        if (!c.before.isEmpty())
            writeBytes(path, c.before);
        c.write(path);
        EXPECT_EQ(readBytes(path), c.after);
    }
}

TEST_F(IniFileTest, ShiftJisFileIsRewrittenAsUtf8WithoutLoss)
{
    writeBytes(path, readBytes(QStringLiteral(VELMORA_TEST_DATA "/settings/shiftjis.ini")));
    ASSERT_TRUE(WriteProfileInt(QStringLiteral("Main"), QStringLiteral("Top"), 1, path));
    const QByteArray after = readBytes(path);
    QStringDecoder utf8(QStringConverter::Utf8);
    const QString text = utf8(after);
    EXPECT_FALSE(utf8.hasError());
    EXPECT_TRUE(text.contains(QStringLiteral("MainFontName=ＭＳ ゴシック\r\n")));
    EXPECT_EQ(ReadProfileString(QStringLiteral("Style"), QStringLiteral("Name"), QString(), path),
              QStringLiteral("和風スタイル"));
}

// ---------------------------------------------------------------- failures

TEST_F(IniFileTest, SpecialFilesReadAsDefaultsAndAreNeverWritten)
{
    const QString fifo = dir.filePath(QStringLiteral("fifo.ini"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString folder = dir.filePath(QStringLiteral("folder.ini"));
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString sparse = dir.filePath(QStringLiteral("huge.ini"));
    {
        QFile f(sparse);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("[Main]\nTop=5\n");
        ASSERT_TRUE(f.resize(MaxProfileFileSize + 1));
    }
    const QString cases[] = {fifo, folder, sparse, QStringLiteral("/dev/full"), QStringLiteral("/dev/zero")};
    for (const QString &p : cases) {
        SCOPED_TRACE(p.toStdString());
        EXPECT_EQ(ReadProfileInt(QStringLiteral("Main"), QStringLiteral("Top"), 77, p), 77);
        EXPECT_FALSE(WriteProfileInt(QStringLiteral("Main"), QStringLiteral("Top"), 1, p));
    }
    EXPECT_EQ(QFileInfo(sparse).size(), MaxProfileFileSize + 1);
    EXPECT_TRUE(QFileInfo(folder).isDir());
}

TEST_F(IniFileTest, FailedSaveOnAFullDiskLeavesTheOldFileByteIdentical)
{
    const QByteArray old = crlf("[Main]\nTop=1000\n");
    writeBytes(path, old);
    {
        FileSizeLimit limit(64);
        EXPECT_FALSE(WriteProfileString(QStringLiteral("Main"), QStringLiteral("Name"),
                                        QString(200, QLatin1Char('n')), path));
    }
    EXPECT_EQ(readBytes(path), old);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("Velmora.ini")})
        << "no temporary file is left behind";
}

TEST_F(IniFileTest, FailedSaveInAReadOnlyFolderIsSilentAndHarmless)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "permissions do not bind the superuser";
    const QByteArray old = crlf("[Main]\nTop=1000\n");
    writeBytes(path, old);
    ASSERT_TRUE(QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    EXPECT_FALSE(WriteProfileInt(QStringLiteral("Main"), QStringLiteral("Top"), 5, path));
    QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    EXPECT_EQ(readBytes(path), old);
}

} // namespace
