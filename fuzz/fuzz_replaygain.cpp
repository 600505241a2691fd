// Loudness tags on arbitrary text: nothing may crash, every factor is finite
// and positive, off is always 1, and with clipping prevention a known peak
// never ends above full scale. Input: lines of "name=value".
#include "playback/ReplayGain.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>

namespace {

void check(bool ok)
{
    if (!ok)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    QList<AudioLibrary::TagField> fields;
    for (const QByteArray &line : bytes.split('\n')) {
        const qsizetype eq = line.indexOf('=');
        if (eq > 0)
            fields.append({AudioLibrary::TagOther, line.left(eq), line.mid(eq + 1)});
    }
    const ReplayGainInfo info = ReplayGainFromFields(fields);
    for (const double preamp : {-12.0, 0.0, 12.0}) {
        for (const bool prevent : {false, true}) {
            check(ReplayGainFactor(info, {ReplayGainMode::Off, preamp, prevent}) == 1.0f);
            for (const ReplayGainMode mode : {ReplayGainMode::Track, ReplayGainMode::Album}) {
                const float f = ReplayGainFactor(info, {mode, preamp, prevent});
                check(std::isfinite(f) && f > 0.0f);
                const std::optional<double> peak = mode == ReplayGainMode::Album && info.albumGainDb && info.albumPeak
                    ? info.albumPeak
                    : info.trackPeak;
                const bool tagged = mode == ReplayGainMode::Album ? (info.albumGainDb || info.trackGainDb)
                                                                  : info.trackGainDb.has_value();
                if (prevent && tagged && peak)
                    check(double(f) * *peak <= 1.0 + 1e-5);
            }
        }
    }
    return 0;
}
