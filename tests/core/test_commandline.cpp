#include "core/CommandLine.h"

#include <gtest/gtest.h>

namespace {

struct SplitCase {
    const char *name;
    QString text;
    QStringList expected;
};

class SplitCommandLineTest : public ::testing::TestWithParam<SplitCase> {};

TEST_P(SplitCommandLineTest, SplitsAsDocumented)
{
    EXPECT_EQ(SplitCommandLine(GetParam().text), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SplitCommandLineTest,
    ::testing::Values(
        SplitCase{"Empty", QString(), {}},
        SplitCase{"OneUnquoted", QStringLiteral("/m/a.mp3"), {QStringLiteral("/m/a.mp3")}},
        SplitCase{"TwoQuotedFirstWithSpace", QStringLiteral("\"/m/my song.mp3\" \"/m/b.mp3\""),
                  {QStringLiteral("/m/my song.mp3"), QStringLiteral("/m/b.mp3")}},
        SplitCase{"UnquotedPathWithSpaceFallsApart", QStringLiteral("/m/my song.mp3 /m/b.mp3"),
                  {QStringLiteral("/m/my"), QStringLiteral("song.mp3"), QStringLiteral("/m/b.mp3")}},
        SplitCase{"DoubleSpaceKeepsEmptyPiece", QStringLiteral("a  b"),
                  {QStringLiteral("a"), QString(), QStringLiteral("b")}},
        SplitCase{"LoneQuote", QStringLiteral("\""), {QString()}},
        SplitCase{"QuotedSingle", QStringLiteral("\"/x y/z.ogg\""), {QStringLiteral("/x y/z.ogg")}}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(ParseArguments, OptionsAndPaths)
{
    struct Case {
        QStringList args;
        QStringList paths;
        bool help;
        bool version;
        bool error;
        bool newInstance = false;
    };
    const Case cases[] = {
        {{}, {}, false, false, false},
        {{QStringLiteral("a.mp3"), QStringLiteral("b c.ogg")}, {QStringLiteral("a.mp3"), QStringLiteral("b c.ogg")}, false, false, false},
        {{QStringLiteral("--help")}, {}, true, false, false},
        {{QStringLiteral("-v")}, {}, false, true, false},
        {{QStringLiteral("--"), QStringLiteral("--help")}, {QStringLiteral("--help")}, false, false, false},
        {{QStringLiteral("--bogus"), QStringLiteral("x")}, {QStringLiteral("x")}, false, false, true},
        // A lone "-" is a path (some tools mean standard input by it; we just pass it on).
        {{QStringLiteral("-")}, {QStringLiteral("-")}, false, false, false},
        {{QStringLiteral("--new-instance"), QStringLiteral("a.mp3")}, {QStringLiteral("a.mp3")}, false, false, false, true},
        {{QStringLiteral("--"), QStringLiteral("--new-instance")}, {QStringLiteral("--new-instance")}, false, false, false},
    };
    for (const Case &c : cases) {
        const CommandLineRequest r = ParseArguments(c.args);
        SCOPED_TRACE(c.args.join(QLatin1Char(' ')).toStdString());
        EXPECT_EQ(r.paths, c.paths);
        EXPECT_EQ(r.showHelp, c.help);
        EXPECT_EQ(r.showVersion, c.version);
        EXPECT_EQ(!r.error.isEmpty(), c.error);
        EXPECT_EQ(r.newInstance, c.newInstance);
    }
}

TEST(ParseArguments, JoinedTextSplitsBackToTheSamePaths)
{
    const QStringList paths = {QStringLiteral("/m/my song.mp3"), QStringLiteral("/m/b.mp3")};
    CommandLineRequest r;
    r.paths = paths;
    EXPECT_EQ(SplitCommandLine(r.joinedText()), paths);
}

TEST(ParseArguments, ToolkitOptionsAreSetAsideBeforeTheCheck)
{
    const struct {
        const char *name;
        QStringList args;
        QStringList rest;
    } cases[] = {
        {"NoneGiven", {QStringLiteral("a.mp3"), QStringLiteral("--bogus")}, {QStringLiteral("a.mp3"), QStringLiteral("--bogus")}},
        {"WithTheirValues",
         {QStringLiteral("-platform"), QStringLiteral("offscreen"), QStringLiteral("--display"), QStringLiteral(":1"),
          QStringLiteral("a.mp3")},
         {QStringLiteral("a.mp3")}},
        {"EqualsFormAndFlags",
         {QStringLiteral("-style=fusion"), QStringLiteral("-reverse"), QStringLiteral("--help")},
         {QStringLiteral("--help")}},
        {"AfterTheEndOfOptions", {QStringLiteral("--"), QStringLiteral("-platform"), QStringLiteral("x")},
         {QStringLiteral("--"), QStringLiteral("-platform"), QStringLiteral("x")}},
        {"ValueMissingAtTheEnd", {QStringLiteral("-platform")}, {QStringLiteral("-platform")}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(WithoutToolkitOptions(c.args), c.rest) << c.name;
}

TEST(ParseArguments, PathsNoFileCanHaveAreLeftOutWithALogLine)
{
    const QString tooLong = u'/' + QString(8000, u'a');
    const CommandLineRequest r = ParseArguments({QStringLiteral("a.mp3"), tooLong, QStringLiteral("b.mp3")});
    EXPECT_EQ(r.paths, (QStringList{QStringLiteral("a.mp3"), QStringLiteral("b.mp3")}));
    ASSERT_EQ(r.leftOut.size(), 1);
    EXPECT_TRUE(r.leftOut[0].contains(QStringLiteral("longer than"))) << r.leftOut[0].toStdString();
    EXPECT_TRUE(r.error.isEmpty());
}

} // namespace
