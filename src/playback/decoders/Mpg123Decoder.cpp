#include "playback/decoders/Mpg123Decoder.h"

#include "core/NativePath.h"
#include "playback/AudioLibrary.h"
#include "playback/decoders/DecoderInput.h"
#include "playback/decoders/Id3v2Bounds.h"
#include "playback/decoders/SoxrLibrary.h"

#include <QIODevice>
#include <algorithm>
#include <cstring>
#include <mpg123.h>
#include <mutex>
#include <numeric>
#include <optional>

namespace {

// Frames asked of mpg123 per read, at the file's rate.
constexpr std::size_t kDecodeFrames = 2048;
// How far mpg123 looks past damage for the next frame (its default, 1 KiB,
// ends a song at the first scratch); junk longer than this ends the sound.
constexpr long kResyncLimit = 4L << 20;
// Frames decoded and dropped before a seek target. Layer III frames take
// data from up to 511 bytes (MPEG-2: 255) of the frames before them; at the
// lowest bit rates that reaches ten frames back, and with mpg123's default
// (four) the first frames after a seek in a VBR file come out garbled.
constexpr long kSeekPreframes = 12;
// Reads in a row that give nothing before the stream counts as ended.
constexpr int kMaxEmptyReads = 64;
// Input frames fed to the resampler ahead of a seek target, so the output
// there does not start from an empty filter.
constexpr std::int64_t kResamplerPreroll = 1024;
// Where the first frame must start after the tags (zero padding allowed),
// and how far three frames can reach (MPEG-2.5 Layer II at 160 kbit/s and
// 8 kHz has the longest, 2,881 bytes).
constexpr qint64 kSyncWindow = 64 * 1024;
constexpr qint64 kChainBytes = 3 * 2881 + 4;

struct FrameHeader {
    int versionBits = 0; // 3 MPEG-1, 2 MPEG-2, 0 MPEG-2.5
    int layer = 0;
    int rate = 0;
    int bytes = 0;
    bool mono = false;

    bool sameKind(const FrameHeader &o) const
    {
        return versionBits == o.versionBits && layer == o.layer && rate == o.rate && mono == o.mono;
    }
};

// The frame header at `p` (4 bytes): Layer II or III, a fixed bit rate (free
// format is left to FFmpeg), a valid sample rate.
std::optional<FrameHeader> parseHeader(const unsigned char *p)
{
    if (p[0] != 0xFF || (p[1] & 0xE0) != 0xE0)
        return std::nullopt;
    FrameHeader h;
    h.versionBits = (p[1] >> 3) & 3;
    const int layerBits = (p[1] >> 1) & 3;
    const int bitrateIndex = p[2] >> 4;
    const int rateIndex = (p[2] >> 2) & 3;
    if (h.versionBits == 1 || (layerBits != 1 && layerBits != 2) || bitrateIndex == 0 || bitrateIndex == 15
        || rateIndex == 3)
        return std::nullopt;
    h.layer = 4 - layerBits;
    const bool mpeg1 = h.versionBits == 3;
    static constexpr int kRates[3] = {44100, 48000, 32000};
    h.rate = kRates[rateIndex] >> (mpeg1 ? 0 : h.versionBits == 2 ? 1 : 2);
    static constexpr int kMpeg1Layer2[15] = {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384};
    static constexpr int kMpeg1Layer3[15] = {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320};
    static constexpr int kMpeg2[15] = {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160};
    const int kbps = !mpeg1 ? kMpeg2[bitrateIndex] : h.layer == 2 ? kMpeg1Layer2[bitrateIndex] : kMpeg1Layer3[bitrateIndex];
    const int perSecond = h.layer == 3 && !mpeg1 ? 72000 : 144000;
    h.bytes = perSecond * kbps / h.rate + ((p[2] >> 1) & 1);
    h.mono = (p[3] >> 6) == 3;
    return h;
}

void initialiseLibrary()
{
    static std::once_flag once;
    std::call_once(once, [] { mpg123_init(); });
}

} // namespace

// The file as mpg123 reads it, with ID3v2 tag bodies read as zeros.
struct Mpg123Decoder::Input {
    QFile file;
    std::vector<std::pair<qint64, qint64>> blanked;

