#include "core/MessageService.h"
#include "style/Style.h"
#include "style/StyleCreation.h"
#include "style/StyleEditorModel.h"
#include "FileSizeLimit.h"
#include "QtPrinters.h"
#include "ScriptedMessageBox.h"
#include "TestFiles.h"

#include <QDir>
#include <QImage>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <vector>

namespace {

const QString Bundled = QStringLiteral(VELMORA_SOURCE_DIR "/assets/Style/WindowsStyle/");

QImage filled(QColor color, QSize size = QSize(40, 30))
{
    QImage img(size, QImage::Format_RGB32);
    img.fill(color);
    return img;
}

bool samePicture(const QImage &a, const QImage &b)
{
    if (a.isNull() || b.isNull())
        return a.isNull() == b.isNull();
    return a.convertToFormat(QImage::Format_ARGB32) == b.convertToFormat(QImage::Format_ARGB32);
}

StyleBackgrounds backgroundsOf(const Style &s)
{
    return {s.mainBack, s.panelBack, s.listBack, s.viewBack};
}

// Every entry of `folder`, hidden ones included.
QStringList entries(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

struct Creation : ::testing::Test {
    QTemporaryDir home;
    QString root() const { return home.path() + "/Style"; }
    ScriptedMessageBox box;
    MessageService messages{box, box, QStringLiteral("Velmora")};
    const Style source = Style::LoadStyle(QStringLiteral(VELMORA_SOURCE_DIR "/assets/Style"), Style::DefaultName);

    StyleEditorModel editor(const StyleBackgrounds &shown)
    {
        return StyleEditorModel(messages, root(), Style::DefaultName, source.folder, shown);
    }
};

TEST_F(Creation, ACopyOfTheBundledStyleLoadsBackPictureForPicture)
{
    ASSERT_EQ(source.folder, Bundled);
    const std::array<QString, 6> info = {"Mine", "2.0", "作者", "https://mine.example", "me@mine.example", ""};
    const QByteArray infoFile = "Mine\r\n2.0\r\n作者\r\nhttps://mine.example\r\nme@mine.example\r\n\r\n";
    struct Case {
        const char *name;
        StyleBackgrounds backgrounds;
    } cases[] = {
        {"コピー ～ WindowsStyle", backgroundsOf(source)},
        {"new pictures", {filled(Qt::red), filled(Qt::green, QSize(7, 5)), filled(Qt::blue), filled(Qt::gray)}},
        {"no backgrounds", {}},
        {"only the list", {QImage(), QImage(), filled(Qt::blue), QImage()}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const NewStyle request{QString::fromUtf8(c.name), source.folder, c.backgrounds, info};
        ASSERT_EQ(StyleCreation::create(root(), request, false).status, StyleCreation::Result::Created);

        const QString folder = root() + "/" + request.name + "/";
        const Style copy = Style::LoadStyle(root(), request.name);
        ASSERT_EQ(copy.folder, folder);
        for (int state = 0; state < 3; ++state) {
            for (int b = 0; b < Style::MainButtonCount; ++b)
                EXPECT_TRUE(samePicture(copy.mainButtons[state][b], source.mainButtons[state][b])) << state << b;
            for (int b = 0; b < Style::ListButtonCount; ++b)
                EXPECT_TRUE(samePicture(copy.listButtons[state][b], source.listButtons[state][b])) << state << b;
        }
        for (int o = 0; o < Style::OtherCount; ++o)
            EXPECT_TRUE(samePicture(copy.other[o], source.other[o])) << o;
        for (int i = 0; i < Style::IconCount; ++i)
            EXPECT_TRUE(samePicture(copy.icons[i], source.icons[i])) << i;

        const struct {
            const char *group;
            QImage written, loaded;
        } backs[] = {{"mainback", c.backgrounds.mainBack, copy.mainBack},
                     {"panelback", c.backgrounds.panelBack, copy.panelBack},
                     {"listback", c.backgrounds.listBack, copy.listBack},
                     {"viewback", c.backgrounds.viewBack, copy.viewBack}};
        for (const auto &b : backs) {
            EXPECT_TRUE(samePicture(b.loaded, b.written)) << b.group;
            // One file per background, edited in place by any image editor.
            const QStringList files = QDir(folder).entryList({QString::fromLatin1(b.group) + "*"}, QDir::Files);
            EXPECT_EQ(files, b.written.isNull() ? QStringList() : QStringList{QString::fromLatin1(b.group) + ".bmp"});
        }
        EXPECT_EQ(readBytes(folder + "info.txt"), infoFile);
        EXPECT_EQ(copy.info, info);
    }
    EXPECT_EQ(entries(root()), (QStringList{"new pictures", "no backgrounds", "only the list", "コピー ～ WindowsStyle"}))
        << "no working folder is left behind";
}

TEST_F(Creation, UnusableNamesAreRefusedAndNothingIsWritten)
{
    const struct {
        QString name;
        bool usable;
    } cases[] = {
        {"Mine", true},
        {"コピー ～ WindowsStyle", true},
        {"a b.c", true},
        {"", false},
        {"   ", false},
        {"..", false},
        {"../Escaped", false},
        {"a/b", false},
        {"a\\b", false},
        {"a..b", false},
        {".hidden", false},
        {"trailing.", false},
        {"trailing ", false},
        {"a:b", false},
        {"a*b", false},
        {"a?b", false},
        {"a\"b", false},
        {"a<b>", false},
        {"a|b", false},
        {"tab\there", false},
        {QString(300, QLatin1Char('x')), false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name.toStdString());
        EXPECT_EQ(StyleCreation::nameProblem(c.name).isEmpty(), c.usable);
        if (c.usable)
            continue;
        const auto result = StyleCreation::create(root(), NewStyle{c.name, source.folder, {}, {}}, true);
        EXPECT_EQ(result.status, StyleCreation::Result::Refused);
        EXPECT_EQ(entries(root()), QStringList());
        EXPECT_FALSE(QFileInfo::exists(home.path() + "/Escaped"));

        // The editor says why (it drops spaces at the ends first, as for
        // every typed name, so a name refused only for them is made there).
        if (c.name.trimmed() != c.name && StyleCreation::nameProblem(c.name.trimmed()).isEmpty())
            continue;
        box.asked.clear();
        EXPECT_EQ(editor({}).create(c.name, {}), std::nullopt);
        ASSERT_EQ(box.asked.size(), 1);
        EXPECT_EQ(box.asked[0], result.message);
    }
    // A typed name is used without the spaces at its ends.
    box.asked.clear();
    EXPECT_EQ(editor({}).create(QStringLiteral("  Spaced  "), {}), std::optional<QString>(QStringLiteral("Spaced")));
    EXPECT_TRUE(QFileInfo::exists(root() + "/Spaced"));
    EXPECT_FALSE(QFileInfo::exists(root() + "/  Spaced  "));
}

TEST_F(Creation, AnExistingStyleIsReplacedOnlyWhenTheUserAgrees)
{
    QTemporaryDir elsewhere;
    const QString outside = touchFile(elsewhere.path() + "/Linked/keep.txt", "outside");
    const struct {
        const char *name;
        int answer;
        bool linked; // the existing style is a link to a folder elsewhere
        bool replaced;
    } cases[] = {
        {"declined", MessageService::No, false, false},
        {"agreed", MessageService::Yes, false, true},
        {"agreed over a link", MessageService::Yes, true, true},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const QString name = QString::fromUtf8(c.name);
        QDir().mkpath(root());
        if (c.linked)
            ASSERT_TRUE(QFile::link(elsewhere.path() + "/Linked", root() + "/" + name));
        else
            touchFile(root() + "/" + name + "/keep.txt", "old");
        box.answer = c.answer;
        box.asked.clear();
        const auto created = editor({}).create(name, {"New", "", "", "", "", ""});
        ASSERT_EQ(box.asked.size(), 1);
        EXPECT_EQ(box.asked[0], QStringLiteral("スタイル\"%1\"は既にあります。\r\n上書きしますか？").arg(name));
        EXPECT_EQ(created, c.replaced ? std::optional<QString>(name) : std::nullopt);
        EXPECT_EQ(QFileInfo::exists(root() + "/" + name + "/keep.txt"), !c.replaced);
        EXPECT_EQ(Style::LoadStyle(root(), name).info[0], c.replaced ? QStringLiteral("New") : QStringLiteral("Unknown"));
        EXPECT_EQ(readBytes(outside), "outside") << "what a link pointed at is never touched";
    }
    EXPECT_EQ(entries(root()), (QStringList{"agreed", "agreed over a link", "declined"}));
}

TEST_F(Creation, AFailingWriteLeavesNoHalfMadeStyleAndSaysWhatFailed)
{
    // The bundled files fit under the limit; a 600 x 400 bitmap does not.
    const StyleBackgrounds big{filled(Qt::red, QSize(600, 400)), {}, {}, {}};
    const struct {
        const char *name;
        bool existing;
    } cases[] = {{"Fresh", false}, {"Existing", true}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const QString name = QString::fromUtf8(c.name);
        if (c.existing)
            touchFile(root() + "/" + name + "/keep.txt", "old");
        const QStringList before = entries(root());
        box.answer = MessageService::Yes;
        box.asked.clear();
        {
            const FileSizeLimit full(200 * 1024);
            EXPECT_EQ(editor(big).create(name, {}), std::nullopt);
        }
        ASSERT_FALSE(box.asked.isEmpty());
        EXPECT_EQ(box.asked.last(),
                  QStringLiteral("スタイル\"%1\"を作成できませんでした。\r\n画像\"mainback.bmp\"を書き込めません。").arg(name));
        EXPECT_EQ(entries(root()), before);
        if (c.existing) {
            EXPECT_EQ(readBytes(root() + "/" + name + "/keep.txt"), "old");
        }
    }
}

TEST_F(Creation, PictureRowsSetAndClearTheirTargetsAndLabels)
{
    QTemporaryDir pictures;
    const QString a = pictures.path() + "/a.bmp", b = pictures.path() + "/b.photo.jpg";
    ASSERT_TRUE(filled(Qt::red).save(a));
    ASSERT_TRUE(filled(Qt::blue).save(b, "JPEG", 100));
    touchFile(pictures.path() + "/broken.bmp", "not a picture");
    using M = StyleEditorModel;
    enum Action { Pick, Clear };
    const QString N = M::Nothing;
    // Expected: the six labels, and which of main, panel, list, view hold a picture.
    const struct {
        Action action;
        M::Row row;
        QString file;
        std::array<QString, 6> labels;
        std::array<bool, 4> set;
        bool told; // a message was shown
    } steps[] = {
        {Pick, M::MainBack, a, {"a", N, N, N, N, N}, {true, false, false, true}, false},
        {Pick, M::MainBoth, b, {"b.photo", "b.photo", "b.photo", N, N, N}, {true, true, false, true}, false},
        {Pick, M::MainDisplay, a, {"b.photo", "a", N, N, N, N}, {true, true, false, true}, false},
        {Clear, M::MainBack, {}, {N, "a", N, N, N, N}, {false, true, false, true}, false},
        {Pick, M::ListView, a, {N, "a", N, N, "a", N}, {false, true, false, true}, false},
        {Pick, M::ListBack, {}, {N, "a", N, N, "a", N}, {false, true, false, true}, false},
        {Pick, M::ListBack, pictures.path() + "/broken.bmp", {N, "a", N, N, "a", N}, {false, true, false, true}, true},
        {Pick, M::ListBoth, a, {N, "a", N, "a", "a", "a"}, {false, true, true, true}, false},
        {Clear, M::ListBoth, {}, {N, "a", N, N, N, N}, {false, true, false, false}, false},
        {Clear, M::MainBoth, {}, {N, N, N, N, N, N}, {false, false, false, false}, false},
    };
    // The editor starts from what the windows show.
    M model(messages, root(), "Mine", QString(), {filled(Qt::white), {}, {}, filled(Qt::white)});
    EXPECT_EQ(model.defaultName(), QStringLiteral("コピー ～ Mine"));
    QList<bool> previews;
    QObject::connect(&model, &M::backgroundsChanged, [&](bool main) { previews << main; });
    int i = 0;
    for (const auto &s : steps) {
        SCOPED_TRACE(i++);
        box.asked.clear();
        previews.clear();
        if (s.action == Pick)
            model.pick(s.row, s.file);
        else
            model.clear(s.row);
        for (int r = 0; r < M::RowCount; ++r)
            EXPECT_EQ(model.label(M::Row(r)), s.labels[std::size_t(r)]) << "row " << r;
        const StyleBackgrounds &g = model.backgrounds();
        EXPECT_EQ((std::array<bool, 4>{!g.mainBack.isNull(), !g.panelBack.isNull(), !g.listBack.isNull(),
                                       !g.viewBack.isNull()}),
                  s.set);
        EXPECT_EQ(box.asked.size(), s.told ? 1 : 0);
        const bool changed = s.action == Clear || (!s.file.isEmpty() && !s.told);
        // Compared as a plain vector: an empty QList<bool> hands memcmp a null pointer.
        EXPECT_EQ(std::vector<bool>(previews.begin(), previews.end()),
                  changed ? std::vector<bool>{s.row <= M::MainBoth} : std::vector<bool>());
    }
}

TEST(StyleInfoText, SixLinesEndedByCrLfWhateverWasTyped)
{
    const struct {
        std::array<QString, 6> lines;
        QByteArray file;
    } cases[] = {
        {{}, "\r\n\r\n\r\n\r\n\r\n\r\n"},
        {{"名前", "1", "", "", "", "c"}, "名前\r\n1\r\n\r\n\r\n\r\nc\r\n"},
        {{"two\r\nlines", "cr\rlf\n", "", "", "", ""}, "two lines\r\ncr lf \r\n\r\n\r\n\r\n\r\n"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(StyleCreation::infoText(c.lines), c.file);
}

} // namespace
