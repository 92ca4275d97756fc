// The national-language-support module ("TRNNLS.DLL"): single calls that map host text to a
// PC code page.

#include <cerrno>
#include <cstdint>

#include "conversion/ModuleInterface.h"
#include "conversion/modules/MapperCache.h"

using quelvane::modules::MapperCache;

#define QUELVANE_MODULE_EXPORT extern "C" __attribute__((visibility("default")))

QUELVANE_MODULE_EXPORT std::int32_t SnaNlsInit(std::int32_t ebcdicCodePage) {
    if (ebcdicCodePage == 0) {
        return 1;
    }
    // The PC side is named on every call; any PC page proves the host page here.
    return MapperCache::instance().supports(ebcdicCodePage, 0) ? 1 : 0;
}

QUELVANE_MODULE_EXPORT std::int32_t SnaNlsMapString(const std::uint8_t* source, std::uint8_t* target,
                                                    std::int32_t ebcdicCodePage, std::int32_t pcCodePage,
                                                    std::int32_t sourceLength, std::int32_t targetLength,
                                                    std::int32_t sourceKind, std::int32_t targetKind,
                                                    std::int32_t* state) {
    if (sourceLength < 0 || targetLength < 0 || (sourceLength > 0 && source == nullptr) ||
        (targetLength > 0 && target == nullptr) || sourceKind != quelvane::kSnaNlsHostText ||
        targetKind != quelvane::kSnaNlsPcText || state == nullptr ||
        *state != quelvane::kSnaNlsSubstituteUnmapped) {
        errno = EINVAL;
        return 0;
    }
    std::size_t produced = 0;
    if (!MapperCache::instance().map(ebcdicCodePage, pcCodePage, source,
                                     static_cast<std::size_t>(sourceLength), target,
                                     static_cast<std::size_t>(targetLength), produced)) {
        errno = ENOTSUP;
        return 0;
    }
    *state = static_cast<std::int32_t>(produced);
    return 1;
}
