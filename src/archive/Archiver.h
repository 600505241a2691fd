#pragma once

#include <QString>
#include <cstdint>
#include <functional>

// The archiver library: the calls the player makes to list the members of a
// ZIP archive and to extract one of them, one method per library call.
//
// Handles: an archive handle is what openArchive() returned; 0 means "none".
// Names: member names are Unicode text, "/" between folders, decoded from
// their stored bytes as UTF-8 when valid, otherwise as Shift-JIS/CP932; the
// find functions and command() decode them the same way, so a listed name
// selects its member.
//
// Threads: all methods are called from the user-interface thread. Handles are
// independent of each other, so a listing may be interleaved with an
// extraction (events run between members).
class Archiver
{
public:
    using Handle = std::uint32_t;

    // Results of command(); anything but Ok means nothing matching was left
    // in place (a partially written member is removed).
    enum CommandResult {
        Ok = 0,
        BadCommandLine = 1,    // unknown option, missing -x, archive, folder or pattern
        CannotOpen = 2,        // archive missing or not a readable ZIP archive
        NoMatch = 3,           // no member matches any of the patterns
        Refused = 4,           // unsafe name, link or device member, symbolic link in the way
        WriteFailed = 5,       // the destination could not be created or written
        LimitExceeded = 6,     // the written bytes passed the extraction limit
        DamagedMember = 7,     // encrypted, unsupported method, bad data or CRC
        Stopped = 8,           // the caller's stop() asked to stop
    };

    // What a caller may add to a command beyond its command line.
    struct CommandControl {
        // The most bytes the command may write in all, on top of the
        // archiver's own limit; -1: only the archiver's own limit.
        std::int64_t maxBytes = -1;
        // Asked after each block of data written (blocks are at most a few
        // hundred kilobytes); true stops the command. Events the caller lets
        // run in here may call the archiver again.
        std::function<bool()> stop;
        // When set, the one member the command is for (its name as listed;
        // the patterns must select it): only that member is extracted, and
        // an archiver may go straight to it instead of reading the archive
        // from the start.
        QString member;
    };

    // The member record filled by findFirst() and findNext().
    struct MemberRecord {
        QString name;                 // member name, sub-folders separated by "/"
        std::int64_t originalSize = -1; // uncompressed size as the archive states it; -1 unknown
        std::int64_t modified = 0;    // modification time, seconds since 1970 (UTC)
        bool isFolder = false;        // a folder entry
        bool isEncrypted = false;     // the member's data is encrypted
    };

    virtual ~Archiver() = default;

    // The library's version number: 100 times the version (3.62 gives 362).
    // Always succeeds.
    virtual int getVersion() const = 0;

    // The library's name and version as the library itself reports them
    // ("libarchive 3.6.2"), for the version tab; empty when unknown.
    virtual QString versionText() const { return QString(); }

    // Opens the archive at `path` for finding members. `mode` must be 0.
    // Returns a handle, or 0 when the file is missing, unreadable or not a
    // ZIP archive. Nothing is read from the members yet.
    virtual Handle openArchive(const QString &path, int mode) = 0;

    // Starts (or restarts) the member scan of `handle` at the first member
    // matching `wildcard` ("*" and "*.*" match every member) and fills
    // `record`. Returns 0 when a member was found, non-zero when there is none
    // or the archive turned out to be damaged. Members whose names would lead
    // outside an extraction folder (absolute, "..", drive letter) and members
    // known to be links or devices are never reported.
    virtual int findFirst(Handle handle, const QString &wildcard, MemberRecord &record) = 0;

    // Fills `record` with the next matching member in archive order. Returns 0
    // when one was found, non-zero at the end, on damage, or when findFirst()
    // was not called on this handle.
    virtual int findNext(Handle handle, MemberRecord &record) = 0;

    // Closes the archive and frees the handle. Unknown handles are ignored.
    // Returns 0 when the handle was open.
    virtual int closeArchive(Handle handle) = 0;

    // The command function. Accepts the extraction command line
    //   -x --i -o "archive" "destination folder" "pattern" ["pattern" ...]
    // (-x extract keeping sub-folders, --i no progress display, -o overwrite
    // without asking). Patterns: "*" any run of characters, "?" any one
    // character, "\" makes the next character literal ("\[" and "\]" are
    // brackets), "[...]" a set of characters. Every matching member is
    // written below the destination folder (created when missing, mode 0700),
    // silently. Blocks until done; returns a CommandResult.
    virtual int command(const QString &commandLine) = 0;

    // command() with a write limit and a way to stop; a member cut short by
    // either is removed. An archiver that cannot be stopped runs the plain
    // command.
    virtual int command(const QString &commandLine, const CommandControl &control)
    {
        (void)control;
        return command(commandLine);
    }
};
