#include "playback/engine/MidiTiming.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

constexpr std::int64_t DefaultTempo = 500000; // microseconds per quarter note (120 bpm)

std::uint32_t be32(const unsigned char *p)
{
    return std::uint32_t(p[0]) << 24 | std::uint32_t(p[1]) << 16 | std::uint32_t(p[2]) << 8 | p[3];
}

std::uint32_t le32(const unsigned char *p)
{
    return std::uint32_t(p[3]) << 24 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[1]) << 8 | p[0];
}

// Reads the bytes of one track chunk; stops quietly at damage.
class TrackReader
{
public:
    TrackReader(const unsigned char *data, std::size_t size)
        : m_data(data)
        , m_size(size)
    {
    }

    bool varLen(std::uint32_t &value)
    {
        value = 0;
        for (int i = 0; i < 4; ++i) {
            if (m_pos >= m_size)
                return false;
            const unsigned char b = m_data[m_pos++];
            value = value << 7 | (b & 0x7F);
            if (!(b & 0x80))
                return true;
        }
        return false; // more than four bytes: not a MIDI number
    }

    bool byte(unsigned char &b)
    {
        if (m_pos >= m_size)
            return false;
        b = m_data[m_pos++];
        return true;
    }

    bool skip(std::uint32_t n)
    {
        if (n > m_size - m_pos)
            return false;
        m_pos += n;
        return true;
    }

    const unsigned char *here() const { return m_data + m_pos; }

private:
    const unsigned char *m_data;
    std::size_t m_size;
    std::size_t m_pos = 0;
};

struct RawTempo {
    std::int64_t tick;
    std::int64_t usPerQuarter;
};

// Walks one track: collects its tempo changes and returns the tick of its
// last complete event.
std::int64_t scanTrack(const unsigned char *data, std::size_t size, std::vector<RawTempo> &tempos)
{
    TrackReader track(data, size);
    std::int64_t tick = 0;
    std::int64_t lastTick = 0;
    unsigned char running = 0;
    for (;;) {
        std::uint32_t delta = 0;
        unsigned char status = 0;
        if (!track.varLen(delta) || !track.byte(status))
            return lastTick;
        tick += delta;
        std::uint32_t dataBytes = 0;
        if (status < 0x80) {
            if (running == 0)
                return lastTick; // data byte without a status to run on
            // The byte just read is the first data byte of a running-status event.
            dataBytes = (running & 0xF0) == 0xC0 || (running & 0xF0) == 0xD0 ? 0 : 1;
            if (!track.skip(dataBytes))
                return lastTick;
        } else if (status < 0xF0) {
            running = status;
            dataBytes = (status & 0xF0) == 0xC0 || (status & 0xF0) == 0xD0 ? 1 : 2;
            if (!track.skip(dataBytes))
                return lastTick;
        } else if (status == 0xF0 || status == 0xF7) {
            // Running status is kept across system exclusive and meta events:
            // some files rely on it and the synthesiser accepts them.
            std::uint32_t length = 0;
            if (!track.varLen(length) || !track.skip(length))
                return lastTick;
        } else if (status == 0xFF) {
            unsigned char type = 0;
            std::uint32_t length = 0;
            if (!track.byte(type) || !track.varLen(length))
                return lastTick;
            const unsigned char *payload = track.here();
            if (!track.skip(length))
                return lastTick;
            if (type == 0x51 && length == 3)
                tempos.push_back({tick, std::int64_t(payload[0]) << 16 | std::int64_t(payload[1]) << 8 | payload[2]});
            if (type == 0x2F)
                return tick;
        } else {
            return lastTick; // system real-time and common messages do not belong in a file
        }
        lastTick = tick;
    }
}

} // namespace

