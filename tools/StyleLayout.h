// Sizes of the default style's pictures and where the two windows place them
// at their default sizes. The generator blends soft edges over the face that
// lies under each picture there, and lays out its preview with these rects.
#pragma once

#include <QRect>
#include <QRgb>
#include <QSize>

namespace velmora::tools::layout {

// Main window (mini face), 10605 twips wide, 23 pixels high.
inline constexpr QSize kMainWindowSize{707, 23};
// The five buttons are vertically centred beside the display frame.
inline constexpr QSize kMainButtonSize{22, 17};
inline constexpr int kMainButtonTop = 3;
// Wide enough for a display panel spanning a 2560-pixel screen.
inline constexpr QSize kPanelSize{2560, 15};

// Playlist window at its default size (10605 x 3570 twips).
inline constexpr QSize kListWindowSize{707, 238};
inline constexpr QSize kAdminButtonSize{100, 16};
inline constexpr QSize kCloseButtonSize{16, 16};
inline constexpr QSize kListButtonSize{50, 16};
inline constexpr QSize kSearchSize{16, 16};
inline constexpr QSize kSpeakerSize{16, 16};
inline constexpr QSize kVolumeBarSize{114, 8};
inline constexpr QSize kKnobSize{14, 8};
inline constexpr QSize kIconSize{16, 16};
inline constexpr QSize kViewBackSize{640, 480};
// Icons are 24-bit BMP; this colour marks their empty areas.
inline constexpr QRgb kIconKey = 0xff000000u;

inline constexpr const char *kMainButtonNames[5] = {"play", "pause", "stop", "next", "playlist"};
inline constexpr const char *kListButtonNames[6] = {"admin", "close", "add", "delete", "select", "etc"};
inline constexpr const char *kIconNames[10] = {
    "play_off", "play_on", "category_close", "category_open", "playlist_close",
    "playlist_open", "favor_close", "favor_open", "notfound", "dustbox"};

inline constexpr int kW = kListWindowSize.width();
inline constexpr int kH = kListWindowSize.height();
inline constexpr int kTreeWidth = 200;
inline constexpr int kListHeight = kH - 63;
inline constexpr int kSeekTop = 24 + kListHeight + 5;
inline constexpr int kSeekHeight = 11;
inline constexpr int kBottomRowTop = kSeekTop + kSeekHeight + 3;
inline constexpr int kVolumeTop = kSeekTop + kSeekHeight + 7;

// Button b (0 = play … 4 = playlist): packed from the right edge, 1 pixel apart.
constexpr QRect mainButtonRect(int b)
{
    const int w = kMainButtonSize.width();
    const int lastLeft = kMainWindowSize.width() - w - 4;
    return QRect(QPoint(lastLeft - (4 - b) * (w + 1), kMainButtonTop), kMainButtonSize);
}

constexpr QRect displayRect()
{
    return QRect(6, 4, mainButtonRect(0).left() - 13, 15);
}

// Button b (0 = administration, 1 = close, 2..5 = add, delete, select, other).
constexpr QRect listButtonRect(int b)
{
    if (b == 0)
        return QRect(QPoint(kW - 124, 4), kAdminButtonSize);
    if (b == 1)
        return QRect(QPoint(kW - 20, 5), kCloseButtonSize);
    return QRect(QPoint(4 + (b - 2) * 55, kBottomRowTop), kListButtonSize);
}

constexpr QRect treeRect() { return QRect(4, 24, kTreeWidth, kListHeight); }
constexpr QRect listRect() { return QRect(4 + kTreeWidth + 3, 24, kW - kTreeWidth - 11, kListHeight); }
constexpr QRect addressRect()
{
    return QRect(4, 4, listButtonRect(0).left() - kSearchSize.width() - 109 - 10, 17);
}
constexpr QRect searchRect() { return QRect(QPoint(addressRect().right() + 2, 5), kSearchSize); }
constexpr QRect searchBoxRect() { return QRect(searchRect().right() + 2, 4, 109, 16); }
constexpr QRect seekRect() { return QRect(4, kSeekTop, kW - 9, kSeekHeight); }
constexpr QRect statusRect() { return QRect(kW - 230, kVolumeTop, 89, 17); }
constexpr QRect speakerRect()
{
    return QRect(QPoint(kW - kVolumeBarSize.width() - 30, kBottomRowTop), kSpeakerSize);
}
constexpr QRect volumeBarRect()
{
    return QRect(QPoint(kW - kVolumeBarSize.width() - 8, kVolumeTop), kVolumeBarSize);
}

} // namespace velmora::tools::layout
