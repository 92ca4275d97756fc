#include "views/SaveWarnings.h"

#include "conversion/CodePageRegistry.h"
#include "conversion/InProcessTextConverter.h"
#include "savefile/CatalogTexts.h"
#include "savefile/FileBlockSource.h"
#include "views/OpenedSave.h"
#include "views/StoredCcsidHint.h"

namespace quelvane {

namespace {

// The pair texts are read with before one is chosen: only the tags count here.
constexpr std::int32_t kProbeEbcdic = 37;
constexpr std::int32_t kProbePc = 1252;

constexpr std::string_view kCheckReport = " Tools > Check save file gives the whole report.";

bool offered(const HostPageEntry& host) {
    return !host.optionText.empty();
}

}  // namespace

SaveWarnings::Found SaveWarnings::of(const Catalog& catalog, const ParseReport& report, bool byStoredCcsid,
                                     std::int32_t hostPage) {
    Found found;
    std::vector<std::string>& lines = found.lines;
    for (const std::string& note : catalog.header.damageNotes) {
        lines.push_back("Block-grid check: " + note + "; what lies past it may read wrongly." +
                        std::string(kCheckReport));
    }
    if (report.accepted && !report.complete()) {
        lines.push_back("Segment walk: the catalog was read only in part (" + report.text() +
                        "); objects past that point are missing.");
    }
    if (!byStoredCcsid) {
        if (const auto note = StoredCcsidHint::note(catalog, hostPage)) {
            lines.push_back("Stored CCSIDs: " + *note + ".");
            found.pairReadsOtherwise = true;
        }
    }
    return found;
}

std::optional<std::int32_t> SaveWarnings::suggestedHostPage(const Catalog& catalog) {
    const StoredCcsidEntry* stored = findStoredCcsid(CatalogTexts::mostTaggedTextCcsid(catalog));
    if (stored == nullptr) {
        return std::nullopt;
    }
    for (const HostPageEntry& host : kHostPages) {
        if (offered(host) && host.converter == stored->converter) {
            return host.windowsCodePage;
        }
    }
    for (const HostPageEntry& host : kHostPages) {
        if (offered(host) && StoredCcsidHint::readsAlike(stored->ccsid, host.windowsCodePage)) {
            return host.windowsCodePage;
        }
    }
    return std::nullopt;
}

std::optional<std::int32_t> SaveWarnings::suggestedHostPage(const std::string& path) {
    if (FileBlockSource(path).size() > kProbedBytes) {
        return std::nullopt;
    }
    InProcessTextConverter converter;
    converter.EbcdicCodePage = kProbeEbcdic;
    converter.PcCodePage = kProbePc;
    SilentNotifier quiet;
    OpenedSave save;
    if (save.open([path] { return std::make_unique<FileBlockSource>(path); }, path, converter, quiet) !=
        OpenedSave::Outcome::Opened) {
        return std::nullopt;
    }
    return suggestedHostPage(save.catalog());
}

}  // namespace quelvane
