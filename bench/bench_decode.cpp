// CPU time to open, decode and mix one minute of a 128 kbit/s MP3 through the
// engine, beside FFmpeg's own command decoding the same file to nothing
// (`ffmpeg -i f.mp3 -f null -`), in the same run; and the two decoders alone
// on that minute: mpg123 (the player's MP3 decoder) and FFmpeg.
#include "playback/decoders/Mpg123Decoder.h"
#include "playback/decoders/ffmpeg/FfmpegDecoder.h"
#include "playback/engine/EngineAudioLibrary.h"

#include <QByteArray>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <vector>

namespace {

struct Fixture;
Fixture &fixture();

double cpuSeconds(int who)
{
    rusage u{};
    getrusage(who, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

bool ffmpeg(const QStringList &args)
{
    QStringList all{QStringLiteral("-hide_banner"), QStringLiteral("-loglevel"), QStringLiteral("error"),
                    QStringLiteral("-nostdin"), QStringLiteral("-y")};
    return QProcess::execute(QStringLiteral("ffmpeg"), all + args) == 0;
}

// One minute of music-like stereo sound: a wandering tone over noise, so the
// encoder spends bits as it would on a song.
struct Fixture {
    QTemporaryDir dir;
    QString mp3 = dir.filePath(QStringLiteral("minute.mp3"));
    bool ok = ffmpeg({"-f", "lavfi", "-i",
                      "aevalsrc=0.3*sin(2*PI*(330+110*sin(2*PI*0.5*t))*t)+0.05*(random(0)-0.5)|"
                      "0.3*sin(2*PI*(440+80*sin(2*PI*0.3*t))*t)+0.05*(random(1)-0.5):s=44100:d=60",
                      "-c:a", "libmp3lame", "-b:a", "128k", mp3});
};

// The same sound cut to a tenth of a second: FFmpeg's start-up cost alone.
struct ShortFixture {
    QString mp3 = fixture().dir.filePath(QStringLiteral("tenth.mp3"));
    bool ok = ffmpeg({"-i", fixture().mp3, "-t", "0.1", "-c", "copy", mp3});
};

Fixture &fixture()
{
    static Fixture f;
    return f;
}

ShortFixture &shortFixture()
{
    static ShortFixture f;
    return f;
}

void BM_DecodeAndMixOneMinuteMp3(benchmark::State &state)
{
    Fixture &f = fixture();
    if (!f.ok) {
        state.SkipWithError("ffmpeg could not make the MP3");
        return;
    }
    qputenv("SDL_AUDIODRIVER", "dummy");
    EngineAudioLibrary lib;
    if (!lib.init(44100, 32, 0)) {
        state.SkipWithError("no output device");
        return;
    }
    std::vector<float> buffer(2048 * 2);
    double engineTotal = 0, ffmpegTotal = 0, startupTotal = 0, openTotal = 0;
    std::int64_t frames = 0;
    for (auto _ : state) {
        const double before = cpuSeconds(RUSAGE_SELF);
        const auto s = lib.streamOpen(f.mp3, 0x130, 0, 0);
        openTotal += cpuSeconds(RUSAGE_SELF) - before;
        const int ch = lib.streamPlay(-1, s);
        const std::int64_t total = std::int64_t(lib.streamLengthMs(s)) * 44100 / 1000;
        for (std::int64_t done = 0; done < total; done += 2048) {
            lib.render(buffer.data(), 2048);
            benchmark::DoNotOptimize(buffer.data());
        }
        frames += total;
        lib.streamClose(s);
        (void)ch;
        const double engine = cpuSeconds(RUSAGE_SELF) - before;

        const double childBefore = cpuSeconds(RUSAGE_CHILDREN);
        ffmpeg({"-i", f.mp3, "-f", "null", "-"});
        const double own = cpuSeconds(RUSAGE_CHILDREN) - childBefore;

        const double shortBefore = cpuSeconds(RUSAGE_CHILDREN);
        ffmpeg({"-i", shortFixture().mp3, "-f", "null", "-"});
        startupTotal += cpuSeconds(RUSAGE_CHILDREN) - shortBefore;

        engineTotal += engine;
        ffmpegTotal += own;
        state.SetIterationTime(engine);
    }
    lib.close();
    const double n = double(state.iterations());
    state.counters["engine_cpu_s"] = engineTotal / n;
    state.counters["engine_open_cpu_s"] = openTotal / n;
    state.counters["ffmpeg_cpu_s"] = ffmpegTotal / n;
    state.counters["ffmpeg_startup_cpu_s"] = startupTotal / n;
    state.counters["ratio"] = ffmpegTotal > 0 ? engineTotal / ffmpegTotal : 0;
    state.counters["ratio_without_startup"] =
        ffmpegTotal > startupTotal ? engineTotal / (ffmpegTotal - startupTotal) : 0;
    state.counters["audio_s"] = double(frames) / 44100.0 / n;
}

BENCHMARK(BM_DecodeAndMixOneMinuteMp3)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);

// Open and decode the whole minute to stereo float at 44.1 kHz (`resampled`:
// at 48 kHz), with one decoder alone, in this thread.
template<typename Decoder>
void BM_DecodeOneMinuteMp3Alone(benchmark::State &state)
{
    Fixture &f = fixture();
    if (!f.ok) {
        state.SkipWithError("ffmpeg could not make the MP3");
        return;
    }
    const int rate = state.range(0);
    std::vector<float> buffer(4096 * 2);
    double cpu = 0;
    std::int64_t frames = 0;
    for (auto _ : state) {
        const double before = cpuSeconds(RUSAGE_THREAD);
        int error = 0;
        std::unique_ptr<AudioDecoder> d = Decoder::open(f.mp3, rate, error);
        if (!d) {
            state.SkipWithError("the decoder did not open the MP3");
            return;
        }
        for (int n; (n = d->read(buffer.data(), 4096)) > 0;)
            frames += n;
        benchmark::DoNotOptimize(buffer.data());
        const double used = cpuSeconds(RUSAGE_THREAD) - before;
        cpu += used;
        state.SetIterationTime(used);
    }
    state.counters["cpu_s"] = cpu / double(state.iterations());
    state.counters["audio_s"] = double(frames) / rate / double(state.iterations());
}

BENCHMARK_TEMPLATE(BM_DecodeOneMinuteMp3Alone, Mpg123Decoder)->Arg(44100)->Arg(48000)->UseManualTime()
    ->Iterations(5)->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(BM_DecodeOneMinuteMp3Alone, FfmpegDecoder)->Arg(44100)->Arg(48000)->UseManualTime()
    ->Iterations(5)->Unit(benchmark::kMillisecond);

// Process CPU while the MP3 plays in real time on SDL's silent driver (the
// whole engine: device callback, decoder thread), then while it is paused;
// reported per minute of playing and per 30 s of pause.
void BM_RealTimePlayAndPause(benchmark::State &state)
{
    Fixture &f = fixture();
    if (!f.ok) {
        state.SkipWithError("ffmpeg could not make the MP3");
        return;
    }
    qputenv("SDL_AUDIODRIVER", "dummy");
    double playing = 0, paused = 0;
    const int seconds = int(state.range(0));
    for (auto _ : state) {
        EngineAudioLibrary lib;
        if (!lib.init(44100, 32, 0)) {
            state.SkipWithError("no output device");
            return;
        }
        const auto s = lib.streamOpen(f.mp3, 0x130, 0, 0);
        const double t0 = cpuSeconds(RUSAGE_SELF);
        const int ch = lib.streamPlay(-1, s);
        QThread::sleep(seconds);
        const double t1 = cpuSeconds(RUSAGE_SELF);
        lib.setPaused(ch, true);
        QThread::msleep(100); // the last buffer plays out
        const double t2 = cpuSeconds(RUSAGE_SELF);
        QThread::sleep(seconds);
        const double t3 = cpuSeconds(RUSAGE_SELF);
        playing += t1 - t0;
        paused += t3 - t2;
        lib.close();
    }
    const double n = double(state.iterations());
    state.counters["playing_cpu_s_per_min"] = playing / n * 60.0 / seconds;
    state.counters["paused_cpu_ms_per_30s"] = paused / n * 1000.0 * 30.0 / seconds;
}

BENCHMARK(BM_RealTimePlayAndPause)->Arg(5)->Arg(30)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
