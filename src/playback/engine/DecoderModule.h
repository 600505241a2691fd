#pragma once

#include "playback/AudioLibrary.h"
#include "playback/engine/AudioDecoder.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <memory>

// The decoders (FFmpeg, FluidSynth) and the tag reader (TagLib) live in a
// module of their own, "libvelmora_decoders", loaded on the first file the
// player opens. Those libraries pull in about a hundred shared libraries of
// their own; a player that starts with a long playlist and plays nothing yet
// never pays for them.

// The table the module hands out. Objects cross the boundary as C++ objects:
// the module is built with the program and never unloaded.
struct DecoderModuleApi {
    static constexpr int CurrentAbi = 1;
    int abi = CurrentAbi;
    // openAudioDecoder(): a decoder the caller owns, or null with `error` set.
    AudioDecoder *(*openDecoder)(const QString &path, int rate, int &error) = nullptr;
    // The tag fields of a file, in the order the player takes them.
    QList<AudioLibrary::TagField> (*readTags)(const QString &path) = nullptr;
    // Versions of FFmpeg, FluidSynth and TagLib, one text each.
    QStringList (*versions)() = nullptr;
};

// The module, loaded once. Thread-safe; the first call loads it.
class DecoderModule
{
public:
    // The module's table, or null when it cannot be loaded (the reason is
    // in loadError()).
    static const DecoderModuleApi *api();
    static QString loadError();

    // Opens `path` through the module; ErrFileFormat when the module is missing.
    static std::unique_ptr<AudioDecoder> open(const QString &path, int rate, int &error);
    static QList<AudioLibrary::TagField> readTags(const QString &path);
    static QStringList versions();

    // The file name of the module on this platform.
    static QString fileName();
};
