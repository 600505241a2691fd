// Time from PlaySelectedTrack to the first sample ready for the output, for
// MP3, FLAC and MIDI, beside opening and decoding the first frame with FFmpeg
// alone in the same run.
#include "playback/PlaybackDisplay.h"
#include "playback/Player.h"
#include "playback/engine/EngineAudioLibrary.h"
#include "playlist/TrackList.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <chrono>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

namespace {

struct NoDisplay : PlaybackDisplay {
    void ShowTrackInfo(const QString &, const QString &) override {}
    void showIdle() override {}
    void setScrollTimerEnabled(bool) override {}
    void setSeekMaximum(int) override {}
    void scrollToRow(int) override {}
    void trackAdvanced() override {}
};

// The fixture files, made once.
struct Files {
    QTemporaryDir dir;
    QString mp3, flac, midi;
    Files()
    {
        mp3 = dir.filePath(QStringLiteral("tone.mp3"));
        flac = dir.filePath(QStringLiteral("tone.flac"));
        midi = dir.filePath(QStringLiteral("tune.mid"));
        const QStringList src = {"-hide_banner", "-loglevel", "error", "-y", "-f", "lavfi", "-i",
                                 "sine=frequency=440:duration=60:sample_rate=44100", "-ac", "2"};
        QProcess::execute(QStringLiteral("ffmpeg"), src + QStringList{"-b:a", "128k", mp3});
        QProcess::execute(QStringLiteral("ffmpeg"), src + QStringList{flac});
        // One track: a C major scale of quarter notes at 120 bpm.
        QByteArray track;
        for (int i = 0; i < 8; ++i) {
            const char note = char(60 + QList<int>{0, 2, 4, 5, 7, 9, 11, 12}[i]);
            track += QByteArray("\x00\x90", 2) + note + '\x60';
            track += QByteArray("\x83\x60\x80", 3) + note + '\x40';
        }
        track += QByteArray("\x00\xFF\x2F\x00", 4);
        QByteArray smf("MThd\x00\x00\x00\x06\x00\x00\x00\x01\x01\xE0", 14);
        smf += "MTrk";
        const quint32 n = quint32(track.size());
        smf += char(n >> 24);
        smf += char(n >> 16);
        smf += char(n >> 8);
        smf += char(n);
        smf += track;
        QFile f(midi);
        if (f.open(QIODevice::WriteOnly))
            f.write(smf);
    }
};

Files &files()
{
    static Files f;
    return f;
}

void PlayStart(benchmark::State &state, const QString &path)
{
    qputenv("SDL_AUDIODRIVER", "dummy");
    EngineAudioLibrary audio;
    if (!audio.init(44100, 32, 0)) {
        state.SkipWithError("no output");
        return;
    }
    TrackList list;
    list.appendRow(list.makeRow(path));
    NoDisplay display;
    Player player(audio, list, display);
    std::vector<float> block(2 * 256);
    for (auto _ : state) {
        list.setSelected(1, true);
        const auto start = std::chrono::steady_clock::now();
        player.PlaySelectedTrack();
        bool heard = false;
        for (int i = 0; i < 400 && !heard; ++i) {
            audio.render(block.data(), 256);
            for (float s : block)
                if (s != 0.0f) {
                    heard = true;
                    break;
                }
        }
        const auto end = std::chrono::steady_clock::now();
        state.SetIterationTime(std::chrono::duration<double>(end - start).count());
        if (!heard)
            state.SkipWithError("no sound");
        // The next play opens the file again.
        player.StopPlayback();
    }
    audio.close();
}

// Open, find the audio stream, open its decoder and decode the first frame.
void FfmpegFirstFrame(benchmark::State &state, const QString &path)
{
    const QByteArray file = QFile::encodeName(path);
    for (auto _ : state) {
        AVFormatContext *fmt = nullptr;
        if (avformat_open_input(&fmt, file.constData(), nullptr, nullptr) < 0) {
            state.SkipWithError("open failed");
            break;
        }
        avformat_find_stream_info(fmt, nullptr);
        const AVCodec *codec = nullptr;
        const int index = av_find_best_stream(fmt, AVMEDIA_TYPE_AUDIO, -1, -1, &codec, 0);
        AVCodecContext *ctx = avcodec_alloc_context3(codec);
        avcodec_parameters_to_context(ctx, fmt->streams[index]->codecpar);
        avcodec_open2(ctx, codec, nullptr);
        AVPacket *pkt = av_packet_alloc();
        AVFrame *frame = av_frame_alloc();
        bool got = false;
        while (!got && av_read_frame(fmt, pkt) >= 0) {
            if (pkt->stream_index == index && avcodec_send_packet(ctx, pkt) >= 0)
                got = avcodec_receive_frame(ctx, frame) >= 0;
            av_packet_unref(pkt);
        }
        benchmark::DoNotOptimize(frame->nb_samples);
        av_frame_free(&frame);
        av_packet_free(&pkt);
        avcodec_free_context(&ctx);
        avformat_close_input(&fmt);
    }
}

void BM_PlayStart_Mp3(benchmark::State &s) { PlayStart(s, files().mp3); }
void BM_PlayStart_Flac(benchmark::State &s) { PlayStart(s, files().flac); }
void BM_PlayStart_Midi(benchmark::State &s) { PlayStart(s, files().midi); }
void BM_FfmpegFirstFrame_Mp3(benchmark::State &s) { FfmpegFirstFrame(s, files().mp3); }
void BM_FfmpegFirstFrame_Flac(benchmark::State &s) { FfmpegFirstFrame(s, files().flac); }

} // namespace

BENCHMARK(BM_PlayStart_Mp3)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(30);
BENCHMARK(BM_FfmpegFirstFrame_Mp3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlayStart_Flac)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(30);
BENCHMARK(BM_FfmpegFirstFrame_Flac)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlayStart_Midi)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK_MAIN();
