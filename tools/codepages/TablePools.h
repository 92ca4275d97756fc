#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "conversion/tables/CodePageTables.h"

namespace quelvane::tables {

// What one byte step gives: the UTF-16 units it emits, as a row entry stores them.
using Units = std::u16string;

// The shared rows, leads and sequences of every page, each stored once, and the pages and
// their exceptions in the order they are added.
class TablePools {
  public:
    TablePools();

    // `kin` groups rows that tend to differ little (the rows of one lead byte in every page):
    // a row is stored as a patch of a row of its kin where that is shorter.
    std::uint16_t addUnitRow(const std::array<std::uint16_t, kRowLength>& row, int kin);
    std::uint16_t addFlagRow(const std::array<std::uint8_t, kRowLength>& row);
    std::uint16_t addLead(const LeadEntry& lead);
    // The unit and action that make a row entry emit `units`.
    std::pair<std::uint16_t, std::uint8_t> entryFor(const Units& units);

    std::vector<PageTable> pages;
    std::vector<EncodeException> exceptions;
    std::vector<CodePointRange> ignorable;

    // A view of everything added so far; valid until the next addition.
    CodePageTableSet view() const;

    const std::vector<UnitRow>& unitRows() const { return unitRows_; }
    const std::vector<std::uint16_t>& units() const { return units_; }
    const std::vector<std::uint8_t>& patchBytes() const { return patchBytes_; }
    const std::vector<std::uint16_t>& patchUnits() const { return patchUnits_; }
    const std::vector<std::uint8_t>& flagRows() const { return flagRows_; }
    const std::vector<LeadEntry>& leads() const { return leads_; }
    const std::vector<std::uint16_t>& sequences() const { return sequences_; }

  private:
    using Row = std::array<std::uint16_t, kRowLength>;

    bool addAsPatch(const Row& row, int kin);
    void addPlain(const Row& row);

    std::vector<UnitRow> unitRows_;
    std::vector<std::uint16_t> units_;
    std::vector<std::uint8_t> patchBytes_;
    std::vector<std::uint16_t> patchUnits_;
    // Every row in full, and the plain rows of each kin.
    std::vector<Row> fullRows_;
    std::map<int, std::vector<std::uint16_t>> plainRowsOfKin_;
    std::vector<std::uint8_t> flagRows_;
    std::vector<LeadEntry> leads_;
    std::vector<std::uint16_t> sequences_;
    std::map<std::array<std::uint16_t, kRowLength>, std::uint16_t> unitRowIndex_;
    std::map<std::array<std::uint8_t, kRowLength>, std::uint16_t> flagRowIndex_;
    std::map<std::tuple<std::uint16_t, std::uint16_t, std::uint16_t, std::uint8_t>, std::uint16_t> leadIndex_;
    std::map<Units, std::uint16_t> sequenceIndex_;
};

}  // namespace quelvane::tables
