#include "PlaylistWindowFixture.h"

#include "library/ui/LibraryTreeView.h"
#include "playlist/ui/TrackListView.h"
#include "playlistwindow/ui/PictureElement.h"
#include "playlistwindow/ui/SeekBar.h"

#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>

#include <cmath>

namespace {

// The enabled entries of a menu, sub-menu entries as "sub-menu/entry".
QStringList enabled(QMenu *menu, const QString &prefix = QString())
{
    QStringList out;
    for (QAction *a : menu->actions()) {
        if (a->menu())
            out << enabled(a->menu(), prefix + a->text() + u'/');
        else if (!a->isSeparator() && a->isEnabled())
            out << prefix + a->text();
    }
    return out;
}

TEST_F(PlaylistWindowTest, WideningBy40MovesTheRightHandElementsAndWidensTheRest)
{
    const PlaylistLayout before = window().layoutRects();
    window().resize(window().width() + 40, window().height());
    const PlaylistLayout after = window().layoutRects();

    struct Moved {
        const char *name;
        QRect before, after;
    } moved[] = {
        {"button 1", before.buttons[0], after.buttons[0]}, {"button 2", before.buttons[1], after.buttons[1]},
        {"status text", before.status, after.status},      {"speaker", before.speaker, after.speaker},
        {"volume bar", before.volumeBar, after.volumeBar}, {"volume knob", before.knob, after.knob},
        {"search icon", before.searchIcon, after.searchIcon}, {"search box", before.searchBox, after.searchBox},
    };
    for (const Moved &m : moved) {
        EXPECT_EQ(m.after.left() - m.before.left(), 40) << m.name;
        EXPECT_EQ(m.after.width(), m.before.width()) << m.name;
    }
    struct Widened {
        const char *name;
        QRect before, after;
    } widened[] = {
        {"list", before.list, after.list},
        {"seek bar", before.seek, after.seek},
        {"address box", before.addressBox, after.addressBox},
    };
    for (const Widened &w : widened) {
        EXPECT_EQ(w.after.width() - w.before.width(), 40) << w.name;
        EXPECT_EQ(w.after.left(), w.before.left()) << w.name;
    }
    EXPECT_EQ(after.tree, before.tree);
    // The widgets stand where the layout put them.
    EXPECT_EQ(window().listView()->geometry(), after.list);
    EXPECT_EQ(control<SeekBar>("prgSeek")->geometry(), after.seek);
    EXPECT_EQ(window().addressBox()->geometry(), after.addressBox);
    EXPECT_EQ(control<PictureElement>("imgVolume")->geometry(), after.knob);
}

TEST_F(PlaylistWindowTest, SplitterStopsAtWMinus20AndHidesTheTreeNearTheEdge)
{
    const int w = window().width();
    window().splitterPress();
    EXPECT_TRUE(control("picSplitter")->isVisible());
    window().splitterMove(w - 3);
    EXPECT_EQ(control("picSplitter")->x(), w - 20);
    window().splitterMove(150);
    window().splitterRelease();
    EXPECT_FALSE(control("picSplitter")->isVisible());
    EXPECT_EQ(window().layoutRects().tree.width(), 146);
    EXPECT_EQ(window().layoutRects().list.left(), 153);
    EXPECT_TRUE(window().treeView()->isVisible());

    window().splitterPress();
    window().splitterMove(8);
    window().splitterRelease();
    EXPECT_EQ(window().layoutRects().tree.width(), 0);
    EXPECT_FALSE(window().treeView()->isVisible());
    EXPECT_EQ(window().layoutRects().list.left(), 7);
    EXPECT_EQ(window().layoutRects().list.width(), w - 11);
}

TEST_F(PlaylistWindowTest, SplitterFollowsTheMouseOnItsGrip)
{
    QWidget *grip = window().findChild<QWidget *>(QStringLiteral("imgSplitter"));
    ASSERT_TRUE(grip);
    // The grip keeps the mouse while the button is held, so positions come
    // in its own coordinates: client x 163 is 163 - grip left.
    const QPoint to(163 - grip->x(), 20);
    send(grip, QEvent::MouseButtonPress, QPoint(3, 20));
    send(grip, QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton);
    EXPECT_EQ(control("picSplitter")->x(), 163);
    send(grip, QEvent::MouseButtonRelease, to);
    EXPECT_EQ(window().layoutRects().tree.width(), 159);
}

TEST_F(PlaylistWindowTest, KnobSetsTheChannelVolumeAndTooltip)
{
    addTrack("a.mp3");
    play(1);
    const int channel = app->player().channel();
    ASSERT_GE(channel, 0);
    const int bar = window().layoutRects().volumeBar.left();

    window().knobMove(bar + 50, true);
    EXPECT_EQ(audio.volume(channel), 128);
    EXPECT_EQ(app->player().volumePercent(), 50);
    EXPECT_EQ(control<PictureElement>("imgVolume")->toolTip(), "50%");
    EXPECT_EQ(app->settings().value(SettingId::PlayerVolume), 50);

    // The knob stays 50 pixels in through every layout.
    window().resize(window().width() + 33, window().height() + 20);
    EXPECT_EQ(window().layoutRects().knob.left() - window().layoutRects().volumeBar.left(), 50);
    EXPECT_EQ(audio.volume(channel), 128);

    window().volumeBarPress(window().layoutRects().volumeBar.left() + 120);
    EXPECT_EQ(window().layoutRects().knob.left() - window().layoutRects().volumeBar.left(), 100);
    EXPECT_EQ(audio.volume(channel), 255);
    EXPECT_EQ(app->player().volumePercent(), 100);
}

TEST_F(PlaylistWindowTest, KnobDragIsHeldInsideTheWindowAndReleasedAt100)
{
    addTrack("a.mp3");
    play(1);
    const int bar = window().layoutRects().volumeBar.left();
    window().knobMove(bar - 40, true);
    EXPECT_EQ(window().layoutRects().knob.left(), bar);
    EXPECT_EQ(audio.volume(app->player().channel()), 0);
    window().knobMove(window().width() + 50, true);
    EXPECT_EQ(window().layoutRects().knob.right(), window().width() - 1);
    window().knobRelease();
    EXPECT_EQ(window().layoutRects().knob.left(), bar + 100);
    EXPECT_EQ(audio.volume(app->player().channel()), 255);
}

TEST_F(PlaylistWindowTest, MuteAndUnmuteRestoreTheExactChannelVolume)
{
    addTrack("a.mp3");
    play(1);
    const int channel = app->player().channel();
    audio.setVolume(channel, 77);

    window().speakerClick();
    EXPECT_TRUE(app->player().isMuted());
    EXPECT_EQ(audio.volume(channel), 0);
    EXPECT_EQ(control<PictureElement>("imgSpeaker")->image(), windows.style().other[Style::Mute]);
    // Neither a layout nor the pointer passing over the knob brings the sound back.
    window().resize(window().width() + 10, window().height());
    window().knobMove(0, false);
    EXPECT_EQ(audio.volume(channel), 0);

    window().speakerClick();
    EXPECT_FALSE(app->player().isMuted());
    EXPECT_EQ(audio.volume(channel), 77);
    EXPECT_EQ(control<PictureElement>("imgSpeaker")->image(), windows.style().other[Style::Speaker]);
}

TEST_F(PlaylistWindowTest, DraggingTheKnobWhileMutedSetsTheVolumeButKeepsTheMuteMark)
{
    addTrack("a.mp3");
    play(1);
    window().speakerClick();
    window().knobMove(window().layoutRects().volumeBar.left() + 30, true);
    EXPECT_EQ(audio.volume(app->player().channel()), 76);
    EXPECT_TRUE(app->player().isMuted());
}

TEST_F(PlaylistWindowTest, MutingWithoutATrackUnmutesToTheKnobsVolume)
{
    window().speakerClick();
    addTrack("a.mp3");
    play(1);
    window().speakerClick();
    EXPECT_EQ(audio.volume(app->player().channel()), Player::channelVolumeFor(app->player().volumePercent()));
    EXPECT_GT(audio.volume(app->player().channel()), 0);
}

TEST_F(PlaylistWindowTest, SeekBarClickJumpsAndRestartsTheTimerOnlyWhilePlaying)
{
    addTrack("a.mp3", 60000, 200000);
    play(1);
    const int half = control<SeekBar>("prgSeek")->width() / 2;
    send(control<SeekBar>("prgSeek"), QEvent::MouseButtonPress, QPoint(half, 3));
    const int expected = int(std::nearbyint(200000.0 * half / control<SeekBar>("prgSeek")->width()));
    EXPECT_EQ(audio.streamPosition(app->player().stream()), expected);
    EXPECT_EQ(control<SeekBar>("prgSeek")->maximum(), 200000);
    EXPECT_EQ(control<SeekBar>("prgSeek")->value(), expected);
    EXPECT_TRUE(app->player().isTicking());

    app->player().StopPlayback();
    window().seekPress(10);
    EXPECT_FALSE(app->player().isTicking());
}

struct PopupCase {
    const char *name;
    int button;
    const char *address;
    PlaylistWindow::Menu menu;
    int dy; // from the button's top
};

class PopupPositions : public PlaylistWindowTest, public ::testing::WithParamInterface<PopupCase>
{
};

TEST_P(PopupPositions, OpenWhereTheButtonSays)
{
    const PopupCase &c = GetParam();
    list().setPlaylistAddress(QString::fromUtf8(c.address));
    PictureElement *button = window().findChild<PictureElement *>(QStringLiteral("imgListButtonImage%1").arg(c.button));
    ASSERT_TRUE(button);
    send(button, QEvent::MouseButtonPress, QPoint(5, 5));
    EXPECT_EQ(window().buttonState(c.button), Style::Pressed);
    const QRect r = window().layoutRects().buttons[size_t(c.button - 1)];
    EXPECT_EQ(window().lastPopup(), window().menu(c.menu));
    EXPECT_TRUE(window().menu(c.menu)->isVisible());
    EXPECT_EQ(window().lastPopupPoint(), QPoint(r.left(), r.top() + c.dy));
    if (c.menu == PlaylistWindow::DeleteMenu) {
        QAction *moveTrash = window().findChild<QAction *>(QStringLiteral("mnuMoveTrash"));
        EXPECT_EQ(moveTrash->isVisible(), c.dy == -71) << "ごみ箱に移動 only outside the dust box";
    }
    window().menu(c.menu)->hide();
    EXPECT_EQ(window().buttonState(c.button), Style::Normal);
}

INSTANTIATE_TEST_SUITE_P(
    Buttons, PopupPositions,
    ::testing::Values(PopupCase{"AdminBelowTheButton", 1, "AutoPlaylist", PlaylistWindow::AdminMenu, 16},
                      PopupCase{"Add", 3, "AutoPlaylist", PlaylistWindow::AddMenu, -55},
                      PopupCase{"Delete", 4, "AutoPlaylist", PlaylistWindow::DeleteMenu, -71},
                      PopupCase{"DeleteInTheDustBoxIs16Lower", 4, "ごみ箱", PlaylistWindow::DeleteMenu, -55},
                      PopupCase{"Select", 5, "AutoPlaylist", PlaylistWindow::SelectMenu, -55},
                      PopupCase{"Etc", 6, "AutoPlaylist", PlaylistWindow::EtcMenu, -23}),
    [](const ::testing::TestParamInfo<PopupCase> &info) { return std::string(info.param.name); });

TEST_F(PlaylistWindowTest, OtherMouseButtonsAndTheBackgroundOpenTheWindowMenuAtThePointer)
{
    PictureElement *button = window().findChild<PictureElement *>(QStringLiteral("imgListButtonImage3"));
    send(button, QEvent::MouseButtonPress, QPoint(7, 4), Qt::RightButton);
    EXPECT_EQ(window().lastPopup(), window().menu(PlaylistWindow::WindowMenu));
    EXPECT_EQ(window().lastPopupPoint(), window().layoutRects().buttons[2].topLeft() + QPoint(7, 4));
    window().menu(PlaylistWindow::WindowMenu)->hide();

    send(&window(), QEvent::MouseButtonPress, QPoint(300, 2), Qt::RightButton);
    EXPECT_EQ(window().lastPopup(), window().menu(PlaylistWindow::WindowMenu));
    EXPECT_EQ(window().lastPopupPoint(), QPoint(300, 2));
}

TEST_F(PlaylistWindowTest, SearchIconOpensTheScopeMenuBelowIt)
{
    PictureElement *icon = window().findChild<PictureElement *>(QStringLiteral("imgSearchBox"));
    send(icon, QEvent::MouseButtonPress, QPoint(4, 4));
    const QRect r = window().layoutRects().searchIcon;
    EXPECT_EQ(window().lastPopup(), window().menu(PlaylistWindow::SearchMenu));
    EXPECT_EQ(window().lastPopupPoint(), QPoint(r.left(), r.bottom() + 1));
}

TEST_F(PlaylistWindowTest, OnlyOneButtonShowsItsHoverPicture)
{
    PictureElement *b1 = window().findChild<PictureElement *>(QStringLiteral("imgListButtonImage1"));
    PictureElement *b3 = window().findChild<PictureElement *>(QStringLiteral("imgListButtonImage3"));
    send(b1, QEvent::MouseMove, QPoint(3, 3));
    EXPECT_EQ(window().ListButtonChangeIndex(), 1);
    EXPECT_EQ(window().buttonState(1), Style::Hover);
    EXPECT_EQ(b1->image(), windows.style().listButtons[Style::Hover][Style::Admin]);
    send(b3, QEvent::MouseMove, QPoint(3, 3));
    EXPECT_EQ(window().ListButtonChangeIndex(), 3);
    EXPECT_EQ(window().buttonState(1), Style::Normal);
    EXPECT_EQ(window().buttonState(3), Style::Hover);
    send(&window(), QEvent::MouseMove, QPoint(300, 2));
    EXPECT_EQ(window().ListButtonChangeIndex(), 0);
    EXPECT_EQ(window().buttonState(3), Style::Normal);
}

TEST_F(PlaylistWindowTest, CloseButtonLetsTheMainWindowGo)
{
    QSignalSpy closed(&window(), &PlaylistWindow::closeClicked);
    window().buttonPress(2, Qt::LeftButton, QPoint());
    EXPECT_EQ(closed.count(), 1);
    EXPECT_FALSE(window().isVisible());
    EXPECT_EQ(window().buttonState(2), Style::Normal);
}

// Which entries work today; the others wait for their commands.
TEST_F(PlaylistWindowTest, MenuEntriesWithoutTheirCommandsAreDisabled)
{
    EXPECT_EQ(enabled(window().menu(PlaylistWindow::AdminMenu)),
              (QStringList{"プレイリストの新規作成(クリア)", "プレイリストを開く", "プレイリストを保存",
                           "プレイリストの削除", "プレイリストをシャッフル"}));
    EXPECT_EQ(enabled(window().menu(PlaylistWindow::AddMenu)),
              (QStringList{"ファイルを追加", "フォルダを開く", "ZIP書庫を開く"}));
    EXPECT_EQ(enabled(window().menu(PlaylistWindow::DeleteMenu)),
              (QStringList{"リストから削除", "ファイルごと削除", "ごみ箱に移動", "エラートラックを削除",
                           "プレイリストをクリア"}));
    EXPECT_EQ(enabled(window().menu(PlaylistWindow::SelectMenu)), (QStringList{"全て選択", "選択解除", "選択反転"}));
    EXPECT_EQ(enabled(window().menu(PlaylistWindow::EtcMenu)), (QStringList{"コピー/フォルダにコピー", "コピー/パスをコピー"}));
    EXPECT_EQ(enabled(window().menu(PlaylistWindow::SearchMenu)), (QStringList{"すべて", "パス", "タイトル", "アーティスト"}));
    EXPECT_EQ(enabled(window().menu(PlaylistWindow::WindowMenu)), (QStringList{"常に手前に表示", "設定", "サイズ調整", "終了"}));
    const QStringList track = {"お気に入りに追加", "次に再生するように設定", "追加/ファイルから追加",
                               "追加/フォルダから追加", "追加/ZIP書庫を追加", "削除/リストから削除",
                               "削除/ファイルごと削除", "削除/ごみ箱に移動", "再構築(&U)", "プロパティ(&P)",
                               "保存先のディレクトリを開く(&O)"};
    EXPECT_EQ(enabled(window().menu(PlaylistWindow::TrackMenu)), track);
    EXPECT_EQ(enabled(window().menu(PlaylistWindow::TreeMenu)),
              (QStringList{"プレイリストを作成", "カテゴリを作成", "削除(&D)", "名前の変更(&M)", "再構築(&U)",
                           "プロパティ(&R)"}));

    // The tag editor's entry waits for the editor's path.
    app->settings().setText(SettingId::TagEditorPath, QStringLiteral("/usr/bin/tagger"));
    EXPECT_TRUE(enabled(window().menu(PlaylistWindow::TrackMenu)).contains("タグを編集(&T)"));
    app->settings().setText(SettingId::TagEditorPath, QString());
    EXPECT_EQ(enabled(window().menu(PlaylistWindow::TrackMenu)), track);
}

TEST_F(PlaylistWindowTest, ScopeMenuCarriesOneCheckMarkAndSearchesAgain)
{
    addTrack("Rain.mp3");
    addTrack("Heartbeat.mp3");
    list().setCellText(1, TrackRow::TitleCell, QStringLiteral("Heartbeat"));
    QTest::keyClicks(control<QLineEdit>("txtSearchBox"), QStringLiteral("beat"));
    EXPECT_EQ(list().count(), 2);
    QMenu *scope = window().menu(PlaylistWindow::SearchMenu);
    scope->actions().at(1)->trigger(); // "パス"
    QStringList checked;
    for (QAction *a : scope->actions())
        if (a->isChecked())
            checked << a->text();
    EXPECT_EQ(checked, QStringList{"パス"});
    scope->actions().at(1)->trigger(); // the entry with the mark: nothing changes
    EXPECT_TRUE(scope->actions().at(1)->isChecked());
    ASSERT_EQ(list().count(), 1);
    EXPECT_TRUE(list().path(1).endsWith("Heartbeat.mp3"));
}

TEST_F(PlaylistWindowTest, KeysRemoveRowsAndDriveTheSearchBox)
{
    for (const char *name : {"a.mp3", "b.mp3", "c.mp3", "d.mp3"})
        addTrack(QString::fromUtf8(name));
    TrackListView *view = window().listView();
    list().setSelected(2, true);
    QTest::keyClick(view, Qt::Key_Delete);
    EXPECT_EQ(list().count(), 3);
    EXPECT_TRUE(box.asked.isEmpty()) << "Delete only takes rows off the list";

    box.answer = 7; // No
    list().setSelected(1, true);
    QTest::keyClick(view, Qt::Key_Delete, Qt::ShiftModifier);
    EXPECT_EQ(box.asked, QStringList{TrackList::deleteQuestion(1)});
    EXPECT_EQ(list().count(), 3);

    QApplication::setActiveWindow(&window());
    QTest::keyClick(view, Qt::Key_F, Qt::ControlModifier);
    EXPECT_TRUE(control<QLineEdit>("txtSearchBox")->hasFocus());
    QTest::keyClicks(control<QLineEdit>("txtSearchBox"), QStringLiteral("c.mp"));
    EXPECT_EQ(list().count(), 1);
    QTest::keyClick(control<QLineEdit>("txtSearchBox"), Qt::Key_Escape);
    EXPECT_EQ(control<QLineEdit>("txtSearchBox")->text(), QString());
    EXPECT_EQ(list().count(), 3);
}

TEST_F(PlaylistWindowTest, StatusClickFlipsBetweenPositionsAndTimes)
{
    addTrack("a.mp3");
    list().setCellText(1, TrackRow::TimeCell, QStringLiteral("03:10"));
    list().UpdateStatus();
    EXPECT_EQ(window().statusBox()->text(), "0 / 1");
    send(window().statusBox(), QEvent::MouseButtonPress, QPoint(3, 3));
    EXPECT_EQ(window().statusBox()->text(), "00:00 / 03:10");
    send(window().statusBox(), QEvent::MouseButtonPress, QPoint(3, 3));
    EXPECT_EQ(window().statusBox()->text(), "0 / 1");
}

TEST_F(PlaylistWindowTest, AddressBoxIsTheAddressBothWays)
{
    list().setPlaylistAddress(QStringLiteral("Rock/Best"));
    EXPECT_EQ(window().addressBox()->text(), "Rock/Best");
    window().addressBox()->setFocus();
    window().addressBox()->selectAll();
    QTest::keyClicks(window().addressBox(), QStringLiteral("Mix"));
    EXPECT_EQ(list().PlaylistAddress(), "Mix");
}

TEST_F(PlaylistWindowTest, ColourSlotsReachTheirControls)
{
    SettingsStore &s = app->settings();
    s.setColorRef(ProgressSlot, 0x0000FF);  // red bar
    s.setColorRef(ProgressBackSlot, 0x00FF00);  // green background
    s.setColorRef(PlaylistBackSlot, 0x203040);
    s.setColorRef(TreeBackSlot, 0x112233);
    s.setColorRef(TreeForeSlot, 0x445566);
    s.setColorRef(SelectBackSlot, 0x778899);
    s.setColorRef(SelectForeSlot, 0x0A0B0C);
    s.setColorRef(BoxBackSlot, 0x010203);
    s.setColorRef(BoxForeSlot, 0xF0E0D0);
    EXPECT_EQ(control<SeekBar>("prgSeek")->barColor(), QColor(255, 0, 0));
    EXPECT_EQ(control<SeekBar>("prgSeek")->backgroundColor(), QColor(0, 255, 0));
    EXPECT_EQ(window().listView()->palette().color(QPalette::Base), QColor(0x40, 0x30, 0x20));
    const QPalette tree = window().treeView()->palette();
    EXPECT_EQ(tree.color(QPalette::Base), QColor(0x33, 0x22, 0x11));
    EXPECT_EQ(tree.color(QPalette::Text), QColor(0x66, 0x55, 0x44));
    EXPECT_EQ(window().treeView()->colors().selectedBack, QColor(0x99, 0x88, 0x77));
    EXPECT_EQ(window().treeView()->colors().selectedText, QColor(0x0C, 0x0B, 0x0A));
    for (QLineEdit *box : {window().addressBox(), control<QLineEdit>("txtSearchBox")}) {
        EXPECT_EQ(box->palette().color(QPalette::Base), QColor(3, 2, 1));
        EXPECT_EQ(box->palette().color(QPalette::Text), QColor(0xD0, 0xE0, 0xF0));
    }
}

TEST_F(PlaylistWindowTest, FontGridSeekStyleAndFlatFollowTheSettings)
{
    SettingsStore &s = app->settings();
    s.setText(SettingId::ListFontName, QStringLiteral("IPAGothic"));
    s.setValue(SettingId::ListFontSize, 14);
    s.setValue(SettingId::ListFontBold, 1);
    EXPECT_EQ(window().listView()->font().family(), "IPAGothic");
    EXPECT_EQ(window().listView()->font().pointSize(), 14);
    EXPECT_TRUE(window().listView()->font().bold());
    s.setValue(SettingId::GridDisplay, 1);
    EXPECT_TRUE(window().listView()->showGrid());
    s.setValue(SettingId::PGBStyle, 0);
    EXPECT_FALSE(control<SeekBar>("prgSeek")->isSegmented());
    const int seekTop = window().layoutRects().seek.top();
    s.setValue(SettingId::Flat, 1);
    EXPECT_EQ(window().layoutRects().seek.height(), 9);
    EXPECT_EQ(window().layoutRects().addressBox.height(), 16);
    EXPECT_EQ(window().layoutRects().buttons[2].top(), seekTop + 9 + 3);
}

TEST_F(PlaylistWindowTest, StateGoesIntoTheSettingsAndComesBack)
{
    window().setGeometry(120, 140, 640, 300);
    window().splitterPress();
    window().splitterMove(184);
    window().splitterRelease();
    window().listView()->setColumnWidth(2, 222);
    list().setSortKey(3);
    list().setSortOrder(1);
    list().setSorted(true);
    window().storeState();

    SettingsStore &s = app->settings();
    EXPECT_EQ(s.pixels(SettingId::PlaylistWidth), 640);
    EXPECT_EQ(s.pixels(SettingId::PlaylistHeight), 300);
    EXPECT_EQ(s.value(SettingId::PlaylistSeparate), 180);
    EXPECT_EQ(s.value(SettingId::Header3Width), 222);
    EXPECT_EQ(s.value(SettingId::Sort), 1);
    EXPECT_EQ(s.value(SettingId::SortKey), 3);
    EXPECT_EQ(s.value(SettingId::SortOrder), 1);

    window().setGeometry(10, 10, 500, 250);
    window().listView()->setColumnWidth(2, 50);
    window().applySettings();
    EXPECT_EQ(window().geometry(), QRect(120, 140, 640, 300));
    EXPECT_EQ(window().layoutRects().tree.width(), 180);
    EXPECT_EQ(window().listView()->columnWidth(2), 222);
}

TEST_F(PlaylistWindowTest, SizingWindowHandsItsGeometryBack)
{
    window().showSizeWindow();
    ListSizeChangeForm *sizing = window().sizeWindow();
    ASSERT_TRUE(sizing);
    EXPECT_FALSE(window().isVisible());
    QStringList labels;
    for (QLabel *l : sizing->findChildren<QLabel *>())
        labels << l->text();
    EXPECT_EQ(labels, (QStringList{"プレイリストのサイズを変更します。", "大きさを決めたらクリックしてください。"}));

    sizing->setGeometry(200, 210, 600, 320);
    send(sizing, QEvent::MouseButtonPress, QPoint(20, 20));
    send(sizing, QEvent::MouseButtonRelease, QPoint(20, 20));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(window().isVisible());
    EXPECT_EQ(window().geometry(), QRect(200, 210, 600, 320));
    EXPECT_EQ(window().layoutRects().back.size(), QSize(600, 320));
    EXPECT_FALSE(window().sizeWindow());
}

TEST_F(PlaylistWindowTest, ClosingTheSizingWindowBringsThePlaylistWindowBack)
{
    const QRect before = window().geometry();
    window().showSizeWindow();
    window().sizeWindow()->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(window().isVisible());
    EXPECT_EQ(window().geometry(), before);
}

TEST_F(PlaylistWindowTest, AddDialogsCarryTheirFiltersTitleAndStartFolder)
{
    QFileDialog *file = PlaylistWindow::makeOpenFileDialog(&window(), TrackAdder::AudioFileFilter, home.path(), true);
    // All playable formats first (and chosen), one filter per family, all files last.
    EXPECT_GT(file->nameFilters().size(), 5);
    EXPECT_TRUE(file->nameFilters().first().startsWith("オーディオファイル (*.mp3 *.mp2"));
    EXPECT_EQ(file->selectedNameFilter(), file->nameFilters().first());
    EXPECT_TRUE(file->nameFilters().contains("FLACファイル (*.flac)"));
    EXPECT_EQ(file->nameFilters().last(), "すべてのファイル (*)");
    EXPECT_EQ(file->fileMode(), QFileDialog::ExistingFiles);
    EXPECT_EQ(QDir(file->directory()).canonicalPath(), QDir(home.path()).canonicalPath());
    delete file;

    QDir().mkpath(home.path() + "/music");
    QFileDialog *folder =
        PlaylistWindow::makeFolderDialog(&window(), TrackAdder::FolderDialogTitle, home.path() + "/music");
    EXPECT_EQ(folder->windowTitle(), "フォルダを選択してください。");
    EXPECT_EQ(folder->fileMode(), QFileDialog::Directory);
    EXPECT_TRUE(folder->testOption(QFileDialog::ShowDirsOnly));
    EXPECT_EQ(QDir(folder->directory()).canonicalPath(), QDir(home.path() + "/music").canonicalPath());
    delete folder;
}

struct SavedStateTest : PlaylistWindowTest {
    void prepareHome() override
    {
        touchFile(home.path() + "/Velmora.ini",
                  "[Playlist]\r\nTop=1500\r\nLeft=1200\r\nWidth=9000\r\nHeight=4500\r\nSeparate=150\r\n"
                  "[Sound]\r\nPlayerVolume=128\r\n"
                  "[ColumnHeader]\r\nHeader3Width=250\r\nHeader4Width=0\r\nSort=-1\r\nSortKey=2\r\nSortOrder=1\r\n");
    }
};

TEST_F(SavedStateTest, StartUpRestoresSizeSplitterColumnsSortAndKnob)
{
    EXPECT_EQ(window().size(), QSize(600, 300));
    EXPECT_EQ(window().layoutRects().tree.width(), 150);
    EXPECT_EQ(window().layoutRects().list.left(), 157);
    EXPECT_EQ(window().listView()->columnWidth(2), 250);
    EXPECT_EQ(window().listView()->columnWidth(3), 0);
    EXPECT_TRUE(list().isSorted());
    EXPECT_EQ(list().sortKey(), 2);
    EXPECT_EQ(list().sortOrder(), 1);
    EXPECT_EQ(window().layoutRects().knob.left() - window().layoutRects().volumeBar.left(), 50);
    EXPECT_EQ(control<PictureElement>("imgVolume")->toolTip(), "50%");
}

} // namespace
