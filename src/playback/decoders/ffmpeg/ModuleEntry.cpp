// The entry point of the FFmpeg module: every format but MPEG audio (FFmpeg)
// and MIDI (FluidSynth). Loaded only when a file needs it.
#include "playback/decoders/ffmpeg/OpenDecoder.h"
#include "playback/engine/DecoderModule.h"

#include <fluidsynth.h>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/avutil.h>
}

namespace {

QString libraryVersion(unsigned v)
{
    return QStringLiteral("%1.%2.%3").arg(v >> 16).arg((v >> 8) & 0xFF).arg(v & 0xFF);
}

AudioDecoder *openDecoder(const QString &path, int rate, int &error)
{
    return openAudioDecoder(path, rate, error).release();
}

QStringList versions()
{
    return {
        QStringLiteral("FFmpeg %1 (libavformat %2, libavcodec %3)")
            .arg(QString::fromUtf8(av_version_info()), libraryVersion(avformat_version()),
                 libraryVersion(avcodec_version())),
        QStringLiteral("FluidSynth %1").arg(QString::fromUtf8(fluid_version_str())),
    };
}

const DecoderModuleApi table = [] {
    DecoderModuleApi t;
    t.openDecoder = openDecoder;
    t.versions = versions;
    return t;
}();

} // namespace

extern "C" Q_DECL_EXPORT const DecoderModuleApi *velmora_ffmpeg_module()
{
    return &table;
}
