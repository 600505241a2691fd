#pragma once

#include "library/LibraryCommands.h"
#include "playlistwindow/PlaylistLayout.h"
#include "playlistwindow/ui/ListSizeChangeForm.h"
#include "settings/SettingsKeys.h"
#include "style/Style.h"
#include "window/ui/WindowDrag.h"

#include <QPointer>
#include <QWidget>

#include <array>

class LibraryTree;
class LibraryTreeView;
class MessageService;
class ItemCommands;
class Player;
class PlaylistSearch;
class PlaylistStore;
class SettingsStore;
class ShellService;
class TrackPropertiesReader;
class TrackAdder;
class TrackList;
struct PlaybackPosition;
class PictureElement;
class QAction;
class QFileDialog;
class QLabel;
class QLineEdit;
class QMenu;
class SeekBar;
class TrackListView;

// What the playlist window shows and drives.
struct PlaylistWindowModels {
    TrackList &list;
    LibraryTree &library;
    PlaylistStore &playlists;
    TrackAdder &adder;
    SettingsStore &settings;
    Player &player;
    MessageService &messages;
    PlaylistSearch &search;
    ItemCommands &items;
    LibraryCommands &libraryCommands;
    // The facts of a row's properties window.
    const TrackPropertiesReader &properties;
    // Whether the desktop can show a file's own properties (null: it cannot).
    const ShellService *shell;
};

// The playlist window: frameless and skinned, with the library
// tree, the track list and their controls. Every element is placed by
// PlaylistLayout on every resize; buttons, menus, volume, mute and seek
// behave as their handlers below say. The logic they run lives in the
// models and operations it is given; volume, mute and position are the
// player's, and the window draws what the player reports. The menus are
// tables (PlaylistMenus.cpp); the controls and their mouse handling are in
// PlaylistControls.cpp.
class PlaylistWindow : public QWidget
{
    Q_OBJECT
public:
    // The popup menus of the window, by where they open.
    enum Menu {
        AdminMenu,    // the playlist administration button
        AddMenu,      // the add button
        DeleteMenu,   // the delete button
        SelectMenu,   // the select button
        EtcMenu,      // the etc button
        SearchMenu,   // the search icon: what a search looks at
        WindowMenu,   // the window's background
        TrackMenu,    // a row of the track list
        TreeMenu,     // the library tree
        MenuCount
    };

    explicit PlaylistWindow(const PlaylistWindowModels &models, QWidget *parent = nullptr);
    ~PlaylistWindow() override;

    // Takes the pictures of `style` (background, buttons, volume, icons).
    void setStyle(const Style &style);

    // The seek bar: its maximum is the stream's length in bytes.
    void setSeekMaximum(int bytes);
    void setSeekValue(int bytes);
    void showPosition(const PlaybackPosition &position);

    // Scrolls the track list so that row `pos` (1-based) is visible.
    void scrollToRow(int pos);

    // Geometry, splitter, column widths and sort state into the
    // settings store (before a save), and everything the window shows out
    // of it (after a load).
    void storeState();
    void applySettings();

    // `DragItemSwap` (i, k), the public routine of the window.
    void DragItemSwap(int i, int k);

    // --- the controls' handlers, public so that every path can run them --------
    void runLayout();
    // Press, move and release of the splitter grip, x in client pixels.
    void splitterPress();
    void splitterMove(int clientX);
    void splitterRelease();
    // The speaker switch.
    void speakerClick();
    // The volume knob: moved to `knobLeft` (client pixels) with the left
    // button held or not, released; a press on the bar at client x.
    void knobMove(int knobLeft, bool leftButtonHeld);
    void knobRelease();
    void volumeBarPress(int clientX);
    // A press on the seek bar at x pixels from its left.
    void seekPress(int x);
    // A mouse button pressed on button `b` (1..6).
    void buttonPress(int b, Qt::MouseButton button, const QPoint &globalPos);
    void statusClick();
    void searchIconClick();
    // The scope menu's check mark on the search's mode.
    void showSearchMode();

    // The open-file and folder dialogs of the add commands, set up as those
    // commands show them (not yet shown).
    static QFileDialog *makeOpenFileDialog(QWidget *parent, const QString &filter, const QString &startFolder,
                                           bool several = false);
    static QFileDialog *makeFolderDialog(QWidget *parent, const QString &title, const QString &startFolder);

