#include "TestFiles.h"
#include "settings/IniFile.h"
#include "settings/SettingsStore.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

using Id = SettingId;

class SettingsStoreTest : public ::testing::Test
{
protected:
    QTemporaryDir dir;
    QString ini = dir.filePath(QStringLiteral("Velmora.ini"));
    QString colorIni = dir.filePath(QStringLiteral("Color/AutoColor.ini"));
    SettingsStore store;

    // A store loaded from a main file holding `text`.
    void loadMain(const QByteArray &text)
    {
        writeBytes(ini, text);
        store.LoadSettings(ini, colorIni);
    }
};

// ---------------------------------------------------------------- first start

struct NumberCase
{
    Id id;
    int expected;
};

TEST_F(SettingsStoreTest, FirstStartWithoutFilesGivesEveryDefault)
{
    store.setValue(Id::MainTop, 1);    // values loading must replace
    store.setValue(Id::Transparency, 9);
    store.LoadSettings(ini, colorIni);
    store.LoadSoundSettings(ini);
    store.LoadColumnSettings(ini);

    const NumberCase numbers[] = {
        {Id::MainTop, 1000}, {Id::MainLeft, 1000}, {Id::MainWidth, 10605},
        {Id::PlaylistTop, 1350}, {Id::PlaylistLeft, 1000}, {Id::PlaylistHeight, 3570},
        {Id::PlaylistWidth, 10605}, {Id::PlaylistSeparate, 110},
        {Id::SettingTop, 1000}, {Id::SettingLeft, 10605},
        {Id::Foremost, 0}, {Id::PlaylistAdsorption, 0}, {Id::TreeClick, 0}, {Id::PGBStyle, 1},
        {Id::ScrollSpeed, 100}, {Id::MiniVisualSpeed, 100}, {Id::FadeSpeed, 51}, {Id::Fade, 0},
        {Id::Translucent, 0}, {Id::Transparency, 255}, {Id::CornerRoundValue, 0},
        {Id::MainFontSize, 8}, {Id::ListFontSize, 9}, {Id::MainFontBold, 0},
        {Id::Flat, 0}, {Id::MainStretch, 1}, {Id::ListStretch, 1},
        {Id::PlayMode, 1}, // stored 0 is the mode before one step
        {Id::Scroll, 0},
        {Id::PlayerVolume, 100},
        {Id::WaveOutVolume, 65535}, // unity gain
        {Id::Header1Width, 18}, {Id::Header2Width, 30}, {Id::Header3Width, 100}, {Id::Header4Width, 100},
        {Id::Header5Width, 60}, {Id::Header6Width, 60}, {Id::Header7Width, 120}, {Id::Header8Width, 70},
        {Id::Sort, 0}, {Id::SortKey, 0}, {Id::SortOrder, 0},
        {Id::PlaylistForeColor, 0x5F5F5F}, {Id::Level1, 0xFF8000}, {Id::Level2, 0xBB5E00},
        {Id::Level3, 0x7B3E00}, {Id::PlayModeForeColor, 0xC0C0C0}, {Id::SelectForeColor, 0x0080FF},
        {Id::SelectBackColor, 0x804000}, {Id::TreeForeColor, 0xFFFFFF}, {Id::TreeBackColor, 0},
    };
    for (const NumberCase &c : numbers) {
        SCOPED_TRACE(settingKey(c.id).key);
        EXPECT_EQ(store.value(c.id), c.expected);
    }
    EXPECT_EQ(store.text(Id::StyleName), QStringLiteral("WindowsStyle"));
    EXPECT_EQ(store.text(Id::MainFontName), QStringLiteral("ＭＳ Ｐゴシック"));
    EXPECT_EQ(store.text(Id::ListFontName), QStringLiteral("ＭＳ Ｐゴシック"));
    EXPECT_EQ(store.text(Id::TagEditorPath), QString());
    EXPECT_EQ(store.color(SelectForeSlot), QColor(0xFF, 0x80, 0x00));
}

