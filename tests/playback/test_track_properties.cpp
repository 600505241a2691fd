// The facts of a track's properties window, gathered without a display:
// where the file is, how its sound is stored, every tag field, and for an
// archive member its archive and name, read from the member itself.
#include "archive/LibArchiveArchiver.h"
#include "archive/ZipOperations.h"
#include "playback/TrackDetailsSource.h"
#include "playlist/PathNames.h"
#include "playback/TrackProperties.h"
#include "CoreTestApp.h"
#include "FakeAudioLibrary.h"
#include "TestFiles.h"
#include "ZipFixtures.h"

#include <QDir>
#include <QHash>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// The program's own extraction, through the real archiver.
TrackPropertiesReader::MemberExtractor extractorOf(Archiver &archiver)
{
    return [&archiver](const QString &entry, const QString &folder) { return ZipItemExtract(archiver, entry, folder); };
}

using Field = AudioLibrary::TagField;

// Details scripted by file name; the size is the real file's, so an
// extracted member is read where it was extracted. Records the paths read.
class ScriptedDetails : public TrackDetailsSource
{
public:
    QHash<QString, TrackDetails> byName;
    QStringList read;

    bool readDetails(const QString &path, TrackDetails &details) override
    {
        read << path;
        const QFileInfo info(path);
        if (!info.isFile())
            return false;
        details = byName.value(info.fileName());
        details.bytes = info.size();
        return true;
    }
};

TrackDetails mp3Details()
{
    TrackDetails d;
    d.lengthMs = 205250;
    d.fields = {{AudioLibrary::TagId3v1, "TITLE", "Yoru"},
                {AudioLibrary::TagId3v2, "TIT2", "夜の曲"},
                {AudioLibrary::TagId3v2, "TPE1", "ヴェルモラ"},
                {AudioLibrary::TagId3v2, "TXXX", "custom"}};
    d.format = {"MP3", "MPEG-1 Layer 3", 44100, 2, 192, 205000};
    d.formatKnown = true;
    return d;
}

TrackDetails bareWav()
{
    TrackDetails d;
    d.lengthMs = 1500;
    d.format = {"WAV", "PCM 16 bit", 22050, 1, 352, 1500};
    d.formatKnown = true;
    return d;
}

// Decodes (the library knows its length) but the tag reader cannot read it.
TrackDetails lengthOnly()
{
    TrackDetails d;
    d.lengthMs = 8000;
    return d;
}

struct Expect {
    const char *section;
    const char *label;
    QString value;
};

struct Case {
    const char *name;
    QString file;         // relative to the music folder; an archive entry when `member` is set
    const char *member;   // the member of "set.zip" ("" = a plain file)
    QList<Expect> lines;  // lines that must show exactly this value
    QStringList sections; // every section title, in order
};

class TrackPropertiesTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        coreTestApp();
        music = root.path() + "/music/";
        temp = root.path() + "/temp";
        QDir().mkpath(temp);
        writeBytes(music + "song.mp3", QByteArray(4096, 'm'));
        writeBytes(music + "plain.wav", QByteArray(100, 'w'));
        writeBytes(music + "odd.xyz", QByteArray(10, 'x'));
        ASSERT_TRUE(writeDeflateZip(music + "set.zip", {{"disc 1/song.mp3", QByteArray(2048, 'z')},
                                                        {"plain.wav", QByteArray(100, 'w')}}));
        details.byName.insert("song.mp3", mp3Details());
        details.byName.insert("plain.wav", bareWav());
        details.byName.insert("odd.xyz", lengthOnly());
    }

    QString pathOf(const Case &c) const
    {
        return *c.member ? ArchiveMemberPath(music + "set.zip", QString::fromUtf8(c.member)) : music + c.file;
    }

    QTemporaryDir root;
    QString music, temp;
    ScriptedDetails details;
    LibArchiveArchiver archiver;
    TrackPropertiesReader reader{details, extractorOf(archiver), [this] { return temp; }};
};

