#include "playback/OutputDeviceWatch.h"

#include "core/MessageService.h"
#include "playback/AudioLibrary.h"

OutputDeviceWatch::OutputDeviceWatch(const AudioLibrary &audio, MessageService &messages)
    : m_audio(audio)
    , m_messages(messages)
{
}

void OutputDeviceWatch::setChosen(const QString &name)
{
    if (name != m_chosen)
        m_told = false;
    m_chosen = name;
}

QString OutputDeviceWatch::noticeText(const QString &device)
{
    return QStringLiteral("出力デバイス「%1」が見つかりません。\r\n既定の出力で再生します。\r\n"
                          "デバイスが戻ると、次の曲から元の出力で再生します。")
        .arg(device);
}

void OutputDeviceWatch::check(int channel)
{
    if (m_chosen.isEmpty() || channel < 0 || !m_audio.isPlaying(channel))
        return;
    if (m_audio.outputDevice() == m_chosen) {
        m_told = false;
        return;
    }
    if (m_told)
        return;
    m_told = true;
    m_messages.ShowMessage(false, noticeText(m_chosen), MessageService::Information);
}
