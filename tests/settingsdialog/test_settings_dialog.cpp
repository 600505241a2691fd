#include "app/Application.h"
#include "app/ui/Windows.h"
#include "archive/LibArchiveArchiver.h"
#include "mainwindow/ui/MainWindow.h"
#include "playlistwindow/ui/PlaylistWindow.h"
#include "settings/ColorProfiles.h"
#include "settings/SettingsDialogModel.h"
#include "settings/ui/SettingsChooser.h"
#include "settings/ui/SettingsDialog.h"
#include "style/ui/StyleEditor.h"
#include "window/ui/WindowFader.h"
#include "FakeAudioLibrary.h"
#include "GuiTestApp.h"
#include "RecordingShell.h"
#include "ScriptedMessageBox.h"
#include "TestFiles.h"
#include "WaitUntil.h"

#include <QAbstractButton>
#include <QColorDialog>
#include <QFileDialog>
#include <QAbstractProxyModel>
#include <QFileSystemModel>
#include <QFontDialog>
#include <QHeaderView>
#include <QMessageBox>
#include <QScrollBar>
#include <QToolTip>
#include <QAbstractSlider>
#include <QCheckBox>
#include <QComboBox>
#include <algorithm>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

// The running program on a temporary program folder with the bundled style.
struct SettingsDialogTest : ::testing::Test {
    QTemporaryDir home;
    FakeAudioLibrary audio;
    ScriptedMessageBox box;
    RecordingShell shell;
    LibArchiveArchiver archiver;
    Windows windows;
    std::unique_ptr<Application> app;

    void SetUp() override
    {
        guiTestApp();
        QDir().mkpath(home.path() + "/Style");
        QFile::link(QStringLiteral(VELMORA_SOURCE_DIR "/assets/Style/WindowsStyle"), home.path() + "/Style/WindowsStyle");
        app = std::make_unique<Application>(AppPaths(home.path(), QStringLiteral(VELMORA_SOURCE_DIR "/assets"), home.path()),
                                            PlatformServices{audio, box, archiver, &shell}, windows);
        windows.build(*app);
        ASSERT_TRUE(app->StartUp({}));
    }
    void TearDown() override
    {
        app->ShutDown();
        windows.hideAll();
    }
    SettingsDialog &dialog() { return windows.settings(); }
    SettingsStore &store() { return app->settings(); }
    QString ini() const { return home.path() + "/Velmora.ini"; }
};

QAction *entry(QMenu *menu, const QString &text)
{
    for (QAction *a : menu->actions())
        if (a->text() == text)
            return a;
    return nullptr;
}

TEST_F(SettingsDialogTest, EveryMenuEntryNamingItSavesThenShowsIt)
{
    struct Case {
        const char *name;
        std::function<QAction *()> action;
    } cases[] = {
        {"main window", [&] { return entry(windows.main().popupMenu(), QStringLiteral("設定(&S)")); }},
        {"playlist window", [&] { return entry(windows.playlist().menu(PlaylistWindow::WindowMenu), QStringLiteral("設定")); }},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(ini());
        store().setValue(SettingId::GridDisplay, 1);
        QAction *a = c.action();
        ASSERT_TRUE(a);
        ASSERT_TRUE(a->isEnabled());
        a->trigger();
        EXPECT_TRUE(dialog().isVisible());
        EXPECT_TRUE(readBytes(ini()).contains("GridDisplay=1")) << "the state at opening is saved first";
        dialog().reject();
        EXPECT_FALSE(dialog().isVisible());
    }
}

// With fades on the dialog fades in when opened and out on OK and Cancel,
// closing at the end of the fade; with fades off it comes and goes at once.
TEST_F(SettingsDialogTest, OpeningAndClosingFadeWhenFadesAreOn)
{
    const struct {
        const char *name;
        bool fades;
        const char *button;
        int result;
    } cases[] = {
        {"fades on, OK", true, "cmdOK", QDialog::Accepted},
        {"fades on, Cancel", true, "cmdCancel", QDialog::Rejected},
        {"fades off, OK", false, "cmdOK", QDialog::Accepted},
        {"fades off, Cancel", false, "cmdCancel", QDialog::Rejected},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        store().setValue(SettingId::Fade, c.fades ? 1 : 0);
        store().setValue(SettingId::FadeSpeed, 1);
        QList<int> finished;
        auto connection = QObject::connect(&dialog(), &QDialog::finished, [&](int r) { finished << r; });
        WindowFader *fader = dialog().findChild<WindowFader *>();
        ASSERT_TRUE(fader);

        windows.showSettingsDialog();
        EXPECT_TRUE(dialog().isVisible());
        EXPECT_EQ(fader->isFading(), c.fades) << "fading in";
        if (c.fades) {
            EXPECT_EQ(dialog().windowOpacity(), 0.0) << "it starts transparent";
        }
        ASSERT_TRUE(waitUntil([&] { return !fader->isFading(); }));
        EXPECT_GT(dialog().windowOpacity(), 0.95);

        dialog().findChild<QPushButton *>(c.button)->click();
        if (c.fades) {
            EXPECT_TRUE(dialog().isVisible()) << "still there, fading out";
            EXPECT_TRUE(fader->isFadingOut());
            EXPECT_TRUE(finished.isEmpty()) << "closed only at the end of the fade";
            ASSERT_TRUE(waitUntil([&] { return !dialog().isVisible(); }));
        }
        EXPECT_FALSE(dialog().isVisible());
        EXPECT_EQ(finished, QList<int>{c.result});
        QObject::disconnect(connection);
    }
}

