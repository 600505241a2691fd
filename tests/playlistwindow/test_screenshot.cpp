#include "PlaylistWindowFixture.h"

#include "library/ui/LibraryTreeView.h"

// Not a check: with VELMORA_SCREENSHOT set to a file name, draws the window
// with a small library and a list of tracks, one playing, into that PNG.
struct ScreenshotTest : PlaylistWindowTest {
    void prepareHome() override
    {
        const QString p = playlistFolder();
        for (const char *name : {"AutoPlaylist.m3u", "お気に入り.m3u", "ごみ箱.m3u", "Drive Mix.m3u", "Rock/Best of 90s.m3u",
                                 "Rock/Garage.m3u", "Rock/Live/Tokyo 1998.m3u", "Rock/Live/Osaka 2001.m3u",
                                 "Jazz/Late Night.m3u", "Jazz/Trio.m3u", "クラシック/ピアノ.m3u"})
            touchFile(p + QString::fromUtf8(name), "");
    }
};

TEST_F(ScreenshotTest, PlaylistWindowWithALibrary)
{
    const QString target = qEnvironmentVariable("VELMORA_SCREENSHOT");
    if (target.isEmpty())
        GTEST_SKIP() << "set VELMORA_SCREENSHOT to a PNG path";

    struct Track {
        const char *title, *artist, *time, *bitRate, *ext;
    } tracks[] = {
        {"夜明けのワルツ", "Velmora Ensemble", "03:42", "192kbps", "mp3"},
        {"Blue Harbour", "The Lanterns", "04:15", "256kbps", "mp3"},
        {"坂道の向こう", "月見草", "05:01", "128kbps", "wma"},
        {"Paper Satellites", "North Window", "03:27", "320kbps", "mp3"},
        {"雨上がりの街", "Hoshino Trio", "06:12", "192kbps", "ogg"},
        {"Slow Motion Summer", "Cassette Club", "04:48", "256kbps", "mp3"},
        {"遠い汽笛", "Velmora Ensemble", "02:58", "192kbps", "mp3"},
        {"Glass Garden", "Mirabel", "05:33", "160kbps", "wav"},
        {"ひこうき雲の日", "月見草", "04:05", "128kbps", "mp3"},
        {"Midnight Ferry", "The Lanterns", "03:51", "256kbps", "mp3"},
        {"Static Bloom", "North Window", "04:22", "320kbps", "mp3"},
        {"灯台守の歌", "Hoshino Trio", "07:10", "192kbps", "ogg"},
        {"Tin Roof Rain", "Cassette Club", "03:16", "192kbps", "mp3"},
        {"夏の終わりのメロディ", "Mirabel", "04:44", "256kbps", "mp3"},
        {"Copper Skies", "Velmora Ensemble", "05:02", "192kbps", "wma"},
        {"白い坂", "月見草", "03:39", "128kbps", "mp3"},
        {"Harbor Lights", "The Lanterns", "04:57", "256kbps", "mp3"},
        {"Northbound", "North Window", "03:08", "320kbps", "mp3"},
        {"星降る夜に", "Hoshino Trio", "06:40", "192kbps", "ogg"},
        {"Last Train Home", "Cassette Club", "04:30", "192kbps", "mid"},
    };
    int n = 0;
    for (const Track &t : tracks) {
        ++n;
        const QString path = addTrack(QStringLiteral("%1 %2.%3").arg(n, 2, 10, QLatin1Char('0')).arg(t.title).arg(t.ext),
                                      60000, 4'000'000);
        list().setInfo(n, QString::fromUtf8(t.title), QString::fromUtf8(t.artist), QString::fromLatin1(t.time),
                      QString::fromLatin1(t.bitRate));
        list().setCellText(n, TrackRow::DateCell, QStringLiteral("2024/05/%1 21:%2:00").arg(n, 2, 10, QLatin1Char('0')).arg(10 + n));
        list().setCellText(n, TrackRow::ExtensionCell, QString::fromLatin1(t.ext).toUpper());
        Q_UNUSED(path);
    }
    list().RenumberList();
    app->library().TreeCreate();
    app->library().selectKey(QStringLiteral("Rock/Best of 90s.m3u"));
    list().setPlaylistAddress(QStringLiteral("Rock/Best of 90s"));
    for (int i = 0; i < window().treeView()->model()->rowCount(); ++i)
        window().treeView()->expand(window().treeView()->model()->index(i, 0));

    play(6);
    list().setInfo(6, QStringLiteral("Slow Motion Summer"), QStringLiteral("Cassette Club"), QStringLiteral("04:48"),
                   QStringLiteral("256kbps"));
    list().UnselectAll();
    list().setSelected(9, true);
    list().setSelected(10, true);
    window().setSeekMaximum(4'000'000);
    window().setSeekValue(1'550'000);
    window().resize(707, 380);
    window().splitterPress();
    window().splitterMove(170);
    window().splitterRelease();
    QCoreApplication::processEvents();

    ASSERT_TRUE(window().grab().save(target, "PNG"));
}
