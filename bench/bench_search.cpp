// One keystroke in the search box on a 32,767-row playlist: the whole
// rebuild (the playlist file read, every row matched, the list refilled and
// the list view told), beside the bare read of the same file: its lines
// read with std::getline, with and without a stat() of every path line.
#include "playlist/PlaylistSearch.h"
#include "playlist/PlaylistStore.h"
#include "playlist/TrackList.h"
#include "playlist/ui/TrackListView.h"
#include "BigPlaylist.h"
#include "../tests/support/LogicDoubles.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <fstream>
#include <memory>
#include <string>
#include <sys/stat.h>

namespace {

constexpr int Rows = 32767;

// A folder of `Rows` tracks and the "#M3UX" playlist "Big" naming each of them.
struct Fixture : BigPlaylist {
    Fixture() : BigPlaylist(Rows) {}
};

Fixture &fixture()
{
    static Fixture f;
    return f;
}

// The open list "Big" shown in a list view, as the program has it.
struct OpenList {
    FakePlayingTrack playing;
    RecordingScroller scroller;
    TrackList list;
    PlaylistStore store{list, fixture().playlistFolder};
    PlaylistSearch search{list, store, playing, scroller};
    TrackListView view{list};

    OpenList()
    {
        view.resize(600, 400);
        view.show();
        list.setPlaylistAddress(QStringLiteral("Big"));
        store.LoadPlaylist(fixture().playlistFile);
        list.RenumberList();
        QApplication::processEvents();
    }
};

// What each benchmark argument types, and how many rows it keeps.
const char *const Texts[] = {"a", "title 123", "zqzq"};
const char *const Labels[] = {"every row matches", "111 rows match", "no row matches"};

// A keystroke while a filter is on: the usual case, every keystroke after the first.
void BM_SearchKeystroke(benchmark::State &state)
{
    OpenList open;
    const QString text = QString::fromUtf8(Texts[state.range(0)]);
    open.search.setText(text.left(1) == u"z" ? QStringLiteral("q") : QStringLiteral("s"));
    for (auto _ : state) {
        open.search.setText(text);
        benchmark::DoNotOptimize(open.list.count());
    }
    state.SetLabel(Labels[state.range(0)]);
}
BENCHMARK(BM_SearchKeystroke)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);

// The first keystroke, which also takes the list as it was shown and checks
// that its file holds it.
void BM_SearchFirstKeystroke(benchmark::State &state)
{
    OpenList open;
    const QString text = QString::fromUtf8(Texts[state.range(0)]);
    for (auto _ : state) {
        open.search.setText(text);
        benchmark::DoNotOptimize(open.list.count());
        state.PauseTiming();
        open.search.clear();
        state.ResumeTiming();
    }
    state.SetLabel(Labels[state.range(0)]);
}
BENCHMARK(BM_SearchFirstKeystroke)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);

// Emptying the box: every row back from the file, the playing track marked.
void BM_SearchEmptied(benchmark::State &state)
{
    OpenList open;
    for (auto _ : state) {
        state.PauseTiming();
        open.search.setText(QStringLiteral("title 123"));
        state.ResumeTiming();
        open.search.clear();
        benchmark::DoNotOptimize(open.list.count());
    }
}
BENCHMARK(BM_SearchEmptied)->Unit(benchmark::kMillisecond);

void bareRead(benchmark::State &state, bool statPaths)
{
    const std::string file = QFile::encodeName(fixture().playlistFile).toStdString();
    for (auto _ : state) {
        std::ifstream in(file, std::ios::binary);
        std::string line;
        std::getline(in, line);
        int found = 0;
        bool pathLine = true;
        while (std::getline(in, line)) {
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            struct stat st;
            if (pathLine && (!statPaths || ::stat(line.c_str(), &st) == 0))
                ++found;
            pathLine = !pathLine;
        }
        benchmark::DoNotOptimize(found);
    }
}

void BM_BareRead(benchmark::State &state)
{
    bareRead(state, false);
}
BENCHMARK(BM_BareRead)->Unit(benchmark::kMillisecond);

void BM_BareReadAndStat(benchmark::State &state)
{
    bareRead(state, true);
}
BENCHMARK(BM_BareReadAndStat)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv); // the list view, and the loops' event pumping as in the program
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