// Asked for again while a Cancel fades it out, the dialog closes that once
// and opens afresh.
TEST_F(SettingsDialogTest, OpeningAgainDuringTheFadeOut)
{
    store().setValue(SettingId::Fade, 1);
    store().setValue(SettingId::FadeSpeed, 1);
    WindowFader *fader = dialog().findChild<WindowFader *>();
    windows.showSettingsDialog();
    ASSERT_TRUE(waitUntil([&] { return !fader->isFading(); }));
    store().setValue(SettingId::FadeSpeed, 100);
    QList<int> finished;
    QObject::connect(&dialog(), &QDialog::finished, [&](int r) { finished << r; });
    dialog().findChild<QPushButton *>("cmdCancel")->click();
    ASSERT_TRUE(fader->isFadingOut());

    windows.showSettingsDialog();
    EXPECT_EQ(finished, QList<int>{QDialog::Rejected}) << "the Cancel closed it";
    EXPECT_TRUE(dialog().isVisible());
    EXPECT_TRUE(fader->isFading() && !fader->isFadingOut()) << "fading in again";
    store().setValue(SettingId::Fade, 0); // stops the fade-in
}

// Unchecking "ON" stops every fade that runs, in every window, where it is.
TEST_F(SettingsDialogTest, UncheckingFadesStopsTheRunningFades)
{
    store().setValue(SettingId::Fade, 1);
    store().setValue(SettingId::FadeSpeed, 1);
    windows.showSettingsDialog();
    WindowFader *dialogFader = dialog().findChild<WindowFader *>();
    ASSERT_TRUE(waitUntil([&] { return !dialogFader->isFading(); }));
    // Slow fades from here on, so that they are surely running when stopped.
    store().setValue(SettingId::FadeSpeed, 100);
    windows.showPlaylistWindow();
    WindowFader *playlistFader = windows.playlist().findChild<WindowFader *>();
    ASSERT_TRUE(playlistFader);
    ASSERT_TRUE(waitUntil([&] { return windows.playlist().windowOpacity() > 0.0; }));
    const double reached = windows.playlist().windowOpacity();
    ASSERT_TRUE(playlistFader->isFading());

    auto *on = qobject_cast<QAbstractButton *>(dialog().controlOf(SettingId::Fade));
    ASSERT_TRUE(on);
    ASSERT_TRUE(on->isChecked());
    on->click();
    EXPECT_FALSE(store().isOn(SettingId::Fade));
    EXPECT_FALSE(playlistFader->isFading());
    EXPECT_TRUE(windows.playlist().isVisible());
    EXPECT_NEAR(windows.playlist().windowOpacity(), reached, 3.5 / 255) << "where it was";

    // With fades off, OK closes the dialog at once.
    dialog().findChild<QPushButton *>("cmdOK")->click();
    EXPECT_FALSE(dialog().isVisible());
    EXPECT_FALSE(dialogFader->isFading());
}

TEST_F(SettingsDialogTest, ControlsWriteTheirKeysAndFollowTheStore)
{
    windows.showSettingsDialog();
    for (const DialogControl &c : SettingsDialogModel::controls()) {
        SCOPED_TRACE(c.name);
        QWidget *w = dialog().controlOf(c.id);
        ASSERT_TRUE(w);
        EXPECT_TRUE(w->objectName().startsWith(QString::fromLatin1(c.name)));
        const int before = store().value(c.id);
        const int other = before == c.maximum ? c.minimum : c.maximum;
        if (auto *box = qobject_cast<QCheckBox *>(w)) {
            box->click();
        } else if (auto *slider = qobject_cast<QAbstractSlider *>(w)) {
            slider->setValue(other);
        } else {
            const QList<QAbstractButton *> buttons = w->parentWidget()->findChildren<QAbstractButton *>();
            ASSERT_EQ(buttons.size(), c.maximum + 1);
            buttons[other]->click();
        }
        EXPECT_EQ(store().value(c.id), other);
        // The other way: a store change (a Cancel, a loaded profile) shows in the control.
        store().setValue(c.id, before);
        if (auto *box = qobject_cast<QCheckBox *>(w)) {
            EXPECT_EQ(box->isChecked(), before != 0);
        } else if (auto *slider = qobject_cast<QAbstractSlider *>(w)) {
            EXPECT_EQ(slider->value(), before);
        }
    }
    dialog().reject();
}

TEST_F(SettingsDialogTest, LiveEffectsReachTheWindowsAndCancelTakesThemBack)
{
    windows.showSettingsDialog();
    qobject_cast<QCheckBox *>(dialog().controlOf(SettingId::Translucent))->click();
    qobject_cast<QAbstractSlider *>(dialog().controlOf(SettingId::Transparency))->setValue(102);
    qobject_cast<QAbstractSlider *>(dialog().controlOf(SettingId::CornerRoundValue))->setValue(12);
    EXPECT_NEAR(windows.main().windowOpacity(), 0.4, 0.001);
    EXPECT_NEAR(windows.playlist().windowOpacity(), 0.4, 0.001);
    EXPECT_NEAR(dialog().windowOpacity(), 0.4, 0.001);
    EXPECT_FALSE(windows.main().mask().isEmpty());
    EXPECT_EQ(dialog().findChild<QLabel *>(QStringLiteral("lblCornerRound"))->text(), QStringLiteral("12"));

    dialog().reject();
    EXPECT_DOUBLE_EQ(windows.main().windowOpacity(), 1.0);
    EXPECT_DOUBLE_EQ(dialog().windowOpacity(), 1.0);
    EXPECT_TRUE(windows.main().mask().isEmpty());
}

