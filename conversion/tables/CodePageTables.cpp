#include "conversion/tables/CodePageTables.h"

#include <algorithm>

namespace quelvane::tables {

std::uint16_t unitAt(const CodePageTableSet& tables, std::uint16_t row, std::uint8_t byte) {
    const UnitRow& unitRow = tables.unitRows[row];
    if (unitRow.base != kNoBase) {
        const auto bytes = tables.patchBytes.subspan(unitRow.offset, unitRow.patchCount);
        const auto found = std::lower_bound(bytes.begin(), bytes.end(), byte);
        if (found != bytes.end() && *found == byte) {
            return tables.patchUnits[unitRow.offset + static_cast<std::size_t>(found - bytes.begin())];
        }
        return unitAt(tables, unitRow.base, byte);
    }
    if (byte < unitRow.first || byte > unitRow.last) {
        return unitRow.outside;
    }
    return tables.units[unitRow.offset + (byte - unitRow.first)];
}

const PageTable* findPageTable(const CodePageTableSet& tables, PageKind kind, std::int32_t number) {
    for (const PageTable& page : tables.pages) {
        if (page.kind == kind && page.number == number) {
            return &page;
        }
    }
    return nullptr;
}

}  // namespace quelvane::tables