std::optional<MidiTiming> MidiTiming::parse(const QByteArray &data)
{
    MidiTiming timing;
    const auto *bytes = reinterpret_cast<const unsigned char *>(data.constData());
    const std::size_t size = std::size_t(data.size());

    if (size >= 12 && std::equal(bytes, bytes + 4, "RIFF") && std::equal(bytes + 8, bytes + 12, "RMID")) {
        // RIFF MIDI: the Standard MIDI File is the "data" chunk.
        std::size_t pos = 12;
        while (pos + 8 <= size) {
            const std::uint32_t length = le32(bytes + pos + 4);
            if (std::equal(bytes + pos, bytes + pos + 4, "data")) {
                if (length > size - pos - 8)
                    return std::nullopt;
                return parse(data.mid(qsizetype(pos + 8), qsizetype(length)));
            }
            if (length > size - pos - 8)
                return std::nullopt;
            pos += 8 + length + (length & 1);
        }
        return std::nullopt;
    }

    if (size < 14 || !std::equal(bytes, bytes + 4, "MThd"))
        return std::nullopt;
    const std::uint32_t headerLength = be32(bytes + 4);
    if (headerLength < 6 || headerLength > size - 8)
        return std::nullopt;
    const int trackCount = bytes[10] << 8 | bytes[11];
    timing.m_division = bytes[12] << 8 | bytes[13];
    if (timing.m_division == 0 || (timing.m_division & 0x8000))
        return std::nullopt;

    std::vector<RawTempo> tempos;
    std::size_t pos = 8 + headerLength;
    int tracksSeen = 0;
    while (tracksSeen < trackCount && pos + 8 <= size) {
        const std::uint32_t length = be32(bytes + pos + 4);
        if (length > size - pos - 8)
            return std::nullopt;
        if (std::equal(bytes + pos, bytes + pos + 4, "MTrk")) {
            ++tracksSeen;
            timing.m_endTick = std::max(timing.m_endTick, scanTrack(bytes + pos + 8, length, tempos));
        }
        pos += 8 + length; // chunks of other kinds are skipped, as files may carry them
    }
    if (tracksSeen == 0)
        return std::nullopt;

    std::stable_sort(tempos.begin(), tempos.end(), [](const RawTempo &a, const RawTempo &b) { return a.tick < b.tick; });
    const double division = timing.m_division;
    timing.m_tempos.push_back({0, DefaultTempo / division, 0.0});
    for (const RawTempo &t : tempos) {
        TempoChange &last = timing.m_tempos.back();
        const double at = last.msAtTick + double(t.tick - last.tick) * last.usPerTick / 1000.0;
        const double usPerTick = double(std::max<std::int64_t>(t.usPerQuarter, 1)) / division;
        if (t.tick == last.tick)
            last.usPerTick = usPerTick;
        else
            timing.m_tempos.push_back({t.tick, usPerTick, at});
    }
    const double length = std::floor(timing.tickToMs(timing.m_endTick));
    timing.m_lengthMs = std::int64_t(std::min<double>(length, std::numeric_limits<int>::max()));
    timing.m_smf = data;
    return timing;
}

double MidiTiming::tickToMs(std::int64_t tick) const
{
    auto it = std::upper_bound(m_tempos.begin(), m_tempos.end(), tick,
                               [](std::int64_t t, const TempoChange &c) { return t < c.tick; });
    const TempoChange &c = *(it == m_tempos.begin() ? it : std::prev(it));
    return c.msAtTick + double(tick - c.tick) * c.usPerTick / 1000.0;
}

std::int64_t MidiTiming::msToTick(std::int64_t ms) const
{
    auto it = std::upper_bound(m_tempos.begin(), m_tempos.end(), double(ms),
                               [](double t, const TempoChange &c) { return t < c.msAtTick; });
    const TempoChange &c = *(it == m_tempos.begin() ? it : std::prev(it));
    const double ticks = double(c.tick) + (double(ms) - c.msAtTick) * 1000.0 / c.usPerTick;
    return std::int64_t(std::min<double>(std::floor(ticks), double(std::numeric_limits<int>::max())));
}
