#include "style/Style.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct StyleFolder : ::testing::Test {
    QTemporaryDir root;
    QString dir(const QString &name)
    {
        const QString d = root.path() + "/" + name + "/";
        QDir().mkpath(d);
        return d;
    }
    static void picture(const QString &path, QColor color, QSize size = QSize(4, 3))
    {
        QImage img(size, QImage::Format_RGB32);
        img.fill(color);
        // Qt writes no GIF: a ".gif" gets PNG content, which the loader reads by content.
        ASSERT_TRUE(img.save(path, path.endsWith(".gif") ? "PNG" : nullptr));
    }
    static void text(const QString &path, const QByteArray &bytes)
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
};

TEST_F(StyleFolder, BitmapBackgroundWinsOverJpeg)
{
    const QString d = dir("Mine");
    picture(d + "mainback.jpg", Qt::red);
    picture(d + "mainback.bmp", Qt::blue);
    picture(d + "listback.jpg", Qt::green);
    const Style s = Style::LoadStyle(root.path(), "Mine");
    EXPECT_EQ(s.folder, d);
    EXPECT_EQ(s.mainBack.pixelColor(0, 0), QColor(Qt::blue));
    EXPECT_FALSE(s.listBack.isNull()) << "a lone .jpg is used";
    EXPECT_TRUE(s.panelBack.isNull()) << "neither file: no picture";
    EXPECT_TRUE(s.mainButtons[Style::Normal][Style::Play].isNull()) << "missing pictures stay blank";
}

TEST_F(StyleFolder, MissingOrEmptyFolderFallsBackToTheDefaultStyle)
{
    picture(dir("WindowsStyle") + "play_n.gif", Qt::white);
    dir("Empty");
    for (const QString &name : {QStringLiteral("Empty"), QStringLiteral("Nowhere"), QStringLiteral("../..")}) {
        const Style s = Style::LoadStyle(root.path(), name);
        EXPECT_EQ(s.folder, root.path() + "/WindowsStyle/") << name.toStdString();
        EXPECT_FALSE(s.mainButtons[Style::Normal][Style::Play].isNull());
    }
    // Neither the style nor the default: no pictures, nothing reported.
    QTemporaryDir bare;
    const Style none = Style::LoadStyle(bare.path(), "Nowhere");
    EXPECT_TRUE(none.folder.isEmpty());
    EXPECT_TRUE(none.mainBack.isNull());
}

TEST_F(StyleFolder, MissingPicturesComeFromTheBundledStyle)
{
    QTemporaryDir bundleRoot;
    const QString bundle = bundleRoot.path() + "/WindowsStyle/";
    QDir().mkpath(bundle);
    for (const QString &file : {Style::mainButtonFile(Style::Play, Style::Normal),
                                Style::mainButtonFile(Style::Pause, Style::Normal), Style::otherFile(Style::VolumeKnob),
                                Style::iconFile(Style::PlayOff), QStringLiteral("mainback.bmp")})
        picture(bundle + file, Qt::white, QSize(16, 16));
    const QString mine = dir("Mine");
    picture(mine + Style::mainButtonFile(Style::Play, Style::Normal), Qt::red);
    dir("Empty");

    const Style s = Style::LoadStyle(root.path(), "Mine", bundle);
    EXPECT_EQ(s.folder, mine);
    EXPECT_EQ(s.mainButtons[Style::Normal][Style::Play].pixelColor(0, 0), QColor(Qt::red)) << "its own picture";
    EXPECT_EQ(s.mainButtons[Style::Normal][Style::Pause].pixelColor(0, 0), QColor(Qt::white));
    EXPECT_FALSE(s.other[Style::VolumeKnob].isNull());
    EXPECT_FALSE(s.icons[Style::PlayOff].isNull());
    EXPECT_TRUE(s.mainButtons[Style::Normal][Style::Stop].isNull()) << "missing in both: blank";
    EXPECT_TRUE(s.mainBack.isNull()) << "backgrounds are the style's own";

    // An empty style, and no default style beside it: the bundled one.
    const Style fallback = Style::LoadStyle(root.path(), "Empty", bundle);
    EXPECT_EQ(fallback.folder, bundle);
    EXPECT_FALSE(fallback.mainBack.isNull());
}

