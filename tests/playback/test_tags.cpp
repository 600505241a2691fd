#include "playback/Tags.h"
#include "FakeAudioLibrary.h"

#include <gtest/gtest.h>

namespace {

using Field = AudioLibrary::TagField;

Field field(int kind, const char *name, const QByteArray &value)
{
    return Field{kind, QByteArray(name), value};
}

struct TagsFixture : ::testing::Test {
    FakeAudioLibrary audio;
    TagInfo read(QList<Field> fields)
    {
        audio.init(44100, 32, 0);
        audio.addFile(QStringLiteral("/t.mp3"), 1000, -1, fields);
        const auto s = audio.streamOpen(QStringLiteral("/t.mp3"), 0x130, 0, 0);
        return ReadTags(audio, s);
    }
};

TEST_F(TagsFixture, Id3v1AndId3v2LastOfEachNameWins)
{
    const TagInfo t = read({field(1, "TITLE", "v1 title"), field(1, "ARTIST", "v1 artist"),
                            field(1, "TRACK", "3"), field(2, "TIT2", "v2 title"), field(2, "TRCK", "4"),
                            field(2, "APIC", "picture")});
    EXPECT_EQ(t.Title, QStringLiteral("v2 title"));
    EXPECT_EQ(t.Track, QStringLiteral("4"));
    EXPECT_EQ(t.TagType, QStringLiteral("ID3V2"));
}

TEST_F(TagsFixture, Id3v2FramesFillFieldsByMeaning)
{
    const TagInfo t = read({field(2, "TPE2", "Band"), field(2, "TPE1", "Lead"), field(2, "TALB", "Album"),
                            field(2, "TDRC", "2024"), field(2, "COMM", "nice")});
    EXPECT_EQ(t.Artist, QStringLiteral("Lead"));
    EXPECT_EQ(t.Album, QStringLiteral("Album"));
    EXPECT_EQ(t.Year, QStringLiteral("2024"));
    EXPECT_EQ(t.Comment, QStringLiteral("nice"));

    // The band stands in only when no lead artist is tagged, whatever the order.
    EXPECT_EQ(read({field(2, "TPE1", "Lead"), field(2, "TPE2", "Band")}).Artist, QStringLiteral("Lead"));
    EXPECT_EQ(read({field(2, "TPE2", "Band")}).Artist, QStringLiteral("Band"));
}

TEST_F(TagsFixture, NamesCompareCaseSensitively)
{
    const TagInfo lower = read({field(0, "title", "x"), field(0, "artist", "y")});
    EXPECT_TRUE(lower.Title.isEmpty());
    EXPECT_TRUE(lower.Artist.isEmpty());
    EXPECT_EQ(lower.TagType, QStringLiteral("VORBIS")); // the fields were still taken
    const TagInfo asf = read({field(5, "TITLE", "T"), field(5, "AUTHOR", "A")});
    EXPECT_EQ(asf.Title, QStringLiteral("T"));
    EXPECT_EQ(asf.Artist, QStringLiteral("A"));
}

TEST_F(TagsFixture, UnknownKindIsAnError)
{
    EXPECT_THROW(read({field(7, "TITLE", "x")}), TagKindError);
    EXPECT_EQ(read({}).TagType, QString());
}

TEST(PtrToText, CutsAt255BytesOnACharacterBoundary)
{
    EXPECT_EQ(PtrToText(QByteArray(300, 'a')).size(), 255);
    EXPECT_EQ(PtrToText(QByteArray("ab\0cd", 5)), QStringLiteral("ab"));
    // 85 three-byte characters fill exactly 255 bytes; one more must not be cut in half.
    const QByteArray kana = QStringLiteral("あ").toUtf8().repeated(86);
    const QString text = PtrToText(kana);
    EXPECT_EQ(text, QStringLiteral("あ").repeated(85));
    // A two-byte character straddling byte 255 is dropped whole.
    const QByteArray mixed = QByteArray(254, 'x') + QStringLiteral("é").toUtf8();
    EXPECT_EQ(PtrToText(mixed), QString(254, QLatin1Char('x')));
}

TEST(TagKindName, AllKinds)
{
    const QStringList names = {"VORBIS", "ID3V1", "ID3V2", "SHOUTcast", "Icecast", "ASF", ""};
    for (int k = 0; k < names.size(); ++k)
        EXPECT_EQ(TagKindName(k), names[k]);
    EXPECT_THROW(TagKindName(7), TagKindError);
}

} // namespace
