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

// The table of the module `library` names, loading it; null with `error`
// set when it has none for this player.
const DecoderModuleApi *entryOf(QLibrary &library, const char *entryName, QString &error)
{
    using Entry = const DecoderModuleApi *(*)();
    const auto entry = reinterpret_cast<Entry>(library.resolve(entryName));
    if (!entry) {
        error = library.errorString();
        return nullptr;
    }
    const DecoderModuleApi *api = entry();
    if (!api || api->abi != DecoderModuleApi::CurrentAbi) {
        error = library.fileName() + QStringLiteral(": built for another version of the player");
        return nullptr;
    }
    return api;
}

// The first of `candidates` that holds a module with `entryName`, loaded for
// the rest of the run.
Loaded load(const QStringList &candidates, const char *entryName, const QString &fileName)
{
    Loaded result;
    QStringList errors;
    for (const QString &path : candidates) {
        if (path.isEmpty() || !QFileInfo(path).isFile())
            continue;
        QLibrary library(path);
        QString error;
        const DecoderModuleApi *api = entryOf(library, entryName, error);
        if (!api) {
            errors << error;
            continue;
        }
        result.api = api; // the library stays loaded: QLibrary unloads only on unload()
        result.path = QFileInfo(path).absoluteFilePath();
        return result;
    }
    result.error = errors.isEmpty() ? QStringLiteral("%1 not found").arg(fileName) : errors.join(QLatin1Char('\n'));
    return result;
}

const Loaded &firstModule()
{
    static std::once_flag once;
    static Loaded state;
    std::call_once(once, [] {
        // The module the environment names (VELMORA_DECODERS), else the one
        // beside the program (a built or portable player), else the
        // installed one (<prefix>/lib/velmora from <prefix>/bin), else where
        // the build put it (tests and benchmarks run from other folders).
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
        state = load(candidates, "velmora_decoder_module", DecoderModule::fileName());
        if (!state.api)
            qWarning("velmora: no decoders: %s", qPrintable(state.error));
    });
    return state;
}

QString besideFirst(const QString &fileName)
{
    return QFileInfo(firstModule().path).absolutePath() + QLatin1Char('/') + fileName;
}

const Loaded &ffmpegModule()
{
    static std::once_flag once;
    static Loaded state;
    std::call_once(once, [] {
        // Always beside the first module: built, installed and named by
        // VELMORA_DECODERS alike, the modules are one set.
        const Loaded &first = firstModule();
        if (!first.api) {
            state.error = QStringLiteral("needs ") + DecoderModule::fileName();
            return;
        }
        state = load({besideFirst(DecoderModule::ffmpegFileName())}, "velmora_ffmpeg_module",
                     DecoderModule::ffmpegFileName());
        if (!state.api)
            qWarning("velmora: no FFmpeg decoders: %s", qPrintable(state.error));
    });
    return state;
}

// The tag module, loaded while anyone uses it. Every use counts here, under
// one lock, through one QLibrary: QLibrary objects of the same file share
// their load count, and one that finds the file loaded by another uses it
// without counting itself, so another thread's unload would unmap the code
// a read is running in.
class TagModuleUsers
{
public:
    // The table, counting one more user; null (with `error`) when the
    // module cannot be loaded or is not a tag module.
    const DecoderModuleApi *acquire(QString &error)
    {
        std::lock_guard lock(m_mutex);
        return acquireLocked(error);
    }
    void release()
    {
        std::lock_guard lock(m_mutex);
        releaseLocked();
    }
    // Keeping nests; a keep that could not load the module holds nothing.
    void keep()
    {
        std::lock_guard lock(m_mutex);
        ++m_keepers;
        QString error;
        if (acquireLocked(error)) // else reads load it each time
            ++m_kept;
    }
    void unkeep()
    {
        std::lock_guard lock(m_mutex);
        if (m_keepers == 0)
            return;
        if (m_kept > --m_keepers) {
            --m_kept;
            releaseLocked();
        }
    }

private:
    const DecoderModuleApi *acquireLocked(QString &error)
    {
        if (m_users == 0) {
            if (!firstModule().api) {
                error = QStringLiteral("needs ") + DecoderModule::fileName();
                return nullptr;
            }
            m_library = std::make_unique<QLibrary>(besideFirst(DecoderModule::tagsFileName()));
            m_api = entryOf(*m_library, "velmora_tags_module", error);
            if (m_api && (!m_api->readTags || !m_api->versions)) {
                error = m_library->fileName() + QStringLiteral(": not a tag module");
                m_api = nullptr;
            }
            if (!m_api) {
                m_library->unload();
                m_library.reset();
                return nullptr;
            }
        }
        ++m_users;
        return m_api;
    }
    void releaseLocked()
    {
        if (m_users > 0 && --m_users == 0) {
            m_api = nullptr;
            m_library->unload();
            m_library.reset();
        }
    }