    static mpg123_ssize_t read(void *handle, void *buffer, size_t size)
    {
        auto *in = static_cast<Input *>(handle);
        const qint64 at = in->file.pos();
        const qint64 n = in->file.read(static_cast<char *>(buffer), qint64(size));
        if (n < 0)
            return -1;
        for (const auto &[begin, end] : in->blanked) {
            const qint64 from = std::max(begin, at), to = std::min(end, at + n);
            if (from < to)
                std::memset(static_cast<char *>(buffer) + (from - at), 0, std::size_t(to - from));
        }
        return mpg123_ssize_t(n);
    }

    static off_t seek(void *handle, off_t offset, int whence)
    {
        auto *in = static_cast<Input *>(handle);
        qint64 target = offset;
        switch (whence) {
        case SEEK_SET: break;
        case SEEK_CUR: target += in->file.pos(); break;
        case SEEK_END: target += in->file.size(); break;
        default: return -1;
        }
        return target >= 0 && in->file.seek(target) ? off_t(target) : off_t(-1);
    }
};

Mpg123Decoder::Mpg123Decoder() = default;

Mpg123Decoder::~Mpg123Decoder()
{
    if (m_handle)
        mpg123_delete(m_handle); // closes the input; the file is ours
    if (m_soxr)
        m_resampler->destroy(m_soxr);
}

bool Mpg123Decoder::looksLikeMpegAudio(QIODevice &file)
{
    const qint64 fileSize = file.size();
    qint64 start = 0;
    for (int n = 0; n < 64 && start < fileSize && file.seek(start); ++n) {
        const qint64 tag = id3v2::tagSize(file.read(id3v2::HeaderBytes));
        if (tag == 0)
            break;
        start += tag;
    }
    if (start >= fileSize || !file.seek(start))
        return false;
    const QByteArray window = file.read(kSyncWindow + kChainBytes);
    const auto *bytes = reinterpret_cast<const unsigned char *>(window.constData());
    qint64 at = 0;
    while (at < window.size() && at < kSyncWindow && bytes[at] == 0)
        ++at;
    if (at >= kSyncWindow || at + 4 > window.size())
        return false;
    const std::optional<FrameHeader> first = parseHeader(bytes + at);
    if (!first)
        return false;
    qint64 next = at + first->bytes;
    for (int frames = 1; frames < 3; ++frames) {
        if (start + next + 4 > fileSize)
            return true; // the file ends within these frames
        if (next + 4 > window.size())
            return false;
        const std::optional<FrameHeader> h = parseHeader(bytes + next);
        if (!h || !h->sameKind(*first))
            return false;
        next += h->bytes;
    }
    return true;
}

