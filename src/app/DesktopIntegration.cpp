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
    addHandedOver(paths);
    if (m_raise && !m_app.isEnding())
        m_raise();
}

void DesktopIntegration::openAndPlay(const QStringList &paths)
{
    if (m_app.isEnding())
        return;
    const QStringList files = addHandedOver(paths);
    TrackList &list = m_app.trackList();
    // Events ran during the add: the row is found by its path, the newest
    // (last) one when the list held the file already.
    int row = 0;
    for (int pos = list.count(); pos >= 1 && row == 0 && !files.isEmpty() && !m_app.isEnding(); --pos)
        if (list.path(pos) == files.first())
            row = pos;
    if (row != 0) {
        list.UnselectAll();
        list.setSelected(row, true);
        m_app.player().PlaySelectedTrack();
    }
    if (m_raise && !m_app.isEnding())
        m_raise();
}

QStringList DesktopIntegration::addHandedOver(const QStringList &paths)
{
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
    return files;
}
