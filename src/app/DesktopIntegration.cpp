#include "app/DesktopIntegration.h"

#include "app/Application.h"
#include "core/InputBounds.h"

#include <QFileInfo>

DesktopIntegration::DesktopIntegration(Application &app, std::function<void()> raise, QObject *parent)
    : QObject(parent)
    , m_app(app)
    , m_raise(std::move(raise))
    , m_remote(app.player(), app.trackList(), app.audio())
#ifdef VELMORA_HAVE_DBUS
    , m_mpris(m_remote, *this)
#endif
{
}

#ifdef VELMORA_HAVE_DBUS
void DesktopIntegration::quit()
{
    m_app.ShutDown();
}
#endif

QString DesktopIntegration::publish()
{
#ifdef VELMORA_HAVE_DBUS
    return m_mpris.registerOn(QDBusConnection::sessionBus());
#else
    return QString();
#endif
}

void DesktopIntegration::openHandedOver(const QStringList &paths)
{
    if (m_app.isEnding())
        return;
    QStringList files;
    for (const QString &path : paths) {
        // Every sender checks already; what reaches the list is checked once more.
        if (!InputBounds::pathProblem(path).isEmpty())
            continue;
        if (QFileInfo(path).isDir())
            files += TrackAdder::ListAudioFiles(path, 1, m_app.settings().isOn(SettingId::AddSubfolders));
        else
            files << path;
    }
    if (!files.isEmpty())
        m_app.adder().AddDroppedFiles(files);
    if (m_raise && !m_app.isEnding())
        m_raise();
}
