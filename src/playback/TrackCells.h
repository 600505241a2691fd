#pragma once

#include <QString>
#include <QtGlobal>

// The texts of the Time and BitRate cells, written the same way whether the
// playing stream or a background tag read fills them.

// "m:ss" of a length in milliseconds (seconds cut, not rounded).
QString LengthText(int lengthMs);

// The BitRate cell of a file of `bytes` bytes lasting `seconds` (> 0) whole
// seconds: the mean rate over the whole file, tags and headers included.
QString BitRateText(qint64 bytes, int seconds);
