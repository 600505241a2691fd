#include "mainwindow/ui/MainWindow.h"

#include "core/NativePath.h"
#include "core/ui/SkinPainting.h"
#include "mainwindow/ui/MainSizeChangeWindow.h"
#include "playback/Player.h"
#include "settings/SettingsStore.h"
#include "window/ui/MenuBuilder.h"
#include "window/ui/WindowGeometry.h"

#include <QCloseEvent>
#include <QFontMetrics>
#include <QHelpEvent>
#include <QMenu>
#include <QMimeData>
#include <QPaintEvent>
#include <QPainter>
#include <QToolTip>

MainWindow::MainWindow(SettingsStore &settings, Player &player, QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint)
    , m_settings(settings)
    , m_player(player)
{
    setObjectName(QStringLiteral("main"));
    setWindowTitle(QStringLiteral("Velmora"));
    setAcceptDrops(true);
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    // The mini face is mostly looked at while another window has the focus.
    setAttribute(Qt::WA_AlwaysShowToolTips);
    m_scrollTimer.setTimerType(Qt::CoarseTimer);
    connect(&m_scrollTimer, &QTimer::timeout, this, &MainWindow::scrollTick);
    m_display.setTextWidth([this](const QString &text) { return QFontMetrics(m_infoFont).horizontalAdvance(text); });

    connect(&m_settings, &SettingsStore::valueChanged, this, [this](SettingId id) {
        switch (id) {
        case SettingId::ScrollSpeed:
            m_scrollTimer.setInterval(qMax(1, m_settings.value(id)));
            break;
        case SettingId::Foremost:
            if (m_menu)
                refreshMenu(m_menu);
            break;
        case SettingId::MainFontName:
        case SettingId::MainFontSize:
        case SettingId::MainFontBold:
            applyFonts();
            break;
        default:
            if (int(id) < 20 || id == SettingId::Flat || id == SettingId::MainStretch)
                update();
            break;
        }
    });
    connect(&m_player, &Player::playModeChanged, this, [this] { update(); });
    connect(&m_player, &Player::positionChanged, this, &MainWindow::showPosition);
    connect(&m_player, &Player::ticked, this, &MainWindow::meterTick);

    buildMenu();
    connect(&m_drag, &WindowDrag::moveFinished, this, [this] { Q_EMIT placed(this); });
    applyFonts();
    resize(707, MainLayout::WindowHeight);
    relayout();
}

MainWindow::~MainWindow() = default;

void MainWindow::buildMenu()
{
    m_menu = new QMenu(QStringLiteral("メイン"), this);
    m_menu->setObjectName(QStringLiteral("menuForm"));
    SettingsStore &settings = m_settings;
    Player &player = m_player;
    fillMenu(m_menu,
             {
                 // The store's change switches the layer and both windows' check marks.
                 {QStringLiteral("常に手前表示"), QStringLiteral("mnuForemost"),
                  [&settings] { settings.setValue(SettingId::Foremost, settings.isOn(SettingId::Foremost) ? 0 : 1); },
                  {}, [&settings] { return settings.isOn(SettingId::Foremost); }},
                 menuSeparator(),
                 {QStringLiteral("前のトラック(&B)"), QStringLiteral("mnuprevious"), [&player] { player.PreviousTrack(); }},
                 {QStringLiteral("デリートスキップ(&D)"), QStringLiteral("mnudelskip"), [&player] { player.DeleteAndSkip(); }},
                 menuSeparator(),
                 {QStringLiteral("設定(&S)"), QStringLiteral("mnuSetting"), [this] { Q_EMIT settingsRequested(); }},
                 {QStringLiteral("タスクトレイ(&T)"), QStringLiteral("mnuTaskTray"), [this] { Q_EMIT trayRequested(); },
                  [this] { return m_trayAvailable; }},
                 {QStringLiteral("サイズ調整(&C)"), QStringLiteral("mnuWidthChange"), [this] { showWidthChangeWindow(); }},
                 {QStringLiteral("ヘルプ(&H)"), QStringLiteral("mnuHelp"), [this] { Q_EMIT helpRequested(); }},
                 {QStringLiteral("終了(&E)"), QStringLiteral("mnuExit"), [this] { Q_EMIT exitRequested(); }},
             });
}

void MainWindow::setTrayAvailable(bool available, const QString &whyNot)
{
    m_trayAvailable = available;
    if (QAction *tray = m_menu->findChild<QAction *>(QStringLiteral("mnuTaskTray")))
        tray->setToolTip(available ? QString() : whyNot);
    m_menu->setToolTipsVisible(!available);
    refreshMenu(m_menu);
}

void MainWindow::setStyle(const Style &style)
{
    m_style = style;
    relayout();
    update();
}

