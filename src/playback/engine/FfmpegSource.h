#pragma once

#include "playback/engine/StreamSource.h"

#include <QString>
#include <memory>
#include <vector>

struct AVCodecContext;
struct AVFormatContext;
struct AVFrame;
struct AVPacket;
struct SwrContext;

// Decodes a local audio file with FFmpeg (MP3, WMA, Ogg Vorbis, Opus, WAV,
// FLAC, APE, Musepack, AAC/M4A and the other audio containers listed in the
// .cpp) and resamples it to stereo float at the output rate.
class FfmpegSource : public StreamSource
{
public:
    // Opens `path` (a local file; no other protocol is ever used) and decodes
    // its first block to prove that it really is sound. Returns null and sets
    // `error` to an AudioLibrary error code (ErrFileFormat: no demuxer or no
    // audio; ErrFileBad: damaged or undecodable) on failure.
    static std::unique_ptr<FfmpegSource> open(const QString &path, int rate, int &error);

    ~FfmpegSource() override;

    std::int64_t lengthMs() const override { return m_lengthMs; }
    int read(float *out, int frames) override;
    bool seek(std::int64_t ms) override;

    // Human-readable versions of the FFmpeg libraries in use.
    static QString versionText();

private:
    FfmpegSource() = default;
    bool setUpResampler();
    std::int64_t scanLengthMs();
    // Decodes the next frame into m_pending. False at the end or on error.
    bool decodeMore();
    void convert(const AVFrame *frame);

    AVFormatContext *m_format = nullptr;
    AVCodecContext *m_codec = nullptr;
    SwrContext *m_swr = nullptr;
    AVPacket *m_packet = nullptr;
    AVFrame *m_frame = nullptr;
    int m_streamIndex = -1;
    int m_rate = 0;
    std::int64_t m_lengthMs = 0;
    std::int64_t m_startPts = 0; // stream time base
    std::vector<float> m_pending; // converted frames not yet read
    std::size_t m_pendingPos = 0; // in floats
    std::int64_t m_skipFrames = 0; // output frames still to drop after a seek
    std::int64_t m_seekTargetMs = -1; // set until the first frame after a seek
    bool m_inputEnded = false;
    bool m_decoderDrained = false;
    bool m_resamplerFlushed = false;
};
