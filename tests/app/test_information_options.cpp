// The built player asked for its help or version where no display exists.
#include <QProcess>
#include <QProcessEnvironment>
#include <gtest/gtest.h>

namespace {

struct ProgramRun {
    int exitCode = -1;
    bool crashed = true;
    QString out;
    QString err;
};

// Runs the player with `args` where no window system can be reached.
ProgramRun runWithoutDisplay(const QStringList &args, const QString &platform)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(QString::fromLatin1(name));
    if (!platform.isEmpty())
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), platform);
    env.insert(QStringLiteral("VELMORA_HOME"), QStringLiteral("/nonexistent/velmora-home"));
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(VELMORA_BINARY), args);
    ProgramRun r;
    if (!p.waitForFinished(30000)) {
        p.kill();
        p.waitForFinished();
        return r;
    }
    r.crashed = p.exitStatus() != QProcess::NormalExit;
    r.exitCode = p.exitCode();
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

TEST(Program, InformationOptionsNeedNoDisplay)
{
    struct Case {
        QStringList args;
        const char *expected;
    };
    const Case cases[] = {
        {{QStringLiteral("--help")}, "Usage: velmora"},
        {{QStringLiteral("-h")}, "Usage: velmora"},
        {{QStringLiteral("--version")}, "Velmora " VELMORA_VERSION "\n"},
        {{QStringLiteral("/some/file.mp3"), QStringLiteral("-v")}, "Velmora " VELMORA_VERSION "\n"},
    };
    for (const QString &platform : {QString(), QStringLiteral("xcb")}) {
        for (const Case &c : cases) {
            SCOPED_TRACE((c.args.join(u' ') + u' ' + platform).toStdString());
            const ProgramRun r = runWithoutDisplay(c.args, platform);
            EXPECT_FALSE(r.crashed);
            EXPECT_EQ(r.exitCode, 0);
            EXPECT_TRUE(r.out.startsWith(QString::fromUtf8(c.expected))) << r.out.toStdString();
        }
    }
}

// A mistake on the command line is reported before any window system is
// tried, so it never ends in a crash where there is no display.
TEST(Program, UnknownOptionsPrintTheUsageAndExit2WithoutDisplay)
{
    const struct {
        const char *name;
        QStringList args;
    } cases[] = {
        {"DoubleDash", {QStringLiteral("--bogus")}},
        {"SingleDashBeforeAPath", {QStringLiteral("-x"), QStringLiteral("/m/a.mp3")}},
        {"AfterAToolkitOption", {QStringLiteral("-platform"), QStringLiteral("offscreen"), QStringLiteral("--bogus")}},
        {"ToolkitOptionWithEquals", {QStringLiteral("-style=fusion"), QStringLiteral("--nope")}},
    };
    for (const QString &platform : {QString(), QStringLiteral("xcb")}) {
        for (const auto &c : cases) {
            SCOPED_TRACE(std::string(c.name) + " " + platform.toStdString());
            const ProgramRun r = runWithoutDisplay(c.args, platform);
            EXPECT_FALSE(r.crashed);
            EXPECT_EQ(r.exitCode, 2);
            EXPECT_TRUE(r.err.contains(QStringLiteral("unknown option"))) << r.err.toStdString();
            EXPECT_TRUE(r.err.contains(QStringLiteral("Usage: velmora"))) << r.err.toStdString();
        }
    }
}

} // namespace
