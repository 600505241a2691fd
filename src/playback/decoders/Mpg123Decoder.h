#pragma once

#include "playback/engine/AudioDecoder.h"

#include <QFile>
#include <QString>
#include <memory>
#include <utility>
#include <vector>

class QIODevice;
struct mpg123_handle_struct;
struct soxr;
struct SoxrLibrary;

// Decodes MPEG audio (Layer III and Layer II: MP3 and MP2 files) with
// libmpg123, without FFmpeg. The decoder gives float samples at the file's
// own rate; libsoxr (loaded then) converts them when the output rate
// differs, and mono is played at full level on both sides.
//
// The length is exact: from the LAME tag's frame count with the encoder's
// delay and padding taken off (gapless), or, for files without one, from a
// scan of every frame header at open (files up to MaxScanBytes, a few
// milliseconds per MiB; larger ones start with the estimate from their size
// and become exact when played through). Seeks are sample-exact: mpg123's
// frame index, and frames before the target decoded for the bit reservoir.
//
// Memory and time stay bounded whatever the file holds: mpg123 skips ID3v2
// tags without parsing them (their bodies read as zeros besides; tags come
// from TagLib), gives up on junk after a short resync, keeps an index of
// fixed size, and decodes one frame at a time.
class Mpg123Decoder final : public AudioDecoder
{
public:
    static constexpr qint64 MaxScanBytes = qint64(16) << 20;

    ~Mpg123Decoder() override;

    // Opens `path` at output `rate`. Null with `error` set on failure:
    // ErrFileFormat when the file is not MPEG audio this decoder plays
    // (another decoder may), ErrFileNotFound, ErrFileBad.
    static std::unique_ptr<Mpg123Decoder> open(const QString &path, int rate, int &error);

    // True when `file`, after its leading ID3v2 tags and any zero padding,
    // starts with MPEG audio frames of Layer II or III: three in a row of
    // the same kind (fewer when the file ends), within the first 64 KiB.
    // The file's position is left undefined.
    static bool looksLikeMpegAudio(QIODevice &file);

    int read(float *out, int frames) override;
    bool seek(std::int64_t frame) override;
    std::int64_t lengthFrames() const override { return m_length; }

private:
    struct Input;

    Mpg123Decoder();
    bool setUpResampler(long inputRate);
    bool decodeMore();
    bool flushResampler();
    void appendOutput(const float *stereo, std::size_t frames);

    int m_rate = 44100;
    long m_inputRate = 0;
    int m_channels = 2;
    std::unique_ptr<Input> m_input;
    mpg123_handle_struct *m_handle = nullptr;
    const SoxrLibrary *m_resampler = nullptr;
    soxr *m_soxr = nullptr;              // null while the rates match
    std::vector<float> m_decoded;        // one read from mpg123, at the file's rate and channels
    std::vector<float> m_stereo;         // the same as stereo
    std::vector<float> m_pending;        // output frames not yet read
    std::size_t m_pendingPos = 0;        // in frames
    std::size_t m_pendingFrames = 0;
    std::int64_t m_skip = 0;             // output frames still to drop after a seek
    bool m_inputEnded = false;
    bool m_finished = false;
    int m_emptyReads = 0;
    std::int64_t m_position = 0;         // output frame of the next read
    bool m_contiguous = true;            // decoded from frame 0 without seeking
    std::int64_t m_length = 0;
};
