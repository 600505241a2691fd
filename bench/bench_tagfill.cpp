// Tags of a freshly added folder read in the background: the time until
// every row of 2,000 MP3, FLAC and OGG files shows its title, artist, time
// and bit rate, and the longest the user-interface thread's event loop
// stalled meanwhile (the lateness of a 1 ms timer), for two ways of reading
// a file and one or two reader threads:
//   source 0: the length from an opened decoder, the tags from a second
//             pass of TagLib (how a stream opens);
//   source 1: tags and length from the headers in one TagLib pass.
// The floor: a bare TagLib read (tags and audio properties) of the same
// files on two threads, nothing else. Also a 30,000-row list whose cells are
// all filled, as a playlist loads at start-up: nothing may be queued for it.
#include "core/NativePath.h"
#include "playback/TagFiller.h"
#include "playback/engine/DecoderModule.h"
#include "playback/engine/EngineTrackInfo.h"
#include "playlist/TrackList.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <benchmark/benchmark.h>

#include <taglib/fileref.h>
#include <taglib/tag.h>

#include <algorithm>
#include <cmath>
#include <thread>

namespace {

// Three tagged 4-second tones, copied to `count` files named apart.
struct Folder {
    QTemporaryDir dir;
    QStringList paths;
    explicit Folder(int count)
    {
        const QStringList kinds = {QStringLiteral("mp3"), QStringLiteral("flac"), QStringLiteral("ogg")};
        QStringList sources;
        for (const QString &ext : kinds) {
            const QString out = dir.filePath(QStringLiteral("source.") + ext);
            QProcess::execute(QStringLiteral("ffmpeg"),
                              {"-hide_banner", "-loglevel", "error", "-y", "-f", "lavfi", "-i",
                               "sine=frequency=440:duration=4", "-metadata", "title=Tone " + ext, "-metadata",
                               "artist=Bench", out});
            sources << out;
        }
        for (int i = 0; i < count; ++i) {
            const QString &source = sources[i % sources.size()];
            const QString path = dir.filePath(QStringLiteral("%1.%2").arg(i, 5, 10, QLatin1Char('0')).arg(kinds[i % 3]));
            QFile::copy(source, path);
            paths << path;
        }
    }
};

bool allFilled(const TrackList &list)
{
    for (const TrackRow &row : list.rows())
        if (row.time().isEmpty())
            return false;
    return true;
}

// The read as a stream opens: a decoder for the length, TagLib for the tags.
struct DecoderTrackInfo : TrackInfoSource {
    bool readTrackInfo(const QString &path, TrackFacts &facts) override
    {
        constexpr int rate = 44100;
        int error = 0;
        const std::unique_ptr<AudioDecoder> decoder = DecoderModule::open(path, rate, error);
        if (!decoder)
            return false;
        facts.tags = TagsFromFields(DecoderModule::readTags(path));
        facts.lengthMs = int(std::llround(double(decoder->lengthFrames()) * 1000.0 / rate));
        facts.bytes = QFileInfo(path).size();
        return true;
    }
    void readingRun(bool running) override { DecoderModule::keepTagModule(running); }
};

Folder &addedFolder()
{
    static Folder folder(2000);
    return folder;
}

void BM_FillTagsOfAddedFolder(benchmark::State &state)
{
    Folder &folder = addedFolder();
    EngineTrackInfo headers;
    DecoderTrackInfo decoders;
    TrackInfoSource &info = state.range(0) == 0 ? static_cast<TrackInfoSource &>(decoders) : headers;
    qint64 worstStallMs = 0;
    for (auto _ : state) {
        TrackList list;
        TagFiller filler(list, info, int(state.range(1)));
        QElapsedTimer clock;
        qint64 lastTick = 0;
        qint64 stall = 0;
        QTimer tick;
        tick.setTimerType(Qt::PreciseTimer);
        tick.setInterval(1);
        QObject::connect(&tick, &QTimer::timeout, [&] {
            const qint64 now = clock.elapsed();
            stall = std::max(stall, now - lastTick - 1);
            lastTick = now;
        });
        int filled = 0;
        QObject::connect(&filler, &TagFiller::cellsFilled, [&] { ++filled; });
        std::vector<TrackRow> rows;
        for (const QString &p : folder.paths)
            rows.push_back(list.makeRow(p));
        clock.start();
        tick.start();
        list.appendRows(std::move(rows));
        while (filled < int(folder.paths.size()))
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        if (!allFilled(list))
            state.SkipWithError("a row was left empty");
        tick.stop();
        state.SetIterationTime(clock.elapsed() / 1000.0);
        worstStallMs = std::max(worstStallMs, stall);
    }
    state.counters["longest_stall_ms"] = double(worstStallMs);
}

void BM_BareTagLibRead(benchmark::State &state)
{
    Folder &folder = addedFolder();
    for (auto _ : state) {
        std::atomic<int> next{0};
        std::atomic<int> read{0};
        const auto work = [&] {
            for (int i = next++; i < int(folder.paths.size()); i = next++) {
                TagLib::FileRef ref(NativePath::encode(folder.paths[i]).constData(), true,
                                    TagLib::AudioProperties::Average);
                if (!ref.isNull() && ref.tag() && !ref.tag()->title().isEmpty() && ref.audioProperties()
                    && ref.audioProperties()->lengthInMilliseconds() > 0)
                    ++read;
            }
        };
        std::vector<std::thread> threads;
        for (int t = 0; t < int(state.range(0)); ++t)
            threads.emplace_back(work);
        for (std::thread &t : threads)
            t.join();
        if (read != int(folder.paths.size()))
            state.SkipWithError("a file was not read");
    }
}

// Counts reads, to show that a filled list queues none.
struct CountingInfo : TrackInfoSource {
    std::atomic<int> reads{0};
    bool readTrackInfo(const QString &, TrackFacts &) override
    {
        ++reads;
        return false;
    }
};

void BM_LoadFilledList(benchmark::State &state)
{
    const int n = int(state.range(0));
    CountingInfo info;
    for (auto _ : state) {
        TrackList list;
        TagFiller filler(list, info);
        std::vector<TrackRow> rows;
        rows.reserve(size_t(n));
        for (int i = 0; i < n; ++i)
            rows.emplace_back(QStringLiteral("/music/artist %1/album/%2 track.mp3").arg(i / 12).arg(i % 12),
                              u"Title", u"Artist", u"3:45", u"192bps", u"MP3", 0);
        list.appendRows(std::move(rows));
        QCoreApplication::processEvents(); // the filler's scan runs
    }
    state.counters["reads"] = double(info.reads.load());
}

} // namespace

BENCHMARK(BM_FillTagsOfAddedFolder)
    ->ArgNames({"source", "readers"})
    ->Args({0, 1})
    ->Args({1, 1})
    ->Args({1, 2})
    ->UseManualTime()
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BareTagLibRead)->ArgName("threads")->Arg(2)->Iterations(1)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadFilledList)->Arg(30000)->Unit(benchmark::kMillisecond);

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
