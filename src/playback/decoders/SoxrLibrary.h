#pragma once

#include <soxr.h>

// libsoxr, loaded when the first file needs resampling. Most files are at
// the output's own rate, and a library mapped costs resident memory even
// when nothing calls it.
struct SoxrLibrary {
    decltype(&::soxr_create) create = nullptr;
    decltype(&::soxr_process) process = nullptr;
    decltype(&::soxr_clear) clear = nullptr;
    decltype(&::soxr_delete) destroy = nullptr;
    decltype(&::soxr_io_spec) ioSpec = nullptr;
    decltype(&::soxr_quality_spec) qualitySpec = nullptr;
    decltype(&::soxr_version) version = nullptr;

    // The library, loaded by the first call and kept; null when it cannot
    // be loaded. Any thread.
    static const SoxrLibrary *get();
};