void MainWindow::applyFonts()
{
    const SettingsStore &s = m_settings;
    m_infoFont = QFont(s.text(SettingId::MainFontName));
    m_infoFont.setPointSize(qMax(1, s.value(SettingId::MainFontSize)));
    m_infoFont.setBold(s.isOn(SettingId::MainFontBold));
    m_display.setTrackInfo(m_display.trackInfo()); // re-measure
    for (QStaticText *t : {&m_infoStatic, &m_timeStatic, &m_modeStatic})
        t->setText(QString()); // laid out again with the new font
    update();
}

void MainWindow::applySettings()
{
    const SettingsStore &s = m_settings;
    m_scrollTimer.setInterval(qMax(1, s.value(SettingId::ScrollSpeed)));
    refreshMenu(m_menu);
    applyFonts();
    setGeometry(s.pixels(SettingId::MainLeft), s.pixels(SettingId::MainTop), qMax(100, s.pixels(SettingId::MainWidth)),
                MainLayout::WindowHeight);
}

void MainWindow::storeState()
{
    SettingsStore &s = m_settings;
    s.setPixels(SettingId::MainLeft, x());
    s.setPixels(SettingId::MainTop, y());
    s.setPixels(SettingId::MainWidth, width());
}

void MainWindow::relayout()
{
    std::array<QSize, Style::MainButtonCount> sizes;
    for (int b = 0; b < Style::MainButtonCount; ++b)
        sizes[std::size_t(b)] = m_style.mainButtons[Style::Normal][std::size_t(b)].size();
    m_layout = MainLayout::compute(width(), sizes);
    m_display.setStripWidth(m_layout.strip.width());
    m_display.centreTrackInfo();
    update();
}

void MainWindow::resizeEvent(QResizeEvent *)
{
    relayout();
}

QColor MainWindow::slotColor(ColorSlot slot) const
{
    return m_settings.color(slot);
}

void MainWindow::paintEvent(QPaintEvent *event)
{
    QPainter p(this);
    const SettingsStore &s = m_settings;
    const QRegion &dirty = event->region();
    const QRect d = m_layout.display;

    if (!d.contains(dirty.boundingRect())) {
        p.fillRect(rect(), slotColor(MiniFaceBackSlot));
        if (!m_style.mainBack.isNull()) {
            if (s.isOn(SettingId::MainStretch))
                drawSkinImage(p, m_layout.back, m_style.mainBack);
            else
                drawSkinImage(p, QPoint(0, 0), m_style.mainBack);
        }
        if (!s.isOn(SettingId::Flat)) {
            p.setPen(QColor(0, 0, 0, 150));
            p.drawRect(m_layout.frame.adjusted(0, 0, -1, -1));
        }
        for (int b = 0; b < Style::MainButtonCount; ++b) {
            const QImage &img = m_style.mainButtons[std::size_t(m_buttonState[std::size_t(b)])][std::size_t(b)];
            drawSkinImage(p, m_layout.buttons[std::size_t(b)].topLeft(), img);
        }
    }

    // The display, in its own coordinates. Texts are laid out once per
    // change (QStaticText) and drawn only where the window is dirty: the
    // main timer repaints the meter ten times a second.
    p.setClipRect(d);
    p.translate(d.topLeft());
    const QRegion inDisplay = dirty.translated(-d.topLeft());
    p.fillRect(inDisplay.boundingRect() & QRect(QPoint(0, 0), d.size()), slotColor(DisplayBackSlot));
    drawSkinImage(p, QPoint(0, 0), m_style.panelBack);

    p.setFont(m_infoFont);
    if (inDisplay.intersects(m_layout.strip)) {
        p.save();
        p.setClipRect(m_layout.strip, Qt::IntersectClip);
        p.setPen(slotColor(DisplayForeSlot));
        staticText(m_infoStatic, m_display.trackInfo());
        p.drawStaticText(m_display.trackInfoLeft(), textTop(m_infoStatic, d.height()), m_infoStatic);
        p.restore();
    }
    if (inDisplay.intersects(m_layout.time)) {
        p.setPen(slotColor(TimeForeSlot));
        staticText(m_timeStatic, m_display.timeText());
        p.drawStaticText(m_layout.time.left(), textTop(m_timeStatic, d.height()), m_timeStatic);
    }
    if (inDisplay.intersects(m_layout.playMode)) {
        p.setPen(slotColor(PlayModeForeSlot));
        staticText(m_modeStatic, Player::playModeName(m_player.PlayMode()));
        const int w = int(m_modeStatic.size().width());
        p.drawStaticText(m_layout.playMode.left() + (m_layout.playMode.width() - w) / 2,
                         textTop(m_modeStatic, d.height()), m_modeStatic);
    }

    // The level meter: three columns of up to three squares, from the bottom.
    const QColor levels[3] = {slotColor(LevelBottomSlot), slotColor(LevelMiddleSlot), slotColor(LevelTopSlot)};
    const auto shown = m_display.meterShown();
    for (int c = 0; c < 3; ++c)
        for (int e = 0; e < shown[std::size_t(c)]; ++e)
            p.fillRect(QRect(m_layout.meterLeft[std::size_t(c)], d.height() - 4 - e * 4, 3, 3), levels[e]);
}

