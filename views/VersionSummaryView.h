#pragma once

#include "savefile/Catalog.h"
#include "views/ContentList.h"

namespace quelvane {

// Fills the content list with the save summary and the version notes: one column sized to its
// header, one row per line.
void showVersionSummary(ContentList& list, const SaveFileHeader& header);

}  // namespace quelvane
