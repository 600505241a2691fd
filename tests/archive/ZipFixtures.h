#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <cstdint>

// Archives made by the tests, byte by byte, so that names, flags, methods,
// modes and checksums can be exactly what a hostile or old archiver writes.
struct RawMember {
    QByteArray name;                 // stored name bytes
    QByteArray data;                 // stored data (already compressed when method != 0)
    std::uint16_t method = 0;        // 0 stored, 8 deflate, 12 bzip2, ...
    std::uint16_t flags = 0;         // bit 0 encrypted, bit 11 UTF-8 name
    std::uint32_t unixMode = 0100644; // file type and permissions (made on Unix)
    std::int64_t uncompressedSize = -1; // -1: data.size()
    std::int64_t crc = -1;           // -1: CRC-32 of data
    bool descriptor = false;         // sizes and CRC follow the data (flag bit 3)
};

std::uint32_t crc32Of(const QByteArray &data, std::uint32_t crc = 0);

// A ZIP archive holding `members` in this order.
QByteArray buildZip(const QList<RawMember> &members);

RawMember storedFile(const QByteArray &name, const QByteArray &data = "data");
RawMember folderEntry(const QByteArray &name);

// A member whose data are `size` zero bytes, compressed with bzip2.
RawMember bzip2Zeros(const QByteArray &name, std::int64_t size);

// A member whose data are `size` (< 4 GiB) zero bytes, deflated: about a
// thousandth of `size`, made in a moment.
RawMember deflateZeros(const QByteArray &name, std::int64_t size);

// Writes a deflate-compressed archive with libarchive's writer.
// `members` pairs a UTF-8 name with its data.
bool writeDeflateZip(const QString &path, const QList<QPair<QString, QByteArray>> &members);

bool writeFile(const QString &path, const QByteArray &bytes);
