// The entry point of the decoder module: MPEG audio through mpg123 and the
// tag reader. Every other file goes on to the FFmpeg module.
#include "playback/decoders/Mpg123Decoder.h"
#include "playback/decoders/TagReader.h"
#include "playback/engine/DecoderModule.h"

#include <mpg123.h>
#include <soxr.h>
#include <taglib/taglib.h>

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
    return {
        QStringLiteral("mpg123 " VELMORA_MPG123_VERSION),
        QStringLiteral("soxr %1").arg(QString::fromUtf8(soxr_version()).remove(QStringLiteral("libsoxr-"))),
        QStringLiteral("TagLib %1.%2.%3").arg(TAGLIB_MAJOR_VERSION).arg(TAGLIB_MINOR_VERSION).arg(TAGLIB_PATCH_VERSION),
    };
}

const DecoderModuleApi table = [] {
    DecoderModuleApi t;
    t.openDecoder = openDecoder;
    t.readTags = readTagFields;
    t.versions = versions;
    return t;
}();

} // namespace

extern "C" Q_DECL_EXPORT const DecoderModuleApi *velmora_decoder_module()
{
    return &table;
}
