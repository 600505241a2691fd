// The hand-over socket of a running player, in this process: many paths from
// a later start, clients that send garbage or stop half-way, and the private
// runtime folder the socket and lock live in.

#include "app/SingleInstance.h"
#include "core/EventPump.h"

#include "CoreTestApp.h"
#include "TestFiles.h"

#include <QDeadlineTimer>
#include <QLocalSocket>
#include <QTemporaryDir>
#include <QtEndian>
#include <gtest/gtest.h>

#include <future>
#include <memory>
#include <sys/stat.h>

namespace {

// Runs events until `done` holds, for at most `timeoutMs`.
bool pumpUntil(const std::function<bool()> &done, int timeoutMs = 20000)
{
    const QDeadlineTimer deadline(timeoutMs);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

QByteArray frameHeader(quint32 length)
{
    QByteArray header(4, '\0');
    qToBigEndian(length, header.data());
    return header;
}

struct HandOverSocket : ::testing::Test {
    QTemporaryDir top;
    QString program = top.filePath(QStringLiteral("program"));
    QString runtime = top.filePath(QStringLiteral("run"));
    std::unique_ptr<SingleInstance> server;
    QList<QStringList> received;

    void SetUp() override
    {
        coreTestApp();
        QDir().mkpath(program);
        ::mkdir(runtime.toUtf8().constData(), 0700);
        server = std::make_unique<SingleInstance>(program, runtime);
        ASSERT_TRUE(server->claim());
        ASSERT_TRUE(server->notice().isEmpty()) << server->notice().toStdString();
        server->setHandler([this](const QStringList &paths) {
            // Adding lets events run: sockets come and go meanwhile.
            for (int i = 0; i < 5; ++i)
                QCoreApplication::processEvents();
            received << paths;
        });
    }

    // A later start handing over `paths` from a thread of its own, while
    // this thread runs the running player's events.
    bool handOver(const QStringList &paths, int timeoutMs = 20000)
    {
        auto result = std::async(std::launch::async, [&] {
            SingleInstance later(program, runtime);
            return later.handOver(paths, timeoutMs);
        });
        pumpUntil([&] { return result.wait_for(std::chrono::seconds(0)) == std::future_status::ready; },
                  timeoutMs + 5000);
        return result.get();
    }

    std::unique_ptr<QLocalSocket> connectRaw()
    {
        auto socket = std::make_unique<QLocalSocket>();
        socket->connectToServer(server->socketPath());
        pumpUntil([&] { return socket->state() == QLocalSocket::ConnectedState; }, 5000);
        return socket;
    }
};

TEST_F(HandOverSocket, FiveThousandPathsArriveWhole)
{
    QStringList paths;
    for (int i = 0; i < 5000; ++i)
        paths << QStringLiteral("/music/album %1/track %2 — 夜明け.mp3").arg(i / 12).arg(i);
    ASSERT_TRUE(handOver(paths));
    ASSERT_TRUE(pumpUntil([&] { return !received.isEmpty(); }));
    EXPECT_EQ(received.value(0), paths);

    // And again right away: the first connection's end does not disturb the next.
    ASSERT_TRUE(handOver(paths.mid(0, 1000)));
    ASSERT_TRUE(pumpUntil([&] { return received.size() == 2; }));
    EXPECT_EQ(received.value(1), paths.mid(0, 1000));
}

TEST_F(HandOverSocket, BrokenAndHostileClientsNeitherCrashNorDeliver)
{
    const QByteArray validStart = frameHeader(40) + "velmora-open 2\n/m/a.mp3";
    const struct {
        const char *name;
        int clients;
        QByteArray bytes;
        bool disconnect; // hangs up after sending
    } cases[] = {
        {"Garbage", 1, "GET / HTTP/1.1\r\n\r\n" + QByteArray(100000, '\xff'), false},
        {"PartialFrameThenHangUp", 1, validStart, true},
        {"HeaderOnlyThenHangUp", 1, frameHeader(1000).left(2), true},
        {"TwentyClientsEachHoldingA16MiBPartialFrame", 20, frameHeader(16 << 20) + QByteArray(1 << 20, 'x'), false},
        {"TwentyClientsEachHoldingAPartialFrame", 20, validStart, false},
        {"OversizedPath", 1, frameHeader(15 + 8000 + 1) + "velmora-open 2\n/" + QByteArray(7999, 'a') + '\0', false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::unique_ptr<QLocalSocket>> sockets;
        for (int i = 0; i < c.clients; ++i) {
            sockets.push_back(connectRaw());
            sockets.back()->write(c.bytes);
            pumpUntil([&] { return sockets.back()->bytesToWrite() == 0
                                   || sockets.back()->state() != QLocalSocket::ConnectedState; }, 5000);
            if (c.disconnect)
                sockets.back()->abort();
        }
        // Let the player read what it was sent.
        QCoreApplication::processEvents(QEventLoop::AllEvents, 200);
        sockets.clear(); // the clients go away, some mid-frame
        // The player still takes a proper hand-over, and only that one.
        received.clear();
        ASSERT_TRUE(handOver({QStringLiteral("/m/proper.mp3")}));
        ASSERT_TRUE(pumpUntil([&] { return !received.isEmpty(); }));
        EXPECT_EQ(received, QList<QStringList>{{QStringLiteral("/m/proper.mp3")}});
    }
}

TEST_F(HandOverSocket, TheLaterStartSucceedsOnlyWhenThePlayerTookThePaths)
{
    // A player that is ending would drop them: it says no.
    EventPump::setStopRequested(true);
    EXPECT_FALSE(handOver({QStringLiteral("/m/a.mp3")}));
    EventPump::setStopRequested(false);
    QCoreApplication::processEvents(QEventLoop::AllEvents, 100);
    EXPECT_TRUE(received.isEmpty());

    // The program begins to end while the paths are added: some may be
    // missing, so the sender hears no.
    server->setHandler([this](const QStringList &paths) {
        received << paths;
        EventPump::setStopRequested(true);
    });
    EXPECT_FALSE(handOver({QStringLiteral("/m/b.mp3")}));
    EventPump::setStopRequested(false);
    EXPECT_EQ(received, QList<QStringList>{{QStringLiteral("/m/b.mp3")}});

    // No running player at all: nobody answers within the time given.
    server.reset();
    EXPECT_FALSE(handOver({QStringLiteral("/m/a.mp3")}, 500));
}

TEST(RuntimeFolder, OnlyAPrivateFolderOfThisUserHoldsLockAndSocket)
{
    coreTestApp();
    QTemporaryDir top;
    const QString program = top.filePath(QStringLiteral("program"));
    QDir().mkpath(program);
    const QString privateDir = top.filePath(QStringLiteral("private"));
    ::mkdir(privateDir.toUtf8().constData(), 0700);
    const struct {
        const char *name;
        std::function<QString()> make; // the runtime folder to use
        bool usable;
    } cases[] = {
        {"PrivateFolder", [&] { return privateDir; }, true},
        {"OpenToEveryone",
         [&] {
             const QString d = top.filePath(QStringLiteral("open"));
             ::mkdir(d.toUtf8().constData(), 0700);
             ::chmod(d.toUtf8().constData(), 01777);
             return d;
         },
         false},
        {"ReadableByTheGroup",
         [&] {
             const QString d = top.filePath(QStringLiteral("group"));
             ::mkdir(d.toUtf8().constData(), 0750);
             ::chmod(d.toUtf8().constData(), 0750);
             return d;
         },
         false},
        {"LinkToAPrivateFolder",
         [&] {
             const QString d = top.filePath(QStringLiteral("link"));
             QFile::link(privateDir, d);
             return d;
         },
         false},
        {"Missing", [&] { return top.filePath(QStringLiteral("missing")); }, false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        SingleInstance instance(program, c.make());
        EXPECT_EQ(instance.notice().isEmpty(), c.usable) << instance.notice().toStdString();
        EXPECT_EQ(instance.socketPath().isEmpty(), !c.usable);
        // Either way this player runs; unusable: on its own, with nothing made.
        EXPECT_TRUE(instance.claim());
        if (!c.usable) {
            EXPECT_FALSE(instance.handOver({QStringLiteral("/m/a.mp3")}, 200));
        }
    }
}

TEST(RuntimeFolder, WithoutXdgRuntimeDirAPrivateFolderIsMadeInTheTemporaryFolder)
{
    coreTestApp();
    QTemporaryDir top;
    const QString program = top.filePath(QStringLiteral("program"));
    QDir().mkpath(program);
    const QByteArray savedXdg = qgetenv("XDG_RUNTIME_DIR"), savedTmp = qgetenv("TMPDIR");
    qunsetenv("XDG_RUNTIME_DIR");
    const QString fallback = top.filePath(QStringLiteral("velmora-%1").arg(::geteuid()));
    struct Case {
        const char *name;
        std::function<void()> before;
        bool usable;
    };
    const Case cases[] = {
        {"MadeWhenMissing", [] {}, true},
        {"TakenWhenPrivate", [] {}, true},
        {"RefusedWhenOthersMayEnter", [&] { ::chmod(fallback.toUtf8().constData(), 0777); }, false},
        {"RefusedWhenALink",
         [&] {
             ::rmdir(fallback.toUtf8().constData());
             QFile::link(top.filePath(QStringLiteral("program")), fallback);
         },
         false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        qputenv("TMPDIR", top.path().toUtf8());
        c.before();
        SingleInstance instance(program);
        EXPECT_EQ(instance.notice().isEmpty(), c.usable) << instance.notice().toStdString();
        if (c.usable) {
            EXPECT_TRUE(instance.socketPath().startsWith(fallback + u'/')) << instance.socketPath().toStdString();
            struct stat st {};
            ASSERT_EQ(::lstat(fallback.toUtf8().constData(), &st), 0);
            EXPECT_EQ(st.st_mode & 0777, 0700u);
        }
    }
    qputenv("XDG_RUNTIME_DIR", savedXdg);
    qputenv("TMPDIR", savedTmp);
}

} // namespace