TEST_F(SettingsDialogTest, ChoosingAStyleShowsItsDescriptionAndLinksOpenOnlyTheWeb)
{
    const QString other = home.path() + "/Style/Other/";
    QDir().mkpath(other);
    writeBytes(other + "info.txt", "Other\r\n2.0\r\nMe\r\nhttps://style.example/\r\nme@style.example\r\nfine\r\n");
    windows.showSettingsDialog();
    QComboBox *combo = dialog().styleCombo();
    ASSERT_GE(combo->findText(QStringLiteral("Other")), 0);
    combo->setEditText(QStringLiteral("Other"));
    QTest::keyClick(combo->lineEdit(), Qt::Key_Return);
    EXPECT_EQ(store().text(SettingId::StyleName), QStringLiteral("Other"));
    EXPECT_EQ(windows.style().folder, other);
    auto *name = dialog().findChild<QLabel *>(QStringLiteral("StyleInfo0"));
    EXPECT_EQ(name->text(), QStringLiteral("Other"));
    for (int i : {0, 3, 4})
        QTest::mouseClick(dialog().findChild<QLabel *>(QStringLiteral("StyleInfo%1").arg(i)), Qt::LeftButton);
    EXPECT_EQ(shell.calls, (QStringList{"url https://style.example/", "url mailto:me@style.example"}));

    EXPECT_TRUE(dialog().isVisible()) << "Enter takes the name; it does not close the dialog";

    combo->setEditText(QStringLiteral("../Other"));
    QTest::keyClick(combo->lineEdit(), Qt::Key_Return);
    EXPECT_EQ(store().text(SettingId::StyleName), QStringLiteral("Other")) << "an unsafe name is refused";
    EXPECT_EQ(combo->currentText(), QStringLiteral("Other"));
    EXPECT_EQ(box.asked.size(), 1) << "refused once, with one message";
    dialog().accept();
}

template <typename T>
T *child(QWidget *parent, const char *name)
{
    T *found = parent->findChild<T *>(QString::fromLatin1(name));
    EXPECT_TRUE(found) << name;
    return found;
}

TEST_F(SettingsDialogTest, StyleCreationMakesAStyleThatIsListedAndChosenAtOnce)
{
    QTemporaryDir pictures;
    const QString red = pictures.path() + "/red.bmp";
    QImage picture(30, 20, QImage::Format_RGB32);
    picture.fill(Qt::red);
    ASSERT_TRUE(picture.save(red));
    store().setValue(SettingId::Foremost, 1);
    const auto onTop = [this] { return windows.main().windowFlags().testFlag(Qt::WindowStaysOnTopHint); };
    ASSERT_TRUE(onTop());
    windows.showSettingsDialog();
    child<QPushButton>(&dialog(), "cmdStyleCreate")->click();
    const QPointer<StyleEditor> editor = dialog().styleEditor();
    ASSERT_TRUE(editor);
    EXPECT_TRUE(editor->isVisible());
    EXPECT_FALSE(onTop()) << "the windows leave the always-on-top layer while it is open";
    EXPECT_EQ(child<QLineEdit>(editor, "txtStyleName")->text(), QStringLiteral("コピー ～ WindowsStyle"));

    editor->setPictureChooser([&](QWidget *) { return red; });
    child<QPushButton>(editor, "cmdMiniFaceBack")->click();
    EXPECT_EQ(child<QLabel>(editor, "Label5")->text(), QStringLiteral("red"));
    EXPECT_EQ(windows.style().mainBack.pixelColor(0, 0), QColor(Qt::red)) << "the window shows it at once";

    child<QLineEdit>(editor, "txtInfoStyleName")->setText(QStringLiteral("Red"));
    child<QPushButton>(editor, "cmdCreate")->click();
    EXPECT_TRUE(!editor || !editor->isVisible());
    EXPECT_TRUE(onTop());
    const QString created = QStringLiteral("コピー ～ WindowsStyle");
    EXPECT_EQ(store().text(SettingId::StyleName), created);
    EXPECT_GE(dialog().styleCombo()->findText(created), 0) << "listed at once";
    EXPECT_EQ(windows.style().folder, home.path() + "/Style/" + created + "/");
    EXPECT_EQ(windows.style().info[0], QStringLiteral("Red"));
    EXPECT_EQ(windows.style().mainBack.pixelColor(0, 0), QColor(Qt::red));
    dialog().accept();
}

TEST_F(SettingsDialogTest, TheEditorsPicturesStayUntilCancelLoadsTheStyleAgain)
{
    windows.showSettingsDialog();
    const QImage before = windows.style().panelBack;
    ASSERT_FALSE(before.isNull());
    child<QPushButton>(&dialog(), "cmdStyleCreate")->click();
    StyleEditor *editor = dialog().styleEditor();
    ASSERT_TRUE(editor);
    child<QPushButton>(editor, "cmdMiniFaceAllClear")->click();
    editor->reject();
    EXPECT_TRUE(windows.style().panelBack.isNull()) << "kept after the editor closes";
    dialog().reject();
    EXPECT_EQ(windows.style().panelBack, before);
}

