// velmora_measure_operation <decode|mpeg|tags> <file>: one decoder operation
// in a process of its own, for the audio tests' bounds (tests/audio/
// test_bounds.cpp), so that the peak memory it reports is the operation's
// own. "decode" opens the file as the player does, "mpeg" with the MPEG audio
// decoder alone, "tags" reads its tags. Prints
//   MEASURED <growth of the peak in KiB> <milliseconds> <1 when it opened>
//   FIELDS <name=value,...>
#include "playback/decoders/Mpg123Decoder.h"
#include "playback/decoders/tags/TagReader.h"
#include "playback/engine/DecoderModule.h"

#include <QElapsedTimer>
#include <QString>
#include <QStringList>

#include <cstdio>
#include <memory>
#include <sys/resource.h>
#include <vector>

namespace {

qint64 peakKiB()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss; // KiB on Linux
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 3) {
        std::fputs("usage: velmora_measure_operation <decode|mpeg|tags> <file>\n", stderr);
        return 2;
    }
    const QString operation = QString::fromLocal8Bit(argv[1]);
    const QString path = QString::fromLocal8Bit(argv[2]);
    if (operation != u"decode" && operation != u"mpeg" && operation != u"tags") {
        std::fprintf(stderr, "velmora_measure_operation: unknown operation %s\n", argv[1]);
        return 2;
    }
    const qint64 before = peakKiB();
    QElapsedTimer clock;
    clock.start();
    QStringList fields;
    bool opened = false;
    if (operation == u"decode" || operation == u"mpeg") {
        int error = 0;
        std::unique_ptr<AudioDecoder> d = operation == u"decode" ? DecoderModule::open(path, 44100, error)
                                                                 : Mpg123Decoder::open(path, 44100, error);
        opened = d != nullptr;
        if (d) {
            std::vector<float> buffer(2 * 4096);
            for (int i = 0; i < 200 && d->read(buffer.data(), 4096) > 0; ++i) {
            }
        }
    } else {
        for (const auto &f : readTagFields(path))
            fields << QString::fromUtf8(f.name + '=' + f.value.left(40));
    }
    std::printf("MEASURED %lld %lld %d\nFIELDS %s\n", peakKiB() - before, qint64(clock.elapsed()), int(opened),
                fields.join(u',').toUtf8().constData());
    return 0;
}
