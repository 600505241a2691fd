#include "playback/ReplayGain.h"

#include <QLocale>
#include <algorithm>
#include <cmath>

namespace {

constexpr double kMaxGainDb = 64.0;
// R128 gains are relative to -23 LUFS, the ReplayGain reference to -18 LUFS.
constexpr double kR128ToReferenceDb = 5.0;

std::optional<double> parseNumber(QByteArray text)
{
    text = text.trimmed();
    if (text.endsWith("dB") || text.endsWith("DB") || text.endsWith("db") || text.endsWith("Db"))
        text.chop(2);
    text = text.trimmed();
    if (text.startsWith('+'))
        text.remove(0, 1);
    text.replace(',', '.');
    bool ok = false;
    const double value = QLocale::c().toDouble(QString::fromLatin1(text), &ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<double> parseGain(const QByteArray &text)
{
    const std::optional<double> db = parseNumber(text);
    if (!db || std::fabs(*db) > kMaxGainDb)
        return std::nullopt;
    return db;
}

std::optional<double> parsePeak(const QByteArray &text)
{
    const std::optional<double> peak = parseNumber(text);
    if (!peak || *peak <= 0.0 || *peak > 1000.0)
        return std::nullopt;
    return peak;
}

std::optional<double> parseR128(const QByteArray &text)
{
    bool ok = false;
    const int q78 = text.trimmed().toInt(&ok);
    if (!ok || q78 < -32768 || q78 > 32767)
        return std::nullopt;
    return q78 / 256.0 + kR128ToReferenceDb;
}

} // namespace

ReplayGainInfo ReplayGainFromFields(const QList<AudioLibrary::TagField> &fields)
{
    ReplayGainInfo info;
    std::optional<double> r128Track;
    std::optional<double> r128Album;
    for (const AudioLibrary::TagField &field : fields) {
        QByteArray name = field.name.toUpper();
        if (name.startsWith("TXXX:"))
            name.remove(0, 5);
        if (!name.startsWith("REPLAYGAIN_") && !name.startsWith("R128_"))
            continue;
        if (name == "REPLAYGAIN_TRACK_GAIN") {
            if (const auto v = parseGain(field.value))
                info.trackGainDb = v;
        } else if (name == "REPLAYGAIN_TRACK_PEAK") {
            if (const auto v = parsePeak(field.value))
                info.trackPeak = v;
        } else if (name == "REPLAYGAIN_ALBUM_GAIN") {
            if (const auto v = parseGain(field.value))
                info.albumGainDb = v;
        } else if (name == "REPLAYGAIN_ALBUM_PEAK") {
            if (const auto v = parsePeak(field.value))
                info.albumPeak = v;
        } else if (name == "R128_TRACK_GAIN") {
            if (const auto v = parseR128(field.value))
                r128Track = v;
        } else if (name == "R128_ALBUM_GAIN") {
            if (const auto v = parseR128(field.value))
                r128Album = v;
        }
    }
    if (r128Track)
        info.trackGainDb = r128Track;
    if (r128Album)
        info.albumGainDb = r128Album;
    return info;
}

float ReplayGainFactor(const ReplayGainInfo &info, const ReplayGainSettings &settings)
{
    std::optional<double> gain;
    std::optional<double> peak;
    switch (settings.mode) {
    case ReplayGainMode::Off:
        return 1.0f;
    case ReplayGainMode::Album:
        if (info.albumGainDb) {
            gain = info.albumGainDb;
            peak = info.albumPeak ? info.albumPeak : info.trackPeak;
            break;
        }
        [[fallthrough]];
    case ReplayGainMode::Track:
        gain = info.trackGainDb;
        peak = info.trackPeak;
        break;
    }
    if (!gain)
        return 1.0f;
    double factor = std::pow(10.0, (*gain + settings.preampDb) / 20.0);
    if (settings.preventClipping && peak)
        factor = std::min(factor, 1.0 / *peak);
    return float(factor);
}
