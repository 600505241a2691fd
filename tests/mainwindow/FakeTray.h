#pragma once

#include "mainwindow/ui/SystemTray.h"

#include <QStringList>

// A tray that is always there and records what the player shows in it.
class FakeTray : public SystemTray
{
public:
    bool available = true;
    bool shown = false;
    QString tipText;
    QStringList balloons;
    QMenu *contextMenu = nullptr;

    bool isAvailable() const override { return available; }
    void setMenu(QMenu *menu) override { contextMenu = menu; }
    void show(const QIcon &, const QString &tip) override
    {
        tipText = tip;
        shown = true;
    }
    void hide() override { shown = false; }
    bool isShown() const override { return shown; }
    void setTip(const QString &tip) override { tipText = tip; }
    QString tip() const override { return tipText; }
    void showBalloon(const QString &text, int) override { balloons << text; }
    // The user clicks the icon.
    void click() { Q_EMIT clicked(); }
};
