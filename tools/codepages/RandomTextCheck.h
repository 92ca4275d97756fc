#pragma once

#include "conversion/tables/CodePageTables.h"

namespace quelvane::tables {

// Reads random byte strings through every page of `tables` and through the ICU backend, and
// writes random UTF-16 text through every PC page both ways, under each substitution; throws
// std::runtime_error naming the page and the text at the first difference.
void checkAgainstIcu(const CodePageTableSet& tables);

}  // namespace quelvane::tables
