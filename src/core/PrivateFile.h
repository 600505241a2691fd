#pragma once

#include <QByteArray>
#include <QString>
#include <functional>

class QIODevice;

// The program's own files in its folders (the journal of the open list, the
// name of the list open at the end): files nobody else should write, and
// that a symbolic link planted in their place must never redirect. Any
// thread; one write of a given file at a time.
namespace PrivateFile {

// What lies at a path, without following a symbolic link there.
enum class Kind { Missing, File, Link, Other };
Kind kindOf(const QString &path);

// Reads the regular file at `path` whole when it is no larger than
// `maxBytes`. Never follows a symbolic link and never opens a pipe or a
// device. Returns false (with `bytes` untouched) when the path is missing,
// a link, not a regular file, too large, or cannot be read.
bool read(const QString &path, qint64 maxBytes, QByteArray *bytes);

// Replaces `path` whole: the content goes to a new temporary file beside it
// (created exclusively, private to the user), is flushed and synced, and is
// then renamed over `path`. A symbolic link at `path` is replaced by the
// file, never written through; so is nothing else but `path` itself. On any
// failure the temporary file goes and `path` stays as it was. The folder
// must exist. `writeContent` returns false when a write failed.
bool write(const QString &path, const std::function<bool(QIODevice &)> &writeContent);
bool write(const QString &path, const QByteArray &bytes);

// Renames `from` to `to` without replacing anything at `to`. Works on the
// entry itself (a link is renamed, not its target). False when `to` exists.
bool renameNoReplace(const QString &from, const QString &to);

} // namespace PrivateFile
