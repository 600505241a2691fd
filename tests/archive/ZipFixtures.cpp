#include "ZipFixtures.h"

#include <QFile>

#include <archive.h>
#include <archive_entry.h>
#include <zlib.h>

#include <array>

namespace {

void put16(QByteArray &out, std::uint32_t v)
{
    out.append(char(v & 0xff));
    out.append(char((v >> 8) & 0xff));
}

void put32(QByteArray &out, std::uint32_t v)
{
    put16(out, v & 0xffff);
    put16(out, v >> 16);
}

} // namespace

std::uint32_t crc32Of(const QByteArray &data, std::uint32_t crc)
{
    static const std::array<std::uint32_t, 256> table = [] {
        std::array<std::uint32_t, 256> t{};
        for (std::uint32_t i = 0; i < 256; ++i) {
            std::uint32_t c = i;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[i] = c;
        }
        return t;
    }();
    crc = ~crc;
    for (char ch : data)
        crc = table[(crc ^ std::uint8_t(ch)) & 0xff] ^ (crc >> 8);
    return ~crc;
}

QByteArray buildZip(const QList<RawMember> &members)
{
    QByteArray out;
    QByteArray central;
    for (const RawMember &m : members) {
        const std::uint32_t offset = std::uint32_t(out.size());
        const std::uint32_t crc = m.crc >= 0 ? std::uint32_t(m.crc) : crc32Of(m.data);
        const std::uint32_t size = m.uncompressedSize >= 0 ? std::uint32_t(m.uncompressedSize) : std::uint32_t(m.data.size());
        const std::uint16_t flags = m.flags | (m.descriptor ? 0x08 : 0);
        put32(out, 0x04034b50);
        put16(out, 20);
        put16(out, flags);
        put16(out, m.method);
        put16(out, 0);      // time
        put16(out, 0x5021); // date 2020-01-01
        put32(out, m.descriptor ? 0 : crc);
        put32(out, m.descriptor ? 0 : std::uint32_t(m.data.size()));
        put32(out, m.descriptor ? 0 : size);
        put16(out, std::uint32_t(m.name.size()));
        put16(out, 0);
        out.append(m.name);
        out.append(m.data);
        if (m.descriptor) {
            put32(out, 0x08074b50);
            put32(out, crc);
            put32(out, std::uint32_t(m.data.size()));
            put32(out, size);
        }

        put32(central, 0x02014b50);
        put16(central, (3 << 8) | 20); // made on Unix: the mode below is used
        put16(central, 20);
        put16(central, flags);
        put16(central, m.method);
        put16(central, 0);
        put16(central, 0x5021);
        put32(central, crc);
        put32(central, std::uint32_t(m.data.size()));
        put32(central, size);
        put16(central, std::uint32_t(m.name.size()));
        put16(central, 0);
        put16(central, 0);
        put16(central, 0);
        put16(central, 0);
        put32(central, m.unixMode << 16);
        put32(central, offset);
        central.append(m.name);
    }
    const std::uint32_t centralOffset = std::uint32_t(out.size());
    out.append(central);
    put32(out, 0x06054b50);
    put16(out, 0);
    put16(out, 0);
    put16(out, std::uint32_t(members.size()));
    put16(out, std::uint32_t(members.size()));
    put32(out, std::uint32_t(central.size()));
    put32(out, centralOffset);
    put16(out, 0);
    return out;
}

RawMember storedFile(const QByteArray &name, const QByteArray &data)
{
    RawMember m;
    m.name = name;
    m.data = data;
    return m;
}

RawMember folderEntry(const QByteArray &name)
{
    RawMember m;
    m.name = name;
    m.data.clear();
    m.unixMode = 040755;
    return m;
}

RawMember bzip2Zeros(const QByteArray &name, std::int64_t size)
{
    QByteArray compressed(1 << 20, '\0');
    size_t used = 0;
    archive *a = archive_write_new();
    archive_write_add_filter_bzip2(a);
    archive_write_set_format_raw(a);
    archive_write_open_memory(a, compressed.data(), size_t(compressed.size()), &used);
    archive_entry *e = archive_entry_new();
    archive_entry_set_pathname(e, "zeros");
    archive_entry_set_filetype(e, AE_IFREG);
    archive_write_header(a, e);
    archive_entry_free(e);
    const QByteArray chunk(1 << 20, '\0');
    std::uint32_t crc = 0;
    for (std::int64_t done = 0; done < size; done += chunk.size()) {
        const QByteArray part = chunk.left(qsizetype(std::min<std::int64_t>(chunk.size(), size - done)));
        archive_write_data(a, part.constData(), size_t(part.size()));
        crc = crc32Of(part, crc);
    }
    archive_write_close(a);
    archive_write_free(a);
    compressed.truncate(qsizetype(used));

    RawMember m;
    m.name = name;
    m.data = compressed;
    m.method = 12;
    m.uncompressedSize = size;
    m.crc = crc;
    return m;
}

RawMember deflateZeros(const QByteArray &name, std::int64_t size)
{
    // A fully flushed block of one mebibyte of zeros leaves no history
    // behind, so the same compressed bytes can simply be repeated.
    constexpr std::int64_t Chunk = 1 << 20;
    const QByteArray zeros(Chunk, '\0');
    z_stream z{};
    deflateInit2(&z, 9, Z_DEFLATED, -15, 9, Z_DEFAULT_STRATEGY);
    QByteArray block(64 * 1024, '\0');
    auto run = [&](const QByteArray &in, int flush) {
        z.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(in.constData()));
        z.avail_in = uInt(in.size());
        z.next_out = reinterpret_cast<Bytef *>(block.data());
        z.avail_out = uInt(block.size());
        deflate(&z, flush);
        return block.left(block.size() - qsizetype(z.avail_out));
    };
    const QByteArray full = run(zeros, Z_FULL_FLUSH);
    const QByteArray tail = run(zeros.left(qsizetype(size % Chunk)), Z_FINISH);
    deflateEnd(&z);

    RawMember m;
    m.name = name;
    m.data = full.repeated(qsizetype(size / Chunk)) + tail;
    m.method = 8;
    m.uncompressedSize = size;
    const uLong chunkCrc = crc32(0, reinterpret_cast<const Bytef *>(zeros.constData()), uInt(Chunk));
    uLong crc = crc32(0, reinterpret_cast<const Bytef *>(zeros.constData()), uInt(size % Chunk));
    for (std::int64_t i = 0; i < size / Chunk; ++i)
        crc = crc32_combine(chunkCrc, crc, z_off_t(size % Chunk + i * Chunk));
    m.crc = std::int64_t(crc);
    return m;
}

bool writeDeflateZip(const QString &path, const QList<QPair<QString, QByteArray>> &members)
{
    archive *a = archive_write_new();
    archive_write_set_format_zip(a);
    archive_write_set_format_option(a, "zip", "compression", "deflate");
    bool ok = archive_write_open_filename(a, QFile::encodeName(path).constData()) == ARCHIVE_OK;
    for (const auto &[name, data] : members) {
        if (!ok)
            break;
        archive_entry *e = archive_entry_new();
        archive_entry_set_pathname_utf8(e, name.toUtf8().constData());
        archive_entry_set_filetype(e, AE_IFREG);
        archive_entry_set_perm(e, 0644);
        archive_entry_set_size(e, data.size());
        ok = archive_write_header(a, e) == ARCHIVE_OK
            && archive_write_data(a, data.constData(), size_t(data.size())) == data.size();
        archive_entry_free(e);
    }
    ok = archive_write_close(a) == ARCHIVE_OK && ok;
    archive_write_free(a);
    return ok;
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}
