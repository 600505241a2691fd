// Listing a 10,000-member archive into a track list and extracting one 5 MB
// member, each beside libarchive reading the same archive with a minimal
// loop, so the cost of the player's own work shows.
#include "archive/LibArchiveArchiver.h"
#include "archive/ZipOperations.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QStringList>
#include <QTemporaryDir>

#include <archive.h>
#include <archive_entry.h>
#include <benchmark/benchmark.h>

#include <cstdio>

namespace {

constexpr int MemberCount = 10000;
constexpr int BigMemberSize = 5 << 20;

QByteArray noise(int size, quint32 seed)
{
    QByteArray bytes(size, Qt::Uninitialized);
    QRandomGenerator gen(seed);
    gen.fillRange(reinterpret_cast<quint32 *>(bytes.data()), size / 4);
    return bytes;
}

// compression: "store" (sizes in every local header) or "deflate" (libarchive
// writes sizes after the data, as streaming archivers do).
QString makeArchive(const QString &folder, const char *compression, bool withBigMember)
{
    const QString path = folder + QStringLiteral("/bench-%1%2.zip").arg(compression).arg(withBigMember ? "-big" : "");
    if (QFile::exists(path))
        return path;
    archive *a = archive_write_new();
    archive_write_set_format_zip(a);
    archive_write_set_format_option(a, "zip", "compression", compression);
    archive_write_open_filename(a, QFile::encodeName(path).constData());
    auto add = [&](const QByteArray &name, const QByteArray &data) {
        archive_entry *e = archive_entry_new();
        archive_entry_set_pathname(e, name.constData());
        archive_entry_set_filetype(e, AE_IFREG);
        archive_entry_set_perm(e, 0644);
        archive_entry_set_size(e, data.size());
        archive_write_header(a, e);
        archive_write_data(a, data.constData(), size_t(data.size()));
        archive_entry_free(e);
    };
    if (withBigMember) {
        for (int i = 0; i < 20; ++i)
            add("album/" + QByteArray::number(i) + ".mp3", noise(200 * 1024, quint32(i)));
        add("album/big.mp3", noise(BigMemberSize, 99));
    } else {
        const QByteArray data = noise(1024, 1);
        for (int i = 0; i < MemberCount; ++i)
            add(QByteArray("disc") + QByteArray::number(i / 100) + "/track" + QByteArray::number(i) + ".mp3", data);
    }
    archive_write_close(a);
    archive_write_free(a);
    return path;
}

QTemporaryDir &workFolder()
{
    static QTemporaryDir dir;
    return dir;
}

void listInto(benchmark::State &state, const char *compression)
{
    const QString path = makeArchive(workFolder().path(), compression, false);
    LibArchiveArchiver archiver;
    for (auto _ : state) {
        QStringList rows;
        ZipListUp(archiver, path, [&](const QString &p, bool) { rows << p; });
        if (rows.size() != MemberCount)
            state.SkipWithError("wrong member count");
        benchmark::DoNotOptimize(rows);
    }
    state.counters["members"] = MemberCount;
}

void minimalListing(benchmark::State &state, const char *compression, bool streaming)
{
    const QByteArray path = QFile::encodeName(makeArchive(workFolder().path(), compression, false));
    for (auto _ : state) {
        archive *a = archive_read_new();
        if (streaming)
            archive_read_support_format_zip_streamable(a);
        else
            archive_read_support_format_zip_seekable(a);
        archive_read_open_filename(a, path.constData(), 64 * 1024);
        archive_entry *e = nullptr;
        int n = 0;
        while (archive_read_next_header(a, &e) == ARCHIVE_OK) {
            benchmark::DoNotOptimize(archive_entry_pathname(e));
            ++n;
        }
        archive_read_free(a);
        if (n != MemberCount)
            state.SkipWithError("wrong member count");
    }
}

void BM_ZipListUp_Stored(benchmark::State &state) { listInto(state, "store"); }
void BM_ZipListUp_Deflate(benchmark::State &state) { listInto(state, "deflate"); }
void BM_LibarchiveStreamingList_Stored(benchmark::State &state) { minimalListing(state, "store", true); }
void BM_LibarchiveStreamingList_Deflate(benchmark::State &state) { minimalListing(state, "deflate", true); }
void BM_LibarchiveSeekableList_Deflate(benchmark::State &state) { minimalListing(state, "deflate", false); }

void BM_ZipItemExtract_5MB(benchmark::State &state)
{
    const QString path = makeArchive(workFolder().path(), "deflate", true);
    const QString temp = workFolder().path() + QStringLiteral("/veltemp/");
    LibArchiveArchiver archiver;
    const QString item = makeArchiveMemberPath(path, QStringLiteral("album/big.mp3"));
    for (auto _ : state) {
        if (ZipItemExtract(archiver, item, temp).isEmpty())
            state.SkipWithError("extraction failed");
    }
    state.SetBytesProcessed(state.iterations() * BigMemberSize);
}

void BM_LibarchiveMinimalExtract_5MB(benchmark::State &state)
{
    const QByteArray path = QFile::encodeName(makeArchive(workFolder().path(), "deflate", true));
    QDir().mkpath(workFolder().path() + QStringLiteral("/plain"));
    const QByteArray out = QFile::encodeName(workFolder().path() + QStringLiteral("/plain/big.mp3"));
    for (auto _ : state) {
        archive *a = archive_read_new();
        archive_read_support_format_zip_streamable(a);
        archive_read_open_filename(a, path.constData(), 64 * 1024);
        archive_entry *e = nullptr;
        while (archive_read_next_header(a, &e) == ARCHIVE_OK) {
            if (qstrcmp(archive_entry_pathname(e), "album/big.mp3") != 0)
                continue;
            FILE *f = std::fopen(out.constData(), "wb");
            const void *block;
            size_t size;
            la_int64_t offset;
            while (archive_read_data_block(a, &block, &size, &offset) == ARCHIVE_OK)
                std::fwrite(block, 1, size, f);
            std::fclose(f);
            break;
        }
        archive_read_free(a);
    }
    state.SetBytesProcessed(state.iterations() * BigMemberSize);
}

} // namespace

BENCHMARK(BM_ZipListUp_Stored)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LibarchiveStreamingList_Stored)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ZipListUp_Deflate)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LibarchiveStreamingList_Deflate)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LibarchiveSeekableList_Deflate)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ZipItemExtract_5MB)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LibarchiveMinimalExtract_5MB)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
