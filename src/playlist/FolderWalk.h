#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

#include <functional>

// Natural name order: runs of digits compare by their value ("2" before
// "10"), letters without regard to case, everything else by code point, so
// Japanese names keep one fixed order whatever the locale. Names equal in
// that order (differing only in case or leading zeros) are ordered by their
// exact text, so the order is total and every sort gives the same result.
// Returns <0, 0 or >0.
int NaturalCompare(QStringView a, QStringView b);

// Lists the audio files of a folder for a folder add.
class FolderWalk
{
public:
    struct Result
    {
        QStringList files; // full paths
        bool cancelled = false;
    };
    // Called after each folder read with the number of files found so far;
    // returning false stops the walk (Result::cancelled).
    using Progress = std::function<bool(int found)>;

    // The ordinary, visible files of `folder` that `wanted` accepts (all
    // when it is null), in natural name order; with `subfolders` then the
    // files of each visible sub-folder in the same way, depth-first, the
    // sub-folders in natural order. A folder reached twice (a symbolic link
    // back up the tree, or two links to one folder) is read once; a folder
    // that cannot be read adds nothing. Names that are not UTF-8 are kept
    // (NativePath). UI thread or any other: it touches nothing shared.
    static Result list(const QString &folder, bool subfolders, bool (*wanted)(QStringView) = nullptr,
                       const Progress &progress = {});
};
