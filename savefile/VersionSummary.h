#pragma once

#include <string>
#include <vector>

#include "savefile/Catalog.h"

namespace quelvane {

// The lines of the save summary in the content list, in order: the machine and save-command lines
// when the file header has a system text, with a line for each place read past damage, then the
// version notes.
std::vector<std::string> saveSummaryLines(const SaveFileHeader& header);

}  // namespace quelvane
