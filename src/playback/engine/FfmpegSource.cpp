#include "playback/engine/FfmpegSource.h"

#include "playback/AudioLibrary.h"

#include <QFile>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
}

#include <algorithm>
#include <limits>

namespace {

// Audio demuxers only: an arbitrary file must never be taken for a playlist
// (hls, concat) that makes FFmpeg read other files, or for a picture.
constexpr const char *AudioDemuxers =
    "mp3,asf,ogg,wav,w64,flac,ape,mpc,mpc8,aac,mov,matroska,aiff,au,caf,tta,wv,"
    "ac3,eac3,dts,amr,dsf,shn,tak,rm,xwma,voc,oma";

// Decoding the first sound may take this many packets that give nothing
// (headers, pictures, codec priming) before the file counts as damaged.
constexpr int MaxPacketsWithoutSound = 500;

std::int64_t toMs(std::int64_t value, AVRational timeBase)
{
    return av_rescale_q_rnd(value, timeBase, AVRational {1, 1000}, AV_ROUND_DOWN);
}

} // namespace

std::unique_ptr<FfmpegSource> FfmpegSource::open(const QString &path, int rate, int &error)
{
    static const bool quiet = [] {
        // Damaged files are reported through error codes, not on stderr.
        av_log_set_level(AV_LOG_QUIET);
        return true;
    }();
    (void)quiet;

    std::unique_ptr<FfmpegSource> source(new FfmpegSource);
    source->m_rate = rate;
    error = AudioLibrary::ErrFileFormat;

    AVDictionary *options = nullptr;
    av_dict_set(&options, "protocol_whitelist", "file", 0);
    av_dict_set(&options, "format_whitelist", AudioDemuxers, 0);
    // The "file:" prefix keeps a name such as "http:x.mp3" a local file name.
    const QByteArray url = "file:" + QFile::encodeName(path);
    const int opened = avformat_open_input(&source->m_format, url.constData(), nullptr, &options);
    av_dict_free(&options);
    if (opened < 0) {
        source->m_format = nullptr;
        return nullptr;
    }
    if (avformat_find_stream_info(source->m_format, nullptr) < 0)
        return nullptr;

    const AVCodec *decoder = nullptr;
    source->m_streamIndex = av_find_best_stream(source->m_format, AVMEDIA_TYPE_AUDIO, -1, -1, &decoder, 0);
    if (source->m_streamIndex < 0 || !decoder)
        return nullptr;
    for (unsigned i = 0; i < source->m_format->nb_streams; ++i) {
        if (int(i) != source->m_streamIndex)
            source->m_format->streams[i]->discard = AVDISCARD_ALL;
    }
    AVStream *stream = source->m_format->streams[source->m_streamIndex];

    error = AudioLibrary::ErrFileBad;
    source->m_codec = avcodec_alloc_context3(decoder);
    source->m_packet = av_packet_alloc();
    source->m_frame = av_frame_alloc();
    if (!source->m_codec || !source->m_packet || !source->m_frame) {
        error = AudioLibrary::ErrMemory;
        return nullptr;
    }
    if (avcodec_parameters_to_context(source->m_codec, stream->codecpar) < 0)
        return nullptr;
    source->m_codec->pkt_timebase = stream->time_base;
    if (avcodec_open2(source->m_codec, decoder, nullptr) < 0)
        return nullptr;
    if (source->m_codec->sample_rate <= 0 || source->m_codec->ch_layout.nb_channels <= 0)
        return nullptr;

    source->m_startPts = stream->start_time != AV_NOPTS_VALUE ? stream->start_time : 0;
    if (stream->duration != AV_NOPTS_VALUE && stream->duration > 0)
        source->m_lengthMs = toMs(stream->duration, stream->time_base);
    else if (source->m_format->duration != AV_NOPTS_VALUE && source->m_format->duration > 0)
        source->m_lengthMs = toMs(source->m_format->duration, AVRational {1, AV_TIME_BASE});
    else
        source->m_lengthMs = source->scanLengthMs();

    if (!source->setUpResampler())
        return nullptr;
    // A file that demuxes but never decodes to sound is damaged, not silent.
    if (!source->decodeMore())
        return nullptr;
    error = AudioLibrary::ErrNone;
    return source;
}

FfmpegSource::~FfmpegSource()
{
    swr_free(&m_swr);
    av_frame_free(&m_frame);
    av_packet_free(&m_packet);
    avcodec_free_context(&m_codec);
    avformat_close_input(&m_format);
}

QString FfmpegSource::versionText()
{
    const unsigned codec = avcodec_version();
    const unsigned format = avformat_version();
    return QStringLiteral("FFmpeg libavcodec %1.%2.%3, libavformat %4.%5.%6")
        .arg(AV_VERSION_MAJOR(codec)).arg(AV_VERSION_MINOR(codec)).arg(AV_VERSION_MICRO(codec))
        .arg(AV_VERSION_MAJOR(format)).arg(AV_VERSION_MINOR(format)).arg(AV_VERSION_MICRO(format));
}

bool FfmpegSource::setUpResampler()
{
    swr_free(&m_swr);
    AVChannelLayout stereo = AV_CHANNEL_LAYOUT_STEREO;
    AVChannelLayout in {};
    if (m_codec->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC)
        av_channel_layout_default(&in, m_codec->ch_layout.nb_channels);
    else if (av_channel_layout_copy(&in, &m_codec->ch_layout) < 0)
        return false;
    const int made = swr_alloc_set_opts2(&m_swr, &stereo, AV_SAMPLE_FMT_FLT, m_rate, &in, m_codec->sample_fmt,
                                         m_codec->sample_rate, 0, nullptr);
    av_channel_layout_uninit(&in);
    return made >= 0 && swr_init(m_swr) >= 0;
}

