#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "savefile/Catalog.h"
#include "savefile/ParseReport.h"

namespace quelvane {

// What a save on display looks fine without being: damage the block-grid check found (and
// read past, or not), a catalog read only in part, and fields tagged with a CCSID that the pair
// in force reads otherwise while text is decoded by the pair. One line each, in that order,
// each naming the check that found it; none for a save read whole, cleanly and legibly.
class SaveWarnings {
  public:
    struct Found {
        std::vector<std::string> lines;
        // Whether the last line says the pair reads the tagged fields otherwise, which Options
        // mend.
        bool pairReadsOtherwise = false;
    };

    // `byStoredCcsid` says whether text is decoded by the CCSIDs stored in the save; `hostPage`
    // is the pair's host page.
    static Found of(const Catalog& catalog, const ParseReport& report, bool byStoredCcsid,
                    std::int32_t hostPage);

    // The pair's host page (a Windows number of an offered Options row) that reads the save's
    // most tagged text CCSID alike; none when no text is tagged or no offered row reads it.
    static std::optional<std::int32_t> suggestedHostPage(const Catalog& catalog);
    // The same for the save in the file `path`, read quietly with the fallback pair before any
    // pair is chosen; none for a file that is no save or larger than kProbedBytes.
    static std::optional<std::int32_t> suggestedHostPage(const std::string& path);
    static constexpr std::int64_t kProbedBytes = std::int64_t{256} << 20;
};

}  // namespace quelvane
