#pragma once

#include "archive/Archiver.h"

#include <cstddef>
#include <cstdint>
#include <list>
#include <map>
#include <memory>

// The archiver library implemented with libarchive.
//
// Archives are read front to back with libarchive's streaming ZIP reader, so
// memory stays constant however many members an archive holds (the central
// directory reader keeps every entry in memory: over a gigabyte for a million
// members). Members come in the order they are stored.
//
// Member names are decoded by decodeMemberName(): valid UTF-8 as UTF-8
// (flagged or not), otherwise CP932, whose 0x5C trail bytes such as in "表"
// stay part of their character. Listing and extraction decode the same way,
// so patterns match.
//
// Extraction writes each member to a new private file beside its target and
// renames it into place, walking the folders with O_NOFOLLOW: nothing is
// written through a symbolic link, a failed or stopped member leaves no
// partial file, and a file being played from an earlier extraction is
// replaced, not rewritten under the reader.
//
// A command that names its member (CommandControl::member) goes straight to
// it: the headers read on the way to a member are kept in an index of where
// each member starts, so a later command on the same unchanged file reads
// only its member, or goes on from where the reading stopped; stop() is
// asked as headers are read. An archive is never read again from its start
// for each member.
class LibArchiveArchiver : public Archiver
{
public:
    // How many bytes one command() may write in all: at most `maxBytes`, and
    // at most `ratio` times the archive's file size plus `slack`, so that a
    // small archive cannot fill the disk.
    struct Limits {
        std::int64_t maxBytes = std::int64_t(4) << 30;
        std::int64_t ratio = 1100;
        std::int64_t slack = std::int64_t(1) << 20;
    };

    LibArchiveArchiver();
    ~LibArchiveArchiver() override;

    void setLimits(const Limits &limits) { m_limits = limits; }
    Limits limits() const { return m_limits; }

    // major × 100 + minor × 10 + patch of the linked libarchive (3.6.2 gives
    // 362); minor and patch above 9 count as 9 so the number keeps its form.
    int getVersion() const override;
    QString versionText() const override;
    Handle openArchive(const QString &path, int mode) override;
    int findFirst(Handle handle, const QString &wildcard, MemberRecord &record) override;
    int findNext(Handle handle, MemberRecord &record) override;
    int closeArchive(Handle handle) override;
    int command(const QString &commandLine) override;
    int command(const QString &commandLine, const CommandControl &control) override;

    // How many archives keep their index, and how many members one index
    // holds at most (about 32 bytes each; members past it are reached by
    // reading on from the last one indexed).
    static constexpr std::size_t MaxIndexes = 4;
    static constexpr std::size_t MaxIndexedMembers = 1'000'000;

private:
    struct Session;
    struct MemberIndex;

    // The index of `archive` (empty while nothing of it was read), from the
    // cache while the file is unchanged; null when it cannot be read.
    std::shared_ptr<MemberIndex> indexFor(const QString &archive);

    int nextMember(Session &session, MemberRecord &record);

    std::map<Handle, std::unique_ptr<Session>> m_sessions;
    Handle m_nextHandle = 1;
    Limits m_limits;
    std::list<std::shared_ptr<MemberIndex>> m_indexes; // most recently used first
};
