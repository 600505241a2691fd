#include "playback/engine/DecoderModule.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLibrary>
#include <mutex>

#ifndef VELMORA_DECODERS_BUILD_PATH
#define VELMORA_DECODERS_BUILD_PATH ""
#endif

namespace {

struct Loaded {
    const DecoderModuleApi *api = nullptr;
    QString path;
    QString error;
};

Loaded load()
{
    Loaded result;
    // The module the environment names (VELMORA_DECODERS), else the one
    // beside the program (a built or portable player), else the installed
    // one (<prefix>/lib/velmora from <prefix>/bin), else where the build put
    // it (tests and benchmarks run from other folders).
    QStringList candidates;
    const QString fromEnv = qEnvironmentVariable("VELMORA_DECODERS");
    if (!fromEnv.isEmpty()) {
        candidates << fromEnv;
    } else {
        if (QCoreApplication::instance()) {
            const QString exeFolder = QCoreApplication::applicationDirPath() + QLatin1Char('/');
            candidates << exeFolder + DecoderModule::fileName();
#ifdef VELMORA_MODULES_FROM_BIN
            candidates << exeFolder + QStringLiteral(VELMORA_MODULES_FROM_BIN "/") + DecoderModule::fileName();
#endif
        }
        candidates << QString::fromUtf8(VELMORA_DECODERS_BUILD_PATH);
    }
    QStringList errors;
    for (const QString &path : candidates) {
        if (path.isEmpty() || !QFileInfo(path).isFile())
            continue;
        QLibrary library(path);
        using Entry = const DecoderModuleApi *(*)();
        const auto entry = reinterpret_cast<Entry>(library.resolve("velmora_decoder_module"));
        if (!entry) {
            errors << library.errorString();
            continue;
        }
        const DecoderModuleApi *api = entry();
        if (!api || api->abi != DecoderModuleApi::CurrentAbi) {
            errors << path + QStringLiteral(": built for another version of the player");
            continue;
        }
        result.api = api; // the library stays loaded: QLibrary unloads only on unload()
        result.path = QFileInfo(path).absoluteFilePath();
        return result;
    }
    result.error = errors.isEmpty() ? QStringLiteral("%1 not found").arg(DecoderModule::fileName()) : errors.join(QLatin1Char('\n'));
    return result;
}

const Loaded &loaded()
{
    static std::once_flag once;
    static Loaded state;
    std::call_once(once, [] {
        state = load();
        if (!state.api)
            qWarning("velmora: no decoders: %s", qPrintable(state.error));
    });
    return state;
}

} // namespace

QString DecoderModule::fileName()
{
#if defined(Q_OS_WIN)
    return QStringLiteral("velmora_decoders.dll");
#else
    return QStringLiteral("libvelmora_decoders.so");
#endif
}

const DecoderModuleApi *DecoderModule::api()
{
    return loaded().api;
}

QString DecoderModule::loadError()
{
    return loaded().error;
}

std::unique_ptr<AudioDecoder> DecoderModule::open(const QString &path, int rate, int &error)
{
    const DecoderModuleApi *m = api();
    if (!m) {
        error = AudioLibrary::ErrFileFormat;
        return nullptr;
    }
    return std::unique_ptr<AudioDecoder>(m->openDecoder(path, rate, error));
}

QList<AudioLibrary::TagField> DecoderModule::readTags(const QString &path)
{
    const DecoderModuleApi *m = api();
    return m ? m->readTags(path) : QList<AudioLibrary::TagField>();
}

QStringList DecoderModule::versions()
{
    const DecoderModuleApi *m = api();
    if (!m)
        return {QStringLiteral("decoders not loaded: ") + loadError()};
    return m->versions() << QStringLiteral("decoders from ") + loaded().path;
}
