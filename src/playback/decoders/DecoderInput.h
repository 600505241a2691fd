#pragma once

#include "core/NativePath.h"
#include "playback/AudioLibrary.h"

#include <QFile>
#include <QString>

// Opens `path` as a decoder's input: a regular file, its name's bytes kept.
// Returns ErrNone, or the audio library's code for why not (ErrFileNotFound,
// ErrFileBad).
inline int openDecoderInput(QFile &file, const QString &path)
{
    switch (NativePath::openRegularFile(file, path)) {
    case NativePath::OpenResult::Opened:
        return AudioLibrary::ErrNone;
    case NativePath::OpenResult::Missing:
        return AudioLibrary::ErrFileNotFound;
    case NativePath::OpenResult::Failed:
        break;
    }
    return AudioLibrary::ErrFileBad;
}