TEST_F(StyleFolder, DescriptionLinesAndLinks)
{
    struct Case {
        QByteArray file;
        std::array<QString, 6> info;
        bool web, mail;
    };
    const Case cases[] = {
        {"Name\r\n1.2\r\nMe\r\nhttp://x.example\r\nme@x.example\r\nNice\r\n",
         {"Name", "1.2", "Me", "http://x.example", "me@x.example", "Nice"}, true, true},
        {"Name\r\n1.2\r\nMe\r\nwww.example\r\nno mail\r\nok\r\n",
         {"Name", "1.2", "Me", "www.example", "no mail", "ok"}, false, false},
        {"Only\r\ntwo\r\n", {"Only", "two", "Unknown", "Unknown", "Unknown", "Unknown"}, false, false},
        {"N\r\nB\r\nC\r\nhttpx://evil.example\r\nme@x.example?subject=run\r\n-\r\n",
         {"N", "B", "C", "httpx://evil.example", "me@x.example?subject=run", "-"}, false, false},
        {"N\r\nB\r\nC\r\nhttp:/nohost\r\nfile:///etc/passwd@x.example\r\n-\r\n",
         {"N", "B", "C", "http:/nohost", "file:///etc/passwd@x.example", "-"}, false, false},
        {"N\r\nB\r\nC\r\n HTTPS://Site.example/a \r\n me@x.example \r\n-\r\n",
         {"N", "B", "C", " HTTPS://Site.example/a ", " me@x.example ", "-"}, true, true},
        {"N\r\nB\r\nC\r\nhttp://a.example/x y\r\nme@x\r\n-\r\n",
         {"N", "B", "C", "http://a.example/x y", "me@x", "-"}, false, false},
        {"\x83\x58\x83\x5e\x83\x43\x83\x8b\r\n", {"スタイル", "Unknown", "Unknown", "Unknown", "Unknown", "Unknown"},
         false, false},
    };
    for (const Case &c : cases) {
        const QString d = dir("S");
        text(d + "info.txt", c.file);
        const Style s = Style::LoadStyle(root.path(), "S");
        EXPECT_EQ(s.info, c.info);
        EXPECT_EQ(s.webIsLink, c.web);
        EXPECT_EQ(s.mailIsLink, c.mail);
        EXPECT_EQ(s.webLink.isEmpty(), !c.web);
        EXPECT_EQ(s.mailLink.isEmpty(), !c.mail);
    }
    // What a click opens: only a web address, or a mail address behind "mailto:".
    EXPECT_EQ(Style::webLinkOf(" https://Site.example/a?b=c "), QStringLiteral("https://site.example/a?b=c"));
    EXPECT_EQ(Style::mailLinkOf(" me@x.example "), QStringLiteral("mailto:me@x.example"));
}

TEST_F(StyleFolder, UntrustedPicturesAreRefused)
{
    const QString d = dir("Bad");
    // A BMP header claiming 65535 x 65535 pixels, with no pixel data behind it.
    QByteArray bmp("BM");
    auto le32 = [&](quint32 v) { for (int i = 0; i < 4; ++i) bmp.append(char((v >> (8 * i)) & 0xFF)); };
    auto le16 = [&](quint16 v) { bmp.append(char(v & 0xFF)); bmp.append(char(v >> 8)); };
    le32(54); le32(0); le32(54); le32(40); le32(65535); le32(65535); le16(1); le16(24); le32(0); le32(0);
    le32(0); le32(0); le32(0); le32(0);
    text(d + "mainback.bmp", bmp);
    text(d + "panelback.jpg", "not a picture at all");
    QFile::link("/etc/hostname", d + "listback.bmp");
    picture(d + "viewback.bmp", Qt::gray);
    const Style s = Style::LoadStyle(root.path(), "Bad");
    EXPECT_TRUE(s.mainBack.isNull());
    EXPECT_TRUE(s.panelBack.isNull());
    EXPECT_TRUE(s.listBack.isNull());
    EXPECT_FALSE(s.viewBack.isNull());
}

TEST_F(StyleFolder, IconsKeepTheirPositionsAndMagentaIsTransparent)
{
    const QString d = dir("Icons");
    picture(d + "play_on.bmp", QColor(255, 0, 255), QSize(16, 16));
    const Style s = Style::LoadStyle(root.path(), "Icons");
    EXPECT_TRUE(s.icons[Style::PlayOff].isNull());
    ASSERT_FALSE(s.icons[Style::PlayOn].isNull());
    EXPECT_EQ(qAlpha(s.icons[Style::PlayOn].pixel(3, 3)), 0);
}

TEST_F(StyleFolder, ComboListsFoldersByName)
{
    dir("b");
    dir("A");
    dir("WindowsStyle");
    text(root.path() + "/file.txt", "x");
    EXPECT_EQ(Style::StyleComboCreate(root.path()), (QStringList{"A", "WindowsStyle", "b"}));
}

TEST(BundledStyle, EveryPictureLoads)
{
    const Style s = Style::LoadStyle(QStringLiteral(VELMORA_SOURCE_DIR "/assets/Style"), Style::DefaultName);
    ASSERT_FALSE(s.folder.isEmpty());
    EXPECT_FALSE(s.mainBack.isNull());
    EXPECT_FALSE(s.panelBack.isNull());
    EXPECT_FALSE(s.listBack.isNull());
    for (const auto &state : s.mainButtons)
        for (const QImage &img : state)
            EXPECT_FALSE(img.isNull());
    for (const auto &state : s.listButtons)
        for (const QImage &img : state)
            EXPECT_FALSE(img.isNull());
    for (const QImage &img : s.icons)
        EXPECT_EQ(img.size(), QSize(16, 16));
}

} // namespace