TEST_F(SettingsStoreTest, DefaultSaveGivesExactlyTheGoldenFiles)
{
    store.LoadSettings(ini, colorIni);
    ASSERT_TRUE(store.SaveSettings(ini, colorIni));
    EXPECT_EQ(readBytes(ini), readBytes(QStringLiteral(VELMORA_TEST_DATA "/settings/Velmora.default.ini")));
    EXPECT_EQ(readBytes(colorIni), readBytes(QStringLiteral(VELMORA_TEST_DATA "/settings/AutoColor.default.ini")));

    // A second start reads them back to the same values and writes the same bytes.
    SettingsStore second;
    second.LoadSettings(ini, colorIni);
    const QByteArray mainBefore = readBytes(ini);
    ASSERT_TRUE(second.SaveSettings(ini, colorIni));
    EXPECT_EQ(readBytes(ini), mainBefore);
}

// ---------------------------------------------------------------- loading

struct LoadCase
{
    const char *name;
    QByteArray file;
    Id id;
    int expected;
};

TEST_F(SettingsStoreTest, LoadingConvertsAndKeepsValuesInRange)
{
    const LoadCase cases[] = {
        {"section spelled in lower case", "[setting]\nTop=2000\n", Id::SettingTop, 2000},
        {"Foremost -1 is on", "[Option]\nForemost=-1\n", Id::Foremost, 1},
        {"Foremost 0 is off", "[Option]\nForemost=0\n", Id::Foremost, 0},
        {"any non-zero flag is on", "[Font]\nMainFontBold=5\n", Id::MainFontBold, 1},
        {"check box stored -1 is checked", "[Option]\nGridDisplay=-1\n", Id::GridDisplay, 1},
        {"PlayMode 2 gives mode 3", "[State]\nPlayMode=2\n", Id::PlayMode, 3},
        {"PlayMode -1 gives mode 0", "[State]\nPlayMode=-1\n", Id::PlayMode, 0},
        {"PlayMode 3 gives mode 4", "[State]\nPlayMode=3\n", Id::PlayMode, 4},
        {"PlayMode 4 steps round to 0", "[State]\nPlayMode=4\n", Id::PlayMode, 0},
        {"PlayMode out of range is the default", "[State]\nPlayMode=17\n", Id::PlayMode, 1},
        {"scroll speed below range", "[Control]\nScrollSpeed=0\n", Id::ScrollSpeed, 1},
        {"scroll speed above range", "[Control]\nScrollSpeed=9999\n", Id::ScrollSpeed, 500},
        {"mini visual speed above range", "[Control]\nMiniVisualSpeed=201\n", Id::MiniVisualSpeed, 200},
        {"fade speed below range", "[Control]\nFadeSpeed=-4\n", Id::FadeSpeed, 1},
        {"opacity below range", "[Control]\nTransparency=0\n", Id::Transparency, 5},
        {"corner value above range", "[Control]\nCornerRoundValue=150\n", Id::CornerRoundValue, 99},
        {"font size zero", "[Font]\nListFontSize=0\n", Id::ListFontSize, 1},
        {"docking option out of range", "[Option]\nPlaylistAdsorption=7\n", Id::PlaylistAdsorption, 0},
        {"docking option above", "[Option]\nPlaylistAdsorption=2\n", Id::PlaylistAdsorption, 2},
        {"seek style out of range", "[Option]\nPGBStyle=-3\n", Id::PGBStyle, 1},
        {"tree width negative", "[Playlist]\nSeparate=-50\n", Id::PlaylistSeparate, 0},
        {"position beyond 16 bits", "[Main]\nLeft=40000\n", Id::MainLeft, 32767},
        {"position below 16 bits", "[Main]\nTop=-40000\n", Id::MainTop, -32768},
        {"text reads 0", "[Main]\nWidth=wide\n", Id::MainWidth, 0},
        {"colour as signed decimal", "[Color]\nTreeForeColor=-16777216\n", Id::TreeForeColor, -16777216},
        {"levelling off when missing", "", Id::ReplayGain, 0},
        {"clipping prevention on when missing", "", Id::ReplayGainClip, 1},
        {"levelling album mode", "[Sound]\nReplayGain=2\n", Id::ReplayGain, 2},
        {"levelling mode out of range is off", "[Sound]\nReplayGain=3\n", Id::ReplayGain, 0},
        {"pre-amp below range", "[Sound]\nReplayGainPreamp=-40\n", Id::ReplayGainPreamp, -12},
        {"pre-amp above range", "[Sound]\nReplayGainPreamp=13\n", Id::ReplayGainPreamp, 12},
        {"pre-amp negative", "[Sound]\nReplayGainPreamp=-5\n", Id::ReplayGainPreamp, -5},
        {"clipping prevention off", "[Sound]\nReplayGainClip=0\n", Id::ReplayGainClip, 0},
    };
    for (const LoadCase &c : cases) {
        SCOPED_TRACE(c.name);
        SettingsStore s;
        writeBytes(ini, c.file);
        writeBytes(colorIni, c.file);
        s.LoadSettings(ini, colorIni);
        EXPECT_EQ(s.value(c.id), c.expected);
    }
}

