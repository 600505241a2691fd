// Playlist load and save, and listing a folder, each beside the bare limit:
// the same file reading and stat() calls in a minimal loop.
#include "playlist/PathNames.h"
#include "playlist/PlaylistStore.h"
#include "playlist/TrackAdder.h"
#include "playlist/TrackList.h"
#include "BigPlaylist.h"
#include "../tests/support/LogicDoubles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <dirent.h>
#include <fstream>
#include <malloc.h>
#include <map>
#include <memory>
#include <string>
#include <sys/stat.h>

namespace {

using Fixture = BigPlaylist;

Fixture &fixture(int files)
{
    static std::map<int, std::unique_ptr<Fixture>> made;
    auto &f = made[files];
    if (!f)
        f = std::make_unique<Fixture>(files);
    return *f;
}

void BM_LoadPlaylist(benchmark::State &state)
{
    Fixture &f = fixture(static_cast<int>(state.range(0)));
    double bytesPerRow = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto list = std::make_unique<TrackList>();
        PlaylistStore store(*list, f.playlistFolder);
        const size_t before = mallinfo2().uordblks;
        state.ResumeTiming();
        store.LoadPlaylist(f.playlistFile);
        list->RenumberList();
        state.PauseTiming();
        // Heap beyond the texts themselves (UTF-16 payload of every row).
        size_t texts = 0;
        for (const TrackRow &r : list->rows())
            texts += 2 * size_t(r.path().size() + r.title().size() + r.artist().size() + r.time().size() +
                                r.bitRate().size() + r.extension().size());
        bytesPerRow = (double(mallinfo2().uordblks - before) - double(texts)) / double(list->count());
        benchmark::DoNotOptimize(list->count());
        list.reset();
        state.ResumeTiming();
    }
    state.counters["overhead_bytes_per_row"] = bytesPerRow;
}

// Reads the file's lines and stat()s every path line: the floor for a load.
void BM_BareLoad(benchmark::State &state)
{
    Fixture &f = fixture(static_cast<int>(state.range(0)));
    const std::string file = QFile::encodeName(f.playlistFile).toStdString();
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
            if (pathLine && ::stat(line.c_str(), &st) == 0)
                ++found;
            pathLine = !pathLine;
        }
        benchmark::DoNotOptimize(found);
    }
}

void BM_SavePlaylist(benchmark::State &state)
{
    Fixture &f = fixture(static_cast<int>(state.range(0)));
    TrackList list;
    PlaylistStore store(list, f.playlistFolder);
    store.LoadPlaylist(f.playlistFile);
    for (auto _ : state)
        benchmark::DoNotOptimize(store.SavePlaylist(QStringLiteral("Saved"), QStringLiteral(".m3u"), false, false));
}

// Writes the same bytes with one plain write: the floor for a save.
void BM_BareSave(benchmark::State &state)
{
    Fixture &f = fixture(static_cast<int>(state.range(0)));
    QFile in(f.playlistFile);
    in.open(QIODevice::ReadOnly);
    const QByteArray bytes = in.readAll();
    const std::string target = QFile::encodeName(f.playlistFolder + "Bare.m3u").toStdString();
    for (auto _ : state) {
        std::ofstream out(target, std::ios::binary | std::ios::trunc);
        out.write(bytes.constData(), bytes.size());
    }
}

void BM_ListToListView(benchmark::State &state)
{
    Fixture &f = fixture(5000);
    MapFolders folders;
    ScriptedArchives archives;
    FixedTree tree;
    ScriptedDialogs dialogs;
    TrackList list;
    PlaylistStore store(list, f.playlistFolder);
    TrackAdder adder(list, store, folders, archives, tree, dialogs);
    adder.setFolderpath(f.musicFolder);
    for (auto _ : state) {
        list.ClearList();
        adder.ListToListView();
        list.RenumberList();
        benchmark::DoNotOptimize(list.count());
    }
}

// readdir() and stat() of every entry: the floor for listing a folder.
void BM_BareFolderListing(benchmark::State &state)
{
    Fixture &f = fixture(5000);
    const std::string folder = QFile::encodeName(f.musicFolder).toStdString();
    for (auto _ : state) {
        DIR *d = opendir(folder.c_str());
        int n = 0;
        while (dirent *e = readdir(d)) {
            struct stat st;
            if (::stat((folder + e->d_name).c_str(), &st) == 0 && S_ISREG(st.st_mode))
                ++n;
        }
        closedir(d);
        benchmark::DoNotOptimize(n);
    }
}

// "ZIP書庫を開く" with 10,000 members: the list's cost per AddTrack of a member.
void BM_AddArchiveMembers(benchmark::State &state)
{
    Fixture &f = fixture(5000);
    const QString archive = f.musicFolder + "Artist 0 - Some Song Title 0.mp3"; // any existing file
    MapFolders folders;
    ScriptedArchives archives;
    archives.members.clear();
    for (int i = 0; i < 10000; ++i)
        archives.members << QStringLiteral("disc%1/%2 Some Song Title.mp3").arg(i / 100).arg(i);
    FixedTree tree;
    ScriptedDialogs dialogs;
    dialogs.answer = archive;
    TrackList list;
    PlaylistStore store(list, f.playlistFolder);
    TrackAdder adder(list, store, folders, archives, tree, dialogs);
    for (auto _ : state) {
        adder.openArchiveCommand();
        benchmark::DoNotOptimize(list.count());
    }
}

BENCHMARK(BM_LoadPlaylist)->Arg(32767)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BareLoad)->Arg(32767)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SavePlaylist)->Arg(32767)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BareSave)->Arg(32767)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ListToListView)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AddArchiveMembers)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BareFolderListing)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv); // so that the loops' event pumping runs as in the program
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
