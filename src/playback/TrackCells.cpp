#include "playback/TrackCells.h"

QString LengthText(int lengthMs)
{
    const int seconds = lengthMs / 1000;
    return QStringLiteral("%1:%2").arg(seconds / 60).arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

QString BitRateText(qint64 bytes, int seconds)
{
    const int kbps = int(qint64(bytes / seconds) * 8 / 1000);
    return QString::number(kbps) + QStringLiteral("bps");
}
