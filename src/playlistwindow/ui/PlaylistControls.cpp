// The playlist window's controls: how they are made, and what the mouse
// does on each of them (buttons, splitter, volume knob and bar, speaker,
// seek bar, status box, search icon, the background).

#include "playlistwindow/ui/PlaylistWindow.h"

#include "library/ui/LibraryTreeView.h"
#include "playback/Player.h"
#include "playlist/TrackList.h"
#include "playlist/ui/TrackListView.h"
#include "playlistwindow/ui/PictureElement.h"
#include "playlistwindow/ui/SeekBar.h"

#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>

void PlaylistWindow::buildControls()
{
    TrackList &list = m_list;
    m_treeView = new LibraryTreeView(m_library, m_commands, this);
    m_listView = new TrackListView(list, this);

    m_splitterGrip = new QWidget(this);
    m_splitterGrip->setObjectName(QStringLiteral("imgSplitter"));
    m_splitterGrip->setCursor(Qt::SplitHCursor);
    m_splitterGrip->installEventFilter(this);
    m_splitterBar = new QWidget(this);
    m_splitterBar->setObjectName(QStringLiteral("picSplitter"));
    m_splitterBar->setAutoFillBackground(true);
    QPalette barPalette = m_splitterBar->palette();
    barPalette.setColor(QPalette::Window, QColor(128, 128, 128));
    m_splitterBar->setPalette(barPalette);
    m_splitterBar->hide();

    m_addressBox = new QLineEdit(this);
    m_addressBox->setObjectName(QStringLiteral("txtAddressBox"));
    m_addressBox->setText(list.PlaylistAddress());
    m_searchBox = new QLineEdit(this);
    m_searchBox->setObjectName(QStringLiteral("txtSearchBox"));

    m_searchIcon = new PictureElement(this);
    m_searchIcon->setObjectName(QStringLiteral("imgSearchBox"));
    m_searchIcon->setToolTip(QStringLiteral("Search"));
    static const char *const tips[PlaylistLayout::ButtonCount] = {"Playlist Admin", "ClosePlaylist", "Add",
                                                                  "Delete",         "Select",        "ETC"};
    for (int i = 0; i < PlaylistLayout::ButtonCount; ++i) {
        auto *b = new PictureElement(this);
        b->setObjectName(QStringLiteral("imgListButtonImage%1").arg(i + 1));
        b->setToolTip(QString::fromLatin1(tips[i]));
        m_buttons[size_t(i)] = b;
    }
    m_seek = new SeekBar(this);
    m_seek->setObjectName(QStringLiteral("prgSeek"));
    m_statusBox = new QLabel(QStringLiteral("0000 / 0000"), this);
    m_statusBox->setObjectName(QStringLiteral("txtStatusBox"));
    m_statusBox->setAlignment(Qt::AlignCenter);
    m_statusBox->setText(list.statusText().isEmpty() ? QStringLiteral("0000 / 0000") : list.statusText());
    m_speaker = new PictureElement(this);
    m_speaker->setObjectName(QStringLiteral("imgSpeaker"));
    m_volumeBar = new PictureElement(this);
    m_volumeBar->setObjectName(QStringLiteral("imgVolumeBack"));
    m_knob = new PictureElement(this);
    m_knob->setObjectName(QStringLiteral("imgVolume"));

    for (QWidget *w : std::initializer_list<QWidget *>{m_searchIcon, m_statusBox, m_speaker, m_volumeBar, m_knob})
        w->installEventFilter(this);
    for (PictureElement *b : m_buttons)
        b->installEventFilter(this);
    m_statusBox->setMouseTracking(true);
    m_splitterBar->raise();
}

void PlaylistWindow::splitterPress()
{
    m_splitterBar->setGeometry(m_layout.splitterBar);
    m_splitterBar->show();
    m_splitterBar->raise();
    m_splitterMoving = true;
}

void PlaylistWindow::splitterMove(int clientX)
{
    if (!m_splitterMoving)
        return;
    m_layout.splitterBar.moveLeft(Splitter::barLeft(clientX, width()));
    m_splitterBar->setGeometry(m_layout.splitterBar);
}

void PlaylistWindow::splitterRelease()
{
    if (!m_splitterMoving)
        return;
    m_layout = m_layout.withTreeWidth(Splitter::treeWidthFor(m_layout.splitterBar.left()));
    runLayout();
    m_treeView->setVisible(m_layout.tree.width() != 0);
    m_splitterBar->hide();
    m_splitterMoving = false;
}

void PlaylistWindow::setButtonState(int b, int state)
{
    if (b < 1 || b > PlaylistLayout::ButtonCount)
        return;
    m_buttonState[size_t(b - 1)] = state;
    m_buttons[size_t(b - 1)]->setImage(m_style.listButtons[size_t(state)][size_t(b - 1)]);
}

void PlaylistWindow::backgroundMove()
{
    if (m_hoverButton == 0)
        return;
    setButtonState(m_hoverButton, Style::Normal);
    m_hoverButton = 0;
}

void PlaylistWindow::statusClick()
{
    setFocus();
    m_list.setStatusMode(!m_list.StatusMode());
    m_list.UpdateStatus();
}

void PlaylistWindow::volumeStep(bool leftButtonHeld)
{
    const VolumeStep step = VolumeStep::forOffset(m_layout.knob.left() - m_layout.volumeBar.left());
    m_knob->setToolTip(step.tooltip);
    // Steps without a button (a layout, the pointer passing over the knob)
    // leave a muted channel muted; a drag sets the volume even while muted.
    m_player.setVolumePercent(step.percent, leftButtonHeld);
}

