// The windows on screens of several scales (QT_SCALE_FACTOR, and a screen
// whose own device pixel ratio is 2): places saved on a larger screen or at
// another scale come back wholly inside the work area, the docked playlist
// window with its main window; the skin's pictures stay sharp at whole
// factors and are smoothed at fractional ones; text is drawn at the
// screen's resolution. The scale applies from a program's start, so every
// run is a process of its own (tests/helpers/scaled_windows.cpp) on an
// offscreen screen of 1280 x 800 device pixels.
#include "QtPrinters.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QMap>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
#include <QTextStream>
#include <gtest/gtest.h>

#include <cmath>

namespace {

constexpr int TwipsPerPixel = 15;

// What the user left in Velmora.ini, in pixels of the screen it was saved on.
struct Saved {
    QPoint main;
    int mainWidth = 707;
    QRect playlist;
    bool playlistOpen = true;
    bool docked = true;
    int dock = 1; // 1 below the main window, 2 above
    QPoint settings;
};

void writeIni(const QString &path, const Saved &s)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    QTextStream out(&f);
    const auto twips = [](int pixels) { return pixels * TwipsPerPixel; };
    out << "[Main]\nTop=" << twips(s.main.y()) << "\nLeft=" << twips(s.main.x()) << "\nWidth=" << twips(s.mainWidth)
        << "\n[Playlist]\nTop=" << twips(s.playlist.y()) << "\nLeft=" << twips(s.playlist.x())
        << "\nWidth=" << twips(s.playlist.width()) << "\nHeight=" << twips(s.playlist.height())
        << "\nVisible=" << int(s.playlistOpen) << "\nDocked=" << int(s.docked) << "\n[Setting]\nTop="
        << twips(s.settings.y()) << "\nLeft=" << twips(s.settings.x()) << "\n[Option]\nPlaylistAdsorption=" << s.dock
        << "\n";
}

// What one run of the windows reported.
struct WindowsRun {
    bool finished = false;
    QString errors;
    double scale = 0;
    QRect area;
    QMap<QString, QRect> windows;
    QMap<QString, bool> shown;
    QRect button; // the first button, in the main window
    QRect strip;  // the track information, in the main window
    QImage main;  // the main window in device pixels
    QImage buttonPicture;
};

QRect rectOf(const QStringList &parts, int first)
{
    return QRect(parts.value(first).toInt(), parts.value(first + 1).toInt(), parts.value(first + 2).toInt(),
                 parts.value(first + 3).toInt());
}

// Starts the windows on `saved` with `environment` ("QT_SCALE_FACTOR=2" ...)
// and reads what they report.
WindowsRun runWindows(const Saved &saved, const QStringList &environment)
{
    WindowsRun run;
    QTemporaryDir dir;
    const QString home = dir.filePath(QStringLiteral("home"));
    const QString out = dir.filePath(QStringLiteral("out"));
    QDir().mkpath(home);
    QDir().mkpath(out);
    writeIni(home + "/Velmora.ini", saved);
    QFile screen(dir.filePath(QStringLiteral("screen.json")));
    if (!screen.open(QIODevice::WriteOnly))
        return run;
    screen.write(R"({"screens": [{"name": "desk", "x": 0, "y": 0, "width": 1280, "height": 800, "logicalDpi": 96}]})");
    screen.close();

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"QT_SCALE_FACTOR", "QT_SCREEN_SCALE_FACTORS", "QT_ENABLE_HIGHDPI_SCALING",
                             "QT_SCALE_FACTOR_ROUNDING_POLICY"})
        env.remove(QString::fromLatin1(name));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen:configfile=") + screen.fileName());
    env.insert(QStringLiteral("SDL_AUDIODRIVER"), QStringLiteral("dummy"));
    for (const QString &e : environment)
        env.insert(e.section(u'=', 0, 0), e.section(u'=', 1));
    QProcess child;
    child.setProcessEnvironment(env);
    child.start(QStringLiteral(VELMORA_SCALED_WINDOWS), {home, out});
    if (!child.waitForFinished(120000)) {
        child.kill();
        child.waitForFinished();
        return run;
    }
    run.errors = QString::fromUtf8(child.readAllStandardError());
    run.finished = child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0;
    for (const QString &line : QString::fromUtf8(child.readAllStandardOutput()).split(u'\n')) {
        const QStringList parts = line.split(u' ');
        const QString &what = parts.first();
        if (what == u"SCALE")
            run.scale = parts.value(1).toDouble();
        else if (what == u"AREA")
            run.area = rectOf(parts, 1);
        else if (what == u"WINDOW") {
            run.windows[parts.value(1)] = rectOf(parts, 2);
            run.shown[parts.value(1)] = parts.value(6) == u"1";
        } else if (what == u"BUTTON")
            run.button = rectOf(parts, 1);
        else if (what == u"STRIP")
            run.strip = rectOf(parts, 1);
    }
    run.main = QImage(out + "/main.png").convertToFormat(QImage::Format_ARGB32);
    run.buttonPicture = QImage(out + "/button.png").convertToFormat(QImage::Format_ARGB32);
    return run;
}

