// The data-translation module ("trnsdt.dll"): one request block per call. The program sends
// it the double-byte PC code pages; it maps any pair it knows.

#include <cerrno>
#include <cstdint>

#include "conversion/ModuleInterface.h"
#include "conversion/modules/MapperCache.h"

using quelvane::modules::MapperCache;

#define QUELVANE_MODULE_EXPORT extern "C" __attribute__((visibility("default")))

QUELVANE_MODULE_EXPORT std::uint16_t TrnsDt(quelvane::TrnsDtRequest* request) {
    if (request == nullptr || request->requestCode != quelvane::kTrnsDtRequestCode ||
        request->reserved1 != 0 || request->reserved2 != 0 ||
        request->direction != quelvane::kTrnsDtHostToPc ||
        request->options != quelvane::kTrnsDtSubstituteUnmapped ||
        (request->sourceLength > 0 && request->source == nullptr) ||
        (request->targetLength > 0 && request->target == nullptr)) {
        return EINVAL;
    }
    std::size_t produced = 0;
    if (!MapperCache::instance().map(request->ebcdicCodePage, request->pcCodePage, request->source,
                                     request->sourceLength, request->target, request->targetLength,
                                     produced)) {
        return ENOTSUP;
    }
    return 0;
}
