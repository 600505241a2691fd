#pragma once

#include "playlist/TrackAdder.h"

#include <QString>
#include <functional>

class Archiver;

// The archive operations in the shapes the track adder and the player take.

// Lists the members of an archive through `addTrack(path, isArchiveMember)`.
std::function<void(const QString &archivePath)>
makeArchiveLister(Archiver &archiver, std::function<void(const QString &, bool)> addTrack);

// Opens an archive as a playlist (ZipFileOpen), in the shape of
// AddHooks::openArchive.
decltype(AddHooks::openArchive) makeArchiveOpener(Archiver &archiver);

// Extracts the member an archive entry names into the folder `tempFolder()`
// gives, letting events run meanwhile and giving up once `stop()` turns
// true; returns the extracted file, or empty on failure or when given up
// (also when there is no usable temporary folder). Only the newest two
// extracted members stay in the folder (ExtractedMembers); the rest go when
// the extractor is destroyed.
std::function<QString(const QString &itemText, const std::function<bool()> &stop)>
makeMemberExtractor(Archiver &archiver, std::function<QString()> tempFolder);