TEST_F(SettingsStoreTest, SoundSettingsGiveKnobOffsetAndWaveOutWords)
{
    struct Case
    {
        const char *file;
        int knob;
        int playerVolume;
        quint32 storedWord;
        int slider;
    };
    const Case cases[] = {
        {"", 100, 255, 0xFFFFFFFF, 65535},
        {"[Sound]\nPlayerVolume=255\nWaveOutVolume=32767\n", 100, 255, 0x7FFF7FFF, 32112},
        {"[Sound]\nPlayerVolume=128\nWaveOutVolume=65535\n", 50, 128, 0xFFFFFFFF, 65535},
        {"[Sound]\nPlayerVolume=0\nWaveOutVolume=0\n", 0, 0, 0, 0},
        {"[Sound]\nPlayerVolume=999\nWaveOutVolume=70000\n", 100, 255, 0xFFFFFFFF, 65535},
        {"[Sound]\nPlayerVolume=-5\nWaveOutVolume=-1\n", 0, 0, 0, 0},
        {"[Sound]\nWaveOutVolume=6554\n", 100, 255, 0x199A199A, 6554}, // 10 %: 6553.5 rounds to even
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.file);
        writeBytes(ini, c.file);
        SettingsStore s;
        const SoundSettings sound = s.LoadSoundSettings(ini);
        EXPECT_EQ(s.value(Id::PlayerVolume), c.knob);
        EXPECT_EQ(sound.playerVolume, c.playerVolume);
        EXPECT_EQ(sound.storedWaveOutWord, c.storedWord);
        EXPECT_EQ(s.value(Id::WaveOutVolume), c.slider);
        EXPECT_EQ(sound.sliderWaveOutWord, SettingsStore::waveOutWord(c.slider));
    }
}

TEST_F(SettingsStoreTest, EveryKnobOffsetSurvivesASaveAndALoad)
{
    for (int knob = 0; knob <= 100; ++knob) {
        store.setValue(Id::PlayerVolume, knob);
        ASSERT_TRUE(store.SaveSoundSettings(ini));
        SettingsStore next;
        next.LoadSoundSettings(ini);
        EXPECT_EQ(next.value(Id::PlayerVolume), knob) << "stored "
            << ReadProfileInt(QStringLiteral("Sound"), QStringLiteral("PlayerVolume"), -1, ini);
    }
}

TEST_F(SettingsStoreTest, DamagedFilesReadAsDefaults)
{
    const QByteArray junk[] = {
        QByteArray("\x00\x01\xff\xfe[[[[===\x00]]]\n\n\r\r", 19),
        QByteArray(1024 * 1024, '['),
        "[\n[Main\nTop\n=1000\n]\n",
        "Top=1\nLeft=2\n[Option\nForemost=-1\n",
    };
    const SettingsStore defaults;
    for (const QByteArray &bytes : junk) {
        SCOPED_TRACE(bytes.left(20).toHex().toStdString());
        writeBytes(ini, bytes);
        writeBytes(colorIni, bytes);
        SettingsStore s;
        s.LoadSettings(ini, colorIni);
        s.LoadSoundSettings(ini);
        s.LoadColumnSettings(ini);
        s.LoadResume(ini);
        for (const SettingKey &k : settingKeys()) {
            SCOPED_TRACE(k.key);
            if (k.kind == SettingKind::Text)
                EXPECT_EQ(s.text(k.id), defaults.text(k.id));
            else
                EXPECT_EQ(s.value(k.id), defaults.value(k.id));
        }
    }
}