// Saved on a 1920 x 1200 screen at its bottom right: nothing of it is on a
// 1280 x 800 screen, at any scale.
const Saved BigScreenCorner{.main = QPoint(1200, 1100), .mainWidth = 800, .playlist = QRect(1200, 1123, 800, 500),
                            .settings = QPoint(1700, 1000)};

// --- places ---------------------------------------------------------------------------

TEST(ScaledWindows, RestoredPlacesStandWhollyInsideTheWorkArea)
{
    struct Case {
        const char *name;
        QStringList environment;
        Saved saved;
        double scale;
        QSize area;     // the work area in logical pixels
        int mainWidth;  // the saved width where it fits, the area's otherwise
    };
    Saved above = BigScreenCorner;
    above.dock = 2;
    Saved ownPlace = BigScreenCorner;
    ownPlace.docked = false;
    ownPlace.playlist = QRect(1300, 900, 600, 700);
    Saved tall = BigScreenCorner;
    tall.playlist.setHeight(1000);
    const Case cases[] = {
        {"bottom right of a bigger screen, at 1x", {}, BigScreenCorner, 1, QSize(1280, 800), 800},
        {"bottom right of a bigger screen, at 1.25", {"QT_SCALE_FACTOR=1.25"}, BigScreenCorner, 1.25, QSize(1024, 640), 800},
        {"bottom right of a bigger screen, at 1.5", {"QT_SCALE_FACTOR=1.5"}, BigScreenCorner, 1.5, QSize(853, 533), 800},
        {"bottom right of a bigger screen, at 2", {"QT_SCALE_FACTOR=2"}, BigScreenCorner, 2, QSize(640, 400), 640},
        {"on a screen of ratio 2", {"QT_SCREEN_SCALE_FACTORS=2"}, BigScreenCorner, 2, QSize(640, 400), 640},
        {"docked above, at 2", {"QT_SCALE_FACTOR=2"}, above, 2, QSize(640, 400), 640},
        {"a playlist higher than the screen, at 1.5", {"QT_SCALE_FACTOR=1.5"}, tall, 1.5, QSize(853, 533), 800},
        {"a playlist window at a place of its own, at 1.5", {"QT_SCALE_FACTOR=1.5"}, ownPlace, 1.5, QSize(853, 533), 800},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const WindowsRun run = runWindows(c.saved, c.environment);
        ASSERT_TRUE(run.finished) << run.errors.toStdString();
        EXPECT_DOUBLE_EQ(run.scale, c.scale) << "the scale the windows were drawn at";
        ASSERT_EQ(run.area, QRect(QPoint(0, 0), c.area));
        for (const QString name : {"main", "playlist", "settings", "styleeditor"}) {
            EXPECT_TRUE(run.shown.value(name)) << name.toStdString();
            EXPECT_TRUE(run.area.contains(run.windows.value(name)))
                << name.toStdString() << " stands at " << ::testing::PrintToString(run.windows.value(name));
        }
        const QRect main = run.windows.value("main");
        const QRect list = run.windows.value("playlist");
        EXPECT_EQ(main.width(), c.mainWidth);
        if (c.saved.docked) {
            EXPECT_EQ(list.left(), main.left()) << "docked";
            EXPECT_EQ(list.width(), main.width()) << "docked";
            if (c.saved.dock == 1)
                EXPECT_EQ(list.top(), main.bottom() + 1) << "docked below";
            else
                EXPECT_EQ(list.bottom() + 1, main.top()) << "docked above";
        } else {
            EXPECT_EQ(list.size(), QSize(600, c.area.height())) << "its own width, no higher than the screen";
        }
    }
}

