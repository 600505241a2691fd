#include "playback/decoders/SoxrLibrary.h"

#include <QLibrary>
#include <mutex>
#include <type_traits>

const SoxrLibrary *SoxrLibrary::get()
{
    static std::once_flag once;
    static SoxrLibrary library;
    static bool loaded = false;
    std::call_once(once, [] {
        QLibrary file(QStringLiteral("soxr"), 0); // libsoxr.so.0: its interface has not changed since 0.1.0
        const auto take = [&](auto &function, const char *name) {
            function = reinterpret_cast<std::remove_reference_t<decltype(function)>>(file.resolve(name));
            return function != nullptr;
        };
        loaded = take(library.create, "soxr_create") && take(library.process, "soxr_process")
            && take(library.clear, "soxr_clear") && take(library.destroy, "soxr_delete")
            && take(library.ioSpec, "soxr_io_spec") && take(library.qualitySpec, "soxr_quality_spec")
            && take(library.version, "soxr_version");
        if (!loaded)
            qWarning("velmora: no resampler: %s", qPrintable(file.errorString()));
    });
    return loaded ? &library : nullptr;
}
