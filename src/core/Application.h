#pragma once

#include "core/AppPaths.h"
#include "core/CommandLine.h"

#include <QObject>
#include <QString>
#include <QStringList>

class AudioLibrary;
class AppWindows;
class MessageBoxService;
class MessageService;

// The composition root of the program's logic: owns the models and
// operations, wires them to the platform services and windows it is given,
// and runs the start-up and shut-down sequences, each in its fixed order.
class Application : public QObject
{
    Q_OBJECT
public:
    static constexpr int OutputRate = 44100;
    static constexpr int OutputChannels = 32;

    Application(AppPaths paths, AudioLibrary &audio, MessageBoxService &box, AppWindows &windows,
                QObject *parent = nullptr);
    ~Application() override;

    // The application's title, used by the message box.
    static QString title() { return QStringLiteral("Velmora"); }

    // Runs the start-up steps. Returns false when the audio library could
    // not start: the user has been told, nothing else was touched, and the
    // program must end with a non-zero status.
    bool StartUp(const QStringList &commandLinePaths);

    // Saves everything and releases the audio library, then emits ended(0).
    // Runs at most once; later calls do nothing.
    void ShutDown();

    bool isEnding() const { return m_ending; }

    const AppPaths &paths() const { return m_paths; }
    QString tempFolderPath() const { return m_tempFolderPath; }
    MessageService &messages() { return *m_messages; }
    AudioLibrary &audio() { return m_audio; }

Q_SIGNALS:
    // The program should end now with `exitCode`.
    void ended(int exitCode);

private:
    AppPaths m_paths;
    AudioLibrary &m_audio;
    AppWindows &m_windows;
    MessageService *m_messages;
    QString m_tempFolderPath;
    QStringList m_commandLine;
    bool m_started = false;
    bool m_ending = false;
};