// Answers the dialog's font, program and colour questions as a user would
// in the system's dialogs.
struct AnsweringChooser : SettingsChooser {
    QFont chosenFont;
    QString chosenProgram;
    QColor chosenColor;
    std::optional<QFont> font(const QFont &, QWidget *) override { return chosenFont; }
    QString program(QWidget *) override { return chosenProgram; }
    QColor color(const QColor &, QWidget *) override { return chosenColor; }
};

// The widgets of a tab page as a user finds them: by the captions shown.
struct Page {
    QWidget *page;

    QWidget *in(const char *groupTitle) const
    {
        if (!groupTitle)
            return page;
        for (QGroupBox *g : page->findChildren<QGroupBox *>())
            if (g->title() == QString::fromUtf8(groupTitle))
                return g;
        ADD_FAILURE() << "no group " << groupTitle;
        return page;
    }
    template <typename T>
    T *captioned(const char *caption, const char *groupTitle = nullptr) const
    {
        QList<T *> found;
        for (T *w : in(groupTitle)->findChildren<T *>())
            if (w->text() == QString::fromUtf8(caption))
                found << w;
        EXPECT_EQ(found.size(), 1) << caption;
        return found.value(0);
    }
    template <typename T>
    T *only(const char *groupTitle) const
    {
        const QList<T *> found = in(groupTitle)->findChildren<T *>();
        EXPECT_EQ(found.size(), 1) << groupTitle;
        return found.value(0);
    }
    // The colour box left of the caption `caption` in group `groupTitle`.
    QWidget *colorBoxOf(const char *caption, const char *groupTitle) const
    {
        QLabel *label = captioned<QLabel>(caption, groupTitle);
        auto *grid = qobject_cast<QGridLayout *>(in(groupTitle)->layout());
        if (!label || !grid)
            return nullptr;
        int row = 0, column = 0, rows = 0, columns = 0;
        grid->getItemPosition(grid->indexOf(label), &row, &column, &rows, &columns);
        QLayoutItem *box = grid->itemAtPosition(row, column - 1);
        return box ? box->widget() : nullptr;
    }

    void click(QAbstractButton *button) const
    {
        ASSERT_TRUE(button);
        // On the indicator: a check box takes clicks on its box and caption only.
        QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, button->height() / 2));
    }
    void key(QWidget *w, Qt::Key key) const
    {
        ASSERT_TRUE(w);
        QTest::keyClick(w, key);
    }
};

// One thing a user does on a tab, and the values it leaves in the store.
struct UserCase {
    std::string name;
    const char *tab;
    std::function<void(const Page &)> act;
    QList<std::pair<SettingId, QVariant>> expected; // an int, or a QString for text keys
    bool cancelKeeps = false;                       // Cancel leaves it as moved
};

} // namespace

void PrintTo(const QVariant &value, std::ostream *os)
{
    *os << value.toString().toStdString();
}

