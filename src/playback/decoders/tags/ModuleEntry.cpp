// The entry point of the tag module (TagLib), which the player loads for
// each file it reads the tags of and lets go again.
#include "playback/decoders/tags/TagReader.h"
#include "playback/engine/DecoderModule.h"

#include <taglib/taglib.h>

namespace {

QStringList versions()
{
    return {QStringLiteral("TagLib %1.%2.%3").arg(TAGLIB_MAJOR_VERSION).arg(TAGLIB_MINOR_VERSION).arg(TAGLIB_PATCH_VERSION)};
}

const DecoderModuleApi table = [] {
    DecoderModuleApi t;
    t.readTags = readTagFields;
    t.versions = versions;
    t.readHeader = readTrackHeader;
    t.readFormat = readStreamFormat;
    return t;
}();

} // namespace

extern "C" Q_DECL_EXPORT const DecoderModuleApi *velmora_tags_module()
{
    return &table;
}
