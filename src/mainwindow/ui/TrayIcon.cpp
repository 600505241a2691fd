#include "mainwindow/ui/TrayIcon.h"

#include "mainwindow/ui/SystemTray.h"
#include "window/ui/MenuBuilder.h"

#include <QIcon>
#include <QMenu>

TrayIcon::TrayIcon(std::unique_ptr<SystemTray> tray, QObject *parent)
    : QObject(parent)
    , m_tray(tray ? std::move(tray) : std::make_unique<QtSystemTray>())
    , m_menu(new QMenu(QStringLiteral("メイン")))
{
    m_menu->setObjectName(QStringLiteral("trayMenu"));
    const auto emitting = [this](void (TrayIcon::*signal)()) { return [this, signal] { Q_EMIT(this->*signal)(); }; };
    fillMenu(m_menu, {
                         {QStringLiteral("再生(&P)"), QStringLiteral("mnuplay"), emitting(&TrayIcon::playRequested)},
                         {QStringLiteral("一時停止/レジューム(&R)"), QStringLiteral("mnupause"),
                          emitting(&TrayIcon::pauseRequested)},
                         {QStringLiteral("次のトラック(&N)"), QStringLiteral("mnunext"), emitting(&TrayIcon::nextRequested)},
                         {QStringLiteral("前のトラック(&B)"), QStringLiteral("mnuprevious"),
                          emitting(&TrayIcon::previousRequested)},
                         {QStringLiteral("デリートスキップ(&D)"), QStringLiteral("mnudelskip"),
                          emitting(&TrayIcon::deleteSkipRequested)},
                         menuSeparator(),
                         {QStringLiteral("設定(&S)"), QStringLiteral("mnuSetting"), emitting(&TrayIcon::settingsRequested)},
                         {QStringLiteral("タスクトレイ(&T)"), QStringLiteral("mnuTaskTray"),
                          emitting(&TrayIcon::trayToggleRequested)},
                         {QStringLiteral("終了(&E)"), QStringLiteral("mnuExit"), emitting(&TrayIcon::exitRequested)},
                     });
    m_tray->setMenu(m_menu);
    connect(m_tray.get(), &SystemTray::clicked, this, &TrayIcon::trayToggleRequested);
}

TrayIcon::~TrayIcon()
{
    m_tray.reset();
    delete m_menu;
}

bool TrayIcon::isAvailable() const
{
    return m_tray->isAvailable();
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
    m_tray->show(icon, tipText(tip));
}

void TrayIcon::TrayModify(const QString &text)
{
    m_tray->setTip(tipText(text));
    if (m_tray->isShown())
        m_tray->showBalloon(text, BalloonMs);
}

void TrayIcon::TrayDelete()
{
    m_tray->hide();
}

bool TrayIcon::isShown() const
{
    return m_tray->isShown();
}

QString TrayIcon::tip() const
{
    return m_tray->tip();
}
