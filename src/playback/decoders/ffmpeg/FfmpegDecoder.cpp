#include "playback/decoders/ffmpeg/FfmpegDecoder.h"

#include "core/NativePath.h"
#include "playback/AudioLibrary.h"
#include "playback/decoders/DecoderInput.h"
#include "playback/decoders/Id3v2Bounds.h"

#include <QFile>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <mutex>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
}

namespace {

// A frame of a stream that decodes to nothing but errors ends the stream after
// this many failures in a row (a truncated or damaged file plays what it can).
constexpr int kMaxBadPackets = 200;
// How much of the end of a file is decoded at open to find its exact length.
constexpr std::int64_t kTailProbeMs = 3000;
constexpr std::int64_t kSeekPrerollMs = 200;

void quietLibraries()
{
    static std::once_flag once;
    std::call_once(once, [] { av_log_set_level(AV_LOG_QUIET); });
}

} // namespace

// The file as FFmpeg reads it: ID3v2 tag bodies read as zeros, and reading
// ends for the current demuxer call once it has read MaxReadPerCall bytes.
struct FfmpegDecoder::Input {
    QFile file;
    Ranges blanked;
    std::int64_t budget = MaxReadPerCall;

    static int read(void *opaque, std::uint8_t *buffer, int size)
    {
        auto *in = static_cast<Input *>(opaque);
        if (in->budget <= 0)
            return AVERROR_EOF;
        const qint64 at = in->file.pos();
        const qint64 n = in->file.read(reinterpret_cast<char *>(buffer), std::min<qint64>(size, in->budget));
        if (n < 0)
            return AVERROR(EIO);
        if (n == 0)
            return AVERROR_EOF;
        for (const auto &[begin, end] : in->blanked) {
            const qint64 from = std::max(begin, at), to = std::min(end, at + n);
            if (from < to)
                std::memset(buffer + (from - at), 0, std::size_t(to - from));
        }
        in->budget -= n;
        return int(n);
    }

    static std::int64_t seek(void *opaque, std::int64_t offset, int whence)
    {
        auto *in = static_cast<Input *>(opaque);
        std::int64_t target = offset;
        switch (whence & ~AVSEEK_FORCE) {
        case AVSEEK_SIZE: return in->file.size();
        case SEEK_SET: break;
        case SEEK_CUR: target += in->file.pos(); break;
        case SEEK_END: target += in->file.size(); break;
        default: return AVERROR(EINVAL);
        }
        return target >= 0 && in->file.seek(target) ? target : AVERROR(EINVAL);
    }
};

FfmpegDecoder::FfmpegDecoder() = default;

void FfmpegDecoder::allowReading()
{
    if (m_input)
        m_input->budget = MaxReadPerCall;
}

const char *FfmpegDecoder::allowedFormats()
{
    // Audio containers only: no playlists (hls, concat), images or network
    // session formats, which could make FFmpeg open further files.
    return "mp3,asf,ogg,wav,w64,flac,ape,mpc,mpc8,mov,aac,loas,matroska,aiff,au,wv,tta,tak,"
           "ac3,eac3,dts,truehd,mlp,amr,amrnb,amrwb,caf,voc,xwma,shn,dsf,mmf,gsm,vqf,rso,sox,"
           "ircam,nistsphere,iff";
}

FfmpegDecoder::~FfmpegDecoder()
{
    closeInput();
    swr_free(&m_swr);
}

void FfmpegDecoder::closeInput()
{
    av_frame_free(&m_frame);
    av_packet_free(&m_packet);
    avcodec_free_context(&m_codec);
    avformat_close_input(&m_format);
    if (m_io) {
        av_freep(&m_io->buffer);
        avio_context_free(&m_io);
    }
    m_input.reset();
}

