#pragma once

#include <string>
#include <vector>

#include "savefile/Catalog.h"

namespace quelvane {

// The lines of the save summary in the content list, in order: when the file header has a system
// text, the machine and save-command lines and "-", then how the data is stored, a line for
// each place read past damage (or damage found) and the save's details; then the version notes.
std::vector<std::string> saveSummaryLines(const SaveFileHeader& header);

}  // namespace quelvane
