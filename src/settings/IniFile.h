#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringView>

#include <optional>

// Profile (INI) files: the player's settings file, the colour file and the
// colour profiles.
//
// Rules shared by every reader and writer here:
// - A section starts with a line "[name]"; a key is a line "name=value".
//   Section and key names match without regard to case; white space around
//   names and values is ignored, and a value between matching double quotes
//   loses them.
// - Only the first section of a name counts, and in it only the first line
//   of a key: later duplicates are never read nor written.
// - Lines that are neither (junk, a lone "[", text without "=", keys before
//   the first section) are kept as they are and never match.
// - Files are read as DecodeText reads them: UTF-16 after its byte-order
//   mark, UTF-8 when they are valid UTF-8, otherwise Shift-JIS (CP932), so
//   files written by older Japanese systems load.
//   They are written as UTF-8 without byte-order mark, every line ended by
//   CR LF.
// - A written key replaces its line in place (keeping the spelling of the
//   name found in the file); a new key goes after the last non-blank line of
//   its section; a new section is appended to the file; a missing file is
//   created (its folder is not).
// - Saves are atomic (WriteFileAtomically): a temporary file beside the
//   target, flushed and synced, then renamed over it. A failed save leaves
//   the previous file as it was.

// Longest string value handed out, in UTF-16 code units (a 1024-character
// buffer with its terminating NUL).
inline constexpr qsizetype MaxProfileStringLength = 1023;

// Files larger than this are not settings files: they read as empty and are
// never overwritten.
inline constexpr qint64 MaxProfileFileSize = 16 * 1024 * 1024;

// One profile file held in memory. Reads follow exactly the rules of the
// profile primitives below, so one parsed document may stand in for many
// single reads of the same file, and a batch of writes gives the same bytes
// as the same writes made one by one through the primitives.
class IniDocument
{
public:
    // How the document came to be.
    enum class Origin {
        Empty,      // built in memory, or the file does not exist
        Read,       // read from an existing file
        Unreadable, // the file exists but cannot be read (or is not a regular
                    // file, or is too large): it reads as empty and must not
                    // be overwritten, or its contents would be lost
    };

    IniDocument() = default;

    // Parses `bytes` (any bytes at all; never fails).
    static IniDocument fromBytes(const QByteArray &bytes);

    // Reads and parses the file at `path`. Never blocks on special files and
    // never fails: see origin() for what was found.
    static IniDocument fromFile(const QString &path);

    Origin origin() const { return m_origin; }

    // The value of `key` in `section` (trimmed, quotes removed, cut at the
    // first NUL and to MaxProfileStringLength), or nothing when the section or
    // key is missing.
    std::optional<QString> value(QStringView section, QStringView key) const;

    // `ReadProfileInt` on this document: the default when the key is missing,
    // else the leading decimal number of the value (an optional minus, then
    // digits; saturated to the int range), or 0 when the value does not
    // start with one.
    int readInt(QStringView section, QStringView key, int defaultValue) const;

    // `ReadProfileString` on this document: the default when the key is
    // missing, else the value.
    QString readString(QStringView section, QStringView key, const QString &defaultValue) const;

    // Sets `key` in `section` to the decimal text of a 16-bit value.
    void writeInt(const QString &section, const QString &key, qint16 value);
    // Sets `key` in `section` to the decimal text of a 32-bit value.
    void writeLong(const QString &section, const QString &key, qint32 value);
    // Sets `key` in `section` to `text`. A line end or NUL in `text` cannot be
    // stored in a line: the text is cut there, so a value can never add lines
    // (sections or keys) to the file.
    void writeString(const QString &section, const QString &key, const QString &text);

    // The file's bytes: UTF-8, each line ended by CR LF.
    QByteArray toBytes() const;

    // Writes the document atomically to `path` unless the file already holds
    // exactly these bytes. Refuses (returns false, touching nothing) when the
    // document came from an unreadable file. Returns false when the file could
    // not be written; the previous file is then intact.
    bool save(const QString &path) const;

private:
    enum class LineKind { Other, Section, Key };
    struct Line
    {
        QString text;
        LineKind kind = LineKind::Other;
        QString foldedName;   // section or key name, case-folded, for matching
        qsizetype equals = -1; // position of '=' in a key line
    };
    struct SectionRef
    {
        QString foldedName;
        qsizetype header; // line index of "[name]"
    };

    static Line parseLine(QString text);
    void rebuildSections();
    qsizetype findSection(QStringView section) const;
    qsizetype sectionEnd(qsizetype sectionIndex) const;
    qsizetype findKeyLine(qsizetype sectionIndex, QStringView key) const;
    const Line *findKey(QStringView section, QStringView key) const;
    void setValue(const QString &section, const QString &key, const QString &text);

    QList<Line> m_lines;
    QList<SectionRef> m_sections; // in line order; duplicates included
    QByteArray m_fileBytes;       // the bytes read, to skip saves that change nothing
    Origin m_origin = Origin::Empty;
};

// The profile primitives. Each opens `iniPath` anew, so an edit of the file
// between two calls is seen by the next one. Readers never fail: a missing or
// unreadable file, section or key gives the default. Writers do not report
// errors to the user; the result only tells callers that care (tests) whether
// the file was written.

// The integer value of `key` in `section` (see IniDocument::readInt).
int ReadProfileInt(const QString &section, const QString &key, int defaultValue, const QString &iniPath);

// The string value of `key` in `section`, at most 1023 characters, or the
// default when it is missing.
QString ReadProfileString(const QString &section, const QString &key, const QString &defaultValue,
                          const QString &iniPath);

// Writes a 16-bit signed value as decimal text. False when the file was not written.
bool WriteProfileInt(const QString &section, const QString &key, qint16 value, const QString &iniPath);

// Writes a 32-bit signed value as decimal text. False when the file was not written.
bool WriteProfileLong(const QString &section, const QString &key, qint32 value, const QString &iniPath);

// Writes `value` (cut at a line end or NUL). False when the file was not written.
bool WriteProfileString(const QString &section, const QString &key, const QString &value,
                        const QString &iniPath);
