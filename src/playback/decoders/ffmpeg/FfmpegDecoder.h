#pragma once

#include "playback/engine/AudioDecoder.h"

#include <QByteArray>
#include <QString>
#include <utility>
#include <vector>

struct AVCodecContext;
struct AVIOContext;
struct AVFormatContext;
struct AVFrame;
struct AVPacket;
struct SwrContext;

// Decodes the first audio stream of a local file with FFmpeg, resampled once
// into the output format. Only audio demuxers are allowed and FFmpeg reads
// the file through the decoder itself, so a file cannot make FFmpeg read
// other files or the network (an HLS playlist named .mp3 is refused).
//
// Memory stays bounded whatever the file claims: FFmpeg sees the bodies of
// ID3v2 tags as zeros (it would inflate compressed frames whole; tags are
// read by TagLib), one demuxer call may read at most MaxReadPerCall bytes (a
// parser looking for a frame in gigabytes of junk keeps all of it), and a
// decoded frame is resampled in pieces of at most about MaxConvertFrames
// output frames (a file claiming 1 Hz turns each sample into 44,100).
class FfmpegDecoder final : public AudioDecoder
{
public:
    static constexpr std::int64_t MaxReadPerCall = std::int64_t(32) << 20;
    static constexpr int MaxConvertFrames = 8192;

    ~FfmpegDecoder() override;

    // Opens `path` (must exist); null with `error` set on failure.
    static std::unique_ptr<FfmpegDecoder> open(const QString &path, int rate, int &error);

    int read(float *out, int frames) override;
    bool seek(std::int64_t frame) override;
    std::int64_t lengthFrames() const override { return m_length; }

    // The demuxers a file may be opened with, comma-separated.
    static const char *allowedFormats();

private:
    struct Input;
    using Ranges = std::vector<std::pair<qint64, qint64>>;

    FfmpegDecoder();
    int openInput(const QString &path, const Ranges &blanked);
    void closeInput();
    bool decodeNextFrame();
    bool convertPiece();
    bool flushResampler();
    bool configureResampler();
    std::int64_t frameStart() const;
    bool probeTimeline(const QString &path, const Ranges &blanked, std::int64_t &firstPts, std::int64_t &endFrames);
    void allowReading();

    int m_rate = 44100;
    std::unique_ptr<Input> m_input;
    AVIOContext *m_io = nullptr;
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

    bool m_frameLoaded = false;         // m_frame holds samples not yet resampled
    int m_frameOffset = 0;              // of m_frame, in input samples
    std::vector<float> m_pending;       // converted frames not yet read
    int m_pendingPos = 0;               // in frames
    int m_pendingFrames = 0;
    std::int64_t m_skipUntil = -1;      // after a seek: drop output before this frame
    std::int64_t m_position = 0;        // output frame of the next read
    bool m_contiguous = true;           // decoded from frame 0 without seeking
    std::int64_t m_length = 0;
    std::int64_t m_endFrame = -1;       // where the sound ends though decoding gives more; -1: where decoding ends
};
