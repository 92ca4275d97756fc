#pragma once

#include <ostream>

#include "tools/codepages/TablePools.h"

namespace quelvane::tables {

// Writes conversion/tables/CodePageTableData.cpp: the pools as C++ arrays and the table set
// over them.
void writeTableSource(const TablePools& pools, std::ostream& out);

}  // namespace quelvane::tables