void MainWindow::staticText(QStaticText &cached, const QString &text)
{
    if (cached.text() == text)
        return;
    cached.setText(text);
    cached.setTextFormat(Qt::PlainText);
    cached.prepare(QTransform(), m_infoFont);
}

int MainWindow::textTop(const QStaticText &text, int height)
{
    return (height - int(text.size().height())) / 2;
}

QRect MainWindow::meterRect() const
{
    const QRect d = m_layout.display;
    return QRect(d.left() + m_layout.meterLeft[0], d.top(), m_layout.meterLeft[2] - m_layout.meterLeft[0] + 3, d.height());
}

void MainWindow::ShowTrackInfo(const QString &title, const QString &artist)
{
    m_display.ShowTrackInfo(title, artist);
    update();
}

void MainWindow::showIdle()
{
    m_display.showIdle();
    setScrollTimerEnabled(false);
    update();
}

void MainWindow::setTrackInfoText(const QString &text)
{
    m_display.setTrackInfo(text);
    m_display.centreTrackInfo();
    update();
}

void MainWindow::setScrollTimerEnabled(bool enabled)
{
    if (enabled)
        m_scrollTimer.start();
    else
        m_scrollTimer.stop();
}

void MainWindow::showPosition(const PlaybackPosition &position)
{
    const QString before = m_display.timeText();
    m_display.DispTime(position.timeMs, position.lengthMs);
    if (m_display.timeText() != before)
        update(m_layout.time.translated(m_layout.display.topLeft()));
}

void MainWindow::meterTick()
{
    m_display.MiniLevelMeter();
    update(meterRect());
}

void MainWindow::scrollTick()
{
    m_display.scrollTick(m_layout.time.left());
    update(m_layout.strip.translated(m_layout.display.topLeft()));
}

void MainWindow::setPlaylistOpen(bool open)
{
    m_playlistOpen = open;
    m_buttonState[Style::PlaylistButton] = open ? Style::Pressed : Style::Normal;
    update();
}

void MainWindow::togglePlaylistWindow()
{
    setPlaylistOpen(!m_playlistOpen);
    Q_EMIT playlistWindowToggled(m_playlistOpen);
}

int MainWindow::buttonAt(const QPoint &pos) const
{
    for (int b = 0; b < Style::MainButtonCount; ++b)
        if (m_layout.buttons[std::size_t(b)].contains(pos))
            return b + 1;
    return 0;
}

QString MainWindow::toolTipAt(const QPoint &pos) const
{
    // Named as the playlist window names its buttons.
    static const char *const tips[Style::MainButtonCount] = {"Play", "Pause", "Stop", "Next", "Playlist"};
    const int b = buttonAt(pos);
    return b ? QString::fromLatin1(tips[b - 1]) : QString();
}

bool MainWindow::event(QEvent *event)
{
    if (event->type() == QEvent::ToolTip) {
        // The buttons are pictures drawn on the window, not widgets with tips of their own.
        const auto *help = static_cast<QHelpEvent *>(event);
        const QString tip = toolTipAt(help->pos());
        if (tip.isEmpty()) {
            QToolTip::hideText();
            event->ignore();
        } else {
            QToolTip::showText(help->globalPos(), tip, this, m_layout.buttons[std::size_t(buttonAt(help->pos()) - 1)]);
        }
        return true;
    }
    return QWidget::event(event);
}

void MainWindow::pressButton(int b, Qt::MouseButton button)
{
    m_buttonState[std::size_t(b - 1)] = Style::Pressed;
    update();
    if (button == Qt::RightButton) {
        m_menu->popup(QCursor::pos());
        return;
    }
    if (button != Qt::LeftButton)
        return;
    switch (b) {
    case 1: m_player.PlaySelectedTrack(); break;
    case 2: m_player.TogglePause(); break;
    case 3: m_player.stopIfPlaying(); break;
    case 4: m_player.AdvanceTrack(); break;
    case 5: togglePlaylistWindow(); break;
    default: break;
    }
}