    std::mutex m_mutex;
    int m_users = 0;
    int m_keepers = 0; // keepTagModule(true) calls not yet paired
    int m_kept = 0;    // of those, the ones that hold the module
    std::unique_ptr<QLibrary> m_library;
    const DecoderModuleApi *m_api = nullptr;
};

TagModuleUsers &tagModule()
{
    static TagModuleUsers users;
    return users;
}

// Runs `use` on the tag module's table, loading the module for that and
// unloading it after unless someone keeps it; false (with `error`) when it
// cannot be loaded.
template<typename Use>
bool withTagModule(Use use, QString &error)
{
    const DecoderModuleApi *api = tagModule().acquire(error);
    if (!api)
        return false;
    use(*api);
    tagModule().release();
    return true;
}

// A copy of `text` in memory of its own: texts a module made may point into
// the module's constant data, which goes when the module is unloaded.
QByteArray detached(const QByteArray &text)
{
    return QByteArray(text.constData(), text.size());
}

QString detached(const QString &text)
{
    return QString(text.constData(), text.size());
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

QString DecoderModule::ffmpegFileName()
{
#if defined(Q_OS_WIN)
    return QStringLiteral("velmora_ffmpeg.dll");
#else
    return QStringLiteral("libvelmora_ffmpeg.so");
#endif
}

QString DecoderModule::tagsFileName()
{
#if defined(Q_OS_WIN)
    return QStringLiteral("velmora_tags.dll");
#else
    return QStringLiteral("libvelmora_tags.so");
#endif
}

const DecoderModuleApi *DecoderModule::api()
{
    return firstModule().api;
}

QString DecoderModule::loadError()
{
    return firstModule().error;
}

const DecoderModuleApi *DecoderModule::ffmpegApi()
{
    return ffmpegModule().api;
}

QString DecoderModule::ffmpegLoadError()
{
    return ffmpegModule().error;
}

std::unique_ptr<AudioDecoder> DecoderModule::open(const QString &path, int rate, int &error)
{
    error = AudioLibrary::ErrFileFormat;
    const DecoderModuleApi *first = api();
    if (!first)
        return nullptr;
    std::unique_ptr<AudioDecoder> decoder(first->openDecoder(path, rate, error));
    if (decoder || error != AudioLibrary::ErrFileFormat)
        return decoder;
    const DecoderModuleApi *second = ffmpegApi();
    if (!second)
        return nullptr; // error stays ErrFileFormat
    return std::unique_ptr<AudioDecoder>(second->openDecoder(path, rate, error));
}

QList<AudioLibrary::TagField> DecoderModule::readTags(const QString &path)
{
    QList<AudioLibrary::TagField> fields;
    QString error;
    const bool read = withTagModule(
        [&](const DecoderModuleApi &tags) {
            for (const AudioLibrary::TagField &f : tags.readTags(path))
                fields.append({f.kind, detached(f.name), detached(f.value)});
        },
        error);
    static std::once_flag warned;
    if (!read)
        std::call_once(warned, [&] { qWarning("velmora: no tags: %s", qPrintable(error)); });
    return fields;
}

bool DecoderModule::readHeader(const QString &path, TrackHeader &header)
{
    bool known = false;
    QString error;
    withTagModule(
        [&](const DecoderModuleApi &tags) {
            if (!tags.readHeader)
                return;
            TrackHeader read;
            known = tags.readHeader(path, read);
            header.lengthMs = read.lengthMs;
            header.fields.clear();
            for (const AudioLibrary::TagField &f : read.fields)
                header.fields.append({f.kind, detached(f.name), detached(f.value)});
        },
        error);
    return known;
}

bool DecoderModule::readFormat(const QString &path, StreamFormat &format)
{
    bool known = false;
    QString error;
    withTagModule(
        [&](const DecoderModuleApi &tags) {
            StreamFormat read;
            if (!tags.readFormat || !tags.readFormat(path, read))
                return;
            read.container = detached(read.container);
            read.codec = detached(read.codec);
            format = read;
            known = true;
        },
        error); // skipped on failure: the format stays unknown
    return known;
}

void DecoderModule::keepTagModule(bool keep)
{
    if (keep)
        tagModule().keep();
    else
        tagModule().unkeep();
}

QStringList DecoderModule::versions()
{
    const DecoderModuleApi *first = api();
    if (!first)
        return {QStringLiteral("decoders not loaded: ") + loadError()};
    QStringList lines = first->versions();
    QString tagError;
    if (!withTagModule(
            [&](const DecoderModuleApi &tags) {
                for (const QString &line : tags.versions())
                    lines << detached(line);
            },
            tagError))
        lines << QStringLiteral("TagLib not loaded: ") + tagError;
    const DecoderModuleApi *second = ffmpegApi();
    if (second)
        lines << second->versions();
    lines << QStringLiteral("decoders from ") + firstModule().path;
    if (second)
        lines << QStringLiteral("FFmpeg and FluidSynth (loaded when a file needs them) from ") + ffmpegModule().path;
    else
        lines << QStringLiteral("FFmpeg and FluidSynth not loaded: ") + ffmpegLoadError();
    return lines;
}
