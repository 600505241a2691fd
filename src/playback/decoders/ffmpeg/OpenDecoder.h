#pragma once

#include "playback/engine/AudioDecoder.h"

#include <QString>
#include <memory>

// Opens `path` with the decoder its content calls for (MIDI synthesis or
// FFmpeg) at `rate` Hz. On failure returns null and sets `error` to one of
// AudioLibrary's codes (ErrFileNotFound, ErrFileFormat, ErrFileBad).
std::unique_ptr<AudioDecoder> openAudioDecoder(const QString &path, int rate, int &error);
