#pragma once

#include <QByteArray>
#include <QString>

// The text of a file users give us: UTF-16 or UTF-32 when it starts with
// their byte-order mark (as "Unicode" files of Windows editors do); else
// UTF-8 when the bytes are valid UTF-8; otherwise Shift-JIS (CP932), the
// encoding of files written on older Japanese systems. A byte-order mark is
// dropped. `wasUtf8` tells whether the bytes were UTF-8 (and can be kept as
// they are when the file is rewritten).
QString DecodeText(const QByteArray &bytes, bool *wasUtf8 = nullptr);