void MainWindow::mousePressEvent(QMouseEvent *event)
{
    const QPoint pos = event->position().toPoint();
    if (const int b = buttonAt(pos)) {
        pressButton(b, event->button());
        return;
    }
    // The display and the background: a drag moves the window; on the
    // display a press that stays a click acts on its release.
    m_drag.press(event);
    if (m_layout.display.contains(pos)) {
        if (event->button() == Qt::RightButton)
            m_menu->popup(event->globalPosition().toPoint());
        return;
    }
    if (event->button() == Qt::RightButton)
        m_menu->popup(event->globalPosition().toPoint());
}

void MainWindow::mouseReleaseEvent(QMouseEvent *event)
{
    const bool click = m_drag.release(event);
    const QPoint pos = event->position().toPoint();
    if (const int b = buttonAt(pos)) {
        m_buttonState[std::size_t(b - 1)] = Style::Normal;
        update();
        return;
    }
    // A press that moved the window is no click on a label.
    if (event->button() != Qt::LeftButton || !click || !m_layout.display.contains(pos))
        return;
    const QPoint inDisplay = pos - m_layout.display.topLeft();
    if (m_layout.time.contains(inDisplay)) {
        m_display.toggleRemainTimeMode();
        if (m_player.stream()) {
            const PlaybackPosition position = m_player.position();
            m_display.DispTime(position.timeMs, position.lengthMs);
        }
    } else if (m_layout.playMode.contains(inDisplay)) {
        m_player.PlayModeLabelClick();
    } else if (m_layout.strip.contains(inDisplay)) {
        // The track information stops or starts scrolling.
        const bool scrolling = m_scrollTimer.isActive();
        setScrollTimerEnabled(!scrolling);
        m_settings.setValue(SettingId::Scroll, scrolling ? 0 : 1);
    }
    update();
}

void MainWindow::mouseMoveEvent(QMouseEvent *event)
{
    if (m_drag.move(event))
        return;
    // First the background's action: the button left behind goes back.
    if (m_playlistOpen && m_buttonUnderMouse == 5)
        m_buttonState[Style::PlaylistButton] = Style::Pressed;
    else if (m_buttonUnderMouse != 0)
        m_buttonState[std::size_t(m_buttonUnderMouse - 1)] = Style::Normal;
    m_buttonUnderMouse = 0;

    if (const int b = buttonAt(event->position().toPoint())) {
        if (!(event->buttons() & Qt::LeftButton))
            m_buttonState[std::size_t(b - 1)] = (b == 5 && m_playlistOpen) ? Style::Pressed : Style::Hover;
        m_buttonUnderMouse = b;
    }
    update();
}

void MainWindow::leaveEvent(QEvent *)
{
    if (m_playlistOpen && m_buttonUnderMouse == 5)
        m_buttonState[Style::PlaylistButton] = Style::Pressed;
    else if (m_buttonUnderMouse != 0)
        m_buttonState[std::size_t(m_buttonUnderMouse - 1)] = Style::Normal;
    m_buttonUnderMouse = 0;
    update();
}

void MainWindow::mouseDoubleClickEvent(QMouseEvent *event)
{
    // A double click on a button is two presses; on the background it sends
    // the player to the task tray, unless the first click moved the window
    // or the pointer moved between the clicks. The second press starts a
    // gesture as any press does.
    const QPoint pos = event->position().toPoint();
    if (const int b = buttonAt(pos)) {
        pressButton(b, event->button());
        return;
    }
    const bool inPlace = m_drag.isDoubleClickInPlace(event);
    m_drag.press(event);
    if (event->button() == Qt::LeftButton && inPlace && !m_layout.display.contains(pos) && m_trayAvailable)
        Q_EMIT trayRequested();
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    // The program decides when it ends: after saving, through ShutDown().
    event->ignore();
    Q_EMIT exitRequested();
}

void MainWindow::dragEnterEvent(QDragEnterEvent *event)
{
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent *event)
{
    const QStringList paths = NativePath::localPathsOfUrls(event->mimeData()->urls());
    if (paths.isEmpty())
        return;
    event->acceptProposedAction();
    Q_EMIT filesDropped(paths);
}

void MainWindow::showWidthChangeWindow()
{
    if (!m_sizeWindow) {
        m_sizeWindow = new MainSizeChangeWindow(this);
        connect(m_sizeWindow, &MainSizeChangeWindow::applied, this, [this](const QRect &g) {
            m_sizeWindow->hide();
            showWithGeometry(this, MainSizeChangeWindow::appliedGeometry(g, MainLayout::WindowHeight));
            Q_EMIT placed(this);
        });
        connect(m_sizeWindow, &MainSizeChangeWindow::dragged, this, [this] { Q_EMIT placed(m_sizeWindow); });
    }
    m_sizeWindow->open(geometry());
    hide();
}
