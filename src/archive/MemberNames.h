#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <optional>

// Rules on archive member names shared by the archiver and the archive
// operations: which names may be written below an extraction folder, where
// they land, and how the command function's name patterns match them.

// The name of a member stored as `raw` bytes. UTF-8 when the bytes are valid
// UTF-8: archives that set the UTF-8 flag, and the zip tools of Linux and
// macOS, which write UTF-8 without setting it. Otherwise CP932, the code page
// of Japanese Windows. Bytes that are neither are read as UTF-8 with U+FFFD
// in place of what cannot be decoded. A name holding "\" but no "/" was
// written on Windows: its "\" become "/".
QString decodeMemberName(const QByteArray &raw);

// True when `name` stays inside any extraction folder: not empty, not
// absolute ("/x", "\x", "\\server\x"), no drive letter ("C:x"), and no ".."
// component (both "/" and "\" count as separators here, as they did on the
// systems that made the archive).
bool isSafeMemberName(QStringView name);

// The member's path below the extraction folder: `name` with every "\"
// turned into "/", the separator of this platform. Only meaningful for names
// isSafeMemberName() accepts.
QString memberRelativePath(QStringView name);

// Matches a whole member name against a pattern of the command function:
// "*" any run of characters (also "/"), "?" any one character, "[...]" one
// character of a set ("[!...]" or "[^...]" any other; "a-z" ranges), "\"
// makes the next character literal, so "\[" and "\]" are brackets. A "["
// without its "]" is literal. Case-sensitive. Runs in O(pattern × name).
bool matchNamePattern(QStringView pattern, QStringView name);

// The extraction command line, split into its parts.
struct ExtractCommand {
    bool extract = false;     // -x
    bool overwrite = false;   // -o
    bool quiet = false;       // --i
    QString archive;
    QString destination;
    QStringList patterns;
};

// Parses `-x --i -o "archive" "folder" "pattern" ...`: options first (each
// of -x, -o, --i at most once, in any order), then the archive, the
// destination folder and one or more patterns. Quoted parts run to the next
// double quote that is followed by a space or the end, and keep backslashes
// as they are; unquoted parts end at a space. Returns nothing for an unknown option, an unterminated quote or a
// missing part.
std::optional<ExtractCommand> parseExtractCommand(const QString &commandLine);
