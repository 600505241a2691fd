#include "app/Application.h"
#include "app/DesktopIntegration.h"
#include "app/SingleInstance.h"
#include "app/ui/Windows.h"
#include "archive/LibArchiveArchiver.h"
#include "core/AppPaths.h"
#include "core/CommandLine.h"
#include "core/RandomSource.h"
#include "core/ui/DesktopShell.h"
#include "core/ui/Fonts.h"
#include "core/ui/QtMessageBox.h"
#include "core/ui/QtScreenAreas.h"
#include "core/ui/QuitSignals.h"
#include "core/ui/Translations.h"
#include "playback/engine/EngineAudioLibrary.h"
#include "playback/engine/EngineTrackDetails.h"
#include "playback/engine/EngineTrackInfo.h"

#include <QApplication>
#include <QSessionManager>
#include <cstdio>

int main(int argc, char **argv)
{
    // Help, version and mistakes are answered before anything touches a
    // window system, so they work on a console without a display.
    const CommandLineRequest early = ParseArguments(WithoutToolkitOptions(ArgumentsOf(argc, argv)));
    if (early.showHelp) {
        std::fputs(qPrintable(UsageText()), stdout);
        return 0;
    }
    if (early.showVersion) {
        std::printf("Velmora %s\n", VELMORA_VERSION);
        // The components, the decoder module found from the program's own place.
        const QCoreApplication console(argc, argv);
        for (const QString &line : EngineAudioLibrary().componentVersions())
            std::printf("  %s\n", qPrintable(line));
        return 0;
    }
    if (!early.error.isEmpty()) {
        std::fprintf(stderr, "velmora: %s\n\n%s", qPrintable(early.error), qPrintable(UsageText()));
        return 2;
    }
    for (const QString &line : early.leftOut)
        std::fprintf(stderr, "velmora: %s\n", qPrintable(line));

    QApplication::setApplicationName(QStringLiteral("Velmora"));
    QApplication::setApplicationVersion(QStringLiteral(VELMORA_VERSION));
    // A screen scaled by 1.25 or 1.5 keeps that factor (not rounded to 1 or
    // 2): text is drawn at the screen's own resolution, the skin pictures
    // are smoothed (core/ui/SkinPainting.h).
    QGuiApplication::setHighDpiScaleFactorRoundingPolicy(Qt::HighDpiScaleFactorRoundingPolicy::PassThrough);
    QApplication app(argc, argv);
    // The program ends through ShutDown(), never because a window closed.
    app.setQuitOnLastWindowClosed(false);

    // Read again: the application has taken out the toolkit's own options
    // ("-platform", "-display", ...).
    const CommandLineRequest request = ParseArguments(ArgumentsOf(argc, argv));
    if (!request.error.isEmpty()) {
        std::fprintf(stderr, "velmora: %s\n\n%s", qPrintable(request.error), qPrintable(UsageText()));
        return 2;
    }

    // One player per program folder: a later start hands its paths over.
    const AppPaths paths = AppPaths::forRunningProgram();
    SingleInstance instance(paths.programFolder());
    const bool ownsFolder = instance.claim();
    if (!ownsFolder && !request.newInstance) {
        if (instance.handOver(request.paths))
            return 0;
        std::fprintf(stderr, "velmora: the player running on %s did not take the paths\n",
                     qPrintable(paths.programFolder()));
        return 1;
    }

    // From here on a quit signal is held until the program can act on it
    // (the first time events run) instead of killing it half-started.
    QuitSignals signals;
    installJapaneseFontSubstitutes();
    if (!installJapaneseQtTranslation(app))
        std::fputs("velmora: Qt's Japanese translation is not installed (qt6-translations-l10n): "
                   "standard dialogs stay in English\n", stderr);
    EngineAudioLibrary audio;
    EngineTrackInfo trackInfo;
    EngineTrackDetails details;
    QtMessageBox box;
    LibArchiveArchiver archiver;
    DesktopShell shell;
    QtScreenAreas screens;
    StdRandomSource random;
    Windows windows;
    Application core(paths, PlatformServices{audio, box, archiver, &shell, &screens, &random, nullptr, &trackInfo, &details}, windows);
    core.setReadOnly(!ownsFolder);
    windows.build(core);
    DesktopIntegration desktop(core, [&windows] { windows.raiseAll(); });

    QObject::connect(&core, &Application::ended, &app, [](int code) { QCoreApplication::exit(code); });
    QObject::connect(&signals, &QuitSignals::quitRequested, &core, &Application::ShutDown);
    // The desktop session is ending: save as the Exit command does.
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &core, [&core](QSessionManager &) { core.ShutDown(); });

    if (!core.StartUp(request.paths))
        return 1;
    if (core.isEnding())
        return 0; // a quit arrived during start-up; ended() fired before the event loop could hear it
    desktop.publish(); // skipped without a session bus
    if (ownsFolder)
        instance.setHandler([&desktop](const QStringList &handed) { desktop.openHandedOver(handed); });
    return app.exec();
}