TEST_F(SettingsStoreTest, WindowsOffEveryScreenAreBroughtBack)
{
    struct Case
    {
        const char *name;
        QByteArray file;
        int left;
        int top; // expected, pixels
    };
    const Case cases[] = {
        {"on the first screen stays", "[Main]\nLeft=1500\nTop=3000\n", 100, 200},
        {"on the second screen stays", "[Main]\nLeft=30000\nTop=1500\n", 2000, 100},
        {"far left comes back", "[Main]\nLeft=-30000\nTop=1500\n", 0, 100},
        {"below every screen comes back", "[Main]\nLeft=1500\nTop=32000\n", 100, 1080 - 16},
        {"barely visible corner counts as off", "[Main]\nLeft=-10500\nTop=1500\n", 0, 100},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        SettingsStore s;
        s.setScreenAreas({QRect(0, 0, 1920, 1080), QRect(1920, 0, 1280, 1024)});
        writeBytes(ini, c.file);
        s.LoadSettings(ini, colorIni);
        EXPECT_EQ(s.pixels(Id::MainLeft), c.left);
        EXPECT_EQ(s.pixels(Id::MainTop), c.top);
    }
}

// ---------------------------------------------------------------- saving

TEST_F(SettingsStoreTest, SavingConvertsLiveValues)
{
    struct Case
    {
        const char *name;
        void (*change)(SettingsStore &);
        const char *section;
        const char *key;
        QString expected; // "<absent>" when the key must not be written
    };
    const Case cases[] = {
        {"Foremost on is -1", [](SettingsStore &s) { s.setValue(Id::Foremost, 1); }, "Option", "Foremost", "-1"},
        {"sorted is -1", [](SettingsStore &s) { s.setValue(Id::Sort, 1); }, "ColumnHeader", "Sort", "-1"},
        {"check box is 1", [](SettingsStore &s) { s.setValue(Id::Fade, 1); }, "Control", "Fade", "1"},
        {"play mode 3 is stored as 2", [](SettingsStore &s) { s.setValue(Id::PlayMode, 3); }, "State", "PlayMode", "2"},
        {"play mode 0 is stored as -1", [](SettingsStore &s) { s.setValue(Id::PlayMode, 0); }, "State", "PlayMode", "-1"},
        {"no docking option: not written",
         [](SettingsStore &s) { s.setValue(Id::PlaylistAdsorption, SettingsStore::NoChoice); }, "Option",
         "PlaylistAdsorption", "<absent>"},
        {"no click option: 1", [](SettingsStore &s) { s.setValue(Id::TreeClick, SettingsStore::NoChoice); },
         "Option", "TreeClick", "1"},
        {"window moved in pixels", [](SettingsStore &s) { s.setPixels(Id::MainTop, 100); }, "Main", "Top", "1500"},
        {"unmoved window keeps its twips", [](SettingsStore &s) { s.setPixels(Id::MainTop, 67); }, "Main", "Top",
         "1000"},
        {"colour as signed decimal", [](SettingsStore &s) { s.setColorRef(TreeForeSlot, int(0x80000005)); }, "Color",
         "TreeForeColor", "-2147483643"},
        {"colour from a QColor", [](SettingsStore &s) { s.setColorRef(ActiveItemSlot, SettingsStore::refFromColor(QColor(1, 2, 3))); },
         "Color", "ActiveItemColor", "197121"},
        {"levelling album mode", [](SettingsStore &s) { s.setValue(Id::ReplayGain, 2); }, "Sound", "ReplayGain", "2"},
        {"negative pre-amp", [](SettingsStore &s) { s.setValue(Id::ReplayGainPreamp, -6); }, "Sound",
         "ReplayGainPreamp", "-6"},
        {"device name in UTF-8",
         [](SettingsStore &s) { s.setText(Id::OutputDevice, QStringLiteral("USB オーディオ [Stereo]")); }, "Sound",
         "OutputDevice", QStringLiteral("USB オーディオ [Stereo]")},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(ini);
        QFile::remove(colorIni);
        SettingsStore s;
        c.change(s);
        ASSERT_TRUE(s.SaveSettings(ini, colorIni));
        const QString file = QString::fromLatin1(c.section) == QLatin1String("Color") ? colorIni : ini;
        EXPECT_EQ(ReadProfileString(QString::fromLatin1(c.section), QString::fromLatin1(c.key),
                                    QStringLiteral("<absent>"), file),
                  c.expected);
    }
}

