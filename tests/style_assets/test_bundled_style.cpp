// Guards the committed default style and demo tracks against a broken
// regeneration: every file a style folder must hold is there, decodes, has the
// size the windows' layouts place it at, and button pictures keep their
// transparency and their three distinct states.

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QStringDecoder>
#include <gtest/gtest.h>

namespace {

const QString kStyle = QStringLiteral(VELMORA_SOURCE_DIR "/assets/Style/WindowsStyle/");
const QString kDemo = QStringLiteral(VELMORA_SOURCE_DIR "/assets/demo/");

struct Picture {
    const char *name;
    int width;  // 0: any
    int height; // 0: any
};

// Fully transparent and fully opaque pixels only: GIF has one-bit transparency,
// and the style loader draws these over the window's background.
void expectGifTransparency(const QImage &image, const QString &name)
{
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    int transparent = 0, opaque = 0, partial = 0;
    for (int y = 0; y < argb.height(); ++y)
        for (int x = 0; x < argb.width(); ++x) {
            const int a = qAlpha(argb.pixel(x, y));
            a == 0 ? ++transparent : a == 255 ? ++opaque : ++partial;
        }
    EXPECT_GT(transparent, 0) << qPrintable(name) << " has no transparent pixel";
    EXPECT_GT(opaque, 0) << qPrintable(name) << " is empty";
    EXPECT_EQ(partial, 0) << qPrintable(name);
}

QImage loadChecked(const QString &file, const char *format)
{
    QImageReader reader(kStyle + file);
    EXPECT_EQ(reader.format(), QByteArray(format)) << qPrintable(file) << " is not " << format;
    const QImage image = reader.read();
    EXPECT_FALSE(image.isNull()) << qPrintable(file) << ": " << qPrintable(reader.errorString());
    return image;
}

TEST(BundledStyle, BackgroundsExistOnceAndCoverTheirAreas)
{
    // name, minimum width, exact height (0: at least the window's height)
    struct Background {
        const char *name;
        int minWidth, minHeight;
    };
    const Background backgrounds[] = {
        {"mainback", 533, 23},  // the narrowest main window, 23 pixels high
        {"panelback", 1920, 15}, // the display panel is 15 pixels high
        {"listback", 300, 200},
        {"viewback", 300, 200},
    };
    for (const Background &b : backgrounds) {
        const QString base = QLatin1String(b.name);
        const bool jpg = QFileInfo::exists(kStyle + base + ".jpg");
        const bool bmp = QFileInfo::exists(kStyle + base + ".bmp");
        // With both present the BMP would win; ship exactly one to avoid surprises.
        ASSERT_NE(jpg, bmp) << b.name;
        const QImage image = loadChecked(base + (jpg ? ".jpg" : ".bmp"), jpg ? "jpeg" : "bmp");
        EXPECT_GE(image.width(), b.minWidth) << b.name;
        EXPECT_GE(image.height(), b.minHeight) << b.name;
    }
    EXPECT_EQ(QImage(kStyle + "panelback.bmp").height(), 15);
}

TEST(BundledStyle, ButtonsHaveThreeDistinctTransparentStatesOfOneSize)
{
    const Picture buttons[] = {
        {"play", 0, 0},     {"pause", 0, 0},  {"stop", 0, 0},   {"next", 0, 0},
        {"playlist", 0, 0}, {"admin", 100, 16}, {"close", 16, 16}, {"add", 50, 16},
        {"delete", 50, 16}, {"select", 50, 16}, {"etc", 50, 16},
    };
    for (const Picture &b : buttons) {
        QImage states[3];
        const char *const suffix[3] = {"_n", "_u", "_d"};
        for (int s = 0; s < 3; ++s) {
            const QString file = QLatin1String(b.name) + suffix[s] + ".gif";
            states[s] = loadChecked(file, "gif");
            if (states[s].isNull())
                continue;
            expectGifTransparency(states[s], file);
            if (b.width != 0)
                EXPECT_EQ(states[s].size(), QSize(b.width, b.height)) << qPrintable(file);
            else // main window buttons fit the 23-pixel strip with a margin
                EXPECT_LE(states[s].height(), 19) << qPrintable(file);
        }
        EXPECT_EQ(states[0].size(), states[1].size()) << b.name;
        EXPECT_EQ(states[0].size(), states[2].size()) << b.name;
        EXPECT_NE(states[0], states[1]) << b.name << ": hover looks like normal";
        EXPECT_NE(states[0], states[2]) << b.name << ": pressed looks like normal";
        EXPECT_NE(states[1], states[2]) << b.name << ": pressed looks like hover";
    }
}

TEST(BundledStyle, SearchSpeakerAndVolumePictures)
{
    const Picture pictures[] = {
        {"search", 16, 16},     {"volume_on", 16, 16},   {"mute", 16, 16},
        {"volume_bar", 114, 8}, {"volume_pinch", 14, 8},
    };
    for (const Picture &p : pictures) {
        const QString file = QLatin1String(p.name) + ".gif";
        const QImage image = loadChecked(file, "gif");
        EXPECT_EQ(image.size(), QSize(p.width, p.height)) << qPrintable(file);
        expectGifTransparency(image, file);
    }
    EXPECT_NE(QImage(kStyle + "volume_on.gif"), QImage(kStyle + "mute.gif"));
}

TEST(BundledStyle, IconsAre16By16TwentyFourBitBitmaps)
{
    const char *const icons[] = {"play_off",       "play_on",       "category_close", "category_open",
                                 "playlist_close", "playlist_open", "favor_close",    "favor_open",
                                 "notfound",       "dustbox"};
    QList<QImage> seen;
    for (const char *name : icons) {
        const QString file = QLatin1String(name) + ".bmp";
        const QImage image = loadChecked(file, "bmp");
        EXPECT_EQ(image.size(), QSize(16, 16)) << name;
        QFile f(kStyle + file);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << name;
        const QByteArray header = f.read(30);
        ASSERT_EQ(header.size(), 30) << name;
        EXPECT_EQ(quint8(header[28]) | quint8(header[29]) << 8, 24) << name << " bits per pixel";
        // Empty areas carry the key colour black, which the corners always are.
        EXPECT_EQ(image.pixel(0, 0) & 0xffffffu, 0u) << name;
        for (const QImage &other : seen)
            EXPECT_NE(image, other) << name << " repeats another icon";
        seen.append(image);
    }
}

TEST(BundledStyle, InfoHasSixCrLfLines)
{
    QFile f(kStyle + "info.txt");
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray data = f.readAll();
    EXPECT_EQ(data.count("\r\n"), 6);
    EXPECT_EQ(data.count('\n'), 6) << "a line ends without CR";
    EXPECT_EQ(data.count('\r'), 6) << "a stray CR";
    ASSERT_TRUE(data.endsWith("\r\n"));
    const QList<QByteArray> lines = data.chopped(2).replace("\r\n", "\n").split('\n');
    ASSERT_EQ(lines.size(), 6);
    for (const QByteArray &line : lines)
        EXPECT_FALSE(line.trimmed().isEmpty());
    EXPECT_EQ(lines[0], QByteArray("WindowsStyle"));
    QStringDecoder utf8(QStringDecoder::Utf8);
    (void)utf8.decode(data);
    EXPECT_FALSE(utf8.hasError());
}

TEST(BundledDemo, OneTrackOfEachKindWithTagsUnderTwoMegabytes)
{
    const QFileInfoList files = QDir(kDemo).entryInfoList(QDir::Files);
    qint64 total = 0;
    QMap<QString, QByteArray> byKind;
    for (const QFileInfo &fi : files) {
        total += fi.size();
        QFile f(fi.filePath());
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        byKind[fi.suffix().toLower()] = f.readAll();
    }
    EXPECT_LT(total, 2 * 1024 * 1024);
    ASSERT_TRUE(byKind.contains("mid") && byKind.contains("mp3") && byKind.contains("ogg") &&
                byKind.contains("wav"))
        << "kinds: " << qPrintable(QStringList(byKind.keys()).join(','));
    EXPECT_TRUE(byKind["mid"].startsWith("MThd"));
    EXPECT_TRUE(byKind["mid"].contains("MTrk"));
    // Title and artist fields, each in its format's own tag block.
    const QByteArray &mp3 = byKind["mp3"];
    EXPECT_TRUE(mp3.startsWith("ID3"));
    EXPECT_TRUE(mp3.left(4096).contains("TIT2") && mp3.left(4096).contains("TPE1"));
    const QByteArray &ogg = byKind["ogg"];
    EXPECT_TRUE(ogg.startsWith("OggS"));
    EXPECT_TRUE(ogg.left(8192).contains("title=") || ogg.left(8192).contains("TITLE="));
    EXPECT_TRUE(ogg.left(8192).contains("artist=") || ogg.left(8192).contains("ARTIST="));
    const QByteArray &wav = byKind["wav"];
    EXPECT_TRUE(wav.startsWith("RIFF") && wav.mid(8, 4) == "WAVE");
    EXPECT_TRUE(wav.contains("INAM") && wav.contains("IART"));
}

} // namespace
