#pragma once

#include <QObject>
#include <QString>

class QIcon;
class QMenu;

// The desktop's tray as the player's icon needs it. The real one stands on
// QSystemTrayIcon; tests pass a recording fake. User-interface thread only.
class SystemTray : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    // Whether this desktop has a tray at all.
    virtual bool isAvailable() const = 0;
    // The menu the icon opens; it stays the caller's and outlives the tray.
    virtual void setMenu(QMenu *menu) = 0;
    // Shows the icon with `icon` and the tip `tip`, which fits the tray.
    virtual void show(const QIcon &icon, const QString &tip) = 0;
    // The icon goes; its tip stays for the next show.
    virtual void hide() = 0;
    virtual bool isShown() const = 0;
    virtual void setTip(const QString &tip) = 0;
    virtual QString tip() const = 0;
    // A balloon beside the icon with `text` for `ms` milliseconds. Only
    // called while the icon is shown.
    virtual void showBalloon(const QString &text, int ms) = 0;

Q_SIGNALS:
    // The user clicked the icon (any click; a double click may come as one).
    void clicked();
};

// The tray of the window system.
class QtSystemTray : public SystemTray
{
    Q_OBJECT
public:
    explicit QtSystemTray(QObject *parent = nullptr);

    bool isAvailable() const override;
    void setMenu(QMenu *menu) override;
    void show(const QIcon &icon, const QString &tip) override;
    void hide() override;
    bool isShown() const override;
    void setTip(const QString &tip) override;
    QString tip() const override;
    void showBalloon(const QString &text, int ms) override;

private:
    class QSystemTrayIcon *m_icon;
};