std::unique_ptr<Mpg123Decoder> Mpg123Decoder::open(const QString &path, int rate, int &error)
{
    std::unique_ptr<Mpg123Decoder> d(new Mpg123Decoder);
    d->m_rate = rate;
    d->m_input = std::make_unique<Input>();
    QFile &file = d->m_input->file;
    error = openDecoderInput(file, path);
    if (error != AudioLibrary::ErrNone)
        return nullptr;
    error = AudioLibrary::ErrFileFormat;
    if (!looksLikeMpegAudio(file))
        return nullptr;
    d->m_input->blanked = id3v2::tagBodies(file);
    if (!file.seek(0))
        return nullptr;

    initialiseLibrary();
    int status = MPG123_OK;
    d->m_handle = mpg123_new(nullptr, &status);
    if (!d->m_handle) {
        error = AudioLibrary::ErrMemory;
        return nullptr;
    }
    mpg123_handle *h = d->m_handle;
    // Float at the file's own rate only: mpg123's own resampling is crude,
    // and the defaults would prefer 16-bit integers.
    mpg123_param(h, MPG123_FLAGS, MPG123_GAPLESS | MPG123_QUIET | MPG123_SKIP_ID3V2, 0.0);
    mpg123_param(h, MPG123_RESYNC_LIMIT, kResyncLimit, 0.0);
    mpg123_param(h, MPG123_PREFRAMES, kSeekPreframes, 0.0);
    mpg123_format_none(h);
    const long *rates = nullptr;
    std::size_t rateCount = 0;
    mpg123_rates(&rates, &rateCount);
    for (std::size_t i = 0; i < rateCount; ++i)
        mpg123_format(h, rates[i], MPG123_MONO | MPG123_STEREO, MPG123_ENC_FLOAT_32);
    if (mpg123_replace_reader_handle(h, &Input::read, &Input::seek, nullptr) != MPG123_OK
        || mpg123_open_handle(h, d->m_input.get()) != MPG123_OK)
        return nullptr;
    long inputRate = 0;
    int channels = 0, encoding = 0;
    if (mpg123_getformat(h, &inputRate, &channels, &encoding) != MPG123_OK || encoding != MPG123_ENC_FLOAT_32
        || channels < 1 || channels > 2 || inputRate <= 0)
        return nullptr;
    // Without a LAME tag the frame count, delay and padding are unknown:
    // the length is an estimate from the file size until every frame
    // header has been read.
    long encoderDelay = -1;
    mpg123_getstate(h, MPG123_ENC_DELAY, &encoderDelay, nullptr);
    if (encoderDelay < 0 && file.size() <= MaxScanBytes)
        mpg123_scan(h);
    d->m_channels = channels;
    if (!d->setUpResampler(inputRate))
        return nullptr; // without the resampler FFmpeg plays it
    const off_t samples = mpg123_length(h);
    d->m_length = samples > 0 ? (std::int64_t(samples) * rate + inputRate / 2) / inputRate : 0;
    d->m_decoded.resize(kDecodeFrames * 2);
    d->m_stereo.resize(kDecodeFrames * 2);
    // Room for what one read gives at the output rate: the decoder thread
    // then allocates nothing (and gets no memory pool of its own).
    d->m_pending.resize((kDecodeFrames * std::size_t((rate + inputRate - 1) / inputRate) + kDecodeFrames) * 2);
    error = AudioLibrary::ErrNone;
    return d;
}

bool Mpg123Decoder::setUpResampler(long inputRate)
{
    if (m_soxr)
        m_resampler->destroy(m_soxr);
    m_soxr = nullptr;
    m_inputRate = inputRate;
    if (inputRate == m_rate)
        return true;
    m_resampler = SoxrLibrary::get();
    if (!m_resampler)
        return false;
    const soxr_io_spec_t io = m_resampler->ioSpec(SOXR_FLOAT32_I, SOXR_FLOAT32_I);
    const soxr_quality_spec_t quality = m_resampler->qualitySpec(SOXR_HQ, 0);
    soxr_error_t failure = nullptr;
    m_soxr = m_resampler->create(double(inputRate), double(m_rate), 2, &failure, &io, &quality, nullptr);
    return m_soxr && !failure;
}

// Adds `frames` stereo frames to the pending output, less what a seek still
// has to drop.
void Mpg123Decoder::appendOutput(const float *stereo, std::size_t frames)
{
    const std::size_t dropped = std::size_t(std::min<std::int64_t>(m_skip, std::int64_t(frames)));
    m_skip -= std::int64_t(dropped);
    frames -= dropped;
    if (frames == 0)
        return;
    const std::size_t need = (m_pendingFrames + frames) * 2;
    if (m_pending.size() < need)
        m_pending.resize(need);
    std::memcpy(m_pending.data() + m_pendingFrames * 2, stereo + dropped * 2, frames * 2 * sizeof(float));
    m_pendingFrames += frames;
}

// Moves what the resampler still holds to the pending output.
bool Mpg123Decoder::flushResampler()
{
    if (!m_soxr)
        return false;
    const std::size_t room = m_stereo.size() / 2;
    for (;;) {
        std::size_t done = 0;
        if (m_resampler->process(m_soxr, nullptr, 0, nullptr, m_stereo.data(), room, &done) || done == 0)
            break;
        appendOutput(m_stereo.data(), done);
    }
    return true;
}

