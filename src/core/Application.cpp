#include "core/Application.h"

#include "core/AppWindows.h"
#include "core/MessageService.h"
#include "playback/AudioLibrary.h"

#include <QDir>

Application::Application(AppPaths paths, AudioLibrary &audio, MessageBoxService &box, AppWindows &windows,
                         QObject *parent)
    : QObject(parent)
    , m_paths(std::move(paths))
    , m_audio(audio)
    , m_windows(windows)
    , m_messages(new MessageService(box, windows, title()))
{
}

Application::~Application()
{
    delete m_messages;
}

bool Application::StartUp(const QStringList &commandLinePaths)
{
    m_commandLine = commandLinePaths;

    // 1. The audio library first: without it the player is of no use, and
    //    nothing has been touched yet.
    if (!m_audio.init(OutputRate, OutputChannels, 0)) {
        const int code = m_audio.error();
        m_messages->ShowMessage(false, QStringLiteral("FMOD初期化エラーです\r\n") + FmodErrorText(code),
                                MessageService::OkOnly);
        return false;
    }
    m_started = true;

    // 4. The private folder for archive members.
    m_tempFolderPath = TempFolder::make();

    // 5. From here on a failing step is skipped and start-up goes on.
    m_paths.prepare(); // skipped on failure

    // 15. The windows.
    m_windows.showMainWindow();
    return true;
}

void Application::ShutDown()
{
    if (m_ending)
        return;
    m_ending = true;

    // 4. The progress words while the temporary folder goes.
    m_windows.showTrackInfoText(QStringLiteral("Now Ending... Temporary Folder Deleting"));

    // 8. The audio library is closed after everything that could still touch
    //    a stream has been saved.
    if (m_started)
        m_audio.close();

    m_windows.hideAll();
    Q_EMIT ended(0);
}
