#pragma once

#include <cstdint>
#include <string>

#include "conversion/PcTextToUtf8.h"
#include "extract/ExtractOutcome.h"
#include "savefile/Catalog.h"
#include "savefile/CatalogTexts.h"

namespace quelvane {

// The catalog of a save file as JSON: the save summary (system text, save command, machine,
// header size, block count, how the data is stored, when, where and by which release it was
// saved), the parts with their objects (name, type code, type text, attribute, description text,
// owner, creation and source details, record format) and members (name, type, text, record
// count, dates); for a save of the integrated file system, its entries (path, type, size, owner,
// CCSID, times). Given an extraction's outcome, each member and object also says the file and
// table written or why nothing was, each entry the file written below the folder or that none was, and a list
// says what could not be extracted and why. Texts are UTF-8.
class CatalogJson {
  public:
    // A physical file also carries its "file" description (FileDescriptionJson), texts read in
    // their stored CCSIDs, those without one in `hostPage`.
    // Objects' and members' texts come from `texts` (read by stored CCSID or by the pair); null,
    // by the pair.
    static std::string text(const Catalog& catalog, PcTextToUtf8& utf8,
                            const ExtractOutcome* outcome = nullptr, std::int32_t hostPage = kDefaultHostPage,
                            CatalogTexts* texts = nullptr);
    static constexpr std::int32_t kDefaultHostPage = 37;
};

}  // namespace quelvane