namespace {

QVariant storedValue(const SettingsStore &store, SettingId id)
{
    if (settingKey(id).kind == SettingKind::Text)
        return store.text(id);
    return store.value(id);
}

void setStoredValue(SettingsStore &store, SettingId id, const QVariant &value)
{
    if (settingKey(id).kind == SettingKind::Text)
        store.setText(id, value.toString());
    else
        store.setValue(id, value.toInt());
}

TEST_F(SettingsDialogTest, EveryControlOfEveryTabWritesItsKeyOnOkAndCancelPutsItBack)
{
    using Id = SettingId;
    const QString otherStyle = home.path() + "/Style/Other/";
    QDir().mkpath(otherStyle);
    writeBytes(otherStyle + "info.txt", "Other\r\n");
    {
        SettingsStore profile;
        profile.setColorRef(PlaylistForeSlot, 0x0000FF);
        QDir().mkpath(app->paths().colorFolder());
        ASSERT_TRUE(profile.SaveColorFile(app->paths().colorFolder() + "Sunset.ini"));
    }
    AnsweringChooser chooser;
    chooser.chosenFont = QFont(QStringLiteral("Velmora Test Serif"), 14);
    chooser.chosenFont.setBold(true);
    chooser.chosenProgram = QStringLiteral("/opt/tags/tagger");
    chooser.chosenColor = QColor(0x12, 0x34, 0x56);
    const int chosenRef = 0x563412;
    dialog().setChooser(chooser);

    const auto check = [](const char *caption, const char *group = nullptr) {
        return [=](const Page &p) { p.click(p.captioned<QCheckBox>(caption, group)); };
    };
    const auto option = [](const char *group, const char *caption) {
        return [=](const Page &p) { p.click(p.captioned<QRadioButton>(caption, group)); };
    };
    const auto slide = [](const char *group, Qt::Key key) {
        return [=](const Page &p) { p.key(p.only<QAbstractSlider>(group), key); };
    };
    const auto press = [](const char *caption, const char *group) {
        return [=](const Page &p) { p.click(p.captioned<QPushButton>(caption, group)); };
    };
    const auto typeIn = [](QLineEdit *edit, const QString &text) {
        ASSERT_TRUE(edit);
        edit->setFocus();
        edit->selectAll();
        QTest::keyClicks(edit, text);
    };
    const char *fade = "フェードイン/アウト ※合成機能のあるウィンドウマネージャが必要です";
    const char *translucent = "トランスルーセント ※合成機能のあるウィンドウマネージャが必要です";

    std::vector<UserCase> cases = {
        {"Option: no translucent settings", "Option", check("設定は半透明にしない"), {{Id::SetNotTrans, 1}}},
        {"Option: work area", "Option", check("移動範囲をワークエリアに限定する"), {{Id::MoveWorkArea, 1}}},
        {"Option: temporary folder", "Option", check("終了時にテンポラリフォルダをクリアする"), {{Id::TempFolderClear, 1}}},
        {"Option: auto-save question", "Option", check("オートセーブ時に問い合わせる"), {{Id::AutoSaveQuestion, 1}}},
        {"Option: resume", "Option", check("レジューム再生"), {{Id::ResumePlay, 1}}},
        {"Option: grid", "Option", check("グリッド表示"), {{Id::GridDisplay, 1}}},
        {"Option: folders without their sub-folders", "Option", check("フォルダを開くときサブフォルダも追加する"),
         {{Id::AddSubfolders, 0}}},
        {"Customize: tag editor typed", "Customize",
         [&](const Page &p) { typeIn(p.only<QLineEdit>("タグエディタの場所(Kid3、EasyTAG、Puddletagなど)"), "/usr/bin/tags"); },
         {{Id::TagEditorPath, QStringLiteral("/usr/bin/tags")}}},
        {"Customize: tag editor browsed", "Customize", press("...", "タグエディタの場所(Kid3、EasyTAG、Puddletagなど)"),
         {{Id::TagEditorPath, QStringLiteral("/opt/tags/tagger")}}},
        {"Customize: docking above", "Customize", option("ミニフェイスにプレイリストを吸着", "上に"),
         {{Id::PlaylistAdsorption, 2}}},
        {"Customize: docking below", "Customize", option("ミニフェイスにプレイリストを吸着", "下に"),
         {{Id::PlaylistAdsorption, 1}}},
        {"Customize: double click", "Customize", option("クリック方法", "ダブルクリック"), {{Id::TreeClick, 1}}},
        {"Customize: smooth seek bar", "Customize", option("プログレスシークバースタイル", "Smooth"), {{Id::PGBStyle, 0}}},
        {"Customize: corners", "Customize", slide("角の丸み", Qt::Key_End), {{Id::CornerRoundValue, 99}}},
        {"Customize: fade on", "Customize", check("ON", fade), {{Id::Fade, 1}}},
        {"Customize: fade speed", "Customize", slide(fade, Qt::Key_End), {{Id::FadeSpeed, 100}}},
        {"Customize: translucency on, then its level", "Customize",
         [&](const Page &p) {
             p.click(p.captioned<QCheckBox>("ON", translucent));
             p.key(p.only<QAbstractSlider>(translucent), Qt::Key_Home);
         },
         {{Id::Translucent, 1}, {Id::Transparency, 5}}},
        {"Customize: scroll speed", "Customize", slide("スクロールスピード", Qt::Key_End), {{Id::ScrollSpeed, 500}}},
        {"Customize: mini visual speed", "Customize", slide("MiniVisualスピード", Qt::Key_End),
         {{Id::MiniVisualSpeed, 200}}},
        {"Customize: mini face font", "Customize", press("ミニフェイス", "フォント"),
         {{Id::MainFontName, QStringLiteral("Velmora Test Serif")}, {Id::MainFontSize, 14}, {Id::MainFontBold, 1}}},
        {"Customize: playlist font", "Customize", press("プレイリスト", "フォント"),
         {{Id::ListFontName, QStringLiteral("Velmora Test Serif")}, {Id::ListFontSize, 14}, {Id::ListFontBold, 1}}},
        {"Sound: master volume", "Sound", slide("ボリューム", Qt::Key_Home), {{Id::WaveOutVolume, 0}}, true},
        {"Style: typed name", "Style",
         [&](const Page &p) {
             QComboBox *combo = p.page->findChild<QComboBox *>();
             typeIn(combo->lineEdit(), "Other");
             QTest::keyClick(combo->lineEdit(), Qt::Key_Return);
         },
         {{Id::StyleName, QStringLiteral("Other")}}},
        {"Style: flat", "Style", check("フラット表示"), {{Id::Flat, 1}}},
        {"Style: mini face background fitted", "Style", check("ミニフェイスの背景をウインドウサイズにフィット"),
         {{Id::MainStretch, 0}}},
        {"Style: playlist background fitted", "Style", check("プレイリストの背景をウインドウサイズにフィット"),
         {{Id::ListStretch, 0}}},
        {"Color: profile typed", "Color",
         [&](const Page &p) {
             QComboBox *combo = p.page->findChild<QComboBox *>();
             typeIn(combo->lineEdit(), "Sunset");
             QTest::keyClick(combo->lineEdit(), Qt::Key_Return);
         },
         {{colorSlotSetting(0), 0x0000FF}}},
    };
    // Every slot away from its default, so that restoring the defaults
    // changes each of them.
    QList<std::pair<SettingId, QVariant>> defaults;
    for (int slot = 0; slot < ColorSlotCount; ++slot) {
        store().setColorRef(ColorSlot(slot), 0x010101 * (slot + 1));
        defaults.push_back({colorSlotSetting(slot), settingKey(colorSlotSetting(slot)).defaultValue});
    }
    // Before the profile case: choosing a profile loads every slot.
    const auto firstColorCase =
        std::find_if(cases.begin(), cases.end(), [](const UserCase &c) { return std::string(c.tab) == "Color"; });
    cases.insert(firstColorCase, {"Color: restore the defaults", "Color",
                                  [](const Page &p) { p.click(p.captioned<QPushButton>("初期値に戻す")); }, defaults});
    for (const auto &[title, boxes] : {std::pair{"ミニフェイス", miniFaceColorBoxes()},
                                       std::pair{"プレイリスト", playlistColorBoxes()}}) {
        const char *groupTitle = title;
        for (const ColorBox &b : boxes) {
            cases.push_back({std::string("Color: ") + groupTitle + " " + b.caption, "Color",
                             [=](const Page &p) {
                                 QWidget *box = p.colorBoxOf(b.caption, groupTitle);
                                 ASSERT_TRUE(box);
                                 QTest::mouseClick(box, Qt::LeftButton);
                             },
                             {{colorSlotSetting(b.slot), chosenRef}}});
        }
    }

    const auto open = [&](const char *tab) -> Page {
        windows.showSettingsDialog();
        dialog().activateWindow();
        EXPECT_TRUE(QTest::qWaitFor([&] { return dialog().isActiveWindow(); }, 10000));
        QTabBar *bar = dialog().tabs()->tabBar();
        for (int i = 0; i < bar->count(); ++i)
            if (bar->tabText(i) == QString::fromUtf8(tab))
                QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(i).center());
        EXPECT_EQ(dialog().tabs()->tabText(dialog().tabs()->currentIndex()), QString::fromUtf8(tab));
        return Page{dialog().tabs()->currentWidget()};
    };
    const auto close = [&](const char *button) {
        QTest::mouseClick(child<QPushButton>(&dialog(), button), Qt::LeftButton);
        EXPECT_TRUE(QTest::qWaitFor([&] { return !dialog().isVisible(); }, 10000));
    };
    for (const UserCase &c : cases) {
        SCOPED_TRACE(c.name);
        QList<QVariant> before;
        bool changes = true;
        for (const auto &[id, value] : c.expected) {
            before << storedValue(store(), id);
            if (before.last() == value) {
                ADD_FAILURE() << settingKey(id).key << " is " << value.toString().toStdString() << " already";
                changes = false;
            }
        }
        if (!changes)
            continue;

        c.act(open(c.tab));
        close("cmdCancel");
        for (qsizetype i = 0; i < c.expected.size(); ++i)
            EXPECT_EQ(storedValue(store(), c.expected[i].first), c.cancelKeeps ? c.expected[i].second : before[i])
                << "after Cancel: " << settingKey(c.expected[i].first).key;

        c.act(open(c.tab));
        close("cmdOK");
        for (const auto &[id, value] : c.expected)
            EXPECT_EQ(storedValue(store(), id), value) << "after OK: " << settingKey(id).key;

        for (qsizetype i = 0; i < c.expected.size(); ++i)
            setStoredValue(store(), c.expected[i].first, before[i]);
    }
    dialog().setChooser(SettingsChooser::system());
}

