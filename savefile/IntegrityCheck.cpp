#include "savefile/IntegrityCheck.h"

#include "savefile/CodedDataCheck.h"
#include "savefile/SaveFileCheck.h"

namespace quelvane {

IntegrityReport IntegrityCheck::examine(BlockSource& stored, EbcdicTextConverter* converter) {
    IntegrityReport report;
    report.grid = SaveFileCheck::examine(stored);
    if (converter != nullptr && report.grid.verdict == SaveFileVerdict::Clean) {
        report.codedData =
            CodedDataCheck::examine(stored, static_cast<std::int32_t>(report.grid.headerSize), *converter);
    }
    return report;
}

IntegrityReport::Verdict IntegrityReport::verdict() const {
    switch (grid.verdict) {
        case SaveFileVerdict::NotSaveFile:
        case SaveFileVerdict::HeaderTooOld:
            return Verdict::NotSaveFile;
        case SaveFileVerdict::Damaged:
            return Verdict::Damaged;
        case SaveFileVerdict::Clean:
            break;
    }
    if (!codedData.empty()) {
        return Verdict::Damaged;
    }
    return catalog && !catalog->complete() ? Verdict::CatalogUnread : Verdict::Intact;
}

std::vector<std::string> IntegrityReport::lines() const {
    std::vector<std::string> out;
    if (grid.verdict == SaveFileVerdict::Clean && !codedData.empty()) {
        out.push_back("Damaged:");
        for (const std::string& failure : codedData) {
            out.push_back("  Coded data that does not expand: " + failure);
        }
        for (const std::string& line : grid.lines()) {
            out.push_back("  " + (out.size() == 1 + codedData.size()
                                      ? "The block grid is in order: " + line.substr(line.find(": ") + 2)
                                      : line));
        }
        return out;
    }
    out = grid.lines();
    if (verdict() == Verdict::CatalogUnread) {
        out.push_back("The records are intact, but the catalog cannot be read whole: " + catalog->text());
    }
    return out;
}

}  // namespace quelvane