int FfmpegDecoder::openInput(const QString &path, const Ranges &blanked)
{
    m_input = std::make_unique<Input>();
    if (const int error = openDecoderInput(m_input->file, path); error != AudioLibrary::ErrNone)
        return error;
    m_input->blanked = blanked;
    constexpr int kBufferSize = 64 * 1024;
    auto *buffer = static_cast<unsigned char *>(av_malloc(kBufferSize));
    m_io = buffer ? avio_alloc_context(buffer, kBufferSize, 0, m_input.get(), &Input::read, nullptr, &Input::seek)
                  : nullptr;
    m_format = m_io ? avformat_alloc_context() : nullptr;
    if (!m_format) {
        if (!m_io)
            av_free(buffer);
        return AudioLibrary::ErrMemory;
    }
    m_format->pb = m_io;
    m_format->flags |= AVFMT_FLAG_CUSTOM_IO;
    AVDictionary *options = nullptr;
    av_dict_set(&options, "protocol_whitelist", "file", 0);
    av_dict_set(&options, "format_whitelist", allowedFormats(), 0);
    // "file:" keeps a name such as "http:x.mp3" a local file name; the name
    // only helps to recognise the format.
    const QByteArray url = "file:" + NativePath::encode(path);
    allowReading();
    const int opened = avformat_open_input(&m_format, url.constData(), nullptr, &options);
    av_dict_free(&options);
    if (opened < 0) {
        m_format = nullptr; // freed by FFmpeg
        return opened == AVERROR(EIO) ? AudioLibrary::ErrFileBad : AudioLibrary::ErrFileFormat;
    }
    allowReading();
    if (avformat_find_stream_info(m_format, nullptr) < 0)
        return AudioLibrary::ErrFileBad;
    const AVCodec *codec = nullptr;
    m_streamIndex = av_find_best_stream(m_format, AVMEDIA_TYPE_AUDIO, -1, -1, &codec, 0);
    if (m_streamIndex < 0 || !codec)
        return AudioLibrary::ErrFileFormat;
    for (unsigned i = 0; i < m_format->nb_streams; ++i) {
        if (int(i) != m_streamIndex)
            m_format->streams[i]->discard = AVDISCARD_ALL; // cover art, video
    }
    const AVStream *stream = m_format->streams[m_streamIndex];
    m_codec = avcodec_alloc_context3(codec);
    if (!m_codec || avcodec_parameters_to_context(m_codec, stream->codecpar) < 0)
        return AudioLibrary::ErrMemory;
    m_codec->thread_count = 1; // the stream already decodes on its own thread
    if (avcodec_open2(m_codec, codec, nullptr) < 0)
        return AudioLibrary::ErrFileFormat;
    m_packet = av_packet_alloc();
    m_frame = av_frame_alloc();
    if (!m_packet || !m_frame)
        return AudioLibrary::ErrMemory;
    m_startPts = stream->start_time != AV_NOPTS_VALUE ? stream->start_time : 0;
    return AudioLibrary::ErrNone;
}

std::unique_ptr<FfmpegDecoder> FfmpegDecoder::open(const QString &path, int rate, int &error)
{
    quietLibraries();
    std::unique_ptr<FfmpegDecoder> d(new FfmpegDecoder);
    d->m_rate = rate;
    Ranges blanked;
    {
        QFile file;
        if (NativePath::openRegularFile(file, path) == NativePath::OpenResult::Opened)
            blanked = id3v2::tagBodies(file);
    }
    error = d->openInput(path, blanked);
    if (error != AudioLibrary::ErrNone)
        return nullptr;

    const AVStream *stream = d->m_format->streams[d->m_streamIndex];
    std::int64_t estimate = 0;
    if (stream->duration != AV_NOPTS_VALUE && stream->duration > 0)
        estimate = av_rescale_q(stream->duration, stream->time_base, AVRational{1, rate});
    else if (d->m_format->duration != AV_NOPTS_VALUE && d->m_format->duration > 0)
        estimate = av_rescale_q(d->m_format->duration, AV_TIME_BASE_Q, AVRational{1, rate});
    d->m_length = estimate;
    std::int64_t firstPts = 0, end = 0;
    if (estimate > 0 && d->probeTimeline(path, blanked, firstPts, end)) {
        d->m_startPts = firstPts;
        d->m_length = end;
        // MP4 states the track's exact length in iTunes gapless data
        // ("iTunSMPB": delay, padding, samples; FFmpeg skips the delay) or in
        // an edit list; the encoder's padding in its last frame lies beyond
        // it, and the decoder hands it out all the same: cut there, so the
        // next track of an album follows the last real sample. Only padding
        // is cut, never more than a few frames of the codec.
        const bool mp4 = std::strstr(d->m_format->iformat->name, "mp4") != nullptr;
        std::int64_t declared = stream->duration != AV_NOPTS_VALUE ? estimate : 0;
        const AVDictionaryEntry *smpb = av_dict_get(d->m_format->metadata, "iTunSMPB", nullptr, 0);
        unsigned long long samples = 0;
        if (smpb && std::sscanf(smpb->value, "%*x %*x %*x %llx", &samples) == 1 && samples > 0
            && stream->codecpar->sample_rate > 0)
            declared = av_rescale(std::int64_t(samples), rate, stream->codecpar->sample_rate);
        if (mp4 && declared > 0 && declared < end && end - declared <= rate / 10) {
            d->m_endFrame = declared;
            d->m_length = declared;
        }
    }
    return d;
}

