#pragma once

#include "WaitUntil.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <csignal>

// The built (or an installed) player as a process of its own: offscreen,
// silent, with its own program folder and runtime folder and no session bus
// unless given one.
struct PlayerProcess {
    QProcess process;

    PlayerProcess(const QString &home, const QString &runtime, const QString &workingFolder = QString())
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        if (!home.isEmpty())
            env.insert(QStringLiteral("VELMORA_HOME"), home);
        else
            env.remove(QStringLiteral("VELMORA_HOME"));
        QDir().mkpath(runtime);
        QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
        env.insert(QStringLiteral("TMPDIR"), runtime);
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("SDL_AUDIODRIVER"), QStringLiteral("dummy"));
        env.remove(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"));
        env.remove(QStringLiteral("DISPLAY"));
        process.setProcessEnvironment(env);
        if (!workingFolder.isEmpty())
            process.setWorkingDirectory(workingFolder);
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    }
    PlayerProcess(const PlayerProcess &) = delete;
    // Puts the player on the session bus at `address` (see PrivateSessionBus).
    void useBus(const QString &address)
    {
        QProcessEnvironment env = process.processEnvironment();
        env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), address);
        process.setProcessEnvironment(env);
    }
    ~PlayerProcess()
    {
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished(5000);
        }
    }

    bool start(const QStringList &args = {}, const QString &binary = QStringLiteral(VELMORA_BINARY))
    {
        process.start(binary, args);
        return process.waitForStarted(10000);
    }
    // Runs to the end; the exit code, or -1 when it did not end in time or crashed.
    int run(const QStringList &args, int timeoutMs = 20000, const QString &binary = QStringLiteral(VELMORA_BINARY))
    {
        if (!start(args, binary) || !process.waitForFinished(timeoutMs))
            return -1;
        return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    }
    void signal(int sig) { ::kill(pid_t(process.processId()), sig); }
    // SIGTERM, then the exit code as run() gives it.
    int quit(int timeoutMs = 20000)
    {
        signal(SIGTERM);
        if (!process.waitForFinished(timeoutMs))
            return -1;
        return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    }
};
