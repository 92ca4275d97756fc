#pragma once

#include <optional>
#include <string>
#include <vector>

#include "conversion/EbcdicTextConverter.h"
#include "savefile/BlockSource.h"
#include "savefile/ParseReport.h"
#include "savefile/SaveFileCheckReport.h"

namespace quelvane {

// Whether a save file is what the system wrote, and what follows from that: the block grid and
// every record's own check (SaveFileCheck), the coded data of a compressed save expanding whole
// (CodedDataCheck), and, where the caller read it, whether the catalog could be read. The one
// report the command line, the window and the page give.
struct IntegrityReport {
    enum class Verdict {
        Intact,         // every record as the system wrote it, the coded data expands, the catalog reads
        CatalogUnread,  // every record intact, but the catalog could not be read whole
        Damaged,
        NotSaveFile,  // not a save file, or one whose header is too old to read
    };

    SaveFileCheckReport grid;
    // "segment NAME: reason" for each compressed segment that does not expand.
    std::vector<std::string> codedData;
    // How reading the catalog ended, where the caller read it.
    std::optional<ParseReport> catalog;

    Verdict verdict() const;
    // The report, the verdict first, findings indented below it.
    std::vector<std::string> lines() const;
};

class IntegrityCheck {
  public:
    // Examines the stored bytes in one pass over the records, then expands the coded data of a
    // compressed save when `converter` is given (the segment names are read through it).
    static IntegrityReport examine(BlockSource& stored, EbcdicTextConverter* converter);
};

}  // namespace quelvane
