#include "tools/codepages/TablePools.h"

#include <limits>
#include <optional>
#include <stdexcept>

namespace quelvane::tables {

namespace {

// A patch entry's byte and unit, against the unit of a plain row.
constexpr std::size_t kPatchEntryBytes = 3;

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

std::uint16_t TablePools::addUnitRow(const Row& row, int kin) {
    const auto [found, added] = unitRowIndex_.try_emplace(row, checkedIndex(unitRows_.size()));
    if (!added) {
        return found->second;
    }
    if (!addAsPatch(row, kin)) {
        addPlain(row);
        plainRowsOfKin_[kin].push_back(found->second);
    }
    fullRows_.push_back(row);
    return found->second;
}

// A patch entry costs a byte and a unit; a plain row two bytes a unit between its ends.
bool TablePools::addAsPatch(const Row& row, int kin) {
    std::optional<std::uint16_t> best;
    std::size_t fewest = kRowLength;
    for (std::uint16_t candidate : plainRowsOfKin_[kin]) {
        const Row& base = fullRows_[candidate];
        std::size_t differences = 0;
        for (std::size_t i = 0; i < kRowLength && differences < fewest; ++i) {
            differences += base[i] != row[i] ? 1 : 0;
        }
        if (differences < fewest) {
            fewest = differences;
            best = candidate;
        }
    }
    if (!best || fewest * kPatchEntryBytes >= kRowLength) {
        return false;
    }
    UnitRow unitRow{
        static_cast<std::uint32_t>(patchBytes_.size()), 0, *best, 0, 0, static_cast<std::uint16_t>(fewest)};
    for (std::size_t i = 0; i < kRowLength; ++i) {
        if (fullRows_[*best][i] != row[i]) {
            patchBytes_.push_back(static_cast<std::uint8_t>(i));
            patchUnits_.push_back(row[i]);
        }
    }
    unitRows_.push_back(unitRow);
    return true;
}

// The unit at either end stands for every byte outside the span that differs from it.
void TablePools::addPlain(const Row& row) {
    UnitRow best{};
    std::size_t shortest = kRowLength + 1;
    for (std::uint16_t outside : {row.front(), row.back()}) {
        std::size_t first = 0;
        while (first < kRowLength && row[first] == outside) {
            ++first;
        }
        std::size_t last = kRowLength;
        while (last > first && row[last - 1] == outside) {
            --last;
        }
        const std::size_t length = last - first;
        if (length < shortest) {
            shortest = length;
            best = {static_cast<std::uint32_t>(units_.size()),
                    outside,
                    kNoBase,
                    static_cast<std::uint8_t>(length == 0 ? 1 : first),
                    static_cast<std::uint8_t>(length == 0 ? 0 : last - 1),
                    0};
        }
    }
    units_.insert(units_.end(), row.begin() + best.first, row.begin() + best.first + shortest);
    unitRows_.push_back(best);
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
    return {unitRows_, units_,     patchBytes_, patchUnits_, flagRows_,
            leads_,    sequences_, pages,       exceptions,  ignorable};
}

}  // namespace quelvane::tables
