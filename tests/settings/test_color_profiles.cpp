#include "LogicDoubles.h"
#include "ScriptedMessageBox.h"
#include "TestFiles.h"
#include "core/MessageService.h"
#include "core/SafeName.h"
#include "settings/ColorProfiles.h"
#include "settings/SettingsStore.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// What the box showed, each as "style|text".
QStringList shownBy(const ScriptedMessageBox &box)
{
    QStringList out;
    for (qsizetype i = 0; i < box.asked.size(); ++i)
        out << QStringLiteral("%1|%2").arg(box.styles[i]).arg(box.asked[i]);
    return out;
}

struct ColorProfilesTest : ::testing::Test {
    QTemporaryDir dir;
    QString folder = dir.filePath("Color") + "/";
    ScriptedMessageBox box;
    MessageService messages{box, box, QStringLiteral("Velmora")};
    SettingsStore store;
    FixedClock clock;
    ColorProfiles profiles{store, messages, folder, clock};

    void SetUp() override { clock.now = QDateTime(QDate(2025, 4, 1), QTime(9, 8, 7)); }
    QByteArray profile(const QString &name) { return readBytes(folder + name + ".ini"); }
};

TEST(ColorBoxes, EachSlotOnceInItsGroup)
{
    const QList<int> miniFace = {1, 4, 5, 6, 8, 9, 10, 11};
    const QList<int> playlist = {0, 2, 3, 7, 12, 13, 14, 15, 16, 17, 18, 19};
    QList<int> seen;
    for (const ColorBox &b : miniFaceColorBoxes()) {
        EXPECT_TRUE(miniFace.contains(b.slot)) << b.slot;
        seen << b.slot;
    }
    for (const ColorBox &b : playlistColorBoxes()) {
        EXPECT_TRUE(playlist.contains(b.slot)) << b.slot;
        seen << b.slot;
    }
    std::sort(seen.begin(), seen.end());
    QList<int> all;
    for (int i = 0; i < ColorSlotCount; ++i)
        all << i;
    EXPECT_EQ(seen, all);
}

TEST(SafeNames, OnlyPlainNamesInsideTheFolder)
{
    struct Case {
        const char *name;
        bool safe;
    } cases[] = {
        {"Night", true},     {"夜 の 色", true},  {" padded ", true}, {"a.b", true},     {"../Velmora", false},
        {"..", false},       {".", false},        {"a/b", false},     {"a\\b", false},   {"a..b", false},
        {"", false},         {"  ", false},       {"tab\tname", false}, {"nul\x01", false},
    };
    for (const Case &c : cases)
        EXPECT_EQ(IsSafeName(QString::fromUtf8(c.name)), c.safe) << c.name;
    EXPECT_TRUE(IsSafeName(QString(83, QChar(0x3042))));  // 249 bytes of UTF-8
    EXPECT_FALSE(IsSafeName(QString(84, QChar(0x3042)))); // 252 bytes
}

TEST(SafeNames, TheMessageSaysWhatIsWrong)
{
    const struct {
        const char *name;
        QString typed;
        QString reason; // the message's second line
    } cases[] = {
        {"too long", QString(300, u'a'), QStringLiteral("名前が長すぎます（251 バイトまで、全角文字は 1 文字 3 バイト）。")},
        {"a hidden name", QStringLiteral(".hidden"), QStringLiteral("「.」で始まらない名前にしてください。")},
        {"a separator", QStringLiteral("a/b"), QStringLiteral("「/」「\\」を含まない名前にしてください。")},
        {"a parent folder", QStringLiteral("../x"), QStringLiteral("「..」を含まない名前にしてください。")},
        {"blank", QStringLiteral("  "), QStringLiteral("名前が空です。")},
        {"a control character", QStringLiteral("tab\tname"), QStringLiteral("制御文字を含まない名前にしてください。")},
    };
    for (const auto &c : cases) {
        EXPECT_FALSE(IsSafeName(c.typed)) << c.name;
        const QStringList lines = UnsafeNameMessage(c.typed).split(QStringLiteral("\r\n"));
        ASSERT_EQ(lines.size(), 2) << c.name;
        EXPECT_EQ(lines[1], c.reason) << c.name;
        EXPECT_LE(lines[0].size(), 60) << c.name << ": the name is shown cut";
    }
}

TEST_F(ColorProfilesTest, ListIsEveryVisibleFileWithoutItsLastFourCharacters)
{
    writeBytes(folder + "AutoColor.ini", "");
    writeBytes(folder + "Night.ini", "");
    writeBytes(folder + "notes.txt", "");
    writeBytes(folder + ".hidden.ini", "");
    writeBytes(folder + "ab", "");
    QDir().mkpath(folder + "Folder.ini");
    EXPECT_EQ(profiles.ColorComboCreate(), (QStringList{"AutoColor", "Night", "notes"}));
}

