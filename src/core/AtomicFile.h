#pragma once

#include <QByteArray>
#include <QString>
#include <functional>

class QIODevice;

// Saves that either replace a file whole or leave it as it was. The content
// goes to a temporary file beside `path`, which is flushed and synced to the
// disk and only then renamed over `path`. A failed open, write, flush, sync
// or rename abandons the temporary file and returns false; `path` is then
// untouched. A full disk often shows only when the buffered rest is flushed,
// so that step is checked, never left to the rename. The folder of `path`
// must exist. Any thread; one save of a given file at a time.

// `writeContent` writes the whole content to the device it is given and
// returns false when a write failed (a short write counts as failed).
bool WriteFileAtomically(const QString &path, const std::function<bool(QIODevice &)> &writeContent);

bool WriteFileAtomically(const QString &path, const QByteArray &bytes);
