#include "EngineTestSupport.h"

#include "WaitUntil.h"

#include <QDataStream>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>
#include <QtEndian>
#include <cmath>

namespace enginetest {

bool writeWav(const QString &path, int frames, const std::function<double(int, int)> &sample)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    QDataStream out(&f);
    out.setByteOrder(QDataStream::LittleEndian);
    const quint32 dataBytes = quint32(frames) * 4;
    out.writeRawData("RIFF", 4);
    out << quint32(36 + dataBytes);
    out.writeRawData("WAVEfmt ", 8);
    out << quint32(16) << quint16(1) << quint16(2) << quint32(kRate) << quint32(kRate * 4) << quint16(4)
        << quint16(16);
    out.writeRawData("data", 4);
    out << dataBytes;
    for (int i = 0; i < frames; ++i) {
        for (int c = 0; c < 2; ++c)
            out << qint16(std::lround(std::clamp(sample(i, c), -1.0, 32767.0 / 32768.0) * 32768.0));
    }
    return out.status() == QDataStream::Ok;
}

bool haveFfmpeg()
{
    return !QStandardPaths::findExecutable(QStringLiteral("ffmpeg")).isEmpty();
}

bool runFfmpeg(const QStringList &args, const QString &out)
{
    QStringList all{QStringLiteral("-hide_banner"), QStringLiteral("-loglevel"), QStringLiteral("error"),
                    QStringLiteral("-nostdin"), QStringLiteral("-y")};
    all << args << out;
    return QProcess::execute(QStringLiteral("ffmpeg"), all) == 0;
}

bool makeEncoded(const QString &out, const QString &expr, double seconds, const QStringList &outputArgs)
{
    QStringList args{QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                     QStringLiteral("aevalsrc=%1|%1:s=%2:d=%3").arg(expr).arg(kRate).arg(seconds)};
    args << outputArgs;
    return runFfmpeg(args, out);
}

Frames audible(const Frames &all, float threshold)
{
    Frames out;
    out.data.reserve(all.data.size());
    for (int i = 0; i < all.count(); ++i) {
        if (std::abs(all.left(i)) > threshold || std::abs(all.right(i)) > threshold) {
            out.data.push_back(all.left(i));
            out.data.push_back(all.right(i));
        }
    }
    return out;
}

int firstAudible(const Frames &all, int from)
{
    for (int i = std::max(from, 0); i < all.count(); ++i) {
        if (all.left(i) != 0.0f || all.right(i) != 0.0f)
            return i;
    }
    return -1;
}

static double rms(const Frames &f, int from, int count, int channel)
{
    double sum = 0;
    int n = 0;
    for (int i = std::max(from, 0); i < std::min(from + count, f.count()); ++i, ++n) {
        const double v = channel == 0 ? f.left(i) : f.right(i);
        sum += v * v;
    }
    return n ? std::sqrt(sum / n) : 0.0;
}

double rmsLeft(const Frames &f, int from, int count)
{
    return rms(f, from, count, 0);
}

double rmsRight(const Frames &f, int from, int count)
{
    return rms(f, from, count, 1);
}

double frequency(const Frames &f, int from, int count)
{
    int first = -1, last = -1, crossings = 0;
    for (int i = std::max(from, 0) + 1; i < std::min(from + count, f.count()); ++i) {
        if (f.left(i - 1) < 0.0f && f.left(i) >= 0.0f) {
            if (first < 0)
                first = i;
            last = i;
            ++crossings;
        }
    }
    if (crossings < 2)
        return 0.0;
    return double(crossings - 1) * kRate / (last - first);
}

int firstFasterPeriod(const Frames &f, int from, double periodFrames)
{
    int previous = -1;
    for (int i = std::max(from, 0) + 1; i < f.count(); ++i) {
        if (f.left(i - 1) < 0.0f && f.left(i) >= 0.0f) {
            if (previous >= 0 && i - previous < periodFrames)
                return previous;
            previous = i;
        }
    }
    return -1;
}

DiskRun::DiskRun() : m_oldDriver(qgetenv("SDL_AUDIODRIVER"))
{
    qputenv("SDL_AUDIODRIVER", "disk");
    qputenv("SDL_DISKAUDIOFILE", QFile::encodeName(m_dir.filePath(QStringLiteral("out.raw"))));
    // Milliseconds per 2048-frame buffer: about 20 times real time.
    qputenv("SDL_DISKAUDIODELAY", "2");
    m_lib = std::make_unique<EngineAudioLibrary>();
}

