#include "conversion/tables/TableConversionBackend.h"

#include "conversion/CodePageRegistry.h"
#include "conversion/tables/TableDecoder.h"
#include "conversion/tables/TablePcCodec.h"
#include "conversion/tables/Utf8Decoder.h"

namespace quelvane {

TableConversionBackend& TableConversionBackend::instance() {
    static TableConversionBackend backend(tables::generatedCodePageTables());
    return backend;
}

std::unique_ptr<CodePageDecoder> TableConversionBackend::openDecoder(tables::PageKind kind,
                                                                     std::int32_t number) {
    const tables::PageTable* page = tables::findPageTable(tables_, kind, number);
    if (page == nullptr) {
        return nullptr;
    }
    return std::make_unique<tables::TableDecoder>(tables_, *page);
}

std::unique_ptr<CodePageDecoder> TableConversionBackend::openHostPage(std::int32_t windowsCodePage) {
    return openDecoder(tables::PageKind::host, windowsCodePage);
}

std::unique_ptr<PcPageCodec> TableConversionBackend::openPcPage(std::int32_t windowsCodePage) {
    const tables::PageTable* page = tables::findPageTable(tables_, tables::PageKind::pc, windowsCodePage);
    if (page == nullptr) {
        return nullptr;
    }
    std::shared_ptr<const tables::PcEncodeMap> encodeMap;
    {
        const std::lock_guard lock(mutex_);
        auto& cached = encodeMaps_[windowsCodePage];
        if (cached == nullptr) {
            cached = std::make_shared<const tables::PcEncodeMap>(tables_, *page);
        }
        encodeMap = cached;
    }
    return std::make_unique<tables::TablePcCodec>(tables_, *page, std::move(encodeMap));
}

std::unique_ptr<CodePageDecoder> TableConversionBackend::openCcsidPage(std::uint16_t ccsid) {
    if (ccsid == kUtf8Ccsid) {
        return std::make_unique<tables::Utf8Decoder>();
    }
    return openDecoder(tables::PageKind::ccsid, ccsid);
}

// The same tables as the host page or the earlier CCSID that shares the converter, as the
// generator wrote them.
std::unique_ptr<CodePageDecoder> TableConversionBackend::openStoredCcsid(std::uint16_t ccsid) {
    const StoredCcsidEntry* entry = findStoredCcsid(ccsid);
    if (entry == nullptr || entry->converter.empty()) {
        return nullptr;
    }
    if (const HostPageEntry* host = hostPageSharingConverter(*entry)) {
        return openHostPage(host->windowsCodePage);
    }
    return openDecoder(tables::PageKind::stored, firstStoredCcsidSharingConverter(*entry).ccsid);
}

}  // namespace quelvane