// The palette the shown tooltip is drawn with.
QPalette shownTipPalette()
{
    QToolTip::showText(QPoint(10, 10), QStringLiteral("tip"));
    QPalette palette;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w->inherits("QTipLabel") && w->isVisible())
            palette = w->palette();
    QToolTip::hideText();
    return palette;
}

TEST_F(SettingsDialogTest, StandardDialogsMenusAndTipsWearTheSkinAndFollowItsColours)
{
    struct Built {
        const char *name;
        std::function<QPalette()> palette;
    };
    const Built built[] = {
        {"message box", [] { return QMessageBox(QMessageBox::Question, "Velmora", "?", QMessageBox::Yes | QMessageBox::No).palette(); }},
        {"file dialog", [] {
             QFileDialog d;
             d.setOption(QFileDialog::DontUseNativeDialog);
             return d.palette();
         }},
        {"colour dialog", [] {
             QColorDialog d;
             d.setOption(QColorDialog::DontUseNativeDialog);
             return d.palette();
         }},
        {"font dialog", [] {
             QFontDialog d;
             d.setOption(QFontDialog::DontUseNativeDialog);
             return d.palette();
         }},
        {"a new menu", [] { return QMenu().palette(); }},
        {"the main window's popup menu, made before", [this] {
             QMenu *menu = windows.main().popupMenu();
             menu->popup(QPoint(10, 10));
             const QPalette shown = menu->palette();
             menu->hide();
             return shown;
         }},
        {"a shown tooltip", [] { return shownTipPalette(); }},
        {"a scroll bar", [] { return QScrollBar().palette(); }},
        {"a list header", [] { return QHeaderView(Qt::Horizontal).palette(); }},
    };
    const QColor startBack = store().color(BoxBackSlot);
    const QColor startFore = store().color(BoxForeSlot);
    struct Step {
        const char *name;
        std::function<void()> act;
        QColor back, fore, select;
    } steps[] = {
        {"at start", [] {}, startBack, startFore, store().color(SelectBackSlot)},
        {"colours changed in the settings dialog",
         [this] {
             windows.showSettingsDialog();
             store().setColorRef(BoxBackSlot, SettingsStore::refFromColor(QColor(20, 30, 90)));
             store().setColorRef(BoxForeSlot, SettingsStore::refFromColor(QColor(250, 240, 200)));
             store().setColorRef(SelectBackSlot, SettingsStore::refFromColor(QColor(160, 20, 20)));
         },
         QColor(20, 30, 90), QColor(250, 240, 200), QColor(160, 20, 20)},
        {"Cancel", [this] { dialog().reject(); }, startBack, startFore, store().color(SelectBackSlot)},
    };
    for (const Step &step : steps) {
        step.act();
        for (const Built &b : built) {
            SCOPED_TRACE(std::string(step.name) + ": " + b.name);
            const QPalette p = b.palette();
            EXPECT_EQ(p.color(QPalette::Active, QPalette::Window), step.back);
            EXPECT_EQ(p.color(QPalette::Active, QPalette::WindowText), step.fore);
            EXPECT_EQ(p.color(QPalette::Active, QPalette::ButtonText), step.fore);
            EXPECT_EQ(p.color(QPalette::Active, QPalette::Highlight), step.select);
            EXPECT_EQ(p.color(QPalette::Inactive, QPalette::Window), step.back);
        }
    }
}