TEST_F(ColorProfilesTest, SelectingLoadsAListedProfileOnly)
{
    writeBytes(folder + "Night.ini", "[Color]\r\nTreeBackColor=255\r\n");
    writeBytes(folder + "notes.txt", "[Color]\r\nTreeBackColor=7\r\n");
    store.setColorRef(SelectForeSlot, 1);

    EXPECT_TRUE(profiles.select("Night"));
    EXPECT_EQ(store.colorRef(TreeBackSlot), 255);
    EXPECT_EQ(store.colorRef(SelectForeSlot), 0x0080FF) << "what the profile lacks takes its default";

    EXPECT_TRUE(profiles.select("notes")); // reads "notes.ini", which does not exist
    EXPECT_EQ(store.colorRef(TreeBackSlot), 0);
    store.setColorRef(TreeBackSlot, 9);
    EXPECT_FALSE(profiles.select("Missing"));
    EXPECT_FALSE(profiles.select("../Color/Night"));
    EXPECT_EQ(store.colorRef(TreeBackSlot), 9);
}

TEST_F(ColorProfilesTest, SavingNamesAsksBeforeOverwritingAndRefusesUnsafeNames)
{
    struct Case {
        const char *typed;
        int answer;
        const char *savedAs; // nullptr: nothing saved
        const char *message; // what the box showed, "" for nothing
    } cases[] = {
        {"Night", MessageService::Yes, "Night", ""},
        {"Night", MessageService::No, nullptr, "36|カラープロファイル\"Night\"は既にあります。\r\n上書きしますか？"},
        {"Night", MessageService::Yes, "Night", "36|カラープロファイル\"Night\"は既にあります。\r\n上書きしますか？"},
        {"  ", MessageService::Yes, "Color20250401090807", ""},
        {" Day ", MessageService::Yes, "Day", ""}, // spaces at the ends are dropped, as for every typed name
        {"../Velmora", MessageService::Yes, nullptr,
         "48|\"../Velmora\" は名前に使えません。\r\n「..」を含まない名前にしてください。"},
        {"sub/x", MessageService::Yes, nullptr, ""},
    };
    int colour = 100;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.typed);
        box.asked.clear();
        box.styles.clear();
        box.answer = c.answer;
        store.setColorRef(TreeBackSlot, ++colour);
        const std::optional<QString> saved = profiles.save(QString::fromUtf8(c.typed));
        ASSERT_EQ(saved.has_value(), c.savedAs != nullptr);
        if (saved) {
            EXPECT_EQ(*saved, QString::fromUtf8(c.savedAs));
            EXPECT_TRUE(profile(*saved).contains(QStringLiteral("TreeBackColor=%1").arg(colour).toUtf8()));
        }
        if (*c.message)
            EXPECT_EQ(shownBy(box), QStringList{QString::fromUtf8(c.message)});
        else if (c.savedAs)
            EXPECT_TRUE(box.asked.isEmpty());
        else
            EXPECT_EQ(box.asked.size(), 1);
    }
    EXPECT_TRUE(profile("Night").contains("TreeBackColor=103")) << "the declined overwrite kept the file";
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList()) << "nothing written outside the folder";
    EXPECT_FALSE(QFileInfo::exists(folder + "sub"));
}

TEST_F(ColorProfilesTest, DeletingAsksAndDeletesOnlyInsideTheFolder)
{
    writeBytes(folder + "Night.ini", "[Color]\r\n");
    writeBytes(dir.filePath("Velmora.ini"), "[Main]\r\n");
    struct Case {
        const char *typed;
        int answer;
        bool deleted;
        const char *message;
    } cases[] = {
        {"", MessageService::Yes, false, "16|プレイリストが選択されてません"},
        {"   ", MessageService::Yes, false, "16|プレイリストが選択されてません"},
        {"../Velmora", MessageService::Yes, false,
         "48|\"../Velmora\" は名前に使えません。\r\n「..」を含まない名前にしてください。"},
        {"Night", MessageService::No, false, "36|選択しているカラープロファイル\"Night\"を削除します。\r\nよろしいですか？"},
        {"Night", MessageService::Yes, true, "36|選択しているカラープロファイル\"Night\"を削除します。\r\nよろしいですか？"},
        {"Night", MessageService::Yes, false, "36|選択しているカラープロファイル\"Night\"を削除します。\r\nよろしいですか？"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.typed);
        box.asked.clear();
        box.styles.clear();
        box.answer = c.answer;
        EXPECT_EQ(profiles.remove(QString::fromUtf8(c.typed)), c.deleted);
        EXPECT_EQ(shownBy(box), QStringList{QString::fromUtf8(c.message)});
    }
    EXPECT_FALSE(QFileInfo::exists(folder + "Night.ini"));
    EXPECT_TRUE(QFileInfo::exists(dir.filePath("Velmora.ini")));
}

} // namespace
