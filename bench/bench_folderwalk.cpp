// A folder add of a 10,000-file tree (100 artists x 10 albums x 10 tracks)
// in natural order, beside the floor: a bare recursive readdir() + stat() of
// the same tree. And the natural comparator beside QCollator's numeric mode.
#include "core/AudioFormats.h"
#include "playlist/FolderWalk.h"

#include <QCollator>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <dirent.h>
#include <string>
#include <sys/stat.h>

namespace {

struct Tree
{
    QTemporaryDir dir;
    QString root;
    Tree()
    {
        root = dir.path() + "/Music";
        for (int a = 0; a < 100; ++a) {
            for (int b = 0; b < 10; ++b) {
                const QString album = QStringLiteral("%1/Artist %2/Album %3").arg(root).arg(a).arg(b);
                QDir().mkpath(album);
                // Written out of order, so the directory order is not the natural one.
                for (int t = 10; t >= 1; --t) {
                    QFile f(QStringLiteral("%1/%2 Track title.%3").arg(album).arg(t).arg(t % 2 ? "mp3" : "flac"));
                    f.open(QIODevice::WriteOnly);
                }
            }
        }
    }
};

Tree &tree()
{
    static Tree t;
    return t;
}

void BM_FolderAddNaturalOrder(benchmark::State &state)
{
    const QString root = tree().root;
    for (auto _ : state) {
        const FolderWalk::Result r = FolderWalk::list(root, true, &AudioFormats::isPlayable);
        if (r.files.size() != 10000)
            state.SkipWithError("wrong count");
        benchmark::DoNotOptimize(r.files.size());
    }
}

int bareWalk(const std::string &folder)
{
    DIR *d = opendir(folder.c_str());
    if (!d)
        return 0;
    int n = 0;
    while (dirent *e = readdir(d)) {
        if (e->d_name[0] == '.')
            continue;
        const std::string path = folder + '/' + e->d_name;
        struct stat st;
        if (::stat(path.c_str(), &st) != 0)
            continue;
        if (S_ISDIR(st.st_mode))
            n += bareWalk(path);
        else if (S_ISREG(st.st_mode))
            ++n;
    }
    closedir(d);
    return n;
}

// The floor: every entry read and stat()ed, nothing decoded, sorted or kept.
void BM_BareRecursiveReaddir(benchmark::State &state)
{
    const std::string root = QFile::encodeName(tree().root).toStdString();
    for (auto _ : state)
        benchmark::DoNotOptimize(bareWalk(root));
}

QStringList names()
{
    QStringList out;
    for (int i = 10000; i > 0; --i)
        out << QStringLiteral("%1 Track Title %2.mp3").arg(i % 997).arg(i);
    return out;
}

void BM_SortOwnComparator(benchmark::State &state)
{
    const QStringList input = names();
    for (auto _ : state) {
        QStringList s = input;
        std::sort(s.begin(), s.end(), [](const QString &x, const QString &y) { return NaturalCompare(x, y) < 0; });
        benchmark::DoNotOptimize(s.size());
    }
}

void BM_SortQCollatorNumeric(benchmark::State &state)
{
    const QStringList input = names();
    QCollator collator;
    collator.setNumericMode(true);
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    for (auto _ : state) {
        QStringList s = input;
        std::sort(s.begin(), s.end(), collator);
        benchmark::DoNotOptimize(s.size());
    }
}

} // namespace

BENCHMARK(BM_FolderAddNaturalOrder)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BareRecursiveReaddir)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SortOwnComparator)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SortQCollatorNumeric)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