// Decodes until some output is pending; false at the end of the sound.
bool Mpg123Decoder::decodeMore()
{
    m_pendingPos = m_pendingFrames = 0;
    while (m_pendingFrames == 0) {
        if (m_inputEnded) {
            if (m_finished)
                return false;
            m_finished = true;
            flushResampler();
            continue;
        }
        std::size_t bytes = 0;
        const std::size_t want = kDecodeFrames * std::size_t(m_channels) * sizeof(float);
        const int status = mpg123_read(m_handle, m_decoded.data(), want, &bytes);
        if (status == MPG123_NEW_FORMAT) {
            // Files joined together may change rate or channels midway.
            long inputRate = 0;
            int channels = 0, encoding = 0;
            if (mpg123_getformat(m_handle, &inputRate, &channels, &encoding) != MPG123_OK
                || encoding != MPG123_ENC_FLOAT_32 || channels < 1 || channels > 2 || inputRate <= 0) {
                m_inputEnded = true;
                continue;
            }
            m_channels = channels;
            if (inputRate != m_inputRate) {
                flushResampler();
                if (!setUpResampler(inputRate))
                    m_inputEnded = true;
            }
            continue;
        }
        if (status != MPG123_OK && status != MPG123_DONE) {
            m_inputEnded = true; // junk longer than the resync limit, or a read error
            continue;
        }
        const std::size_t frames = bytes / (sizeof(float) * std::size_t(m_channels));
        if (frames == 0) {
            if (status == MPG123_DONE || ++m_emptyReads > kMaxEmptyReads)
                m_inputEnded = true;
            continue;
        }
        m_emptyReads = 0;
        const float *stereo = m_decoded.data();
        if (m_channels == 1) {
            // A mono file plays at full level on both sides.
            for (std::size_t i = 0; i < frames; ++i)
                m_stereo[2 * i] = m_stereo[2 * i + 1] = m_decoded[i];
            stereo = m_stereo.data();
        }
        if (!m_soxr) {
            appendOutput(stereo, frames);
        } else {
            if (stereo == m_stereo.data())
                std::copy_n(m_stereo.data(), frames * 2, m_decoded.data()); // m_stereo takes the output
            const std::size_t room = m_stereo.size() / 2;
            std::size_t consumed = 0;
            while (consumed < frames) {
                std::size_t used = 0, made = 0;
                if (m_resampler->process(m_soxr, m_decoded.data() + consumed * 2, frames - consumed, &used, m_stereo.data(),
                                 room, &made))
                    break;
                appendOutput(m_stereo.data(), made);
                consumed += used;
                if (used == 0 && made == 0)
                    break;
            }
        }
        if (status == MPG123_DONE)
            m_inputEnded = true;
    }
    return true;
}

int Mpg123Decoder::read(float *out, int frames)
{
    int done = 0;
    while (done < frames) {
        if (m_pendingPos < m_pendingFrames) {
            const std::size_t n = std::min(std::size_t(frames - done), m_pendingFrames - m_pendingPos);
            std::memcpy(out + std::size_t(done) * 2, m_pending.data() + m_pendingPos * 2, n * 2 * sizeof(float));
            m_pendingPos += n;
            done += int(n);
            continue;
        }
        if (!decodeMore())
            break;
    }
    m_position += done;
    if (done == 0 && m_finished && m_contiguous)
        m_length = m_position;
    return done;
}

bool Mpg123Decoder::seek(std::int64_t frame)
{
    if (frame < 0)
        return false;
    std::int64_t inputFrame = frame;
    std::int64_t skip = 0;
    if (m_soxr) {
        // Restart the resampler on an input frame that falls exactly on an
        // output frame, so that what follows keeps the phase it has when
        // read through.
        const std::int64_t common = std::gcd(std::int64_t(m_inputRate), std::int64_t(m_rate));
        const std::int64_t inputStep = m_inputRate / common, outputStep = m_rate / common;
        const std::int64_t target = frame * m_inputRate / m_rate;
        const std::int64_t steps = std::max<std::int64_t>(0, target - kResamplerPreroll) / inputStep;
        inputFrame = steps * inputStep;
        skip = frame - steps * outputStep;
        m_resampler->clear(m_soxr);
    }
    const bool landed = mpg123_seek(m_handle, off_t(inputFrame), SEEK_SET) >= 0;
    m_pendingPos = m_pendingFrames = 0;
    m_skip = std::max<std::int64_t>(0, skip);
    m_emptyReads = 0;
    // A place past the end (or one mpg123 cannot reach) plays as the end.
    m_inputEnded = m_finished = !landed;
    m_position = frame;
    m_contiguous = frame == 0;
    return true;
}
