#pragma once

#include <QObject>
#include <QString>

#include <memory>

class QIcon;
class QMenu;
class SystemTray;

// The player's icon in the desktop's tray (StatusNotifierItem where the
// desktop has it, XEmbed otherwise), with its tip, the balloon of each track
// change and the tray menu. The icon exists only
// while the player lives in the tray.
class TrayIcon : public QObject
{
    Q_OBJECT
public:
    // How long a track change stays on screen.
    static constexpr int BalloonMs = 10000;
    // The longest tip the tray shows, in UTF-8 bytes.
    static constexpr int TipBytes = 127;

    // `tray` null: the window system's tray.
    explicit TrayIcon(std::unique_ptr<SystemTray> tray = nullptr, QObject *parent = nullptr);
    ~TrayIcon() override;

    // Whether this desktop has a tray at all.
    bool isAvailable() const;
    // What the tray entries of the menus say where there is none.
    static inline const QString NoTrayTip = QStringLiteral("このデスクトップにはタスクトレイがありません");

    // `TrayAdd`: shows the icon with `tip`.
    void TrayAdd(const QIcon &icon, const QString &tip);
    // `TrayModify`: the tip becomes `text`, and a balloon shows it while
    // the icon is shown.
    void TrayModify(const QString &text);
    // `TrayDelete`: the icon goes.
    void TrayDelete();
    bool isShown() const;

    QMenu *menu() const { return m_menu; }
    QString tip() const;

    // `text` cut to at most TipBytes UTF-8 bytes, on a character boundary.
    static QString tipText(const QString &text);

Q_SIGNALS:
    void playRequested();
    void pauseRequested();
    void nextRequested();
    void previousRequested();
    void deleteSkipRequested();
    void settingsRequested();
    // The tray entry, or a click on the icon.
    void trayToggleRequested();
    void exitRequested();

private:
    std::unique_ptr<SystemTray> m_tray;
    QMenu *m_menu;
};
