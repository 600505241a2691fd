#include "mainwindow/MainDisplay.h"

void MainDisplay::centreTrackInfo()
{
    m_infoLeft = m_stripWidth / 2 - m_infoWidth / 2;
}

void MainDisplay::setTrackInfo(const QString &text)
{
    m_info = text;
    m_infoWidth = measure(text);
}

void MainDisplay::ShowTrackInfo(const QString &title, const QString &artist)
{
    // Centred by the width of the old text, as the line had it a moment ago.
    centreTrackInfo();
    setTrackInfo(title.trimmed() + QStringLiteral(" - ") + artist.trimmed() + QLatin1Char(' '));
}

void MainDisplay::showIdle()
{
    centreTrackInfo();
    setTrackInfo(IdleCaption);
    m_time = QStringLiteral("00:00");
    hideMeter();
}

void MainDisplay::scrollTick(int restartLeft)
{
    m_infoLeft -= 2;
    if (m_infoLeft <= -m_infoWidth)
        m_infoLeft = restartLeft;
}

QString MainDisplay::formatTime(int ms)
{
    const int t = qMax(0, ms);
    return QStringLiteral("%1:%2").arg(t / 60000, 2, 10, QLatin1Char('0')).arg((t / 1000) % 60, 2, 10, QLatin1Char('0'));
}

void MainDisplay::DispTime(int timeMs, int lengthMs)
{
    m_time = formatTime(m_remain ? lengthMs - timeMs : timeMs);
}

void MainDisplay::MiniLevelMeter()
{
    // Each bit is 1 with probability one half.
    std::bernoulli_distribution coin(0.5);
    meterStep({int(coin(m_random)), int(coin(m_random)), int(coin(m_random))});
}

void MainDisplay::meterStep(const std::array<int, 3> &bits)
{
    for (std::size_t c = 0; c < 3; ++c) {
        int &step = m_steps[c];
        int &shown = m_shown[c];
        switch (step) {
        case 0: shown = 0; step = 1; break;
        case 1: if (bits[c]) { shown = 1; step = 2; } else { shown = 0; step = 0; } break;
        case 2: if (bits[c]) { shown = 3; step = 3; } else { shown = 1; step = 1; } break;
        default: shown = 2; step = 2; break;
        }
    }
}