TEST(ScaledWindows, PlacesThatFitStayAsSaved)
{
    struct Case {
        const char *name;
        QStringList environment;
        Saved saved;
    };
    // The settings dialog is as large as a 2x screen of 1280 x 800: there it
    // fits only at the top left.
    const Saved small{.main = QPoint(40, 30), .mainWidth = 560, .playlist = QRect(40, 53, 560, 300),
                      .settings = QPoint(100, 20)};
    Saved atTwo = small;
    atTwo.settings = QPoint(0, 0);
    Saved apart = atTwo;
    apart.docked = false;
    apart.playlist = QRect(50, 100, 400, 250);
    const Case cases[] = {
        {"at 1x", {}, small},
        {"at 1.5", {"QT_SCALE_FACTOR=1.5"}, small},
        {"at 2", {"QT_SCALE_FACTOR=2"}, atTwo},
        {"a playlist window at a place of its own, at 2", {"QT_SCALE_FACTOR=2"}, apart},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const WindowsRun run = runWindows(c.saved, c.environment);
        ASSERT_TRUE(run.finished) << run.errors.toStdString();
        EXPECT_EQ(run.windows.value("main"), QRect(c.saved.main, QSize(c.saved.mainWidth, 23)));
        EXPECT_EQ(run.windows.value("playlist"), c.saved.playlist);
        EXPECT_EQ(run.windows.value("settings").topLeft(), c.saved.settings);
    }
}

// --- pictures and text ----------------------------------------------------------------

// A picture pixel that shows in its own colour whatever stands under it:
// the checks look at these only.
bool opaque(QRgb pixel)
{
    return qAlpha(pixel) == 255;
}

