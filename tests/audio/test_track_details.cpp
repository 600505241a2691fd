// What the properties window reads of real files through the decoder and
// tag modules: the format, codec, rate, channels, length and every tag
// field, per format; a file without tags; an archive member.
#include "EngineTestSupport.h"

#include "archive/LibArchiveArchiver.h"
#include "archive/ZipOperations.h"
#include "playback/engine/EngineTrackDetails.h"
#include "playlist/PathNames.h"
#include "playback/TrackProperties.h"
#include "ZipFixtures.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace enginetest;

namespace {

const QString kTitle = QStringLiteral("夜の曲");

QByteArray fieldValue(const TrackDetails &d, const QByteArray &name)
{
    for (const AudioLibrary::TagField &f : d.fields)
        if (f.name == name)
            return f.value;
    return QByteArray();
}

TEST(TrackDetails, EveryFormatTellsHowItsSoundIsStored)
{
    if (!haveFfmpeg())
        GTEST_SKIP() << "ffmpeg is needed to make the fixtures";
    const QStringList title{"-metadata", "title=" + kTitle};
    const struct {
        const char *name;
        const char *file;
        QStringList args;
        const char *container;
        const char *codec; // the start of the codec text
        int rate;
        int channels;
        QByteArray titleField; // "" = no tags at all
    } cases[] = {
        {"mp3", "t.mp3", QStringList{"-c:a", "libmp3lame", "-b:a", "128k"} + title, "MP3", "MPEG-1 Layer 3", 44100, 2,
         "TIT2"},
        {"mp3 at a low rate, mono", "m.mp3", QStringList{"-c:a", "libmp3lame", "-ar", "22050", "-ac", "1"} + title, "MP3",
         "MPEG-2 Layer 3", 22050, 1, "TIT2"},
        {"ogg vorbis", "t.ogg", QStringList{"-c:a", "libvorbis", "-ar", "48000"} + title, "Ogg", "Vorbis", 48000, 2,
         "TITLE"},
        {"opus", "t.opus", QStringList{"-c:a", "libopus"} + title, "Ogg", "Opus", 48000, 2, "TITLE"},
        {"flac", "t.flac", QStringList{"-c:a", "flac", "-sample_fmt", "s16"} + title, "FLAC", "FLAC 16 bit", 44100, 2, "TITLE"},
        {"m4a", "t.m4a", QStringList{"-c:a", "aac"} + title, "MP4 (M4A)", "AAC", 44100, 2, "TITLE"},
        {"wma", "t.wma", QStringList{"-c:a", "wmav2"} + title, "ASF (WMA)", "Windows Media Audio", 44100, 2, "TITLE"},
        {"wav without tags", "t.wav", {"-c:a", "pcm_s16le", "-ac", "1", "-map_metadata", "-1", "-fflags", "+bitexact"},
         "WAV", "PCM 16 bit", 44100, 1, ""},
    };
    QTemporaryDir dir;
    EngineTrackDetails source;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = dir.filePath(QString::fromLatin1(c.file));
        ASSERT_TRUE(makeEncoded(path, QStringLiteral("0.1*sin(2*PI*440*t)"), 1.0, c.args));
        TrackDetails d;
        ASSERT_TRUE(source.readDetails(path, d));
        ASSERT_TRUE(d.formatKnown);
        EXPECT_EQ(d.format.container, QString::fromLatin1(c.container));
        EXPECT_TRUE(d.format.codec.startsWith(QString::fromLatin1(c.codec))) << d.format.codec.toStdString();
        EXPECT_EQ(d.format.sampleRate, c.rate);
        EXPECT_EQ(d.format.channels, c.channels);
        EXPECT_GT(d.format.bitRateKbps, 0);
        EXPECT_NEAR(d.lengthMs, 1000, 80);
        EXPECT_EQ(d.bytes, QFileInfo(path).size());
        if (c.titleField.isEmpty())
            EXPECT_TRUE(d.fields.isEmpty()) << d.fields.size();
        else
            EXPECT_EQ(fieldValue(d, c.titleField), kTitle.toUtf8());
    }
}

TEST(TrackDetails, NotAFileOrNotSound)
{
    QTemporaryDir dir;
    EngineTrackDetails source;
    TrackDetails d;
    EXPECT_FALSE(source.readDetails(dir.filePath("missing.mp3"), d));
    EXPECT_FALSE(source.readDetails(dir.path(), d)) << "a folder is no track";
    const QString text = dir.filePath("notes.mp3");
    QFile f(text);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("just some words, no sound at all\n");
    f.close();
    ASSERT_TRUE(source.readDetails(text, d));
    EXPECT_EQ(d.lengthMs, 0);
    EXPECT_EQ(d.bytes, f.size());
}

TEST(TrackDetails, AnArchiveMemberIsReadFromTheMember)
{
    if (!haveFfmpeg())
        GTEST_SKIP() << "ffmpeg is needed to make the fixture";
    QTemporaryDir dir;
    const QString mp3 = dir.filePath("t.mp3");
    ASSERT_TRUE(makeEncoded(mp3, QStringLiteral("0.1*sin(2*PI*440*t)"), 1.0,
                            {"-c:a", "libmp3lame", "-metadata", "title=" + kTitle}));
    QFile f(mp3);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QString zip = dir.filePath("set.zip");
    ASSERT_TRUE(writeDeflateZip(zip, {{QStringLiteral("曲/t.mp3"), f.readAll()}}));
    const QString temp = dir.filePath("temp");
    ASSERT_TRUE(QDir().mkpath(temp));

    EngineTrackDetails source;
    LibArchiveArchiver archiver;
    const TrackPropertiesReader reader(
        source, [&](const QString &entry, const QString &folder) { return ZipItemExtract(archiver, entry, folder); },
        [&] { return temp; });
    const TrackPropertySheet sheet = reader.read(ArchiveMemberPath(zip, u"曲/t.mp3"));
    EXPECT_EQ(sheet.name, "t.mp3");
    EXPECT_EQ(sheet.value("ファイル", "書庫"), zip);
    EXPECT_EQ(sheet.value("ファイル", "書庫内の名前"), "曲/t.mp3");
    EXPECT_EQ(sheet.value("音声", "コーデック"), "MPEG-1 Layer 3");
    EXPECT_EQ(sheet.value("音声", "チャンネル"), "2 (ステレオ)");
    EXPECT_EQ(sheet.value("タグ (ID3v2)", "タイトル (TIT2)"), kTitle);
    EXPECT_TRUE(QDir(temp).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden)) << "the member is removed";
}

} // namespace