// Containers give their duration padded or estimated (MP3 priming and padding,
// AAC frames, ASF preroll, bit-rate guesses); decoding the first frame and the
// last seconds gives where the sound really starts and ends. A separate
// demuxer keeps this one at its first frame.
bool FfmpegDecoder::probeTimeline(const QString &path, const Ranges &blanked, std::int64_t &firstPts,
                                  std::int64_t &endFrames)
{
    FfmpegDecoder probe;
    probe.m_rate = m_rate;
    if (probe.openInput(path, blanked) != AudioLibrary::ErrNone || !probe.decodeNextFrame())
        return false;
    // Sound starts at the first decoded frame (ASF preroll) or, when the
    // decoder drops priming samples without moving that frame's time (MP3),
    // at the stream's start time.
    firstPts = probe.m_frame->best_effort_timestamp;
    if (firstPts == AV_NOPTS_VALUE)
        return false;
    const std::int64_t startTime = probe.m_format->streams[probe.m_streamIndex]->start_time;
    if (startTime != AV_NOPTS_VALUE)
        firstPts = std::max(firstPts, startTime);
    probe.m_startPts = firstPts;
    av_frame_unref(probe.m_frame);
    const std::int64_t from = std::max<std::int64_t>(0, m_length - kTailProbeMs * m_rate / 1000);
    if (from > 0) {
        const AVStream *st = probe.m_format->streams[probe.m_streamIndex];
        const std::int64_t ts = av_rescale_q(from, AVRational{1, m_rate}, st->time_base) + firstPts;
        probe.allowReading();
        if (av_seek_frame(probe.m_format, probe.m_streamIndex, ts, AVSEEK_FLAG_BACKWARD) < 0)
            return false;
        avcodec_flush_buffers(probe.m_codec);
    }
    std::int64_t end = -1;
    while (probe.decodeNextFrame()) {
        std::int64_t start = probe.frameStart();
        if (start == AV_NOPTS_VALUE)
            start = end; // the decoder's last frames often carry no time
        if (start < 0 || probe.m_frame->sample_rate <= 0)
            return false;
        end = std::max(end, start + av_rescale(probe.m_frame->nb_samples, m_rate, probe.m_frame->sample_rate));
        av_frame_unref(probe.m_frame);
    }
    endFrames = end;
    return end > 0;
}

std::int64_t FfmpegDecoder::frameStart() const
{
    const std::int64_t pts = m_frame->best_effort_timestamp;
    if (pts == AV_NOPTS_VALUE)
        return AV_NOPTS_VALUE;
    return av_rescale_q(pts - m_startPts, m_format->streams[m_streamIndex]->time_base, AVRational{1, m_rate});
}

