#include "mainwindow/ui/TrayIcon.h"

#include <QIcon>
#include <QMenu>
#include <QSystemTrayIcon>

TrayIcon::TrayIcon(QObject *parent)
    : QObject(parent)
    , m_icon(new QSystemTrayIcon(this))
    , m_menu(new QMenu(QStringLiteral("メイン")))
{
    m_menu->setObjectName(QStringLiteral("TaskTrayMenuForm"));
    const struct {
        const char *name;
        QString caption;
        void (TrayIcon::*signal)();
    } entries[] = {
        {"mnuplay", QStringLiteral("再生(&P)"), &TrayIcon::playRequested},
        {"mnupause", QStringLiteral("一時停止/レジューム(&R)"), &TrayIcon::pauseRequested},
        {"mnunext", QStringLiteral("次のトラック(&N)"), &TrayIcon::nextRequested},
        {"mnuprevious", QStringLiteral("前のトラック(&B)"), &TrayIcon::previousRequested},
        {"mnudelskip", QStringLiteral("デリートスキップ(&D)"), &TrayIcon::deleteSkipRequested},
        {nullptr, QString(), nullptr},
        {"mnuSetting", QStringLiteral("設定(&S)"), &TrayIcon::settingsRequested},
        {"mnuTaskTray", QStringLiteral("タスクトレイ(&T)"), &TrayIcon::trayToggleRequested},
        {"mnuExit", QStringLiteral("終了(&E)"), &TrayIcon::exitRequested},
    };
    for (const auto &e : entries) {
        if (!e.name) {
            m_menu->addSeparator();
            continue;
        }
        QAction *a = m_menu->addAction(e.caption);
        a->setObjectName(QString::fromLatin1(e.name));
        connect(a, &QAction::triggered, this, e.signal);
    }
    m_icon->setContextMenu(m_menu);
    connect(m_icon, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        // Desktops with status-notifier trays report only clicks, and a
        // double click on an embedded icon comes as a click first: any click
        // brings the windows back, once.
        if (reason == QSystemTrayIcon::Trigger)
            Q_EMIT trayToggleRequested();
    });
}

TrayIcon::~TrayIcon()
{
    delete m_menu;
}

bool TrayIcon::isAvailable()
{
    return QSystemTrayIcon::isSystemTrayAvailable();
}

QString TrayIcon::tipText(const QString &text)
{
    QString cut;
    int bytes = 0;
    for (qsizetype i = 0; i < text.size();) {
        const qsizetype len = (text.at(i).isHighSurrogate() && i + 1 < text.size()) ? 2 : 1;
        const int charBytes = int(text.mid(i, len).toUtf8().size());
        if (bytes + charBytes > TipBytes)
            break;
        cut += text.mid(i, len);
        bytes += charBytes;
        i += len;
    }
    return cut;
}

void TrayIcon::TrayAdd(const QIcon &icon, const QString &tip)
{
    m_icon->setIcon(icon);
    m_icon->setToolTip(tipText(tip));
    m_icon->show();
}

void TrayIcon::TrayModify(const QString &text)
{
    m_icon->setToolTip(tipText(text));
    if (m_icon->isVisible())
        m_icon->showMessage(QString(), text, QSystemTrayIcon::Information, BalloonMs);
}

void TrayIcon::TrayDelete()
{
    m_icon->hide();
}

bool TrayIcon::isShown() const
{
    return m_icon->isVisible();
}

QString TrayIcon::tip() const
{
    return m_icon->toolTip();
}
