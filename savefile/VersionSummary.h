#pragma once

#include <string>
#include <vector>

#include "savefile/Catalog.h"

namespace quelvane {

// The lines of the save summary in the content list, in order: the machine, save-command and
// save-detail lines when the file header has a system text, then the version notes.
std::vector<std::string> saveSummaryLines(const SaveFileHeader& header);

}  // namespace quelvane