TEST_F(TrackPropertiesTest, EveryKindOfRowShowsItsFacts)
{
    const QString file = TrackPropertiesReader::FileSection, sound = TrackPropertiesReader::SoundSection;
    const Case cases[] = {
        {"a tagged mp3: format, codec, numbers and every field by kind",
         "song.mp3",
         "",
         {{"ファイル", "名前", "song.mp3"},
          {"ファイル", "サイズ", "4.0 KB (4,096 バイト)"},
          {"音声", "形式", "MP3"},
          {"音声", "コーデック", "MPEG-1 Layer 3"},
          {"音声", "長さ", "3:25.250"},
          {"音声", "ビットレート", "192 kbps"},
          {"音声", "サンプルレート", "44,100 Hz"},
          {"音声", "チャンネル", "2 (ステレオ)"},
          {"タグ (ID3v1)", "タイトル (TITLE)", "Yoru"},
          {"タグ (ID3v2)", "タイトル (TIT2)", "夜の曲"},
          {"タグ (ID3v2)", "アーティスト (TPE1)", "ヴェルモラ"},
          {"タグ (ID3v2)", "TXXX", "custom"}},
         {file, sound, "タグ (ID3v1)", "タグ (ID3v2)"}},
        {"a file without tags says so",
         "plain.wav",
         "",
         {{"ファイル", "サイズ", "100 バイト"},
          {"音声", "コーデック", "PCM 16 bit"},
          {"音声", "チャンネル", "1 (モノラル)"},
          {"音声", "長さ", "0:01.500"},
          {"タグ", "", TrackPropertiesReader::NoTags}},
         {file, sound, "タグ"}},
        {"an unknown format: the length and the file's mean bit rate",
         "odd.xyz",
         "",
         {{"音声", "形式", "不明"},
          {"音声", "長さ", "0:08.000"},
          {"音声", "ビットレート", "0 kbps (ファイル全体の平均)"},
          {"音声", "サンプルレート", "不明"}},
         {file, sound, "タグ"}},
        {"a missing file", "gone.mp3", "", {{"ファイル", "", TrackPropertiesReader::Missing}}, {file}},
        {"an archive member is read from the member",
         "",
         "disc 1/song.mp3",
         {{"ファイル", "書庫", "@set.zip"},
          {"ファイル", "書庫内の名前", "disc 1/song.mp3"},
          {"ファイル", "サイズ", "2.0 KB (2,048 バイト)"},
          {"音声", "コーデック", "MPEG-1 Layer 3"},
          {"タグ (ID3v2)", "タイトル (TIT2)", "夜の曲"}},
         {file, sound, "タグ (ID3v1)", "タグ (ID3v2)"}},
        {"a member the archive does not hold",
         "",
         "nothing.mp3",
         {{"ファイル", "書庫内の名前", "nothing.mp3"}, {"ファイル", "", TrackPropertiesReader::NotExtracted}},
         {file}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const TrackPropertySheet sheet = reader.read(pathOf(c));
        QStringList titles;
        for (const PropertySection &s : sheet.sections)
            titles << s.title;
        EXPECT_EQ(titles, c.sections);
        for (const Expect &e : c.lines) {
            const QString expected = QString(e.value).replace("@", music);
            EXPECT_EQ(sheet.value(QString::fromUtf8(e.section), QString::fromUtf8(e.label)), expected)
                << e.section << " / " << e.label;
        }
        EXPECT_EQ(sheet.localFile, *c.member ? music + "set.zip" : music + c.file);
        // Nothing extracted stays behind.
        EXPECT_TRUE(QDir(temp).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden));
    }
}

TEST_F(TrackPropertiesTest, WithoutATemporaryFolderAMemberShowsItsArchiveOnly)
{
    TrackPropertiesReader noTemp{details, extractorOf(archiver), [] { return QString(); }};
    const TrackPropertySheet sheet = noTemp.read(ArchiveMemberPath(music + "set.zip", u"plain.wav"));
    EXPECT_EQ(sheet.value("ファイル", "書庫内の名前"), "plain.wav");
    EXPECT_EQ(sheet.value("ファイル", ""), TrackPropertiesReader::NotExtracted);
    EXPECT_EQ(sheet.sections.size(), 1);
    EXPECT_TRUE(details.read.isEmpty()) << "the archive itself is never read as a track";
}

TEST(TrackPropertyTexts, SizesLengthsAndChannels)
{
    const struct {
        qint64 bytes;
        const char *text;
    } sizes[] = {{0, "0 バイト"},
                 {1023, "1,023 バイト"},
                 {1024, "1.0 KB (1,024 バイト)"},
                 {5 * 1024 * 1024 + 300 * 1024, "5.3 MB (5,550,080 バイト)"},
                 {qint64(3) << 30, "3.0 GB (3,221,225,472 バイト)"}};
    for (const auto &s : sizes)
        EXPECT_EQ(TrackPropertiesReader::SizeText(s.bytes), QString::fromUtf8(s.text)) << s.bytes;
    const struct {
        int ms;
        const char *text;
    } lengths[] = {{0, "0:00.000"}, {999, "0:00.999"}, {61001, "1:01.001"}, {3723004, "1:02:03.004"}};
    for (const auto &l : lengths)
        EXPECT_EQ(TrackPropertiesReader::LengthText(l.ms), QString::fromUtf8(l.text)) << l.ms;
    EXPECT_EQ(TrackPropertiesReader::ChannelsText(1), "1 (モノラル)");
    EXPECT_EQ(TrackPropertiesReader::ChannelsText(2), "2 (ステレオ)");
    EXPECT_EQ(TrackPropertiesReader::ChannelsText(6), "6");
}

// Without a richer source the audio library's stream gives the facts.
TEST(TrackPropertiesThroughTheAudioLibrary, LengthAndFieldsFromTheStream)
{
    coreTestApp();
    QTemporaryDir root;
    const QString path = root.path() + "/a.ogg";
    writeBytes(path, QByteArray(16000, 'o'));
    FakeAudioLibrary audio;
    ASSERT_TRUE(audio.init(44100, 32, 0));
    audio.addFile(path, 4000, 16000, {{AudioLibrary::TagVorbis, "ARTIST", "誰か"}});
    AudioLibraryDetails details(audio);
    LibArchiveArchiver archiver;
    const TrackPropertySheet sheet = TrackPropertiesReader(details, extractorOf(archiver), [] { return QString(); }).read(path);
    EXPECT_EQ(sheet.value("音声", "長さ"), "0:04.000");
    EXPECT_EQ(sheet.value("音声", "ビットレート"), "32 kbps (ファイル全体の平均)");
    EXPECT_EQ(sheet.value("タグ (Vorbis comment)", "アーティスト (ARTIST)"), "誰か");
    EXPECT_EQ(audio.openStreamCount(), 0) << "the stream is closed again";
}

} // namespace
