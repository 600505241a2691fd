#include "playlist/ListViewCommands.h"
#include "playlistwindow/PlaylistLayout.h"

#include <gtest/gtest.h>


namespace {

struct Element {
    const char *name;
    QRect PlaylistLayout::*rect;
    int button; // 1..6 for a button, else 0
    QRect expected;
};

QRect rectOf(const PlaylistLayout &l, const Element &e)
{
    return e.button ? l.buttons[size_t(e.button - 1)] : l.*(e.rect);
}

// The layout steps at the design size 492 x 256 with the knob 50 pixels in.
TEST(PlaylistLayoutSteps, DesignSizePlacesEveryElement)
{
    const PlaylistLayout l = PlaylistLayout::compute(PlaylistLayout::design(), QSize(492, 256), 50);
    const Element table[] = {
        {"background", &PlaylistLayout::back, 0, QRect(0, 0, 492, 256)},
        {"tree", &PlaylistLayout::tree, 0, QRect(4, 24, 200, 193)},
        {"list", &PlaylistLayout::list, 0, QRect(207, 24, 281, 193)},
        {"splitter grip", &PlaylistLayout::splitterGrip, 0, QRect(204, 24, 7, 193)},
        {"splitter bar", &PlaylistLayout::splitterBar, 0, QRect(204, 0, 5, 193)},
        {"address box", &PlaylistLayout::addressBox, 0, QRect(4, 4, 233, 17)},
        {"search icon", &PlaylistLayout::searchIcon, 0, QRect(238, 5, 16, 16)},
        {"search box", &PlaylistLayout::searchBox, 0, QRect(255, 4, 109, 17)},
        {"button 1", nullptr, 1, QRect(368, 4, 100, 16)},
        {"button 2", nullptr, 2, QRect(472, 5, 16, 16)},
        {"button 3", nullptr, 3, QRect(4, 237, 50, 16)},
        {"button 4", nullptr, 4, QRect(59, 237, 50, 16)},
        {"button 5", nullptr, 5, QRect(114, 237, 50, 16)},
        {"button 6", nullptr, 6, QRect(169, 237, 50, 16)},
        {"seek bar", &PlaylistLayout::seek, 0, QRect(4, 222, 483, 12)},
        {"status text", &PlaylistLayout::status, 0, QRect(262, 241, 89, 17)},
        {"speaker", &PlaylistLayout::speaker, 0, QRect(348, 237, 16, 16)},
        {"volume bar", &PlaylistLayout::volumeBar, 0, QRect(370, 241, 114, 8)},
        {"volume knob", &PlaylistLayout::knob, 0, QRect(420, 241, 14, 8)},
    };
    for (const Element &e : table) {
        const QRect got = rectOf(l, e);
        EXPECT_EQ(got, e.expected) << e.name << ": got " << got.x() << "," << got.y() << "," << got.width() << ","
                                   << got.height();
    }
}

TEST(PlaylistLayoutSteps, FlatBoxesAndSeekBarMoveTheBottomRowUp)
{
    const PlaylistLayout l = PlaylistLayout::compute(PlaylistLayout::design(true), QSize(492, 256), 0);
    EXPECT_EQ(l.addressBox.height(), 16);
    EXPECT_EQ(l.seek, QRect(4, 222, 483, 9));
    EXPECT_EQ(l.buttons[2].top(), 234);
    EXPECT_EQ(l.volumeBar.top(), 238);
}

TEST(PlaylistLayoutSteps, StepsThatWouldGiveNegativeSizesAreSkipped)
{
    const PlaylistLayout design = PlaylistLayout::design();
    const PlaylistLayout l = PlaylistLayout::compute(design, QSize(100, 40), 0);
    // The list, the address box and the heights keep what they had ...
    EXPECT_EQ(l.list.width(), design.list.width());
    EXPECT_EQ(l.addressBox.width(), design.addressBox.width());
    EXPECT_EQ(l.list.height(), design.list.height());
    EXPECT_EQ(l.tree.height(), design.list.height());
    // ... while the other steps still ran.
    EXPECT_EQ(l.seek.width(), 91);
    EXPECT_EQ(l.buttons[0].left(), -24);
    EXPECT_EQ(l.searchIcon.left(), design.addressBox.left() + design.addressBox.width() + 1);
    EXPECT_EQ(l.back.size(), QSize(100, 40));
}

TEST(SplitterArithmetic, BarLimitAndHiddenTree)
{
    struct Case {
        const char *name;
        int pointer, width, bar, tree;
    } cases[] = {
        {"inside the window", 150, 500, 150, 146},
        {"past W - 20 stops there", 495, 500, 480, 476},
        {"exactly W - 20", 480, 500, 480, 476},
        {"no lower bound", -30, 500, -30, 0},
        {"8 pixels hides the tree", 8, 500, 8, 0},
        {"9 pixels keeps 5", 9, 500, 9, 5},
    };
    for (const Case &c : cases) {
        const int bar = Splitter::barLeft(c.pointer, c.width);
        EXPECT_EQ(bar, c.bar) << c.name;
        EXPECT_EQ(Splitter::treeWidthFor(bar), c.tree) << c.name;
    }
}

TEST(VolumeKnob, StepRoundsHalvesToEven)
{
    struct Case {
        int offset, volume, percent;
        const char *tooltip;
    } cases[] = {
        {0, 0, 0, "0%"},      {1, 3, 1, "1%"},         {50, 128, 50, "50%"},
        {10, 26, 10, "10%"},  {30, 76, 30, "30%"},     {99, 252, 99, "99%"},
        {100, 255, 100, "100%"}, {120, 255, 100, "100%"}, {-5, 0, 0, "0%"},
    };
    for (const Case &c : cases) {
        const VolumeStep s = VolumeStep::forOffset(c.offset);
        EXPECT_EQ(s.channelVolume, c.volume) << "offset " << c.offset;
        EXPECT_EQ(s.percent, c.percent) << "offset " << c.offset;
        EXPECT_EQ(s.tooltip.toStdString(), c.tooltip) << "offset " << c.offset;
    }
    // Every offset comes back as itself: a layout never drifts the volume.
    for (int d = 0; d <= 100; ++d)
        EXPECT_EQ(VolumeStep::forOffset(d).percent, d);
    EXPECT_EQ(VolumeStep::releasedOffset(113), 100);
    EXPECT_EQ(VolumeStep::releasedOffset(64), 64);
}

TEST(OpenFileDialogFilter, LabelsCarryTheirPatterns)
{
    const QString filter = QStringLiteral(
        "MP3ファイル (*.mp3)|*.mp3|WMAファイル (*.wma)|*.wma|WAVファイル (*.wav)|*.wav|"
        "オーディオファイル|*.mp3;*.wma;*.wav;*.ogg;*.ape;*.flac;*.mpc|すべてのファイル (*.*)|*.*");
    EXPECT_EQ(DialogNameFilters(filter),
              (QStringList{"MP3ファイル (*.mp3)", "WMAファイル (*.wma)", "WAVファイル (*.wav)",
                           "オーディオファイル (*.mp3 *.wma *.wav *.ogg *.ape *.flac *.mpc)", "すべてのファイル (*)"}));
    EXPECT_EQ(DialogNameFilters(QStringLiteral("ZIPファイル (*.zip)|*.zip")), QStringList{"ZIPファイル (*.zip)"});
    EXPECT_TRUE(DialogNameFilters(QString()).isEmpty());
}

} // namespace