TEST_F(SettingsDialogTest, TheTagEditorsFileDialogListsFoldersAndProgramsOnly)
{
    QTemporaryDir dir;
    const auto make = [&](const char *name, QFile::Permissions permissions) {
        QFile f(dir.filePath(QString::fromUtf8(name)));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.close();
        ASSERT_TRUE(f.setPermissions(permissions));
    };
    const QFile::Permissions readable = QFile::ReadOwner | QFile::WriteOwner;
    make("kid3", readable | QFile::ExeOwner);
    make("tagger.exe", readable);
    make("notes.txt", readable);
    make("run.sh", readable | QFile::ExeOwner);
    QDir(dir.path()).mkdir(QStringLiteral("bin"));

    const std::unique_ptr<QFileDialog> d(SettingsChooser::programDialog(nullptr));
    d->setDirectory(dir.path());
    auto *model = d->findChild<QFileSystemModel *>();
    QAbstractProxyModel *shown = d->proxyModel();
    ASSERT_TRUE(model);
    ASSERT_TRUE(shown);
    const QStringList expected{"bin", "kid3", "run.sh"};
    QStringList listed;
    const bool loaded = waitUntil([&] {
        const QModelIndex folder = model->index(dir.path());
        if (model->canFetchMore(folder))
            model->fetchMore(folder); // as the dialog's view asks when it shows the folder
        const QModelIndex shownFolder = shown->mapFromSource(folder);
        listed.clear();
        for (int row = 0; row < shown->rowCount(shownFolder); ++row)
            listed << shown->index(row, 0, shownFolder).data().toString();
        listed.sort();
        return listed == expected;
    });
    EXPECT_TRUE(loaded) << listed.join(u',').toStdString();
}

TEST_F(SettingsDialogTest, DeletingTheChosenColorProfileShowsTheOneInEffect)
{
    {
        SettingsStore profile;
        profile.setColorRef(PlaylistForeSlot, 0x0000FF);
        QDir().mkpath(app->paths().colorFolder());
        ASSERT_TRUE(profile.SaveColorFile(app->paths().colorFolder() + "Sunset.ini"));
    }
    const struct {
        const char *name;
        int answer; // the confirmation's answer
        bool kept;
        QString shown;
    } cases[] = {
        {"declined", MessageService::No, true, QStringLiteral("Sunset")},
        {"deleted", MessageService::Yes, false, QStringLiteral("AutoColor")},
    };
    for (const auto &c : cases) {
        windows.showSettingsDialog();
        auto *combo = child<QComboBox>(&dialog(), "cboColorSelect");
        combo->setEditText(QStringLiteral("Sunset"));
        QTest::keyClick(combo->lineEdit(), Qt::Key_Return);
        box.answer = c.answer;
        child<QPushButton>(&dialog(), "cmdColorDelete")->click();
        EXPECT_EQ(QFileInfo::exists(app->paths().colorFolder() + "Sunset.ini"), c.kept) << c.name;
        EXPECT_EQ(combo->currentText(), c.shown) << c.name;
        EXPECT_EQ(store().colorRef(PlaylistForeSlot), 0x0000FF) << c.name << ": the colours stay";
    }
    box.answer = MessageService::Yes;
}

// Not a check: with VELMORA_SCREENSHOT_DIR set, draws each tab of the dialog
// into settings-<tab>.png there.
TEST_F(SettingsDialogTest, Screenshots)
{
    const QString target = qEnvironmentVariable("VELMORA_SCREENSHOT_DIR");
    if (target.isEmpty())
        GTEST_SKIP() << "set VELMORA_SCREENSHOT_DIR to a folder";
    windows.showSettingsDialog();
    for (int i = 0; i < dialog().tabs()->count(); ++i) {
        dialog().tabs()->setCurrentIndex(i);
        QCoreApplication::processEvents();
        const QString file = QStringLiteral("%1/settings-%2.png").arg(target, dialog().tabs()->tabText(i).toLower());
        EXPECT_TRUE(dialog().grab().save(file, "PNG")) << file.toStdString();
    }
    dialog().tabs()->setCurrentIndex(3);
    child<QPushButton>(&dialog(), "cmdStyleCreate")->click();
    QCoreApplication::processEvents();
    EXPECT_TRUE(dialog().styleEditor()->grab().save(target + "/style-editor.png", "PNG"));
    dialog().styleEditor()->reject();
    dialog().reject();
}

} // namespace

