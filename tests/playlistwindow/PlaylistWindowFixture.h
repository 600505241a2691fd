#pragma once

#include "app/Application.h"
#include "archive/LibArchiveArchiver.h"
#include "core/RandomSource.h"
#include "core/ui/Fonts.h"
#include "app/ui/Windows.h"
#include "playlistwindow/ui/PlaylistWindow.h"
#include "FakeAudioLibrary.h"
#include "GuiTestApp.h"
#include "QtPrinters.h"
#include "RecordingShell.h"
#include "ScriptedMessageBox.h"
#include "TestFiles.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <memory>
#include <ostream>

inline QApplication &qtApp()
{
    return guiTestApp();
}

using ScriptedAnswers = ScriptedMessageBox;

// The running program on a temporary program folder, the fake audio
// library and the bundled style, with the playlist window shown.
struct PlaylistWindowTest : ::testing::Test {
    QTemporaryDir home;
    FakeAudioLibrary audio;
    ScriptedAnswers box;
    LibArchiveArchiver archiver;
    RecordingShell shell;
    StdRandomSource random{20261208};
    // Set before SetUp by tests that watch the shell and need a repeatable
    // random source; the others run without either, as before.
    bool withShellAndRandom = false;
    Windows windows;
    std::unique_ptr<Application> app;

    // Runs before StartUp: lets a test lay out the program folder.
    virtual void prepareHome() {}

    void SetUp() override
    {
        qtApp();
        QDir().mkpath(home.path() + "/Playlist");
        prepareHome();
        app = std::make_unique<Application>(AppPaths(home.path(), QStringLiteral(VELMORA_SOURCE_DIR "/assets"), home.path()),
                                            PlatformServices{audio, box, archiver, withShellAndRandom ? &shell : nullptr, nullptr,
                                                             withShellAndRandom ? &random : nullptr},
                                            windows);
        QFile::link(QStringLiteral(VELMORA_SOURCE_DIR "/assets/Style"), home.path() + "/Style");
        windows.build(*app);
        ASSERT_TRUE(app->StartUp({}));
        window().move(40, 60);
        window().show();
    }
    void TearDown() override
    {
        for (int m = 0; m < PlaylistWindow::MenuCount; ++m)
            window().menu(PlaylistWindow::Menu(m))->hide();
        app->ShutDown();
        windows.hideAll();
    }

    PlaylistWindow &window() { return windows.playlist(); }
    // The window's control with object name `name`.
    template <class W = QWidget>
    W *control(const char *name)
    {
        return window().findChild<W *>(QString::fromLatin1(name));
    }
    TrackList &list() { return app->trackList(); }
    QString playlistFolder() const { return home.path() + "/Playlist/"; }

    // A track the fake library can play: a real file of `bytes` bytes.
    QString addTrack(const QString &name, int lengthMs = 60000, int bytes = 100000)
    {
        const QString path = home.path() + "/music/" + name;
        touchFile(path);
        audio.addFile(path, lengthMs, bytes);
        list().appendRow(list().makeRow(path));
        list().RenumberList();
        return path;
    }
    void play(int pos)
    {
        list().UnselectAll();
        list().setSelected(pos, true);
        app->player().PlaySelectedTrack();
    }

    static void send(QWidget *w, QEvent::Type type, QPoint pos, Qt::MouseButton button = Qt::LeftButton,
                     Qt::MouseButtons held = Qt::NoButton)
    {
        if (type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick)
            held = button;
        QMouseEvent e(type, QPointF(pos), QPointF(w->mapToGlobal(pos)), type == QEvent::MouseMove ? Qt::NoButton : button,
                      held, Qt::NoModifier);
        QApplication::sendEvent(w, &e);
    }
};
