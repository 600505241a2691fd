// The MIDI file reader on arbitrary bytes: must not crash, hang or read
// beyond its bytes, and its times must run forwards.
#include "playback/decoders/ffmpeg/MidiFile.h"

#include <QByteArray>

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    MidiFile::looksLikeMidi(bytes);
    MidiFile file;
    if (!file.parse(bytes))
        return 0;
    if (file.lengthUs() < 0 || file.lastTick() < 0)
        std::abort();
    std::int64_t previousUs = -1;
    std::int64_t previousTick = -1;
    for (int step = 0; step <= 8; ++step) {
        const std::int64_t tick = file.lastTick() / 8 * step;
        const std::int64_t us = file.tickToUs(tick);
        const std::int64_t back = file.usToTick(us);
        if (us < previousUs || back < previousTick || back < 0)
            std::abort();
        previousUs = us;
        previousTick = back;
    }
    return 0;
}