namespace {

QComboBox *deviceCombo(SettingsDialog &d)
{
    return d.findChild<QComboBox *>(QStringLiteral("cboOutputDevice"));
}

QStringList comboTexts(QComboBox *combo)
{
    QStringList texts;
    for (int i = 0; i < combo->count(); ++i)
        texts << combo->itemText(i);
    return texts;
}

void chooseDevice(QComboBox *combo, const QString &text)
{
    const int index = combo->findText(text);
    ASSERT_GE(index, 0) << text.toStdString();
    combo->setCurrentIndex(index);
    Q_EMIT combo->activated(index);
}

TEST_F(SettingsDialogTest, SoundTabChoicesApplyAtOnceAndSurviveARestart)
{
    const QString speakers = QStringLiteral("Speakers");
    const QString usb = QStringLiteral("USB オーディオ");
    audio.setDevices({speakers, usb});
    windows.showSettingsDialog();
    dialog().tabs()->setCurrentIndex(2);
    QComboBox *combo = deviceCombo(dialog());
    ASSERT_TRUE(combo);
    EXPECT_EQ(comboTexts(combo), (QStringList{QStringLiteral("既定の出力"), speakers, usb}))
        << "the default first, then the system's order";
    EXPECT_EQ(combo->currentIndex(), 0);
    EXPECT_EQ(audio.replayGain(), ReplayGainSettings()) << "levelling is off until asked for";

    // The user's choices, each applied at once.
    const QList<QAbstractButton *> modes =
        dialog().controlOf(SettingId::ReplayGain)->parentWidget()->findChildren<QAbstractButton *>();
    ASSERT_EQ(modes.size(), 3);
    modes[2]->click();
    qobject_cast<QAbstractSlider *>(dialog().controlOf(SettingId::ReplayGainPreamp))->setValue(-3);
    qobject_cast<QCheckBox *>(dialog().controlOf(SettingId::ReplayGainClip))->click();
    chooseDevice(combo, usb);
    const ReplayGainSettings chosen{ReplayGainMode::Album, -3.0, false};
    EXPECT_EQ(audio.replayGain(), chosen);
    EXPECT_EQ(audio.chosenDevice(), usb);
    QLabel *preamp = dialog().findChild<QLabel *>(QStringLiteral("lblReplayGainPreamp"));
    ASSERT_TRUE(preamp);
    EXPECT_EQ(preamp->text(), QStringLiteral("-3 dB"));

    dialog().accept();
    const QByteArray file = readBytes(ini());
    for (const QByteArray &line : {QByteArray("ReplayGain=2"), QByteArray("ReplayGainPreamp=-3"),
                                   QByteArray("ReplayGainClip=0"), (QStringLiteral("OutputDevice=") + usb).toUtf8()})
        EXPECT_TRUE(file.contains(line)) << line.toStdString();
    app->ShutDown();
    windows.hideAll();

    // The next run, with the device unplugged meanwhile.
    audio.setDevices({speakers});
    audio.setOutputDevice(QString());
    Windows windows2;
    Application app2(AppPaths(home.path(), QStringLiteral(VELMORA_SOURCE_DIR "/assets"), home.path()),
                     PlatformServices{audio, box, archiver, &shell}, windows2);
    windows2.build(app2);
    ASSERT_TRUE(app2.StartUp({}));
    EXPECT_EQ(audio.replayGain(), chosen) << "the audio library has the stored levelling";
    EXPECT_EQ(audio.chosenDevice(), usb) << "and the stored device";
    windows2.showSettingsDialog();
    SettingsDialog &again = windows2.settings();
    const QList<QAbstractButton *> modes2 =
        again.controlOf(SettingId::ReplayGain)->parentWidget()->findChildren<QAbstractButton *>();
    ASSERT_EQ(modes2.size(), 3);
    EXPECT_TRUE(modes2[2]->isChecked());
    EXPECT_EQ(qobject_cast<QAbstractSlider *>(again.controlOf(SettingId::ReplayGainPreamp))->value(), -3);
    EXPECT_FALSE(qobject_cast<QCheckBox *>(again.controlOf(SettingId::ReplayGainClip))->isChecked());
    QComboBox *combo2 = deviceCombo(again);
    ASSERT_TRUE(combo2);
    EXPECT_EQ(combo2->currentText(), usb + QStringLiteral(" (見つかりません)"))
        << "an absent device stays chosen and says so";
    // Choosing the default again, then Cancel, brings the stored device back.
    chooseDevice(combo2, QStringLiteral("既定の出力"));
    EXPECT_EQ(audio.chosenDevice(), QString());
    again.reject();
    EXPECT_EQ(audio.chosenDevice(), usb);
    EXPECT_EQ(app2.settings().text(SettingId::OutputDevice), usb);
    app2.ShutDown();
    windows2.hideAll();
}

} // namespace
