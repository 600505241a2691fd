// The file manager asked over a private session bus, as a desktop's own
// file manager would be: the method, its arguments, and the fallback.
#include "core/ui/FileManagerBus.h"

#include <QCoreApplication>
#include <QProcess>
#include <QStandardPaths>
#include <gtest/gtest.h>

#ifdef VELMORA_HAVE_DBUS
#include "CoreTestApp.h"
#include "WaitUntil.h"

#include <QDBusConnection>

namespace {

QCoreApplication &app()
{
    return coreTestApp();
}

// What a file manager on the bus was asked.
class FakeFileManager : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.FileManager1")
public:
    QStringList calls;

public Q_SLOTS:
    void ShowItems(const QStringList &uris, const QString &startupId)
    {
        calls << QStringLiteral("ShowItems %1 [%2]").arg(uris.join(u','), startupId);
    }
    void ShowItemProperties(const QStringList &uris, const QString &startupId)
    {
        calls << QStringLiteral("ShowItemProperties %1 [%2]").arg(uris.join(u','), startupId);
    }
};

// A session bus of our own, for the length of one test.
class PrivateBus : public ::testing::Test
{
protected:
    void SetUp() override
    {
        app();
        const QString daemon = QStandardPaths::findExecutable(QStringLiteral("dbus-daemon"));
        if (daemon.isEmpty())
            GTEST_SKIP() << "dbus-daemon is not installed";
        m_daemon.start(daemon, {QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--print-address=1")});
        ASSERT_TRUE(m_daemon.waitForReadyRead(10000));
        address = QString::fromUtf8(m_daemon.readLine()).trimmed();
        ASSERT_FALSE(address.isEmpty());
    }
    void TearDown() override
    {
        QDBusConnection::disconnectFromBus(QStringLiteral("file-manager"));
        m_daemon.kill();
        m_daemon.waitForFinished();
    }
    // Lets the bus deliver until `done`.
    static void waitFor(const std::function<bool()> &done) { waitUntil(done); }

    QString address;

private:
    QProcess m_daemon;
};

TEST_F(PrivateBus, TheFileManagerIsAskedForTheFileByItsAddress)
{
    FakeFileManager manager;
    QDBusConnection bus = QDBusConnection::connectToBus(address, QStringLiteral("file-manager"));
    ASSERT_TRUE(bus.registerObject(QStringLiteral("/org/freedesktop/FileManager1"), &manager,
                                   QDBusConnection::ExportAllSlots));
    ASSERT_TRUE(bus.registerService(QStringLiteral("org.freedesktop.FileManager1")));

    int fallbacks = 0;
    const auto fallback = [&] { return ++fallbacks, false; };
    EXPECT_TRUE(FileManagerBus::askOn(address, FileManagerBus::Request::ShowItems, "/music/a b#1.mp3", fallback));
    EXPECT_TRUE(FileManagerBus::askOn(address, FileManagerBus::Request::ShowItemProperties, "/music/c.mp3", fallback));
    waitFor([&] { return manager.calls.size() == 2; });
    EXPECT_EQ(manager.calls, (QStringList{"ShowItems file:///music/a%20b%231.mp3 []",
                                          "ShowItemProperties file:///music/c.mp3 []"}));
    EXPECT_EQ(fallbacks, 0);
}

TEST_F(PrivateBus, WithoutAFileManagerTheFallbackRunsAtOnce)
{
    int fallbacks = 0;
    EXPECT_TRUE(FileManagerBus::askOn(address, FileManagerBus::Request::ShowItems, "/music/a.mp3",
                                      [&] { return ++fallbacks, true; }));
    EXPECT_EQ(fallbacks, 1);
    EXPECT_FALSE(FileManagerBus::askOn(QStringLiteral("unix:path=/nonexistent/bus"),
                                       FileManagerBus::Request::ShowItemProperties, "/music/a.mp3",
                                       [&] { return ++fallbacks, false; }));
    EXPECT_EQ(fallbacks, 2);
}

} // namespace

#include "test_file_manager_bus.moc"

#else

TEST(FileManagerBus, WithoutQtDBusTheFallbackRuns)
{
    int fallbacks = 0;
    EXPECT_TRUE(FileManagerBus::ask(FileManagerBus::Request::ShowItems, "/a.mp3", [&] { return ++fallbacks, true; }));
    EXPECT_EQ(fallbacks, 1);
}

#endif
