#pragma once

#include <QHash>
#include <QString>
#include <QStringView>
#include <QtGlobal>

// Path names of tracks and playlists. Paths use the platform separator "/".
//
// A track inside a ZIP archive is addressed by an ArchiveMemberPath: a double
// quote, the archive's full path, a double quote, the literal marker "\#ZIP#"
// (with its backslash on every platform), then the member name exactly as the
// archive lists it ("/" between its folders). A path names an archive member
// exactly when its first character is a double quote.

// Text after the last "/", cut before its last "."; the whole name when it
// has no "."; empty when the path has no "/" ("/a/b.c.mp3" gives "b.c").
QString BaseNameOf(QStringView path);

// Name of the folder that holds the last component (the text between the last
// two "/"); empty when the path has fewer than two "/".
QString ParentFolderNameOf(QStringView path);

// Text after the last "/"; the whole path when there is no "/".
QString FileNameOf(QStringView path);

// Text before the last "/"; empty when there is no "/".
QString FolderOf(QStringView path);

// Text after the last "." of the last component, in upper case; empty when
// the path has no "/" or the last component has no ".".
QString ExtensionOf(QStringView path);

// The archive marker between the quoted archive path and the member name.
inline constexpr QStringView ArchiveMarker = u"\\#ZIP#";

// `"archive"\#ZIP#member`.
QString ArchiveMemberPath(QStringView archivePath, QStringView memberName);

// True when `path` names an archive member (its first character is '"').
bool IsArchiveMemberPath(QStringView path);

// The archive of a member path: the text before the first "#ZIP#" without its
// last two characters (closing quote and backslash) and its first (opening
// quote). Empty when the path has no "#ZIP#" or too little text before it.
QString ArchivePathOfMember(QStringView memberPath);

// The member name: the text after the first "#ZIP#"; empty without one.
QString MemberNameOf(QStringView memberPath);

// The title a new row gets from its path: BaseNameOf for a file; for an
// archive member its member name (without the archive marker), cut before
// its last ".".
QString InitialTitleOf(QStringView path, bool isArchiveMember);

// A modification time as the Date cell shows it: "yyyy/mm/dd hh:nn:ss" in
// local time, 24-hour clock.
QString FormatFileDate(qint64 secondsSinceEpoch);

// What one stat() of a path tells the playlist code.
struct FileProbe {
    bool exists = false;
    bool isFile = false;  // an ordinary file (symbolic links are followed)
    bool isDir = false;
    bool hidden = false;  // the last component starts with "."
    qint64 modified = 0;  // seconds since 1970, valid when exists

    // An ordinary, visible file: what a playlist record needs to be loaded.
    bool isVisibleFile() const { return isFile && !hidden; }
};

// Ordinary, visible files the program has looked at already, by path, with
// their modification times (seconds since 1970).
using KnownFiles = QHash<QString, qint64>;

// Looks at `path` on disk with one stat() call. A missing or unreadable path
// gives exists == false. Any thread.
FileProbe ProbeFile(QStringView path);

// ExtensionOf written into `out` without allocating for short extensions;
// returns a view of it.
QStringView ExtensionOfInto(QStringView path, QString &out);
