// Sorting the track list by a column header, and scrolling the list view,
// on 100,000 rows. The header click is measured whole (sort, playing row
// found again, renumbering); beside it the bare limit, a stable sort of the
// same texts in a minimal loop.
#include "playlist/TrackList.h"
#include "playlist/ui/TrackListView.h"
#include "playlist/ListViewCommands.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <memory>
#include <random>
#include <vector>

namespace {

constexpr int Rows = 100000;

// A list of `Rows` tracks with varied titles, artists, times and dates.
std::unique_ptr<TrackList> makeList()
{
    auto list = std::make_unique<TrackList>();
    std::mt19937 random(7);
    std::vector<TrackRow> rows;
    rows.reserve(Rows);
    for (int i = 0; i < Rows; ++i) {
        TrackRow row(QStringLiteral("/home/user/Music/Artist %1/Album %2/%3.mp3").arg(i % 613).arg(i % 97).arg(i),
                     0x5F5F5F);
        const unsigned r = random();
        row.setInfo(QStringLiteral("Song %1 %2").arg(r % 50000).arg(i), QStringLiteral("Artist %1").arg(r % 613),
                    QStringLiteral("%1:%2").arg(r % 9).arg(r % 60, 2, 10, QLatin1Char('0')),
                    QStringLiteral("%1kbps").arg(128 + 32 * (r % 7)));
        row.setDate(1500000000 + qint64(r % 100000000));
        row.setExtension(QStringLiteral("MP3"));
        rows.push_back(std::move(row));
    }
    list->appendRows(std::move(rows));
    list->setActiveItemColor(0xFFFFFF);
    list->setPlaylistForeColor(0x5F5F5F);
    list->ListItemForeColorChange(true, 777);
    list->RenumberList();
    return list;
}

void BM_HeaderClick(benchmark::State &state)
{
    auto list = makeList();
    const int column = int(state.range(0));
    for (auto _ : state) {
        // Each click flips the order, so every iteration sorts the whole list.
        ListViewCommands::ColumnHeaderClick(*list, column);
        benchmark::DoNotOptimize(list->PlayingNo());
    }
    state.SetLabel(TrackList::headerText(column).toStdString());
}
BENCHMARK(BM_HeaderClick)->Arg(1)->Arg(2)->Arg(3)->Arg(4)->Arg(6)->Unit(benchmark::kMillisecond);

// The bare limit: the same titles, stable-sorted through an index in a
// minimal loop, with nothing moved afterwards.
void BM_BareStableSortOfTitles(benchmark::State &state)
{
    auto list = makeList();
    std::vector<QString> titles;
    for (int i = 1; i <= list->count(); ++i)
        titles.push_back(list->row(i).title().toString());
    std::vector<int> order(titles.size());
    bool descending = false;
    for (auto _ : state) {
        for (size_t i = 0; i < order.size(); ++i)
            order[i] = int(i);
        descending = !descending;
        std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
            const int c = titles[size_t(a)].compare(titles[size_t(b)], Qt::CaseInsensitive);
            return descending ? c > 0 : c < 0;
        });
        benchmark::DoNotOptimize(order.data());
    }
}
BENCHMARK(BM_BareStableSortOfTitles)->Unit(benchmark::kMillisecond);

// One scroll step of the list view on 100,000 rows: move by a page and
// paint the visible rows, as the screen would show them.
void BM_ScrollAndPaintPage(benchmark::State &state)
{
    auto list = makeList();
    TrackListView view(*list);
    view.resize(700, 400);
    view.show();
    QImage image(view.viewport()->size(), QImage::Format_ARGB32_Premultiplied);
    QScrollBar *bar = view.verticalScrollBar();
    const int step = int(state.range(0)) ? bar->pageStep() : bar->maximum() / 7;
    int value = 0;
    for (auto _ : state) {
        value += step;
        if (value > bar->maximum())
            value = 0;
        bar->setValue(value);
        image.fill(Qt::black);
        view.viewport()->render(&image);
        benchmark::DoNotOptimize(image.bits());
    }
    state.SetLabel(int(state.range(0)) ? "page by page" : "jumps across the list");
}
BENCHMARK(BM_ScrollAndPaintPage)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
