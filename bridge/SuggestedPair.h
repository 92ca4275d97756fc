#pragma once

#include <cstdint>
#include <optional>

#include "savefile/Catalog.h"

namespace quelvane {

// The code-page pair a save's own texts point to, for a page that has never been told one: the
// Options row of the host page that reads the save's most tagged text CCSID (the row with the
// same converter, else the first of the same language), with the PC page that row picks. None
// when the save tags no text, or tags it with a CCSID no offered row reads.
struct SuggestedPair {
    std::int32_t ebcdic = 0;
    std::int32_t pc = 0;

    static std::optional<SuggestedPair> of(const Catalog& catalog);
    // The host row for text tagged `ccsid`, as a Windows number of kHostPages.
    static std::optional<std::int32_t> hostPageFor(std::uint16_t ccsid);
};

}  // namespace quelvane
