#pragma once

#include "playback/AudioLibrary.h"
#include "playback/StreamFormat.h"
#include "playback/engine/AudioDecoder.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <memory>

// The decoders live in modules of their own, so that the player maps only
// the libraries the files it plays need:
// - "libvelmora_decoders": MPEG audio (mpg123, resampled with soxr), loaded
//   on the first file the player opens;
// - "libvelmora_ffmpeg": every other format (FFmpeg) and MIDI (FluidSynth),
//   loaded on the first file the first one refuses;
// - "libvelmora_tags": the tag reader (TagLib), loaded for each file whose
//   tags are read and let go again (the library alone, relocated, is most of
//   a MiB; loading it takes well under a millisecond).
// The second and third are always taken from the folder of the first.
// FFmpeg and FluidSynth pull in about a hundred shared libraries of their
// own (some 27 MiB resident); a player that only plays MP3 never maps them.

// What a file's headers tell without decoding it: its tag fields and, where
// the container states it, its length as the decoders would play it.
struct TrackHeader {
    QList<AudioLibrary::TagField> fields;
    double lengthMs = 0; // 0: the headers give no length
};

// The table each module hands out. Objects cross the boundary as C++
// objects: the modules are built with the program and never unloaded.
struct DecoderModuleApi {
    static constexpr int CurrentAbi = 4;
    int abi = CurrentAbi;
    // A decoder the caller owns, or null with `error` set to one of
    // AudioLibrary's codes. ErrFileFormat from the first module means "not
    // mine": the file goes on to the second.
    AudioDecoder *(*openDecoder)(const QString &path, int rate, int &error) = nullptr;
    // The tag fields of a file, in the order the player takes them (the tag
    // module only). What it returns must not point into the module.
    QList<AudioLibrary::TagField> (*readTags)(const QString &path) = nullptr;
    // The versions of the module's libraries, one text each.
    QStringList (*versions)() = nullptr;
    // The tag fields (as readTags gives them) and the length from the
    // container's headers, in one pass over the file (the tag module only).
    // False when the file is not one the module knows.
    bool (*readHeader)(const QString &path, TrackHeader &header) = nullptr;
    // How the file's sound is stored (the tag module only); false when the
    // file cannot be read. Like readTags, nothing it fills points into the
    // module.
    bool (*readFormat)(const QString &path, StreamFormat &format) = nullptr;
};

// The modules, each loaded once. Thread-safe; the first call that needs a
// module loads it.
class DecoderModule
{
public:
    // The first module's table, or null when it cannot be loaded (the
    // reason is in loadError()).
    static const DecoderModuleApi *api();
    static QString loadError();
    // The FFmpeg module's table (loading it), or null when it cannot be
    // loaded (the reason is in ffmpegLoadError()).
    static const DecoderModuleApi *ffmpegApi();
    static QString ffmpegLoadError();

    // Opens `path` through the first module, and through the FFmpeg module
    // when the first refuses the file; ErrFileFormat when neither can.
    static std::unique_ptr<AudioDecoder> open(const QString &path, int rate, int &error);
    // Reads the tags through the tag module, loaded for this read only
    // unless it is kept.
    static QList<AudioLibrary::TagField> readTags(const QString &path);
    // The tag fields and header length of `path` through the tag module
    // (loaded for this read only unless it is kept); false when the module
    // is missing or does not know the file.
    static bool readHeader(const QString &path, TrackHeader &header);
    // How the file's sound is stored, through the tag module; false when the
    // module or the file cannot be read.
    static bool readFormat(const QString &path, StreamFormat &format);
    // While kept (calls nest), the tag module stays loaded between reads, so
    // a run of reads does not load and relocate it for every file.
    static void keepTagModule(bool keep);
    // The versions of every module's libraries and where the modules are;
    // loads the FFmpeg module if it is not loaded yet.
    static QStringList versions();

    // The file names of the modules on this platform.
    static QString fileName();
    static QString ffmpegFileName();
    static QString tagsFileName();
};
