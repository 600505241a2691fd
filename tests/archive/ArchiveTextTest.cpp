// The text rules of archive access: member-name safety, name patterns, the
// extraction command line, archive entries, version text, playlist address.
#include "QtPrinters.h"
#include "archive/MemberNames.h"
#include "archive/ZipOperations.h"

#include <QElapsedTimer>
#include <gtest/gtest.h>

namespace {

struct SafetyCase {
    const char *label;
    const char16_t *name;
    bool safe;
};

TEST(MemberNames, OnlyNamesThatStayInsideTheFolderAreSafe)
{
    const SafetyCase cases[] = {
        {"plain file", u"b.mp3", true},
        {"sub-folder", u"a/b.mp3", true},
        {"dots inside a name", u"a..b/..mp3", true},
        {"current folder", u"./a.mp3", true},
        {"empty", u"", false},
        {"parent at start", u"../evil.mp3", false},
        {"parent in the middle", u"a/../../evil.mp3", false},
        {"parent alone", u"..", false},
        {"parent with backslashes", u"a\\..\\..\\evil.mp3", false},
        {"absolute", u"/etc/evil.mp3", false},
        {"absolute with backslash", u"\\evil.mp3", false},
        {"network share", u"\\\\server\\share\\evil.mp3", false},
        {"drive letter", u"C:\\evil.mp3", false},
        {"drive letter relative", u"c:evil.mp3", false},
    };
    for (const auto &c : cases)
        EXPECT_EQ(isSafeMemberName(QString::fromUtf16(c.name)), c.safe) << c.label;
}

struct PatternCase {
    const char *label;
    const char16_t *pattern;
    const char16_t *name;
    bool matches;
};

TEST(MemberNames, PatternsMatchWholeNames)
{
    const PatternCase cases[] = {
        {"escaped brackets", u"x*\\[live\\].mp3", u"x [live].mp3", true},
        {"escaped brackets need the brackets", u"x*\\[live\\].mp3", u"x live.mp3", false},
        {"star for a Roman numeral", u"Symphony *.mp3", u"Symphony Ⅳ.mp3", true},
        {"star crosses folders", u"a*b.mp3", u"a/c/b.mp3", true},
        {"star matches nothing", u"a*b", u"ab", true},
        {"whole name only", u"b.mp3", u"a/b.mp3", false},
        {"prefix is not enough", u"a/b", u"a/b.mp3", false},
        {"case matters", u"B.MP3", u"b.mp3", false},
        {"question mark is one character", u"?.mp3", u"表.mp3", true},
        {"question mark is not two", u"?.mp3", u"表ソ.mp3", false},
        {"set", u"[ab]c", u"bc", true},
        {"negated set", u"[!a]c", u"ac", false},
        {"range", u"track[0-9].mp3", u"track7.mp3", true},
        {"unclosed bracket is literal", u"a[b", u"a[b", true},
        {"backslash makes star literal", u"a\\*", u"ab", false},
        {"empty pattern", u"", u"a", false},
    };
    for (const auto &c : cases)
        EXPECT_EQ(matchNamePattern(QString::fromUtf16(c.pattern), QString::fromUtf16(c.name)), c.matches) << c.label;
}

TEST(MemberNames, PathologicalPatternsStayFast)
{
    const QString name = QString(20000, u'a');
    QElapsedTimer timer;
    timer.start();
    EXPECT_FALSE(matchNamePattern(QStringLiteral("*a*a*a*a*a*a*a*b"), name));
    EXPECT_LT(timer.elapsed(), 2000);
}

TEST(MemberNames, ExtractCommandLine)
{
    const auto cmd = parseExtractCommand(
        QStringLiteral(R"(-x --i -o "/music/my set.zip" "/tmp/veltemp/" "x*\[live\].mp3")"));
    ASSERT_TRUE(cmd);
    EXPECT_TRUE(cmd->extract);
    EXPECT_TRUE(cmd->overwrite);
    EXPECT_TRUE(cmd->quiet);
    EXPECT_EQ(cmd->archive, QStringLiteral("/music/my set.zip"));
    EXPECT_EQ(cmd->destination, QStringLiteral("/tmp/veltemp/"));
    EXPECT_EQ(cmd->patterns, QStringList{QStringLiteral(R"(x*\[live\].mp3)")});

    const auto quoted = parseExtractCommand(QStringLiteral(R"(-x "/m/say "hi".zip" "/t/" "say "hi".mp3")"));
    ASSERT_TRUE(quoted);
    EXPECT_EQ(quoted->archive, QStringLiteral(R"(/m/say "hi".zip)"));
    EXPECT_EQ(quoted->patterns, QStringList{QStringLiteral(R"(say "hi".mp3)")});

    const char *rejected[] = {
        R"(-x --i -o "a.zip" "/tmp/")",                // no pattern
        R"(-x -q "a.zip" "/tmp/" "b")",                // unknown option
        R"(-x -x "a.zip" "/tmp/" "b")",                // repeated option
        R"(-x "a.zip "/tmp/" "b)",                     // unterminated quote
        R"(-x "" "/tmp/" "b")",                        // empty archive
    };
    for (const char *line : rejected)
        EXPECT_FALSE(parseExtractCommand(QString::fromUtf8(line))) << line;
}

TEST(ZipOperations, PatternEscape)
{
    const struct {
        const char16_t *name;
        const char16_t *pattern;
    } cases[] = {
        {u"x [live].mp3", u"x*\\[live\\].mp3"},
        {u"Ⅳ.mp3", u"*.mp3"},
        {u"ⅠⅡⅢⅣⅤⅥⅦⅧⅨⅩ", u"**********"},
        {u"a\\b c.mp3", u"a*b*c.mp3"},
        {u"表ソ/曲.mp3", u"表ソ/曲.mp3"},
        {u"Ⅺ.mp3", u"Ⅺ.mp3"}, // only the ten numerals Ⅰ to Ⅹ
    };
    for (const auto &c : cases)
        EXPECT_EQ(ZipPatternEscape(QString::fromUtf16(c.name)), QString::fromUtf16(c.pattern));
}

class FixedVersionArchiver : public Archiver
{
public:
    explicit FixedVersionArchiver(int version) : m_version(version) {}
    int getVersion() const override { return m_version; }
    Handle openArchive(const QString &, int) override { return 0; }
    int findFirst(Handle, const QString &, MemberRecord &) override { return 1; }
    int findNext(Handle, MemberRecord &) override { return 1; }
    int closeArchive(Handle) override { return 1; }
    int command(const QString &) override { return CannotOpen; }

private:
    int m_version;
};

TEST(ZipOperations, VersionText)
{
    const struct {
        int version;
        const char *text;
    } cases[] = {{541, "Ver 5.41"}, {362, "Ver 3.62"}, {500, "Ver 5.00"}, {7, "Ver 0.07"}, {1234, "Ver 12.34"}};
    for (const auto &c : cases)
        EXPECT_EQ(UnzipVersionGet(FixedVersionArchiver(c.version)), QString::fromLatin1(c.text));
}

TEST(ZipOperations, ArchiveEntryParts)
{
    const QString entry = makeArchiveMemberPath(QStringLiteral("/music/set.zip"), QStringLiteral("disc1/01.mp3"));
    EXPECT_EQ(entry, QStringLiteral(R"("/music/set.zip"\#ZIP#disc1/01.mp3)"));
    const auto parts = splitArchiveMemberPath(entry);
    ASSERT_TRUE(parts);
    EXPECT_EQ(parts->quotedArchive, QStringLiteral(R"("/music/set.zip")"));
    EXPECT_EQ(parts->archivePath, QStringLiteral("/music/set.zip"));
    EXPECT_EQ(parts->memberName, QStringLiteral("disc1/01.mp3"));

    // The first marker splits: a member name may itself contain "#ZIP#".
    const auto odd = splitArchiveMemberPath(QStringLiteral(R"("/a.zip"\#ZIP#x\#ZIP#y.mp3)"));
    ASSERT_TRUE(odd);
    EXPECT_EQ(odd->memberName, QStringLiteral(R"(x\#ZIP#y.mp3)"));

    const char *notEntries[] = {"/music/a.mp3", R"("/music/a.zip")", R"("/a.zip"#ZIP#b.mp3)", R"("\#ZIP#b)", "\""};
    for (const char *text : notEntries)
        EXPECT_FALSE(splitArchiveMemberPath(QString::fromUtf8(text))) << text;
}

TEST(ZipOperations, PlaylistAddressFollowsTheSelectedNode)
{
    const QString archive = QStringLiteral("/music/Best of.2020.zip");
    const struct {
        const char *label;
        std::optional<ZipTreeNode> node;
        const char *current;
        const char *address;
    } cases[] = {
        {"no node", std::nullopt, "Rock/Old", "Best of.2020"},
        {"root playlist", ZipTreeNode{false, "AutoPlaylist.m3u", "AutoPlaylist.m3u"}, "AutoPlaylist",
         "Best of.2020"},
        {"root category", ZipTreeNode{true, "Rock", "Rock"}, "AutoPlaylist", "Rock/Best of.2020"},
        {"playlist in a category", ZipTreeNode{false, "Old.m3u", "Rock/Old.m3u"}, "Rock/Old",
         "Rock/Best of.2020"},
        {"playlist in a category, address without folder", ZipTreeNode{false, "Old.m3u", "Rock/Old.m3u"},
         "Old", "Best of.2020"},
        {"sub-category", ZipTreeNode{true, "70s", "Rock/70s"}, "AutoPlaylist", "Rock/70s/Best of.2020"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(zipPlaylistAddress(archive, c.node, QString::fromUtf8(c.current)), QString::fromUtf8(c.address))
            << c.label;
}

} // namespace
