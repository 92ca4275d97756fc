#include "tools/codepages/TablePools.h"

#include <limits>
#include <stdexcept>

namespace quelvane::tables {

namespace {

template <typename Index>
std::uint16_t checkedIndex(Index index) {
    if (index > std::numeric_limits<std::uint16_t>::max()) {
        throw std::runtime_error("more rows than a 16-bit index can name");
    }
    return static_cast<std::uint16_t>(index);
}

}  // namespace

TablePools::TablePools() {
    // Index 0 of the sequences is never used by an entry, so an empty pool still has an element.
    sequences_.push_back(0);
}

std::uint16_t TablePools::addUnitRow(const std::array<std::uint16_t, kRowLength>& row) {
    const auto [found, added] = unitRowIndex_.try_emplace(row, checkedIndex(unitRows_.size() / kRowLength));
    if (added) {
        unitRows_.insert(unitRows_.end(), row.begin(), row.end());
    }
    return found->second;
}

std::uint16_t TablePools::addFlagRow(const std::array<std::uint8_t, kRowLength>& row) {
    const auto [found, added] = flagRowIndex_.try_emplace(row, checkedIndex(flagRows_.size() / kRowLength));
    if (added) {
        flagRows_.insert(flagRows_.end(), row.begin(), row.end());
    }
    return found->second;
}

std::uint16_t TablePools::addLead(const LeadEntry& lead) {
    const auto key = std::make_tuple(lead.unitRow, lead.flagRow, lead.truncatedUnit, lead.truncatedAction);
    const auto [found, added] = leadIndex_.try_emplace(key, checkedIndex(leads_.size()));
    if (added) {
        leads_.push_back(lead);
    }
    return found->second;
}

std::pair<std::uint16_t, std::uint8_t> TablePools::entryFor(const Units& units) {
    if (units.empty()) {
        return {0, kEmitNothing};
    }
    if (units.size() == 1) {
        return {units[0], kEmitUnit};
    }
    const auto [found, added] = sequenceIndex_.try_emplace(units, checkedIndex(sequences_.size()));
    if (added) {
        sequences_.push_back(checkedIndex(units.size()));
        sequences_.insert(sequences_.end(), units.begin(), units.end());
    }
    return {found->second, kEmitSequence};
}

CodePageTableSet TablePools::view() const {
    return {unitRows_, flagRows_, leads_, sequences_, pages, exceptions, ignorable};
}

}  // namespace quelvane::tables