bool FfmpegDecoder::decodeNextFrame()
{
    for (;;) {
        int r = avcodec_receive_frame(m_codec, m_frame);
        if (r == 0) {
            m_badPackets = 0;
            return true;
        }
        if (r == AVERROR_EOF)
            return false;
        if (r != AVERROR(EAGAIN)) {
            if (++m_badPackets > kMaxBadPackets)
                return false;
            continue;
        }
        if (m_inputEnded)
            return false;
        allowReading();
        r = av_read_frame(m_format, m_packet);
        if (r < 0) {
            if (r != AVERROR_EOF && ++m_badPackets <= kMaxBadPackets)
                continue;
            m_inputEnded = true;
            avcodec_send_packet(m_codec, nullptr); // drain
            continue;
        }
        if (m_packet->stream_index == m_streamIndex) {
            r = avcodec_send_packet(m_codec, m_packet);
            if (r < 0 && r != AVERROR(EAGAIN) && ++m_badPackets > kMaxBadPackets) {
                av_packet_unref(m_packet);
                return false;
            }
        }
        av_packet_unref(m_packet);
    }
}

bool FfmpegDecoder::configureResampler()
{
    const AVFrame *f = m_frame;
    if (m_swr && f->sample_rate == m_swrInRate && f->format == m_swrInFormat
        && f->ch_layout.nb_channels == m_swrInChannels)
        return true;
    swr_free(&m_swr);
    if (f->sample_rate <= 0 || f->ch_layout.nb_channels <= 0)
        return false;
    AVChannelLayout in{};
    if (f->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC)
        av_channel_layout_default(&in, f->ch_layout.nb_channels);
    else if (av_channel_layout_copy(&in, &f->ch_layout) < 0)
        return false;
    AVChannelLayout out = AV_CHANNEL_LAYOUT_STEREO;
    int r = swr_alloc_set_opts2(&m_swr, &out, AV_SAMPLE_FMT_FLT, m_rate, &in, AVSampleFormat(f->format),
                                f->sample_rate, 0, nullptr);
    const bool mono = in.nb_channels == 1;
    av_channel_layout_uninit(&in);
    if (r < 0 || !m_swr)
        return false;
    if (mono) {
        // A mono file plays at full level on both sides, not 3 dB down.
        const double matrix[2] = {1.0, 1.0};
        swr_set_matrix(m_swr, matrix, 1);
    }
    if (swr_init(m_swr) < 0) {
        swr_free(&m_swr);
        return false;
    }
    m_swrInRate = f->sample_rate;
    m_swrInFormat = f->format;
    m_swrInChannels = f->ch_layout.nb_channels;
    return true;
}

// Resamples the next piece of m_frame into m_pending, dropping what lies
// before a seek target. A piece is as many input samples as make about
// MaxConvertFrames output frames (at least one sample).
bool FfmpegDecoder::convertPiece()
{
    const AVFrame *f = m_frame;
    const int remaining = f->nb_samples - m_frameOffset;
    const std::int64_t perPiece = std::max<std::int64_t>(1, std::int64_t(MaxConvertFrames) * f->sample_rate / m_rate);
    const int inSamples = int(std::min<std::int64_t>(remaining, perPiece));
    const int channels = f->ch_layout.nb_channels;
    const int sampleBytes = av_get_bytes_per_sample(AVSampleFormat(f->format));
    const bool planar = av_sample_fmt_is_planar(AVSampleFormat(f->format));
    std::vector<const std::uint8_t *> in(planar ? std::size_t(channels) : 1);
    for (std::size_t i = 0; i < in.size(); ++i)
        in[i] = f->extended_data[i] + std::size_t(m_frameOffset) * std::size_t(sampleBytes) * (planar ? 1 : channels);

    const int capacity = swr_get_out_samples(m_swr, inSamples);
    if (capacity <= 0)
        return false;
    if (m_pending.size() < std::size_t(capacity) * 2)
        m_pending.resize(std::size_t(capacity) * 2);
    auto *outPtr = reinterpret_cast<std::uint8_t *>(m_pending.data());
    const int got = swr_convert(m_swr, &outPtr, capacity, in.data(), inSamples);
    const std::int64_t start = frameStart();
    const std::int64_t pieceStart =
        start == AV_NOPTS_VALUE ? start : start + av_rescale(m_frameOffset, m_rate, f->sample_rate);
    m_frameOffset += inSamples;
    m_pendingPos = 0;
    m_pendingFrames = std::max(got, 0);
    if (m_skipUntil >= 0) {
        if (pieceStart != AV_NOPTS_VALUE) {
            const std::int64_t drop = m_skipUntil - pieceStart;
            if (drop >= m_pendingFrames) {
                m_pendingFrames = 0;
                return true; // wholly before the target: keep looking
            }
            m_pendingPos = int(std::max<std::int64_t>(drop, 0));
        }
        m_skipUntil = -1;
    }
    return true;
}

