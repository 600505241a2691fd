#include "playback/decoders/ffmpeg/MidiFile.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr std::uint32_t kDefaultUsPerQuarter = 500000; // 120 beats per minute
// A file whose events claim more than this is treated as ending here; it keeps
// arithmetic far from overflow (a week of sound).
constexpr std::int64_t kMaxUs = 7LL * 24 * 3600 * 1000000;

std::uint32_t be32(const unsigned char *p)
{
    return (std::uint32_t(p[0]) << 24) | (std::uint32_t(p[1]) << 16) | (std::uint32_t(p[2]) << 8) | p[3];
}

std::uint32_t le32(const unsigned char *p)
{
    return (std::uint32_t(p[3]) << 24) | (std::uint32_t(p[2]) << 16) | (std::uint32_t(p[1]) << 8) | p[0];
}

// Reads a variable-length quantity (at most 4 bytes). False when truncated.
bool readVlq(const unsigned char *data, std::size_t size, std::size_t &pos, std::uint32_t &value)
{
    value = 0;
    for (int i = 0; i < 4; ++i) {
        if (pos >= size)
            return false;
        const unsigned char b = data[pos++];
        value = (value << 7) | (b & 0x7F);
        if (!(b & 0x80))
            return true;
    }
    return false;
}

QByteArray smfOfRmid(const QByteArray &bytes)
{
    const auto *d = reinterpret_cast<const unsigned char *>(bytes.constData());
    const std::size_t size = std::size_t(bytes.size());
    std::size_t pos = 12;
    while (pos + 8 <= size) {
        const std::uint32_t len = le32(d + pos + 4);
        const std::size_t body = pos + 8;
        const std::size_t avail = std::min<std::size_t>(len, size - body);
        if (std::memcmp(d + pos, "data", 4) == 0)
            return bytes.mid(qsizetype(body), qsizetype(avail));
        pos = body + avail + (avail & 1);
    }
    return {};
}

} // namespace

bool MidiFile::looksLikeMidi(const QByteArray &bytes)
{
    if (bytes.startsWith("MThd"))
        return true;
    return bytes.size() >= 12 && bytes.startsWith("RIFF") && bytes.mid(8, 4) == "RMID";
}

bool MidiFile::parse(const QByteArray &bytes)
{
    m_smf = bytes.startsWith("RIFF") ? smfOfRmid(bytes) : bytes;
    m_tempos.clear();
    m_lastTick = 0;
    const auto *d = reinterpret_cast<const unsigned char *>(m_smf.constData());
    const std::size_t size = std::size_t(m_smf.size());
    if (size < 14 || std::memcmp(d, "MThd", 4) != 0)
        return false;
    const std::uint32_t headerLen = be32(d + 4);
    if (headerLen < 6 || headerLen > size - 8)
        return false;
    const auto division = std::uint16_t((d[12] << 8) | d[13]);
    if (division & 0x8000) {
        const int fps = -int(std::int8_t(division >> 8));
        const int ticksPerFrame = division & 0xFF;
        m_smpte = true;
        m_division = fps * ticksPerFrame;
    } else {
        m_smpte = false;
        m_division = division;
    }
    if (m_division <= 0)
        return false;

    std::vector<std::pair<std::int64_t, std::uint32_t>> tempos;
    int tracks = 0;
    std::size_t pos = 8 + headerLen;
    while (pos + 8 <= size) {
        const std::size_t body = pos + 8;
        const std::size_t len = std::min<std::size_t>(be32(d + pos + 4), size - body);
        if (std::memcmp(d + pos, "MTrk", 4) == 0) {
            parseTrack(d + body, len, tempos);
            ++tracks;
        }
        pos = body + len;
    }
    if (tracks == 0)
        return false;

    std::stable_sort(tempos.begin(), tempos.end(),
                     [](const auto &a, const auto &b) { return a.first < b.first; });
    m_tempos.push_back({0, 0, kDefaultUsPerQuarter});
    for (const auto &[tick, usPerQuarter] : tempos) {
        const std::int64_t us = tickToUs(tick);
        if (m_tempos.back().tick == tick)
            m_tempos.back().usPerQuarter = usPerQuarter;
        else
            m_tempos.push_back({tick, us, usPerQuarter});
    }
    return true;
}

void MidiFile::parseTrack(const unsigned char *data, std::size_t size,
                          std::vector<std::pair<std::int64_t, std::uint32_t>> &tempos)
{
    std::size_t pos = 0;
    std::int64_t tick = 0;
    std::int64_t lastEventTick = 0;
    unsigned char running = 0;
    while (pos < size) {
        std::uint32_t delta = 0;
        if (!readVlq(data, size, pos, delta) || pos >= size)
            break;
        tick += delta;
        const unsigned char b = data[pos];
        if (b == 0xFF) {
            std::uint32_t len = 0;
            if (pos + 2 > size)
                break;
            const unsigned char type = data[pos + 1];
            pos += 2;
            if (!readVlq(data, size, pos, len) || len > size - pos)
                break;
            if (type == 0x51 && len == 3)
                tempos.emplace_back(tick, (std::uint32_t(data[pos]) << 16) | (data[pos + 1] << 8) | data[pos + 2]);
            pos += len;
            running = 0;
            lastEventTick = tick;
            if (type == 0x2F)
                break; // End of Track
        } else if (b == 0xF0 || b == 0xF7) {
            std::uint32_t len = 0;
            ++pos;
            if (!readVlq(data, size, pos, len) || len > size - pos)
                break;
            pos += len;
            running = 0;
            lastEventTick = tick;
        } else {
            unsigned char status = running;
            if (b & 0x80) {
                if (b >= 0xF0)
                    break; // not valid inside a file
                status = b;
                ++pos;
            }
            if (!status)
                break;
            const std::size_t dataBytes = ((status & 0xF0) == 0xC0 || (status & 0xF0) == 0xD0) ? 1 : 2;
            if (dataBytes > size - pos)
                break;
            pos += dataBytes;
            running = status;
            lastEventTick = tick;
        }
    }
    m_lastTick = std::max(m_lastTick, lastEventTick);
}

std::int64_t MidiFile::tickToUs(std::int64_t tick) const
{
    if (m_division <= 0)
        return 0;
    if (m_smpte || m_tempos.empty()) {
        const long double us = (long double)tick * 1e6L / m_division;
        return std::int64_t(std::min<long double>(us, kMaxUs));
    }
    auto it = std::upper_bound(m_tempos.begin(), m_tempos.end(), tick,
                               [](std::int64_t t, const Tempo &tempo) { return t < tempo.tick; });
    const Tempo &tempo = it == m_tempos.begin() ? m_tempos.front() : *(it - 1);
    const long double us = tempo.us + (long double)(tick - tempo.tick) * tempo.usPerQuarter / m_division;
    return std::int64_t(std::min<long double>(us, kMaxUs));
}

std::int64_t MidiFile::usToTick(std::int64_t us) const
{
    if (m_division <= 0 || us <= 0)
        return 0;
    if (m_smpte || m_tempos.empty())
        return std::int64_t((long double)us * m_division / 1e6L);
    auto it = std::upper_bound(m_tempos.begin(), m_tempos.end(), us,
                               [](std::int64_t t, const Tempo &tempo) { return t < tempo.us; });
    const Tempo &tempo = it == m_tempos.begin() ? m_tempos.front() : *(it - 1);
    if (tempo.usPerQuarter == 0)
        return tempo.tick;
    return tempo.tick + std::int64_t((long double)(us - tempo.us) * m_division / tempo.usPerQuarter);
}
