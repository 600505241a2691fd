// CPU time to decode and mix one minute through the engine with loudness
// levelling off and on (track gain from the file's tags), in the same run.
// The file is a PCM WAV, so that decoding costs little and the mix is a
// large share of the figure: the levelling is folded into each channel's
// volume factor, so the two should not differ beyond noise.
#include "playback/engine/EngineAudioLibrary.h"

#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cmath>
#include <sys/resource.h>
#include <vector>

#include <taglib/id3v2tag.h>
#include <taglib/textidentificationframe.h>
#include <taglib/wavfile.h>

namespace {

constexpr int kRate = 44100;

double cpuSeconds()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

void put16(QByteArray &b, int v)
{
    b.append(char(v & 0xFF)).append(char((v >> 8) & 0xFF));
}

void put32(QByteArray &b, quint32 v)
{
    put16(b, int(v & 0xFFFF));
    put16(b, int(v >> 16));
}

// One minute of a 16-bit stereo tone, tagged with a track gain of -6 dB.
struct Fixture {
    QTemporaryDir dir;
    QString wav = dir.filePath(QStringLiteral("minute.wav"));
    bool ok = write();

    bool write()
    {
        const int frames = kRate * 60;
        QByteArray b("RIFF");
        put32(b, 36 + quint32(frames) * 4);
        b.append("WAVEfmt ");
        put32(b, 16);
        put16(b, 1);
        put16(b, 2);
        put32(b, kRate);
        put32(b, kRate * 4);
        put16(b, 4);
        put16(b, 16);
        b.append("data");
        put32(b, quint32(frames) * 4);
        for (int i = 0; i < frames; ++i) {
            const int v = int(std::lround(8000 * std::sin(2 * M_PI * 440.0 * i / kRate)));
            put16(b, v);
            put16(b, v);
        }
        QFile f(wav);
        if (!f.open(QIODevice::WriteOnly) || f.write(b) != b.size())
            return false;
        f.close();
        TagLib::RIFF::WAV::File tagged(QFile::encodeName(wav).constData());
        auto *frame = new TagLib::ID3v2::UserTextIdentificationFrame(TagLib::String::UTF8);
        frame->setDescription("REPLAYGAIN_TRACK_GAIN");
        frame->setText("-6.00 dB");
        tagged.ID3v2Tag()->addFrame(frame);
        return tagged.save();
    }
};

Fixture &fixture()
{
    static Fixture f;
    return f;
}

// Arg 0: levelling off; 1: track gain.
void BM_MixOneMinuteWav(benchmark::State &state)
{
    Fixture &f = fixture();
    if (!f.ok) {
        state.SkipWithError("the fixture could not be written");
        return;
    }
    qputenv("SDL_AUDIODRIVER", "dummy");
    EngineAudioLibrary lib;
    if (!lib.init(kRate, 32, 0)) {
        state.SkipWithError("no output device");
        return;
    }
    lib.setReplayGain(int(state.range(0)), 0.0, true);
    std::vector<float> buffer(2048 * 2);
    double total = 0;
    float gain = 0;
    for (auto _ : state) {
        const double before = cpuSeconds();
        const auto s = lib.streamOpen(f.wav, 0x130, 0, 0);
        lib.streamPlay(-1, s);
        gain = lib.streamGain(s);
        const std::int64_t frames = std::int64_t(lib.streamLengthMs(s)) * kRate / 1000;
        for (std::int64_t done = 0; done < frames; done += 2048) {
            lib.render(buffer.data(), 2048);
            benchmark::DoNotOptimize(buffer.data());
        }
        lib.streamClose(s);
        const double spent = cpuSeconds() - before;
        total += spent;
        state.SetIterationTime(spent);
    }
    lib.close();
    state.counters["cpu_s_per_min"] = total / double(state.iterations());
    state.counters["gain"] = gain;
}

BENCHMARK(BM_MixOneMinuteWav)->Arg(0)->Arg(1)->Arg(0)->Arg(1)->UseManualTime()->Iterations(10)
    ->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
