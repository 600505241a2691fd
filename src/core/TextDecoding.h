#pragma once

#include <QByteArray>
#include <QString>

// The text of a file users give us: UTF-8 when the bytes are valid UTF-8 (a
// byte-order mark is dropped), otherwise Shift-JIS (CP932), the encoding of
// files written on older Japanese systems. `wasUtf8` tells which.
QString DecodeText(const QByteArray &bytes, bool *wasUtf8 = nullptr);
