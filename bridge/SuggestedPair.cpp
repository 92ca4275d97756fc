#include "bridge/SuggestedPair.h"

#include "conversion/CodePageRegistry.h"
#include "savefile/CatalogTexts.h"
#include "views/StoredCcsidHint.h"

namespace quelvane {

namespace {

// A host row that names no PC page of its own is paired with the Western page.
constexpr std::int32_t kFallbackPcPage = 1252;

}  // namespace

std::optional<std::int32_t> SuggestedPair::hostPageFor(std::uint16_t ccsid) {
    const StoredCcsidEntry* stored = findStoredCcsid(ccsid);
    if (stored == nullptr) {
        return std::nullopt;
    }
    for (std::size_t row = 0; row < kOfferedHostPageCount; ++row) {
        if (kHostPages[row].converter == stored->converter) {
            return kHostPages[row].windowsCodePage;
        }
    }
    for (std::size_t row = 0; row < kOfferedHostPageCount; ++row) {
        if (StoredCcsidHint::readsAlike(ccsid, kHostPages[row].windowsCodePage)) {
            return kHostPages[row].windowsCodePage;
        }
    }
    return std::nullopt;
}

std::optional<SuggestedPair> SuggestedPair::of(const Catalog& catalog) {
    const std::uint16_t ccsid = CatalogTexts::mostTaggedTextCcsid(catalog);
    if (ccsid == 0) {
        return std::nullopt;
    }
    const std::optional<std::int32_t> host = hostPageFor(ccsid);
    const HostPageEntry* entry = host ? findHostPage(*host) : nullptr;
    if (entry == nullptr) {
        return std::nullopt;
    }
    return SuggestedPair{*host, entry->pickedPcPage.value_or(kFallbackPcPage)};
}

}  // namespace quelvane
