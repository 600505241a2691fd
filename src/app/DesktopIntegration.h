#pragma once

#include "playback/RemoteControl.h"

#ifdef VELMORA_HAVE_DBUS
#include "app/MprisService.h"

#include <QDBusConnection>
#endif
#include <QObject>
#include <QStringList>
#include <functional>

class Application;

// The player's place on the desktop: its remote control on the session bus
// and the paths that later starts of the program hand over.
class DesktopIntegration : public QObject
#ifdef VELMORA_HAVE_DBUS
    , private MprisHost
#endif
{
    Q_OBJECT
public:
    // `raise` brings the windows to the front.
    DesktopIntegration(Application &app, std::function<void()> raise, QObject *parent = nullptr);

    // Offers the remote control on the session bus. Returns the bus name
    // taken, empty without a bus or without D-Bus support (the player runs
    // on without it).
    QString publish();

    // Paths from another start (or the remote control's OpenUri): added as
    // dropped files are, except that a folder adds its audio files instead
    // of replacing the list, so the open list keeps every row; then the
    // windows come to the front. Ignored once the program is ending.
    void openHandedOver(const QStringList &paths);
    // The remote control's OpenUri: opens as openHandedOver() does, then
    // plays the first file opened (a folder's first audio file).
    void openAndPlay(const QStringList &paths);

    RemoteControl &remote() { return m_remote; }

private:
    // Adds `paths` to the open list; returns the files added, in order.
    QStringList addHandedOver(const QStringList &paths);

#ifdef VELMORA_HAVE_DBUS
    // MprisHost
    void raise() override { m_raise(); }
    void quit() override;
    void open(const QStringList &paths) override { openAndPlay(paths); }
#endif

    Application &m_app;
    std::function<void()> m_raise;
    RemoteControl m_remote;
#ifdef VELMORA_HAVE_DBUS
    MprisService m_mpris;
#endif
};