TEST_F(SettingsStoreTest, ResumePointRoundTrips)
{
    store.setValue(Id::ResumeNo, 12);
    store.setValue(Id::ResumePosition, 123456);
    ASSERT_TRUE(store.SaveResume(ini));
    SettingsStore next;
    const ResumePoint resume = next.LoadResume(ini);
    EXPECT_EQ(resume.no, 12);
    EXPECT_EQ(resume.positionMs, 123456);
}

TEST_F(SettingsStoreTest, OneSaveGivesTheBytesOfTheSingleWrites)
{
    // A file someone edited: other case, junk, comments, duplicates, a section
    // of another program, keys missing and keys in between.
    const QByteArray edited = "; edited by hand\r\n[main]\nTOP = 5\n\n[Junk\nnoequals\n[Option]\nForemost=-1\n"
                              "Foremost=0\n[Other]\nkeep=me\n[OPTION]\nTreeClick=1\n[Font]\r\n"
                              "MainFontName=\"Old Name\"\n";
    store.setValue(Id::Foremost, 1);
    store.setText(Id::TagEditorPath, QStringLiteral("/usr/bin/tag editor"));
    store.setValue(Id::PlaylistAdsorption, SettingsStore::NoChoice);
    store.setColorRef(LevelMiddleSlot, 0x123456);

    const QString single = dir.filePath(QStringLiteral("single.ini"));
    const QString singleColor = dir.filePath(QStringLiteral("singleColor.ini"));
    writeBytes(ini, edited);
    writeBytes(single, edited);
    writeBytes(colorIni, edited);
    writeBytes(singleColor, edited);

    ASSERT_TRUE(store.SaveSettings(ini, colorIni));
    const auto replay = [](const QList<ProfileWrite> &writes, const QString &path) {
        for (const ProfileWrite &w : writes) {
            switch (w.writer) {
            case SettingWriter::Int16:
                WriteProfileInt(w.section, w.key, qint16(w.number), path);
                break;
            case SettingWriter::Long32:
                WriteProfileLong(w.section, w.key, w.number, path);
                break;
            case SettingWriter::Text:
                WriteProfileString(w.section, w.key, w.text, path);
                break;
            case SettingWriter::Never:
                FAIL() << "a never-written key in a save";
            }
        }
    };
    replay(store.mainFileWrites(), single);
    replay(store.colorFileWrites(), singleColor);
    EXPECT_EQ(readBytes(ini), readBytes(single));
    EXPECT_EQ(readBytes(colorIni), readBytes(singleColor));
    EXPECT_TRUE(readBytes(ini).contains("[Other]\r\nkeep=me\r\n"));
}

TEST_F(SettingsStoreTest, FolderOfAnAddCommandIsWrittenAtOnce)
{
    writeBytes(ini, "[Main]\r\nTop=1\r\n");
    store.rememberFolder(Id::SelectFolder, QStringLiteral("/home/user/音楽"), ini);
    EXPECT_EQ(store.text(Id::SelectFolder), QStringLiteral("/home/user/音楽"));
    EXPECT_EQ(readBytes(ini), QByteArray("[Main]\r\nTop=1\r\n[Option]\r\nSelectFolder=/home/user/音楽\r\n"));
}

TEST_F(SettingsStoreTest, LoadTellsObserversOfChangesAndTheEnd)
{
    QSignalSpy changed(&store, &SettingsStore::valueChanged);
    QSignalSpy loaded(&store, &SettingsStore::settingsLoaded);
    writeBytes(colorIni, "[Color]\nTreeBackColor=255\nTreeForeColor=65280\n");
    writeBytes(ini, "[Control]\nScrollSpeed=100\nFadeSpeed=20\n");
    store.LoadSettings(ini, colorIni);

    QList<Id> ids;
    for (const QList<QVariant> &args : changed)
        ids.append(args.at(0).value<Id>());
    // Only what changed, in the load order: the tree's colours right after
    // their slots, the colour file before the main file.
    EXPECT_EQ(ids, (QList<Id>{Id::TreeForeColor, Id::TreeBackColor, Id::FadeSpeed}));
    EXPECT_EQ(loaded.count(), 1);
}

} // namespace
