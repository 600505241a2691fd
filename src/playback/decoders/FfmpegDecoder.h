#pragma once

#include "playback/engine/AudioDecoder.h"

#include <QByteArray>
#include <vector>

struct AVCodecContext;
struct AVFormatContext;
struct AVFrame;
struct AVPacket;
struct SwrContext;

// Decodes the first audio stream of a local file with FFmpeg, resampled once
// into the output format. Only the file protocol and audio demuxers are
// allowed, so a file cannot make FFmpeg read other files or the network
// (an HLS playlist named .mp3 is refused).
class FfmpegDecoder final : public AudioDecoder
{
public:
    ~FfmpegDecoder() override;

    // Opens `path` (must exist); null with `error` set on failure.
    static std::unique_ptr<FfmpegDecoder> open(const QString &path, int rate, int &error);

    int read(float *out, int frames) override;
    bool seek(std::int64_t frame) override;
    std::int64_t lengthFrames() const override { return m_length; }

    // The demuxers a file may be opened with, comma-separated.
    static const char *allowedFormats();

private:
    FfmpegDecoder() = default;
    int openInput(const QByteArray &url);
    void closeInput();
    bool decodeNextFrame();
    bool convertFrame();
    bool configureResampler();
    std::int64_t frameStart() const;
    bool probeTimeline(const QByteArray &url, std::int64_t &firstPts, std::int64_t &endFrames);

    int m_rate = 44100;
    AVFormatContext *m_format = nullptr;
    AVCodecContext *m_codec = nullptr;
    SwrContext *m_swr = nullptr;
    AVPacket *m_packet = nullptr;
    AVFrame *m_frame = nullptr;
    int m_streamIndex = -1;
    std::int64_t m_startPts = 0;        // stream time of output frame 0 (the first decoded frame)
    int m_swrInRate = 0;
    int m_swrInFormat = -1;
    int m_swrInChannels = 0;
    bool m_inputEnded = false;          // demuxer exhausted, decoder being drained
    bool m_finished = false;
    int m_badPackets = 0;

    std::vector<float> m_pending;       // converted frames not yet read
    int m_pendingPos = 0;               // in frames
    int m_pendingFrames = 0;
    std::int64_t m_skipUntil = -1;      // after a seek: drop output before this frame
    std::int64_t m_position = 0;        // output frame of the next read
    bool m_contiguous = true;           // decoded from frame 0 without seeking
    std::int64_t m_length = 0;
};
