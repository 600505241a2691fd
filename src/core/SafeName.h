#pragma once

#include <QString>

// True when `name`, typed by the user, can name a file or folder directly
// inside one of the program's folders (a colour profile, a style): not blank,
// not starting with "." (a hidden file is never listed), no path separator,
// no "..", no control character, and short enough for a file name with a
// four-character extension. Anything else could reach
// outside the folder or fail on the file system.
bool IsSafeName(const QString &name);

// A name as the user typed it, as it is used: spaces at both ends dropped.
// One rule for every name typed (playlists, categories, colour profiles,
// styles), so that " Rock" and "Rock" never become two entries that look alike.
QString TypedName(const QString &typed);

// The message that refuses an unsafe name: the name (cut when long), then
// what is wrong with it.
QString UnsafeNameMessage(const QString &name);
