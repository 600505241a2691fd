#pragma once

#include "archive/Archiver.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <optional>

// The archive operations of the player: listing an archive's members into the
// track list as archive entries, extracting the member of an entry just
// before it plays, and opening an archive as a playlist.
//
// An archive entry (ArchiveMemberPath) is the text
//     "<archive path>"\#ZIP#<member name>
// with the member name exactly as the archiver lists it ("/" between
// folders). The marker keeps its backslash on every platform.

// AddTrack's shape: appends one row for `path`; isArchiveMember is true for
// every entry these operations add.
using AddTrackFunction = std::function<void(const QString &path, bool isArchiveMember)>;

// The rows a track list can hold (positions are 16-bit).
inline constexpr int MaxListedMembers = 32767;

// "Ver " and the archiver's version ÷ 100 formatted "0.00" (541 gives
// "Ver 5.41").
QString UnzipVersionGet(const Archiver &archiver);

// Builds the archive entry for `memberName` of `archivePath`.
QString makeArchiveMemberPath(const QString &archivePath, const QString &memberName);

// The parts of an archive entry: `quotedArchive` is the text before the "\"
// that precedes the first "#ZIP#" (the archive path with its quotes),
// `archivePath` the same without the quotes, `memberName` everything after
// "\#ZIP#". Nothing when `itemText` is not an archive entry (no leading
// quote, no marker, or no closing quote before the marker).
struct ArchiveEntryParts {
    QString quotedArchive;
    QString archivePath;
    QString memberName;
};
std::optional<ArchiveEntryParts> splitArchiveMemberPath(const QString &itemText);

// Appends one entry per member of the archive at `archivePath` through
// `addTrack`, in archive order, skipping members whose names end in ".txt"
// (exactly lower case), folder entries, and names that would lead outside an
// extraction folder. Lets pending events run between members
// (EventPump::yield). Stops after `maxEntries` entries. An archive that
// cannot be opened adds nothing and reports nothing. Returns the number of
// entries added. The rebuild command lists the archive of the list's first
// entry again with ZipListUp(splitArchiveMemberPath(first)->archivePath).
int ZipListUp(Archiver &archiver, const QString &archivePath, const AddTrackFunction &addTrack,
              int maxEntries = MaxListedMembers);

// The name pattern that selects `memberName` in the extraction command: "\",
// spaces and the Roman numerals U+2160 to U+2169 become "*", then "[" and "]"
// become "\[" and "\]".
QString ZipPatternEscape(const QString &memberName);

// The most bytes an extracted member may take: MaxMemberBytes (well over an
// hour of CD-quality WAV), less when the temporary folder's disk would keep
// under FreeSpaceMargin free; 0 when it already has less. `freeBytes` < 0
// means unknown.
inline constexpr std::int64_t MaxMemberBytes = std::int64_t(1) << 30;
inline constexpr std::int64_t FreeSpaceMargin = std::int64_t(256) << 20;
std::int64_t memberSizeLimit(std::int64_t freeBytes);

// How an extraction runs beyond its command line.
struct ExtractOptions {
    // Asked between blocks of the member after pending events have run
    // (EventPump::yield); true gives the extraction up, as does the program
    // ending (EventPump::stopRequested()). Events may change anything
    // meanwhile, so callers re-read what they need afterwards.
    std::function<bool()> stop;
    // The most bytes the member may take; -1: memberSizeLimit() of the free
    // space where `tempFolderPath` lies.
    std::int64_t maxBytes = -1;
};

// Extracts the member named by the archive entry `itemText` into
// `tempFolderPath` (keeping its sub-folders, overwriting an earlier copy) and
// returns the extracted file's path: `tempFolderPath` + the member name, "\"
// counting as a folder separator. Returns an empty text when `itemText` is
// not an archive entry or the member could not be extracted (missing,
// unsafe name, encrypted, damaged, over the size limit) or was given up;
// nothing is then left half-written. The window stays responsive meanwhile
// (see ExtractOptions::stop). The caller keeps `itemText` (ZipItemText), shows
// the returned path as the item's text while the stream opens, and puts
// `itemText` back afterwards.
QString ZipItemExtract(Archiver &archiver, const QString &itemText, const QString &tempFolderPath,
                       const ExtractOptions &options = {});

// The members extracted for playing. The temporary folder holds only the
// newest `keep` of them (the one playing and the one extracted after it);
// older ones are removed as new ones come, and every one still held is
// removed when this is destroyed, so nothing stays behind after the program
// ends.
class ExtractedMembers
{
public:
    explicit ExtractedMembers(int keep = 2) : m_keep(keep) {}
    ~ExtractedMembers();
    ExtractedMembers(const ExtractedMembers &) = delete;
    ExtractedMembers &operator=(const ExtractedMembers &) = delete;

    // `file` (inside `tempFolderPath`) was just extracted: it becomes the
    // newest; files beyond the newest `keep` are removed with the folders
    // that held only them (never `tempFolderPath` itself).
    void add(const QString &file, const QString &tempFolderPath);
    // Newest first.
    QStringList files() const;

private:
    struct Held {
        QString file;
        QString folder;
    };
    static void remove(const Held &held);

    int m_keep;
    QList<Held> m_held; // newest first
};

// The node selected in the library tree when an archive is opened.
struct ZipTreeNode {
    bool isCategory = false;
    QString text;     // the node's own name
    QString fullPath; // its key below the playlist folder, "/" between levels
};

// The playlist address for an archive opened while `node` is selected (no
// node: as a root-level playlist), with N = the archive's file name without
// folder and last extension:
//   root-level node, not a category -> N
//   root-level category             -> node text + "/" + N
//   nested node, not a category     -> folder part of `currentAddress` (before
//                                      its last "/") + "/" + N; just N when
//                                      the address has no folder part
//   nested category                 -> node full path + "/" + N
QString zipPlaylistAddress(const QString &archivePath, const std::optional<ZipTreeNode> &node,
                           const QString &currentAddress);

// Lists the archive into the track list (ZipListUp) and returns the new
// playlist address (zipPlaylistAddress), which the caller puts in the address
// box; the address is returned even when the archive cannot be opened. When
// `addressFirst` is given it receives the address before the members are
// listed, so that a save while they come in (events run) goes to the new
// playlist rather than the one that was open. Callers that replace the list
// (the open-archive command, a drop on the tree) empty it before.
QString ZipFileOpen(Archiver &archiver, const QString &archivePath, const AddTrackFunction &addTrack,
                    const std::optional<ZipTreeNode> &node, const QString &currentAddress,
                    const std::function<void(const QString &address)> &addressFirst = {});
