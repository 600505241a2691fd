// The entry point of the decoder module: MPEG audio through mpg123. Every
// other file goes on to the FFmpeg module; tags come from the tag module.
#include "playback/decoders/Mpg123Decoder.h"
#include "playback/decoders/SoxrLibrary.h"
#include "playback/engine/DecoderModule.h"

#include <mpg123.h>

#ifndef VELMORA_MPG123_VERSION
#define VELMORA_MPG123_VERSION "API " QT_STRINGIFY(MPG123_API_VERSION)
#endif

namespace {

AudioDecoder *openDecoder(const QString &path, int rate, int &error)
{
    return Mpg123Decoder::open(path, rate, error).release();
}

QStringList versions()
{
    const SoxrLibrary *soxr = SoxrLibrary::get();
    return {
        QStringLiteral("mpg123 " VELMORA_MPG123_VERSION),
        soxr ? QStringLiteral("soxr %1 (loaded when a file needs resampling)")
                   .arg(QString::fromUtf8(soxr->version()).remove(QStringLiteral("libsoxr-")))
             : QStringLiteral("soxr not found"),
    };
}

const DecoderModuleApi table = [] {
    DecoderModuleApi t;
    t.openDecoder = openDecoder;
    t.versions = versions;
    return t;
}();

} // namespace

extern "C" Q_DECL_EXPORT const DecoderModuleApi *velmora_decoder_module()
{
    return &table;
}