// Moves what the resampler still holds at the end of the sound to m_pending.
bool FfmpegDecoder::flushResampler()
{
    if (!m_swr)
        return false;
    const int capacity = swr_get_out_samples(m_swr, 0);
    if (capacity <= 0)
        return false;
    if (m_pending.size() < std::size_t(capacity) * 2)
        m_pending.resize(std::size_t(capacity) * 2);
    auto *outPtr = reinterpret_cast<std::uint8_t *>(m_pending.data());
    const int got = swr_convert(m_swr, &outPtr, capacity, nullptr, 0);
    m_pendingPos = 0;
    m_pendingFrames = std::max(got, 0);
    return true;
}

int FfmpegDecoder::read(float *out, int frames)
{
    if (m_endFrame >= 0)
        frames = int(std::clamp<std::int64_t>(m_endFrame - m_position, 0, frames));
    int done = 0;
    while (done < frames) {
        if (m_pendingPos < m_pendingFrames) {
            const int n = std::min(frames - done, m_pendingFrames - m_pendingPos);
            std::memcpy(out + std::size_t(done) * 2, m_pending.data() + std::size_t(m_pendingPos) * 2,
                        std::size_t(n) * 2 * sizeof(float));
            m_pendingPos += n;
            done += n;
            continue;
        }
        if (m_frameLoaded) {
            if (m_frameOffset >= m_frame->nb_samples || !convertPiece()) {
                av_frame_unref(m_frame);
                m_frameLoaded = false;
            }
            continue;
        }
        if (m_finished)
            break;
        if (decodeNextFrame()) {
            m_frameOffset = 0;
            m_frameLoaded = m_frame->nb_samples > 0 && configureResampler();
            if (!m_frameLoaded)
                av_frame_unref(m_frame);
        } else {
            m_finished = true;
            flushResampler();
        }
    }
    m_position += done;
    if (done == 0 && m_finished && m_contiguous)
        m_length = m_position;
    return done;
}

bool FfmpegDecoder::seek(std::int64_t frame)
{
    if (frame < 0)
        return false;
    // Land a little early and decode up to the target: the frames just after
    // a seek lack the codec's history (MP3's bit reservoir, overlapping
    // windows), and some demuxers land late.
    const std::int64_t from = std::max<std::int64_t>(0, frame - kSeekPrerollMs * m_rate / 1000);
    const AVStream *st = m_format->streams[m_streamIndex];
    const std::int64_t ts = av_rescale_q(from, AVRational{1, m_rate}, st->time_base) + m_startPts;
    allowReading();
    if (av_seek_frame(m_format, m_streamIndex, ts, AVSEEK_FLAG_BACKWARD) < 0
        && av_seek_frame(m_format, m_streamIndex, m_startPts, AVSEEK_FLAG_BACKWARD | AVSEEK_FLAG_ANY) < 0)
        return false;
    avcodec_flush_buffers(m_codec);
    swr_free(&m_swr);
    if (m_frameLoaded)
        av_frame_unref(m_frame);
    m_frameLoaded = false;
    m_pendingPos = m_pendingFrames = 0;
    m_inputEnded = m_finished = false;
    m_badPackets = 0;
    m_skipUntil = frame;
    m_position = frame;
    m_contiguous = frame == 0;
    return true;
}
