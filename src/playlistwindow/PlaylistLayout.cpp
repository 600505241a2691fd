#include "playlistwindow/PlaylistLayout.h"

#include "playback/Player.h"

namespace {

// Sets the width of `r` when it makes sense; a negative width is a failed
// step and leaves the element as it was.
void setWidth(QRect &r, int width)
{
    if (width >= 0)
        r.setWidth(width);
}

void setHeight(QRect &r, int height)
{
    if (height >= 0)
        r.setHeight(height);
}

void setLeft(QRect &r, int left)
{
    r.moveLeft(left);
}

void setTop(QRect &r, int top)
{
    r.moveTop(top);
}

} // namespace

PlaylistLayout PlaylistLayout::design(bool flat)
{
    const int boxHeight = flat ? 16 : 17;
    PlaylistLayout l;
    l.back = QRect(0, 0, 492, 256);
    l.tree = QRect(4, 24, 200, 169);
    l.list = QRect(209, 24, 280, 168);
    l.splitterGrip = QRect(200, 24, 7, 319);
    l.splitterBar = QRect(192, 0, 5, 320);
    l.addressBox = QRect(4, 4, 149, boxHeight);
    l.searchIcon = QRect(252, 5, 16, 16);
    l.searchBox = QRect(52, 4, 109, boxHeight);
    l.buttons[0] = QRect(124, 4, 100, 16);
    l.buttons[1] = QRect(230, 5, 16, 16);
    for (int i = 2; i < ButtonCount; ++i)
        l.buttons[size_t(i)] = QRect(4 + (i - 2) * 56, 212, 50, 16);
    l.seek = QRect(4, 200, 480, flat ? 9 : 12);
    l.status = QRect(240, 216, 89, 17);
    l.speaker = QRect(344, 216, 16, 16);
    l.volumeBar = QRect(368, 216, 114, 8);
    l.knob = QRect(424, 232, 14, 8);
    return l;
}

PlaylistLayout PlaylistLayout::compute(const PlaylistLayout &current, QSize client, int volumePercent)
{
    PlaylistLayout l = current;
    const int w = client.width();
    const int h = client.height();

    // 1
    setWidth(l.back, w);
    setHeight(l.back, h);
    // 2, 3
    setLeft(l.list, l.tree.left() + l.tree.width() + 3);
    setWidth(l.list, w - l.tree.width() - 11);
    // 4
    setWidth(l.seek, w - 9);
    // 5, 6, 7
    setLeft(l.status, w - 230);
    setLeft(l.buttons[0], w - 124);
    setLeft(l.buttons[1], w - 20);
    // 8, 9, 10
    setWidth(l.addressBox, l.buttons[0].left() - l.searchIcon.width() - l.searchBox.width() - 10);
    setLeft(l.searchIcon, l.addressBox.left() + l.addressBox.width() + 1);
    setLeft(l.searchBox, l.searchIcon.left() + l.searchIcon.width() + 1);
    // 11, 12
    setLeft(l.buttons[2], l.seek.left());
    for (int i = 3; i < ButtonCount; ++i)
        setLeft(l.buttons[size_t(i)], l.buttons[size_t(i - 1)].left() + ButtonStep);
    // 13, 14, 15 (16, the volume, is the window's: it owns the channel)
    setLeft(l.volumeBar, w - l.volumeBar.width() - 8);
    setLeft(l.speaker, w - l.volumeBar.width() - 30);
    setLeft(l.knob, l.volumeBar.left() + volumePercent);
    // 17
    setLeft(l.splitterGrip, l.tree.left() + l.tree.width());
    setLeft(l.splitterBar, l.tree.left() + l.tree.width());
    // 18, 19
    setHeight(l.list, h - 63);
    setHeight(l.tree, l.list.height());
    // 20, 21, 22
    setTop(l.seek, l.list.top() + l.list.height() + 5);
    const int buttonTop = l.seek.top() + l.seek.height() + 3;
    for (int i = 2; i < ButtonCount; ++i)
        setTop(l.buttons[size_t(i)], buttonTop);
    setTop(l.speaker, buttonTop);
    const int lowTop = l.seek.top() + l.seek.height() + 7;
    setTop(l.status, lowTop);
    setTop(l.volumeBar, lowTop);
    setTop(l.knob, lowTop);
    // 23
    setHeight(l.splitterGrip, l.list.height());
    setHeight(l.splitterBar, l.list.height());
    return l;
}

PlaylistLayout PlaylistLayout::withTreeWidth(int width) const
{
    PlaylistLayout l = *this;
    setWidth(l.tree, width);
    return l;
}

int Splitter::barLeft(int pointerX, int clientWidth)
{
    return pointerX <= clientWidth - 20 ? pointerX : clientWidth - 20;
}

int Splitter::treeWidthFor(int barLeft)
{
    return barLeft - 4 > 4 ? barLeft - 4 : 0;
}

VolumeStep VolumeStep::forOffset(int offset)
{
    VolumeStep s;
    // A knob left of the bar (only possible when the pointer escaped its
    // confinement) means silence, never a negative volume.
    s.offset = offset > MaxOffset ? MaxOffset : (offset < 0 ? 0 : offset);
    s.channelVolume = Player::channelVolumeFor(s.offset);
    s.percent = Player::percentForChannelVolume(s.channelVolume);
    s.tooltip = QString::number(s.offset) + QLatin1Char('%');
    return s;
}
