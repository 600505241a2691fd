#pragma once

#include "mainwindow/MainDisplay.h"
#include "mainwindow/MainLayout.h"
#include "settings/SettingsKeys.h"
#include "style/Style.h"
#include "window/ui/WindowDrag.h"

#include <QStaticText>
#include <QTimer>
#include <QWidget>

class Player;
class QMenu;
class MainSizeChangeWindow;
class SettingsStore;
struct PlaybackPosition;

// The main window, the mini face: a frameless, skinned strip with the
// display (scrolling track information, time, play mode, level meter) and
// five picture buttons (play, pause, stop, next, playlist window). Drawn by
// itself from the layout and the display state; the logic lives in
// MainLayout, MainDisplay and the Player, whose position ticks it shows.
class MainWindow : public QWidget
{
    Q_OBJECT
public:
    MainWindow(SettingsStore &settings, Player &player, QWidget *parent = nullptr);
    ~MainWindow() override;

    void setStyle(const Style &style);

    // Playback display
    void ShowTrackInfo(const QString &title, const QString &artist);
    void showIdle();
    void setScrollTimerEnabled(bool enabled);
    bool scrollTimerEnabled() const { return m_scrollTimer.isActive(); }
    void setTrackInfoText(const QString &text);

    // The playlist button's latch (MainPlayListFlag).
    void setPlaylistOpen(bool open);
    bool playlistOpen() const { return m_playlistOpen; }

    // Whether the desktop has a tray: without one the tray entry is off and
    // its tip says `whyNot`.
    void setTrayAvailable(bool available, const QString &whyNot);

    // Geometry into the settings store (before a save) and out of it.
    void storeState();
    void applySettings();

    const MainLayout &layoutRects() const { return m_layout; }
    const MainDisplay &display() const { return m_display; }
    // The picture button `b` shows now (Normal, Hover or Pressed).
    int buttonState(int b) const { return m_buttonState[std::size_t(b)]; }
    QMenu *popupMenu() const { return m_menu; }
    // The tip of the picture button at `pos` (window coordinates); empty
    // elsewhere.
    QString toolTipAt(const QPoint &pos) const;

Q_SIGNALS:
    // Button 5 opened (true) or closed (false) the playlist window.
    void playlistWindowToggled(bool open);
    // Files dropped on the window.
    void filesDropped(const QStringList &paths);
    // The settings entry: the settings dialog is wanted.
    void settingsRequested();
    // The help and exit entries, and the window's own close.
    void helpRequested();
    void exitRequested();
    // The tray entry, or a double click on the background.
    void trayRequested();
    // The user put `window` (this one or its size-change window) in a new
    // place: by a drag, or by applying a new width.
    void placed(QWidget *window);

protected:
    bool event(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    void buildMenu();
    void relayout();
    void pressButton(int b, Qt::MouseButton button);
    void togglePlaylistWindow();
    void scrollTick();
    void showPosition(const PlaybackPosition &position);
    void meterTick();
    int buttonAt(const QPoint &pos) const;
    QColor slotColor(ColorSlot slot) const;
    void applyFonts();
    void showWidthChangeWindow();

    SettingsStore &m_settings;
    Player &m_player;
    Style m_style;
    MainLayout m_layout;
    MainDisplay m_display;
    QTimer m_scrollTimer;
    std::array<int, Style::MainButtonCount> m_buttonState{};
    int m_buttonUnderMouse = 0; // MainButtonChangeIndex, 1-based, 0 = none
    bool m_playlistOpen = false;
    QMenu *m_menu = nullptr;
    bool m_trayAvailable = true;
    MainSizeChangeWindow *m_sizeWindow = nullptr;
    WindowDrag m_drag{this};
    // Laid-out texts of the track information, the time and the play mode.
    void staticText(QStaticText &cached, const QString &text);
    static int textTop(const QStaticText &text, int height);
    QRect meterRect() const;
    QFont m_infoFont;
    QStaticText m_infoStatic;
    QStaticText m_timeStatic;
    QStaticText m_modeStatic;
};
