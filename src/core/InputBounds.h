#pragma once

#include <QString>
#include <QStringView>

// Limits on what reaches the program from outside (command line, a later
// start's hand-over, the remote control), so that no sender can make it hold
// or store more than it can use.
namespace InputBounds {

// The longest path the system can open, in encoded bytes without the final
// NUL (PATH_MAX less one).
qsizetype maxPathBytes();

// The longest "file:" URI taken from a remote control: a path of
// maxPathBytes() with every byte percent-encoded, and room for the scheme.
inline constexpr qsizetype MaxUriLength = 3 * 4096 + 64;

// Why `path` cannot name a file: it is empty, holds a NUL character or is
// longer than maxPathBytes() once encoded. Empty when it is acceptable.
QString pathProblem(QStringView path);

} // namespace InputBounds
