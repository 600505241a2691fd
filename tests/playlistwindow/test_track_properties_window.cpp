// The properties window of a track, as the track menu's "プロパティ" opens it:
// the facts it shows, the desktop button only where the desktop has a file
// manager, and a size that fits the screen whatever the tags hold.
#include "PlaylistWindowFixture.h"

#include "playlist/PathNames.h"
#include "playback/TrackProperties.h"
#include "playback/ui/TrackPropertiesDialog.h"
#include "WaitUntil.h"
#include "ZipFixtures.h"

#include <QClipboard>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QScreen>

namespace {

using Field = AudioLibrary::TagField;

struct WindowCase {
    const char *name;
    // Puts the row into the list; returns its path.
    std::function<QString(struct PropertiesWindowTest &)> row;
    bool fileManager;
    QList<std::pair<QString, QString>> labels; // "section/label" -> text shown
    QString title;
};

struct PropertiesWindowTest : PlaylistWindowTest, ::testing::WithParamInterface<WindowCase> {
    void SetUp() override
    {
        withShellAndRandom = true;
        PlaylistWindowTest::SetUp();
    }
    void TearDown() override
    {
        for (auto *d : window().findChildren<TrackPropertiesDialog *>())
            delete d;
        PlaylistWindowTest::TearDown();
    }
    QString tagged(const QString &name, const QList<Field> &tags)
    {
        const QString path = home.path() + "/music/" + name;
        touchFile(path, QByteArray(30000, 't'));
        audio.addFile(path, 125500, 30000, tags);
        list().appendRow(list().makeRow(path));
        list().RenumberList();
        return path;
    }
    TrackPropertiesDialog *open()
    {
        list().UnselectAll();
        list().setSelected(list().count(), true);
        window().showTrackProperties(list().count());
        return window().findChild<TrackPropertiesDialog *>();
    }
    QString shown(TrackPropertiesDialog *d, const QString &name)
    {
        const QLabel *label = d->findChild<QLabel *>(name);
        return label ? label->text() : QStringLiteral("<none>");
    }
};

TEST_P(PropertiesWindowTest, ShowsTheFactsOfTheRow)
{
    const WindowCase &c = GetParam();
    shell.fileManager = c.fileManager;
    c.row(*this);
    QPointer<TrackPropertiesDialog> dialog = open();
    ASSERT_TRUE(dialog);
    ASSERT_TRUE(waitUntil([&] { return dialog->isVisible(); }));
    EXPECT_EQ(dialog->windowTitle(), c.title);
    for (const auto &[name, text] : c.labels)
        EXPECT_EQ(shown(dialog, name), text) << name.toStdString();
    EXPECT_EQ(dialog->findChild<QPushButton *>("showOnDesktop") != nullptr, c.fileManager);
    EXPECT_TRUE(shell.calls.isEmpty()) << shell.calls.join(" | ").toStdString();
    // "すべてコピー" puts every value on the clipboard.
    QApplication::clipboard()->clear();
    dialog->findChild<QPushButton *>("copyAll")->click();
    const QString copied = QApplication::clipboard()->text();
    for (const auto &[name, text] : c.labels)
        EXPECT_TRUE(copied.contains(text)) << name.toStdString();
    // Every value can be selected and copied.
    for (const QLabel *label : dialog->findChildren<QLabel *>()) {
        if (label->objectName().contains(u'/')) {
            EXPECT_TRUE(label->textInteractionFlags() & Qt::TextSelectableByMouse) << label->objectName().toStdString();
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, PropertiesWindowTest,
    ::testing::Values(
        WindowCase{"ATaggedTrack",
                   [](PropertiesWindowTest &t) {
                       return t.tagged("song.mp3", {{AudioLibrary::TagId3v2, "TIT2", "夜の曲"},
                                                    {AudioLibrary::TagId3v2, "TPE1", "ヴェルモラ"}});
                   },
                   true,
                   {{"ファイル/名前", "song.mp3"},
                    {"ファイル/サイズ", "29.3 KB (30,000 バイト)"},
                    {"音声/長さ", "2:05.500"},
                    {"タグ (ID3v2)/タイトル (TIT2)", "夜の曲"},
                    {"タグ (ID3v2)/アーティスト (TPE1)", "ヴェルモラ"}},
                   "song.mp3 のプロパティ"},
        WindowCase{"NoFileManagerNoDesktopButton",
                   [](PropertiesWindowTest &t) { return t.tagged("plain.wav", {}); }, false,
                   {{"タグ/", TrackPropertiesReader::NoTags}}, "plain.wav のプロパティ"},
        WindowCase{"AnArchiveMember",
                   [](PropertiesWindowTest &t) {
                       const QString zip = t.home.path() + "/music/set.zip";
                       QDir().mkpath(t.home.path() + "/music");
                       EXPECT_TRUE(writeDeflateZip(zip, {{"disc/a.mp3", QByteArray(5000, 'a')}}));
                       const QString member = ArchiveMemberPath(zip, u"disc/a.mp3");
                       t.list().appendRow(t.list().makeRow(member));
                       t.list().RenumberList();
                       return member;
                   },
                   true,
                   {{"ファイル/書庫内の名前", "disc/a.mp3"}, {"ファイル/サイズ", "4.9 KB (5,000 バイト)"}},
                   "a.mp3 のプロパティ"}),
    [](const ::testing::TestParamInfo<WindowCase> &info) { return std::string(info.param.name); });

TEST_F(PlaylistWindowTest, APropertiesWindowFitsTheScreenWhateverTheTagsHold)
{
    const QString path = home.path() + "/music/long.mp3";
    touchFile(path, "x");
    QList<Field> tags;
    for (int i = 0; i < 200; ++i)
        tags.append({AudioLibrary::TagId3v2, "TXXX", QByteArray(400, 'w')});
    audio.addFile(path, 1000, 1, tags);
    list().appendRow(list().makeRow(path));
    list().RenumberList();
    list().setSelected(list().count(), true);
    window().showTrackProperties(list().count());
    QPointer<TrackPropertiesDialog> dialog = window().findChild<TrackPropertiesDialog *>();
    ASSERT_TRUE(dialog);
    ASSERT_TRUE(waitUntil([&] { return dialog->isVisible(); }));
    const QRect area = dialog->screen()->availableGeometry();
    EXPECT_LE(dialog->width(), area.width());
    EXPECT_LE(dialog->height(), area.height());
    EXPECT_GT(dialog->width(), 300) << "wide enough to read";
    EXPECT_TRUE(waitUntil([&] { return area.contains(dialog->frameGeometry()); }))
        << "placed inside the work area, title bar included";
    delete dialog;
}

} // namespace
