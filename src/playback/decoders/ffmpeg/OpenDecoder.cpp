#include "playback/decoders/ffmpeg/OpenDecoder.h"

#include "playback/AudioLibrary.h"
#include "playback/decoders/DecoderInput.h"
#include "playback/decoders/ffmpeg/FfmpegDecoder.h"
#include "playback/decoders/ffmpeg/MidiDecoder.h"
#include "playback/decoders/ffmpeg/MidiFile.h"

#include "core/NativePath.h"

#include <QFile>

namespace {
// MIDI files are read whole; real ones are a few hundred kilobytes at most.
constexpr qint64 kMaxMidiBytes = 32 * 1024 * 1024;
} // namespace

std::unique_ptr<AudioDecoder> openAudioDecoder(const QString &path, int rate, int &error)
{
    QFile file;
    error = openDecoderInput(file, path);
    if (error != AudioLibrary::ErrNone)
        return nullptr;
    // MIDI is recognised by content, whatever the file is called.
    if (MidiFile::looksLikeMidi(file.peek(12))) {
        if (file.size() > kMaxMidiBytes) {
            error = AudioLibrary::ErrFileBad;
            return nullptr;
        }
        return MidiDecoder::open(file.readAll(), rate, error);
    }
    file.close();
    return FfmpegDecoder::open(path, rate, error);
}