void PlaylistWindow::showVolume(int percent)
{
    // The knob's own steps are already in place (a drag may hold it past 100).
    if (VolumeStep::forOffset(m_layout.knob.left() - m_layout.volumeBar.left()).percent == percent)
        return;
    m_layout.knob.moveLeft(m_layout.volumeBar.left() + percent);
    m_knob->setGeometry(m_layout.knob);
    m_knob->setToolTip(VolumeStep::forOffset(percent).tooltip);
}

void PlaylistWindow::knobMove(int knobLeft, bool leftButtonHeld)
{
    if (leftButtonHeld) {
        // The pointer is held between the bar's left edge and the window's
        // right edge while the knob is dragged.
        knobLeft = qBound(m_layout.volumeBar.left(), knobLeft, qMax(m_layout.volumeBar.left(), width() - m_layout.knob.width()));
        m_layout.knob.moveLeft(knobLeft);
        m_knob->setGeometry(m_layout.knob);
    }
    volumeStep(leftButtonHeld);
}

void PlaylistWindow::knobRelease()
{
    const int released = VolumeStep::releasedOffset(m_layout.knob.left() - m_layout.volumeBar.left());
    m_layout.knob.moveLeft(m_layout.volumeBar.left() + released);
    m_knob->setGeometry(m_layout.knob);
}

void PlaylistWindow::volumeBarPress(int clientX)
{
    m_layout.knob.moveLeft(clientX);
    m_knob->setGeometry(m_layout.knob);
    volumeStep(true);
    knobRelease();
}

void PlaylistWindow::showSpeaker()
{
    m_speaker->setImage(m_style.other[m_player.isMuted() ? Style::Mute : Style::Speaker]);
}

void PlaylistWindow::speakerClick()
{
    m_player.toggleMute();
}

void PlaylistWindow::seekPress(int x)
{
    const int barWidth = m_seek->width();
    if (barWidth > 0)
        m_player.seekToFraction(double(x) / barWidth);
}

int PlaylistWindow::buttonOf(QObject *watched) const
{
    for (int i = 0; i < PlaylistLayout::ButtonCount; ++i) {
        if (m_buttons[size_t(i)] == watched)
            return i + 1;
    }
    return 0;
}

bool PlaylistWindow::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseMove && type != QEvent::MouseButtonRelease &&
        type != QEvent::MouseButtonDblClick)
        return QWidget::eventFilter(watched, event);
    auto *mouse = static_cast<QMouseEvent *>(event);
    const bool press = type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick;
    auto *widget = static_cast<QWidget *>(watched);
    const QPoint client = widget->mapTo(this, mouse->position().toPoint());

    if (const int b = buttonOf(watched)) {
        if (type == QEvent::MouseMove) {
            backgroundMove();
            if (m_buttonState[size_t(b - 1)] != Style::Pressed)
                setButtonState(b, Style::Hover);
            m_hoverButton = b;
        } else if (press) {
            buttonPress(b, mouse->button(), mouse->globalPosition().toPoint());
        } else if (m_popupButton != b) {
            setButtonState(b, Style::Normal);
        }
        return true;
    }
    if (watched == m_splitterGrip) {
        if (press && mouse->button() == Qt::LeftButton)
            splitterPress();
        else if (type == QEvent::MouseMove)
            splitterMove(client.x());
        else if (type == QEvent::MouseButtonRelease)
            splitterRelease();
        return true;
    }
    if (watched == m_knob) {
        if (type == QEvent::MouseMove)
            knobMove(client.x(), mouse->buttons() & Qt::LeftButton);
        else if (type == QEvent::MouseButtonRelease && mouse->button() == Qt::LeftButton)
            knobRelease();
        return true;
    }
    if (watched == m_volumeBar) {
        if (press && mouse->button() == Qt::LeftButton)
            volumeBarPress(client.x());
        else if (type == QEvent::MouseMove)
            backgroundMove();
        return true;
    }
    if (watched == m_speaker) {
        if (type == QEvent::MouseButtonPress && mouse->button() == Qt::LeftButton)
            speakerClick();
        else if (type == QEvent::MouseMove)
            backgroundMove();
        return true;
    }
    if (watched == m_searchIcon) {
        if (type == QEvent::MouseButtonPress && mouse->button() == Qt::LeftButton)
            searchIconClick();
        else if (type == QEvent::MouseMove)
            backgroundMove();
        return true;
    }
    if (watched == m_statusBox) {
        if (type == QEvent::MouseButtonPress && mouse->button() == Qt::LeftButton)
            statusClick();
        else if (type == QEvent::MouseMove)
            backgroundMove();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void PlaylistWindow::mousePressEvent(QMouseEvent *event)
{
    m_drag.press(event);
    if (event->button() == Qt::RightButton)
        popup(WindowMenu, event->position().toPoint());
}

void PlaylistWindow::mouseMoveEvent(QMouseEvent *event)
{
    backgroundMove();
    m_drag.move(event);
}

void PlaylistWindow::mouseReleaseEvent(QMouseEvent *event)
{
    m_drag.release(event);
}

void PlaylistWindow::leaveEvent(QEvent *event)
{
    backgroundMove();
    QWidget::leaveEvent(event);
}
