#include "LogicDoubles.h"
#include "ScriptedMessageBox.h"
#include "TestFiles.h"
#include "core/MessageService.h"
#include "settings/SettingsDialogModel.h"
#include "settings/SettingsStore.h"
#include "settings/VersionInfo.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

using Id = SettingId;

struct DialogModelTest : ::testing::Test {
    QTemporaryDir dir;
    ScriptedMessageBox box;
    MessageService messages{box, box, QStringLiteral("Velmora")};
    SettingsStore store;
    QStringList log;
    FixedClock clock;
    SettingsDialogModel model{store, messages, dir.filePath("Color"), dir.filePath("Style"), clock, [this] {
                                  log << QStringLiteral("save GridDisplay=%1").arg(store.value(Id::GridDisplay));
                              }};
};

TEST_F(DialogModelTest, ControlsWriteTheirKeyWithinTheControlsRange)
{
    struct Case {
        Id id;
        int moved;
        int expected;
    } cases[] = {
        {Id::SetNotTrans, 1, 1},           {Id::GridDisplay, 5, 1},         {Id::PlaylistAdsorption, 2, 2},
        {Id::PlaylistAdsorption, 3, 2},    {Id::TreeClick, 1, 1},           {Id::PGBStyle, 0, 0},
        {Id::CornerRoundValue, 120, 99},   {Id::CornerRoundValue, -3, 0},   {Id::FadeSpeed, 0, 1},
        {Id::Transparency, 0, 5},          {Id::Transparency, 300, 255},    {Id::ScrollSpeed, 501, 500},
        {Id::MiniVisualSpeed, 250, 200},   {Id::WaveOutVolume, 70000, 65535}, {Id::Flat, 1, 1},
        {Id::MainStretch, 0, 0},           {Id::ListStretch, 0, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(settingKey(c.id).key);
        model.setControl(c.id, c.moved);
        EXPECT_EQ(store.value(c.id), c.expected);
    }
    // Every control writes a key of the settings file, none twice.
    QSet<int> keys;
    for (const DialogControl &c : SettingsDialogModel::controls()) {
        EXPECT_NE(settingKey(c.id).writer, SettingWriter::Never) << c.name;
        EXPECT_FALSE(keys.contains(int(c.id))) << c.name;
        keys.insert(int(c.id));
    }
}

TEST_F(DialogModelTest, CancelRestoresEveryDialogSettingAndNothingElse)
{
    store.setText(Id::StyleName, QStringLiteral("Before"));
    model.opened();
    // Every key moves away from its value at opening.
    for (const SettingKey &k : settingKeys()) {
        if (k.kind == SettingKind::Text)
            store.setText(k.id, store.text(k.id) + QStringLiteral("x"));
        else
            store.setValue(k.id, store.value(k.id) == k.maximum ? k.minimum : k.maximum);
    }
    SettingsStore moved;
    for (const SettingKey &k : settingKeys()) {
        if (k.kind == SettingKind::Text)
            moved.setText(k.id, store.text(k.id));
        else
            moved.setValue(k.id, store.value(k.id));
    }
    model.cancelled();

    const SettingsStore defaults;
    const QList<Id> kept = {Id::WaveOutVolume, Id::MainTop, Id::Foremost, Id::SelectFolder, Id::Header1Width,
                            Id::PlayMode, Id::PlayerVolume, Id::ResumeNo, Id::StyleFolder};
    for (const SettingKey &k : settingKeys()) {
        SCOPED_TRACE(k.key);
        const bool restored = SettingsDialogModel::isDialogSetting(k.id);
        if (kept.contains(k.id)) {
            EXPECT_FALSE(restored);
        }
        const SettingsStore &expected = restored ? defaults : moved;
        if (k.kind == SettingKind::Text) {
            if (k.id == Id::StyleName)
                EXPECT_EQ(store.text(k.id), QStringLiteral("Before"));
            else
                EXPECT_EQ(store.text(k.id), expected.text(k.id));
        } else {
            EXPECT_EQ(store.value(k.id), expected.value(k.id));
        }
    }
    // Colours, fonts, opacity and the style are among the restored ones.
    for (Id id : {Id::PlaylistForeColor, Id::BoxForeColor, Id::MainFontName, Id::ListFontSize, Id::Translucent,
                  Id::Transparency, Id::SetNotTrans, Id::StyleName, Id::TagEditorPath, Id::CornerRoundValue})
        EXPECT_TRUE(SettingsDialogModel::isDialogSetting(id)) << settingKey(id).key;
}

TEST_F(DialogModelTest, OpeningSavesFirstOkSavesCancelDoesNot)
{
    store.setValue(Id::GridDisplay, 1);
    model.opened();
    store.setValue(Id::GridDisplay, 0);
    model.opened(); // opened again while open: nothing saved, the first state stays
    model.cancelled();
    EXPECT_EQ(store.value(Id::GridDisplay), 1);
    model.opened();
    store.setValue(Id::GridDisplay, 0);
    model.accepted();
    model.cancelled(); // closed already: changes nothing
    EXPECT_EQ(store.value(Id::GridDisplay), 0);
    EXPECT_EQ(log, (QStringList{"save GridDisplay=1", "save GridDisplay=1", "save GridDisplay=0"}));
}

TEST_F(DialogModelTest, OpacityOfEachWindow)
{
    struct Case {
        int translucent, transparency, notTrans;
        int main, dialog;
    } cases[] = {
        {0, 255, 0, 255, 255}, {0, 100, 0, 255, 255}, {1, 100, 0, 100, 100},
        {1, 100, 1, 100, 255}, {1, 5, 0, 5, 5},       {0, 5, 1, 255, 255},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(QStringLiteral("%1 %2 %3").arg(c.translucent).arg(c.transparency).arg(c.notTrans).toStdString());
        store.setValue(Id::Translucent, c.translucent);
        store.setValue(Id::Transparency, c.transparency);
        store.setValue(Id::SetNotTrans, c.notTrans);
        EXPECT_EQ(SettingsDialogModel::windowOpacity(store, TopWindow::Main), c.main);
        EXPECT_EQ(SettingsDialogModel::windowOpacity(store, TopWindow::Playlist), c.main);
        EXPECT_EQ(SettingsDialogModel::windowOpacity(store, TopWindow::SettingsDialog), c.dialog);
    }
}

TEST_F(DialogModelTest, FontsTagEditorColoursAndStyleNames)
{
    model.setFont(true, QStringLiteral("IPAPGothic"), 10.5, true);
    model.setFont(false, QStringLiteral("DejaVu Sans"), 11.4, false);
    EXPECT_EQ(store.text(Id::MainFontName), QStringLiteral("IPAPGothic"));
    EXPECT_EQ(store.value(Id::MainFontSize), 11);
    EXPECT_EQ(store.value(Id::MainFontBold), 1);
    EXPECT_EQ(store.value(Id::ListFontSize), 11);
    EXPECT_EQ(store.value(Id::ListFontBold), 0);

    model.chooseTagEditor(QStringLiteral("/opt/tagger/tagger"));
    model.chooseTagEditor(QString()); // the file dialog was cancelled
    EXPECT_EQ(store.text(Id::TagEditorPath), QStringLiteral("/opt/tagger/tagger"));

    model.pickColor(13, 0x123456);
    model.pickColor(14, -1); // the chooser was cancelled
    EXPECT_EQ(store.colorRef(SelectForeSlot), 0x123456);
    EXPECT_EQ(store.colorRef(SelectBackSlot), 0x804000);

    struct NameCase {
        const char *name;
        bool taken;
    } names[] = {
        {"Dark", true}, {"スタイル 2", true}, {"../Dark", false}, {"a/b", false}, {"a\\b", false}, {"..", false},
        {"", false},   {"   ", false},
    };
    for (const NameCase &c : names) {
        SCOPED_TRACE(c.name);
        store.setText(Id::StyleName, QStringLiteral("WindowsStyle"));
        box.asked.clear();
        box.styles.clear();
        EXPECT_EQ(model.chooseStyle(QString::fromUtf8(c.name)), c.taken);
        EXPECT_EQ(store.text(Id::StyleName), c.taken ? QString::fromUtf8(c.name) : QStringLiteral("WindowsStyle"));
        EXPECT_EQ(box.asked.size(), c.taken ? 0 : 1);
    }
}

TEST(VersionInfo, TitleDateAndMaker)
{
    const VersionInfo info = VersionInfo::make(QStringLiteral("0.1.0"), QDate(2025, 3, 9), {}, QString());
    EXPECT_EQ(info.title, QStringLiteral("Velmora β Build 0.1.0"));
    EXPECT_EQ(info.releaseDate, QStringLiteral("Release 2025/03/09"));
    EXPECT_EQ(info.maker, QStringLiteral("Copyright (C) 2025 Velmora Project"));
    EXPECT_FALSE(info.iconCredit.isEmpty());
    const VersionInfo undated = VersionInfo::make(QStringLiteral("1"), QDate(), {}, QString());
    EXPECT_EQ(undated.releaseDate, QStringLiteral("Release"));
    EXPECT_EQ(undated.audio, (QList<VersionLine>{{"NOT FOUND", ""}}));
    EXPECT_EQ(undated.archiver, (QList<VersionLine>{{"NOT FOUND", ""}}));
}

TEST(VersionInfo, ComponentLinesLinkOnlyWhereTheyNameAProjectAndItsVersion)
{
    struct Case {
        const char *reported; // as the console's --version prints it
        const char *shown;    // UTF-8
        const char *url;
    } cases[] = {
        {"FFmpeg 5.1.6 (libavformat 59.27.100)", "FFmpeg 5.1.6 (libavformat 59.27.100)", "https://ffmpeg.org/"},
        {"SDL 2.26.5 (dummy)", "SDL 2.26.5 (dummy)", "https://www.libsdl.org/"},
        {"FluidSynth 2.3.1", "FluidSynth 2.3.1", "https://www.fluidsynth.org/"},
        {"TagLib 1.13.0", "TagLib 1.13.0", "https://taglib.org/"},
        {"mpg123 1.31.2", "mpg123 1.31.2", "https://www.mpg123.de/"},
        {"soxr 0.1.3 (loaded when a file needs resampling)", "soxr 0.1.3（サンプリングレートの変換が必要なファイルで読み込み）",
         "https://sourceforge.net/projects/soxr/"},
        {"soxr not found", "soxr が見つかりません", ""},
        {"FFmpeg and FluidSynth (loaded when a file needs them) from /opt/v/libvelmora_ffmpeg.so",
         "FFmpeg・FluidSynth（必要なファイルで読み込み）: /opt/v/libvelmora_ffmpeg.so", ""},
        {"FFmpeg and FluidSynth not loaded: missing", "FFmpeg・FluidSynthを読み込めません: missing", ""},
        {"decoders from /opt/v/libvelmora_decoders.so", "デコーダ: /opt/v/libvelmora_decoders.so", ""},
        {"decoders not loaded: missing", "デコーダを読み込めません: missing", ""},
        {"TagLib not loaded: missing", "TagLibを読み込めません: missing", ""},
        {"FFmpegX 1.0", "FFmpegX 1.0", ""},
    };
    for (const Case &c : cases) {
        const VersionInfo info = VersionInfo::make(QStringLiteral("1"), QDate(), {QString::fromUtf8(c.reported), " "},
                                                   QStringLiteral("libarchive 3.6.2"));
        EXPECT_EQ(info.audio, (QList<VersionLine>{{QString::fromUtf8(c.shown), QString::fromLatin1(c.url)}}))
            << c.reported;
        EXPECT_EQ(info.archiver, (QList<VersionLine>{{"libarchive 3.6.2", "https://www.libarchive.org/"}}));
    }
}

TEST(VersionInfo, MakersLinksOpenOnlyRealWebAndMailAddresses)
{
    struct Case {
        const char *name;
        MakerContact contact;
        QList<VersionLine> expected;
    } cases[] = {
        {"none known", {}, {}},
        {"web site and mail",
         {"https://velmora.example.org/", "team@velmora.example.org"},
         {{"WebSite : https://velmora.example.org/", "https://velmora.example.org/"},
          {"E-mail : team@velmora.example.org", "mailto:team@velmora.example.org"}}},
        {"mail given as mailto", {"", "mailto:team@velmora.example.org"},
         {{"E-mail : team@velmora.example.org", "mailto:team@velmora.example.org"}}},
        {"not web addresses",
         {"ftp://velmora.example.org/", "no address"},
         {{"WebSite : ftp://velmora.example.org/", ""}, {"E-mail : no address", ""}}},
        {"a word, not a site", {"Velmora", "@"}, {{"WebSite : Velmora", ""}, {"E-mail : @", ""}}},
    };
    for (const Case &c : cases) {
        const VersionInfo info = VersionInfo::make(QStringLiteral("1"), QDate(), {}, QString(), c.contact);
        EXPECT_EQ(info.makerLinks, c.expected) << c.name;
    }
}

} // namespace