std::int64_t FfmpegSource::scanLengthMs()
{
    // No length in the headers (raw streams): add up the packets, which reads
    // the file once without decoding it.
    AVStream *stream = m_format->streams[m_streamIndex];
    std::int64_t end = 0;
    while (av_read_frame(m_format, m_packet) >= 0) {
        if (m_packet->stream_index == m_streamIndex && m_packet->pts != AV_NOPTS_VALUE)
            end = std::max(end, m_packet->pts - m_startPts + std::max<std::int64_t>(m_packet->duration, 0));
        av_packet_unref(m_packet);
    }
    avformat_seek_file(m_format, m_streamIndex, std::numeric_limits<std::int64_t>::min(), m_startPts, m_startPts, 0);
    return toMs(end, stream->time_base);
}

bool FfmpegSource::decodeMore()
{
    int emptyPackets = 0;
    for (;;) {
        const int received = avcodec_receive_frame(m_codec, m_frame);
        if (received == 0) {
            convert(m_frame);
            av_frame_unref(m_frame);
            if (m_pendingPos < m_pending.size())
                return true;
            continue;
        }
        if (received == AVERROR_EOF) {
            m_decoderDrained = true;
            if (!m_resamplerFlushed) {
                m_resamplerFlushed = true;
                convert(nullptr);
                if (m_pendingPos < m_pending.size())
                    return true;
            }
            return false;
        }
        if (received != AVERROR(EAGAIN))
            return false;
        if (m_inputEnded)
            return false;
        const int read = av_read_frame(m_format, m_packet);
        if (read < 0) {
            m_inputEnded = true;
            avcodec_send_packet(m_codec, nullptr); // drain what the decoder holds
            continue;
        }
        if (m_packet->stream_index == m_streamIndex) {
            if (++emptyPackets > MaxPacketsWithoutSound) {
                av_packet_unref(m_packet);
                return false;
            }
            const int sent = avcodec_send_packet(m_codec, m_packet);
            // A damaged packet is skipped; the decoder resynchronises on the next.
            (void)sent;
        }
        av_packet_unref(m_packet);
    }
}

void FfmpegSource::convert(const AVFrame *frame)
{
    if (m_pendingPos >= m_pending.size()) {
        m_pending.clear();
        m_pendingPos = 0;
    }
    const int inSamples = frame ? frame->nb_samples : 0;
    const int capacity = swr_get_out_samples(m_swr, inSamples);
    if (capacity <= 0)
        return;
    const std::size_t oldSize = m_pending.size();
    m_pending.resize(oldSize + 2 * std::size_t(capacity));
    auto *dst = reinterpret_cast<std::uint8_t *>(m_pending.data() + oldSize);
    const int made = swr_convert(m_swr, &dst, capacity, frame ? const_cast<const std::uint8_t **>(frame->extended_data) : nullptr,
                                 inSamples);
    m_pending.resize(oldSize + 2 * std::size_t(std::max(made, 0)));

    if (m_seekTargetMs >= 0 && frame) {
        // The first frame after a seek starts at or before the target: drop
        // the sound up to the target so that playback starts exactly there.
        const std::int64_t pts = frame->best_effort_timestamp;
        if (pts != AV_NOPTS_VALUE) {
            const std::int64_t frameMs = toMs(pts - m_startPts, m_format->streams[m_streamIndex]->time_base);
            m_skipFrames = std::max<std::int64_t>(0, (m_seekTargetMs - frameMs) * m_rate / 1000);
        }
        m_seekTargetMs = -1;
    }
    if (m_skipFrames > 0) {
        const std::size_t available = (m_pending.size() - m_pendingPos) / 2;
        const std::size_t drop = std::min<std::size_t>(available, std::size_t(m_skipFrames));
        m_pendingPos += 2 * drop;
        m_skipFrames -= std::int64_t(drop);
    }
}

int FfmpegSource::read(float *out, int frames)
{
    int written = 0;
    while (written < frames) {
        if (m_pendingPos >= m_pending.size() && !decodeMore())
            break;
        const std::size_t available = (m_pending.size() - m_pendingPos) / 2;
        const std::size_t n = std::min<std::size_t>(available, std::size_t(frames - written));
        std::copy_n(m_pending.data() + m_pendingPos, 2 * n, out + 2 * written);
        m_pendingPos += 2 * n;
        written += int(n);
    }
    return written;
}

bool FfmpegSource::seek(std::int64_t ms)
{
    AVStream *stream = m_format->streams[m_streamIndex];
    const std::int64_t target = m_startPts + av_rescale_q(ms, AVRational {1, 1000}, stream->time_base);
    if (avformat_seek_file(m_format, m_streamIndex, std::numeric_limits<std::int64_t>::min(), target, target, 0) < 0
        && avformat_seek_file(m_format, m_streamIndex, std::numeric_limits<std::int64_t>::min(), target, target,
                              AVSEEK_FLAG_BACKWARD | AVSEEK_FLAG_ANY) < 0)
        return false;
    avcodec_flush_buffers(m_codec);
    m_pending.clear();
    m_pendingPos = 0;
    m_inputEnded = false;
    m_decoderDrained = false;
    m_resamplerFlushed = false;
    m_skipFrames = 0;
    m_seekTargetMs = ms;
    return setUpResampler();
}
