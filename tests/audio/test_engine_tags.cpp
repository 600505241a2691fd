// Tag fields of real tagged files, as the engine reports them: the kind, the
// names that fill the player's record, UTF-8 values, old Japanese tags.
#include "EngineTestSupport.h"

#include "core/NativePath.h"
#include "playback/decoders/tags/TagReader.h"

#include <QFile>
#include <cstdio>
#include <gtest/gtest.h>

using namespace enginetest;
using Field = AudioLibrary::TagField;

namespace {

const QString kTitle = QStringLiteral("夜の曲");
const QString kArtist = QStringLiteral("ヴェルモラ");

QList<Field> fieldsOf(EngineAudioLibrary &lib, const QString &path)
{
    QList<Field> out;
    const auto s = lib.streamOpen(path, 0x130, 0, 0);
    if (!s)
        return out;
    for (int i = 0; i < lib.streamNumTagFields(s); ++i) {
        Field f;
        if (lib.streamTagField(s, i, f))
            out.append(f);
    }
    lib.streamClose(s);
    return out;
}

int indexOf(const QList<Field> &fields, int kind, const QByteArray &name)
{
    for (int i = 0; i < fields.size(); ++i) {
        if (fields[i].kind == kind && fields[i].name == name)
            return i;
    }
    return -1;
}

std::string dump(const QList<Field> &fields)
{
    std::string out;
    for (const Field &f : fields)
        out += std::to_string(f.kind) + ":" + f.name.toStdString() + "=" + f.value.toStdString() + " ";
    return out;
}

TEST(EngineTags, TitleAndArtistOfEveryFormat)
{
    if (!haveFfmpeg())
        GTEST_SKIP() << "ffmpeg is needed to make the fixtures";
    const QStringList meta{"-metadata", "title=" + kTitle, "-metadata", "artist=" + kArtist};
    const struct {
        const char *name;
        const char *file;
        QStringList args;
        int kind;
        QByteArray titleName, artistName;
    } cases[] = {
        {"mp3 (ID3v2.4)", "t.mp3", {"-c:a", "libmp3lame"}, AudioLibrary::TagId3v2, "TIT2", "TPE1"},
        {"mp3 (ID3v2.3)", "t3.mp3", {"-c:a", "libmp3lame", "-id3v2_version", "3"}, AudioLibrary::TagId3v2, "TIT2", "TPE1"},
        {"ogg vorbis", "t.ogg", {"-c:a", "libvorbis"}, AudioLibrary::TagVorbis, "TITLE", "ARTIST"},
        {"opus", "t.opus", {"-c:a", "libopus"}, AudioLibrary::TagVorbis, "TITLE", "ARTIST"},
        {"flac", "t.flac", {"-c:a", "flac"}, AudioLibrary::TagVorbis, "TITLE", "ARTIST"},
        {"wma", "t.wma", {"-c:a", "wmav2"}, AudioLibrary::TagAsf, "TITLE", "AUTHOR"},
        {"m4a", "t.m4a", {"-c:a", "aac"}, AudioLibrary::TagOther, "TITLE", "ARTIST"},
    };
    DiskRun run;
    for (const auto &c : cases) {
        ASSERT_TRUE(makeEncoded(run.path(QString::fromLatin1(c.file)), QStringLiteral("0.1*sin(2*PI*440*t)"), 0.5,
                                c.args + meta))
            << c.name;
    }
    ASSERT_TRUE(run.init());
    for (const auto &c : cases) {
        const QList<Field> fields = fieldsOf(run.lib(), run.path(QString::fromLatin1(c.file)));
        const int title = indexOf(fields, c.kind, c.titleName);
        const int artist = indexOf(fields, c.kind, c.artistName);
        ASSERT_GE(title, 0) << c.name << ": " << dump(fields);
        ASSERT_GE(artist, 0) << c.name << ": " << dump(fields);
        EXPECT_EQ(fields[title].value, kTitle.toUtf8()) << c.name;
        EXPECT_EQ(fields[artist].value, kArtist.toUtf8()) << c.name;
    }
}

TEST(EngineTags, FileNamesThatAreNotUtf8OpenWithTheirTags)
{
    if (!haveFfmpeg())
        GTEST_SKIP() << "ffmpeg is needed to make the fixture";
    DiskRun run;
    const QString made = run.path(QStringLiteral("t.mp3"));
    ASSERT_TRUE(makeEncoded(made, QStringLiteral("0.1*sin(2*PI*440*t)"), 0.5,
                            {"-c:a", "libmp3lame", "-metadata", "title=" + kTitle}));
    // "テスト.mp3" in Shift-JIS.
    const QByteArray raw = QFile::encodeName(run.path(QString())) + "/\x83\x65\x83\x58\x83\x67.mp3";
    ASSERT_EQ(std::rename(QFile::encodeName(made).constData(), raw.constData()), 0);
    ASSERT_TRUE(run.init());
    const QList<Field> fields = fieldsOf(run.lib(), NativePath::decode(raw));
    std::remove(raw.constData()); // the folder's own clean-up cannot see it
    const int title = indexOf(fields, AudioLibrary::TagId3v2, "TIT2");
    ASSERT_GE(title, 0) << "error " << run.lib().error() << ": " << dump(fields);
    EXPECT_EQ(fields[title].value, kTitle.toUtf8());
}

QByteArray syncsafe(int n)
{
    QByteArray out(4, 0);
    for (int i = 0; i < 4; ++i)
        out[i] = char((n >> (7 * (3 - i))) & 0x7F);
    return out;
}

QByteArray id3v23Frame(const char *id, const QByteArray &latin1Text)
{
    const QByteArray body = QByteArray(1, '\0') + latin1Text;
    QByteArray size(4, 0);
    for (int i = 0; i < 4; ++i)
        size[i] = char((body.size() >> (8 * (3 - i))) & 0xFF);
    return QByteArray(id) + size + QByteArray(2, '\0') + body;
}

QByteArray id3v1(const QByteArray &title, const QByteArray &artist)
{
    QByteArray tag = "TAG";
    const auto field = [](const QByteArray &v, int n) { return v.left(n) + QByteArray(n - qMin(n, int(v.size())), '\0'); };
    tag += field(title, 30) + field(artist, 30) + field("Album", 30) + "1999" + field("", 28) + QByteArray(1, '\0')
        + QByteArray(1, char(7)) + QByteArray(1, char(255));
    return tag;
}

TEST(EngineTags, OldJapaneseTagsAndTheOrderOfKinds)
{
    if (!haveFfmpeg())
        GTEST_SKIP() << "ffmpeg is needed to make the fixture";
    DiskRun run;
    const QString bare = run.path("bare.mp3");
    ASSERT_TRUE(makeEncoded(bare, QStringLiteral("0.1*sin(2*PI*440*t)"), 0.5,
                            {"-c:a", "libmp3lame", "-id3v2_version", "0", "-write_xing", "0"}));
    QFile in(bare);
    ASSERT_TRUE(in.open(QIODevice::ReadOnly));
    const QByteArray audio = in.readAll();
    in.close();

    // As Japanese programs wrote them: Shift-JIS bytes in Latin-1 fields.
    const QByteArray sjisTitle("\x83\x65\x83\x58\x83\x67\x8b\xc8"); // テスト曲
    const QByteArray sjisArtist("\x93\xfa\x96\x7b\xb6\xc5");          // 日本ｶﾅ
    const QByteArray frames = id3v23Frame("TIT2", sjisTitle) + id3v23Frame("TPE1", "Caf\xe9")
        + id3v23Frame("TALB", sjisArtist);
    const QByteArray header = QByteArray("ID3\x03\x00\x00", 6) + syncsafe(int(frames.size()));
    QFile out(run.path("old.mp3"));
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(header + frames + audio + id3v1(sjisTitle, sjisArtist));
    out.close();

    ASSERT_TRUE(run.init());
    const QList<Field> fields = fieldsOf(run.lib(), out.fileName());
    const struct {
        int kind;
        QByteArray name;
        QString value;
    } expected[] = {
        {AudioLibrary::TagId3v1, "TITLE", QStringLiteral("テスト曲")},
        {AudioLibrary::TagId3v1, "ARTIST", QStringLiteral("日本ｶﾅ")},
        {AudioLibrary::TagId3v1, "YEAR", QStringLiteral("1999")},
        {AudioLibrary::TagId3v1, "TRACK", QStringLiteral("7")},
        {AudioLibrary::TagId3v2, "TIT2", QStringLiteral("テスト曲")},
        {AudioLibrary::TagId3v2, "TPE1", QStringLiteral("Café")},
        {AudioLibrary::TagId3v2, "TALB", QStringLiteral("日本ｶﾅ")},
    };
    for (const auto &e : expected) {
        const int i = indexOf(fields, e.kind, e.name);
        ASSERT_GE(i, 0) << e.name.constData() << ": " << dump(fields);
        EXPECT_EQ(QString::fromUtf8(fields[i].value), e.value) << e.name.constData();
    }
    // ID3v1 comes first, so the richer ID3v2 values win in the player's record.
    EXPECT_LT(indexOf(fields, AudioLibrary::TagId3v1, "TITLE"), indexOf(fields, AudioLibrary::TagId3v2, "TIT2"));
}

TEST(EngineTags, LegacyTextDecoding)
{
    const struct {
        const char *name;
        QByteArray bytes;
        QString text;
    } cases[] = {
        {"ASCII", "Hello, world", QStringLiteral("Hello, world")},
        {"Latin-1 accents", "Caf\xe9 cr\xe8me \xc6r\xf8", QStringLiteral("Café crème Ærø")},
        {"Latin-1 that is also well-formed Shift-JIS", "\xe9t\xe9", QStringLiteral("été")},
        {"Shift-JIS kana and kanji", "\x83\x65\x83\x58\x83\x67\x8b\xc8", QStringLiteral("テスト曲")},
        {"Shift-JIS with half-width kana", "\x93\xfa\x96\x7b\xb6\xc5", QStringLiteral("日本ｶﾅ")},
        {"Windows-only characters of code page 932", "\x87\x40", QStringLiteral("①")},
        {"UTF-8 stored as Latin-1", QStringLiteral("テスト").toUtf8(), QStringLiteral("テスト")},
        {"control codes that are neither", "\x80\xff", QString(QChar(0x80)) + QChar(0xFF)},
        {"truncated Shift-JIS stays Latin-1", "\x83\x65\x83", QString(QChar(0x83)) + QChar(0x65) + QChar(0x83)},
    };
    for (const auto &c : cases)
        EXPECT_EQ(QString::fromUtf8(decodeLegacyTagText(c.bytes)), c.text) << c.name;
}

} // namespace
