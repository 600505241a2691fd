// Tags of a freshly added folder read in the background: the time until
// every row of 2,000 MP3, FLAC and OGG files shows its title, artist, time
// and bit rate, and the longest the user-interface thread's event loop
// stalled meanwhile (the lateness of a 1 ms timer). Also a 30,000-row list
// whose cells are all filled, as a playlist loads at start-up: nothing may
// be queued for it.
#include "playback/TagFiller.h"
#include "playback/engine/EngineTrackInfo.h"
#include "playlist/TrackList.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <benchmark/benchmark.h>

#include <algorithm>

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

void BM_FillTagsOfAddedFolder(benchmark::State &state)
{
    static Folder folder(2000);
    EngineTrackInfo info;
    qint64 worstStallMs = 0;
    for (auto _ : state) {
        TrackList list;
        TagFiller filler(list, info);
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

BENCHMARK(BM_FillTagsOfAddedFolder)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadFilledList)->Arg(30000)->Unit(benchmark::kMillisecond);

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
