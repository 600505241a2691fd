#include "mainwindow/ui/SystemTray.h"

#include <QIcon>
#include <QSystemTrayIcon>

QtSystemTray::QtSystemTray(QObject *parent)
    : SystemTray(parent)
    , m_icon(new QSystemTrayIcon(this))
{
    connect(m_icon, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        // Desktops with status-notifier trays report only clicks, and a
        // double click on an embedded icon comes as a click first: any click
        // counts, once.
        if (reason == QSystemTrayIcon::Trigger)
            Q_EMIT clicked();
    });
}

bool QtSystemTray::isAvailable() const
{
    return QSystemTrayIcon::isSystemTrayAvailable();
}

void QtSystemTray::setMenu(QMenu *menu)
{
    m_icon->setContextMenu(menu);
}

void QtSystemTray::show(const QIcon &icon, const QString &tip)
{
    m_icon->setIcon(icon);
    m_icon->setToolTip(tip);
    m_icon->show();
}

void QtSystemTray::hide()
{
    m_icon->hide();
}

bool QtSystemTray::isShown() const
{
    return m_icon->isVisible();
}

void QtSystemTray::setTip(const QString &tip)
{
    m_icon->setToolTip(tip);
}

QString QtSystemTray::tip() const
{
    return m_icon->toolTip();
}

void QtSystemTray::showBalloon(const QString &text, int ms)
{
    m_icon->showMessage(QString(), text, QSystemTrayIcon::Information, ms);
}