    // --- what tests and the screenshot look at ------------------------------------
    // The controls carry object names (imgListButtonImage1..6, prgSeek,
    // txtSearchBox, imgVolume, imgSpeaker, picSplitter, ...) and every menu
    // entry one of its own (mnu...), for tests and scripts to find them.
    const PlaylistLayout &layoutRects() const { return m_layout; }
    int ListButtonChangeIndex() const { return m_hoverButton; }
    // The picture button `b` (1..6) shows now: Style::Normal, Hover or Pressed.
    int buttonState(int b) const { return m_buttonState[size_t(b - 1)]; }
    QMenu *menu(Menu m) const { return m_menus[size_t(m)]; }
    // The client point where the last popup menu was opened.
    QPoint lastPopupPoint() const { return m_lastPopupPoint; }
    QMenu *lastPopup() const { return m_lastPopup; }
    TrackListView *listView() const { return m_listView; }
    LibraryTreeView *treeView() const { return m_treeView; }
    QLineEdit *addressBox() const { return m_addressBox; }
    // "プロパティ": the properties window of the focused row (see
    // ItemCommands::targetRow); nothing without such a row.
    void showTrackProperties(int focused);
    QLabel *statusBox() const { return m_statusBox; }
    ListSizeChangeForm *sizeWindow() const { return m_sizeWindow; }
    // Opens the sizing window in place of this one ("サイズ調整").
    void showSizeWindow();
    // Whether the desktop has a tray: without one the tray entry is off and
    // its tip says `whyNot`.
    void setTrayAvailable(bool available, const QString &whyNot);

Q_SIGNALS:
    // The window's own close button: the main window's playlist button lets go.
    void closeClicked();
    // The window menu's settings entry: the settings dialog is wanted.
    void settingsRequested();
    // The window menu's exit entry.
    void exitRequested();
    // The window menu's tray entry.
    void trayRequested();
    // The user moved `window` (this one or its sizing window) by a drag.
    void placed(QWidget *window);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void leaveEvent(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildControls();
    void buildMenus();
    void wireLogic();
    void applyLayout();
    void applySetting(SettingId id);
    void applyColors();
    void applyFonts();
    void applyFlat();
    void setButtonState(int b, int state);
    void backgroundMove();
    void popup(Menu m, const QPoint &clientPoint);
    void volumeStep(bool leftButtonHeld);
    void showVolume(int percent);
    void showSpeaker();
    int buttonOf(QObject *watched) const;
    QColor slotColor(ColorSlot slot) const;

    TrackList &m_list;
    LibraryTree &m_library;
    TrackAdder &m_adder;
    SettingsStore &m_settings;
    Player &m_player;
    PlaylistSearch &m_search;
    ItemCommands &m_items;
    LibraryCommands &m_commands;
    const TrackPropertiesReader &m_properties;
    const ShellService *m_shell;
    Style m_style;
    PlaylistLayout m_layout;

    TrackListView *m_listView = nullptr;
    LibraryTreeView *m_treeView = nullptr;
    QWidget *m_splitterGrip = nullptr;
    QWidget *m_splitterBar = nullptr;
    QLineEdit *m_addressBox = nullptr;
    QLineEdit *m_searchBox = nullptr;
    PictureElement *m_searchIcon = nullptr;
    std::array<PictureElement *, PlaylistLayout::ButtonCount> m_buttons{};
    SeekBar *m_seek = nullptr;
    QLabel *m_statusBox = nullptr;
    PictureElement *m_speaker = nullptr;
    PictureElement *m_volumeBar = nullptr;
    PictureElement *m_knob = nullptr;

    std::array<QMenu *, MenuCount> m_menus{};
    bool m_trayAvailable = true;
    QMenu *m_lastPopup = nullptr;
    QPoint m_lastPopupPoint;
    int m_popupButton = 0; // the button whose menu is open, 1..6

    std::array<int, PlaylistLayout::ButtonCount> m_buttonState{};
    int m_hoverButton = 0; // ListButtonChangeIndex
    bool m_splitterMoving = false;
    bool m_knobHeld = false;
    WindowDrag m_drag{this};
    QPointer<ListSizeChangeForm> m_sizeWindow;
};