DiskRun::~DiskRun()
{
    m_lib.reset();
    qputenv("SDL_AUDIODRIVER", m_oldDriver);
}

bool DiskRun::init()
{
    return m_lib->init(kRate, 32, 0);
}

bool DiskRun::waitEnd(int channel, int timeoutMs)
{
    return waitUntil([&] { return !m_lib->isPlaying(channel); }, timeoutMs);
}

bool DiskRun::waitTime(AudioLibrary::StreamHandle s, int ms, int timeoutMs)
{
    return waitUntil([&] { return m_lib->streamTime(s) >= ms; }, timeoutMs);
}

qint64 DiskRun::framesWritten() const
{
    return QFileInfo(m_dir.filePath(QStringLiteral("out.raw"))).size() / qint64(2 * sizeof(float));
}

bool DiskRun::waitFramesWritten(qint64 frames, int timeoutMs)
{
    return waitUntil([&] { return framesWritten() >= frames; }, timeoutMs);
}

bool outputDeviceThreadRuns()
{
    // SDL names the thread of output device n "SDLAudioP<n>".
    const QDir tasks(QStringLiteral("/proc/self/task"));
    for (const QString &task : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile comm(tasks.filePath(task + QStringLiteral("/comm")));
        if (comm.open(QIODevice::ReadOnly) && comm.readAll().startsWith("SDLAudioP"))
            return true;
    }
    return false;
}

Frames DiskRun::finish()
{
    m_lib->close();
    QFile f(m_dir.filePath(QStringLiteral("out.raw")));
    Frames frames;
    if (!f.open(QIODevice::ReadOnly))
        return frames;
    const QByteArray bytes = f.readAll();
    frames.data.resize(std::size_t(bytes.size()) / sizeof(float) / 2 * 2);
    std::memcpy(frames.data.data(), bytes.constData(), frames.data.size() * sizeof(float));
    return frames;
}

bool addItunesGaplessData(QByteArray &file, int delay, int padding, qint64 samples)
{
    const auto u32 = [&file](qsizetype at) { return qFromBigEndian<quint32>(file.constData() + at); };
    const auto find = [&](qsizetype from, qsizetype to, const char *type) -> qsizetype {
        for (qsizetype at = from; at + 8 <= to && u32(at) >= 8; at += u32(at)) {
            if (file.mid(at + 4, 4) == type)
                return at;
        }
        return -1;
    };
    const qsizetype moov = find(0, file.size(), "moov");
    const qsizetype udta = moov < 0 ? -1 : find(moov + 8, moov + u32(moov), "udta");
    const qsizetype meta = udta < 0 ? -1 : find(udta + 8, udta + u32(udta), "meta");
    const qsizetype ilst = meta < 0 ? -1 : find(meta + 12, meta + u32(meta), "ilst");
    if (ilst < 0 || moov + u32(moov) != file.size())
        return false;
    const auto atom = [](const char *type, const QByteArray &payload) {
        QByteArray a(4, '\0');
        qToBigEndian<quint32>(quint32(8 + payload.size()), a.data());
        return a + type + payload;
    };
    const QByteArray text = QStringLiteral(" 00000000 %1 %2 %3 00000000 00000000")
                                .arg(delay, 8, 16, QLatin1Char('0'))
                                .arg(padding, 8, 16, QLatin1Char('0'))
                                .arg(samples, 16, 16, QLatin1Char('0'))
                                .toUpper()
                                .toLatin1();
    const QByteArray freeform = atom("----", atom("mean", QByteArray(4, '\0') + "com.apple.iTunes")
                                                 + atom("name", QByteArray(4, '\0') + "iTunSMPB")
                                                 + atom("data", QByteArray::fromHex("0000000100000000") + text));
    file.insert(ilst + u32(ilst), freeform);
    for (const qsizetype at : {moov, udta, meta, ilst})
        qToBigEndian<quint32>(u32(at) + quint32(freeform.size()), file.data() + at);
    return true;
}

} // namespace enginetest
