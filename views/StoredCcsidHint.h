#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "savefile/Catalog.h"

namespace quelvane {

// What the status bar says once when a save opens whose character fields mostly carry one
// CCSID that the chosen host page does not read alike, so that Options' decoding by stored
// CCSID is worth knowing of.
class StoredCcsidHint {
  public:
    // "Fields are tagged CCSID 5026 (Japanese); Options can decode by CCSID", or nothing: when
    // no more than half of the character and graphic fields of the save's physical files carry
    // CCSIDs of one language of the registry's map, or when those read as `hostPage` (the same
    // converter, or one of the same language).
    static std::optional<std::string> note(const Catalog& catalog, std::int32_t hostPage);

    // Whether text tagged `ccsid` reads alike in host page `hostPage`.
    static bool readsAlike(std::uint16_t ccsid, std::int32_t hostPage);
};

}  // namespace quelvane
