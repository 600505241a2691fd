// velmora_scaled_windows <program folder> <output folder>: starts the player's
// windows on the program folder's settings, as the program does, in a
// process of its own, so that the screen scale the test gives it in the
// environment (QT_SCALE_FACTOR, QT_SCREEN_SCALE_FACTORS) applies from the
// start (tests/scaling). Opens the settings dialog and the style editor
// from it, then prints
//   SCALE <the main window's device pixel ratio>
//   AREA <x> <y> <width> <height>          the primary screen's work area
//   WINDOW <name> <x> <y> <width> <height> <1 when shown>   main, playlist, settings, styleeditor
//   BUTTON <x> <y> <width> <height>        the first button in the main window
//   STRIP <x> <y> <width> <height>         the track information in the main window
// and writes the main window as the screen shows it (main.png, in device
// pixels) and the first button's picture (button.png) into the output folder.
#include "app/Application.h"
#include "app/ui/Windows.h"
#include "archive/LibArchiveArchiver.h"
#include "core/ui/Fonts.h"
#include "core/ui/QtScreenAreas.h"
#include "mainwindow/ui/MainWindow.h"
#include "playlistwindow/ui/PlaylistWindow.h"
#include "settings/ui/SettingsDialog.h"
#include "FakeAudioLibrary.h"
#include "ScriptedMessageBox.h"
#include "WaitUntil.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QScreen>

#include <cstdio>

namespace {

void printRect(const char *what, const QRect &r)
{
    std::printf("%s %d %d %d %d\n", what, r.x(), r.y(), r.width(), r.height());
}

void printWindow(const char *name, const QWidget &w)
{
    const QRect r = w.frameGeometry();
    std::printf("WINDOW %s %d %d %d %d %d\n", name, r.x(), r.y(), r.width(), r.height(), int(w.isVisible()));
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 3) {
        std::fputs("usage: velmora_scaled_windows <program folder> <output folder>\n", stderr);
        return 2;
    }
    // As app/main.cpp: fractional factors are kept.
    QGuiApplication::setHighDpiScaleFactorRoundingPolicy(Qt::HighDpiScaleFactorRoundingPolicy::PassThrough);
    QApplication qapp(argc, argv);
    installJapaneseFontSubstitutes();
    const QString home = QString::fromLocal8Bit(argv[1]);
    const QString out = QString::fromLocal8Bit(argv[2]);
    // The bundled style, as a built player finds it beside itself.
    QFile::link(QStringLiteral(VELMORA_SOURCE_DIR "/assets/Style"), home + "/Style");

    FakeAudioLibrary audio;
    ScriptedMessageBox box;
    LibArchiveArchiver archiver;
    QtScreenAreas screens;
    Windows windows;
    Application app(AppPaths(home, QStringLiteral(VELMORA_SOURCE_DIR "/assets"), home),
                    PlatformServices{audio, box, archiver, nullptr, &screens}, windows);
    windows.build(app);
    if (!app.StartUp({})) {
        std::fputs("velmora_scaled_windows: the player did not start\n", stderr);
        return 1;
    }
    windows.showSettingsDialog();
    if (auto *create = windows.settings().findChild<QPushButton *>(QStringLiteral("cmdStyleCreate")))
        create->click();
    MainWindow &main = windows.main();
    if (!waitUntil([&] {
            return main.isVisible() && windows.settings().isVisible() && windows.settings().styleEditor()
                && windows.settings().styleEditor()->isVisible();
        })) {
        std::fputs("velmora_scaled_windows: the windows never showed\n", stderr);
        return 1;
    }

    std::printf("SCALE %g\n", main.devicePixelRatioF());
    printRect("AREA", QGuiApplication::primaryScreen()->availableGeometry());
    printWindow("main", main);
    printWindow("playlist", windows.playlist());
    printWindow("settings", windows.settings());
    printWindow("styleeditor", *windows.settings().styleEditor());
    printRect("BUTTON", main.layoutRects().buttons[0]);
    printRect("STRIP", main.layoutRects().strip.translated(main.layoutRects().display.topLeft()));

    const bool saved = main.grab().toImage().save(out + "/main.png")
        && windows.style().mainButtons[Style::Normal][0].save(out + "/button.png");
    app.ShutDown();
    return saved ? 0 : 1;
}