TEST(ScaledWindows, SkinPicturesAreSharpAtWholeFactorsAndSmoothedOtherwise)
{
    struct Case {
        const char *name;
        QStringList environment;
        int whole; // the whole factor, 0 for a fractional one
    };
    const Case cases[] = {
        {"at 1x", {}, 1},
        {"at 2", {"QT_SCALE_FACTOR=2"}, 2},
        {"on a screen of ratio 2", {"QT_SCREEN_SCALE_FACTORS=2"}, 2},
        {"at 3", {"QT_SCALE_FACTOR=3"}, 3},
        {"at 1.5", {"QT_SCALE_FACTOR=1.5"}, 0},
        {"at 1.25", {"QT_SCALE_FACTOR=1.25"}, 0},
    };
    const Saved placed{.main = QPoint(0, 0), .mainWidth = 560, .playlist = QRect(0, 23, 560, 200), .settings = QPoint(0, 0)};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const WindowsRun run = runWindows(placed, c.environment);
        ASSERT_TRUE(run.finished) << run.errors.toStdString();
        const QImage &picture = run.buttonPicture;
        ASSERT_FALSE(picture.isNull());
        ASSERT_EQ(run.button.size(), picture.size()) << "the button is drawn at its picture's size";
        QSet<QRgb> pictureColours;
        for (int y = 0; y < picture.height(); ++y)
            for (int x = 0; x < picture.width(); ++x)
                if (opaque(picture.pixel(x, y)))
                    pictureColours.insert(picture.pixel(x, y));
        if (c.whole) {
            // Every opaque picture pixel is a block of whole device pixels of
            // its own colour, edges included.
            int edges = 0;
            int wrong = 0;
            for (int y = 0; y < picture.height(); ++y) {
                for (int x = 0; x < picture.width(); ++x) {
                    const QRgb p = picture.pixel(x, y);
                    if (!opaque(p))
                        continue;
                    if (x + 1 < picture.width() && opaque(picture.pixel(x + 1, y)) && picture.pixel(x + 1, y) != p)
                        ++edges;
                    for (int dy = 0; dy < c.whole; ++dy)
                        for (int dx = 0; dx < c.whole; ++dx) {
                            const QPoint device = (run.button.topLeft() + QPoint(x, y)) * c.whole + QPoint(dx, dy);
                            if ((run.main.pixel(device) | 0xff000000) != (p | 0xff000000))
                                ++wrong;
                        }
                }
            }
            EXPECT_GT(edges, 10) << "the picture has edges to look at";
            EXPECT_EQ(wrong, 0) << "device pixels not of their picture pixel's colour";
        } else {
            // Blended: device pixels inside the picture with colours of
            // no picture pixel (nearest neighbour would give none).
            int blended = 0;
            const QRectF logical(run.button.adjusted(2, 2, -2, -2));
            const QRect device(QPoint(int(std::ceil(logical.left() * run.scale)), int(std::ceil(logical.top() * run.scale))),
                               QPoint(int(logical.right() * run.scale) - 1, int(logical.bottom() * run.scale) - 1));
            for (int y = device.top(); y <= device.bottom(); ++y)
                for (int x = device.left(); x <= device.right(); ++x)
                    if (!pictureColours.contains(run.main.pixel(x, y) | 0xff000000))
                        ++blended;
            EXPECT_GT(blended, device.width() * device.height() / 20) << "the picture is smoothed";
        }
    }
}

// How sharp the edges of an image are: the mean squared step between
// neighbouring pixels per unit of their mean absolute step, in grey levels.
// An edge of contrast C spread over w pixels scores C / w: a picture
// enlarged after drawing scores about its factor lower than one drawn at
// its final size.
double edgeSharpness(const QImage &image, const QRect &area)
{
    double squares = 0;
    double steps = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x < area.right(); ++x) {
            const double step = std::abs(qGray(image.pixel(x + 1, y)) - qGray(image.pixel(x, y)));
            squares += step * step;
            steps += step;
        }
    return steps > 0 ? squares / steps : 0;
}

TEST(ScaledWindows, TextIsDrawnAtTheScreensResolution)
{
    struct Case {
        const char *name;
        const char *factor;
    };
    const Case cases[] = {
        {"at 1.5", "1.5"},
        {"at 1.25", "1.25"},
        {"at 2", "2"},
    };
    const Saved placed{.main = QPoint(0, 0), .mainWidth = 560, .playlist = QRect(0, 23, 560, 200), .settings = QPoint(0, 0)};
    const WindowsRun once = runWindows(placed, {});
    ASSERT_TRUE(once.finished) << once.errors.toStdString();
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const WindowsRun run = runWindows(placed, {QStringLiteral("QT_SCALE_FACTOR=") + c.factor});
        ASSERT_TRUE(run.finished) << run.errors.toStdString();
        ASSERT_EQ(run.strip, once.strip);
        // What the strip would look like drawn at 1x and then enlarged.
        const QImage enlarged = once.main.scaled(run.main.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        const QRect strip(QPoint(int(std::ceil(run.strip.left() * run.scale)), int(std::ceil(run.strip.top() * run.scale))),
                          QPoint(int(run.strip.right() * run.scale) - 1, int(run.strip.bottom() * run.scale) - 1));
        const double drawn = edgeSharpness(run.main, strip);
        const double afterwards = edgeSharpness(enlarged, strip);
        EXPECT_GT(drawn, afterwards * 1.15) << "text as sharp as the screen allows";
    }
}

} // namespace
