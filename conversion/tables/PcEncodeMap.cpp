#include "conversion/tables/PcEncodeMap.h"

#include <algorithm>

namespace quelvane::tables {

namespace {

constexpr char32_t kFirstSupplementary = 0x10000;

std::size_t entryIndex(std::uint16_t row, std::size_t byte) {
    return static_cast<std::size_t>(row) * kRowLength + byte;
}

PcEncodeMap::Written writtenOf(const EncodeException& exception) {
    return {{exception.bytes[0], exception.bytes[1]}, exception.length, exception.unmapped};
}

}  // namespace

PcEncodeMap::PcEncodeMap(const CodePageTableSet& tables, const PageTable& page)
    : bmp_(kBmpSize), set_(kBmpSize, false) {
    substitute_ = {{page.substitute[0], page.substitute[1]}, page.substituteLength, true};
    supplementarySubstitute_ = {{page.supplementarySubstitute[0], page.supplementarySubstitute[1]},
                                page.supplementarySubstituteLength,
                                true};
    std::fill(bmp_.begin(), bmp_.end(), substitute_);
    readBackwards(tables, page);
    const auto exceptions = tables.exceptions.subspan(page.firstException, page.exceptionCount);
    const auto firstSupplementary =
        std::find_if(exceptions.begin(), exceptions.end(),
                     [](const EncodeException& e) { return e.codePoint >= kFirstSupplementary; });
    for (auto it = exceptions.begin(); it != firstSupplementary; ++it) {
        bmp_[it->codePoint] = writtenOf(*it);
    }
    supplementary_ = {firstSupplementary, exceptions.end()};
}

void PcEncodeMap::set(std::uint16_t unit, std::uint8_t first, std::uint8_t second, std::uint8_t length) {
    if (set_[unit]) {
        return;
    }
    set_[unit] = true;
    bmp_[unit] = {{first, second}, length, false};
}

void PcEncodeMap::readBackwards(const CodePageTableSet& tables, const PageTable& page) {
    const std::uint16_t unitRow = page.unitRow[0];
    const std::uint16_t flagRow = page.flagRow[0];
    for (std::size_t byte = 0; byte < kRowLength; ++byte) {
        const std::uint8_t flags = tables.flagRows[entryIndex(flagRow, byte)];
        if ((flags & kLead) == 0 && (flags & kActionMask) == kEmitUnit) {
            set(unitAt(tables, unitRow, static_cast<std::uint8_t>(byte)), static_cast<std::uint8_t>(byte), 0,
                1);
        }
    }
    for (std::size_t byte = 0; byte < kRowLength; ++byte) {
        const std::uint8_t flags = tables.flagRows[entryIndex(flagRow, byte)];
        if ((flags & kLead) == 0) {
            continue;
        }
        const LeadEntry& lead = tables.leads[unitAt(tables, unitRow, static_cast<std::uint8_t>(byte))];
        for (std::size_t trail = 0; trail < kRowLength; ++trail) {
            const std::uint8_t pairFlags = tables.flagRows[entryIndex(lead.flagRow, trail)];
            if ((pairFlags & kLeadOnly) == 0 && (pairFlags & kActionMask) == kEmitUnit) {
                set(unitAt(tables, lead.unitRow, static_cast<std::uint8_t>(trail)),
                    static_cast<std::uint8_t>(byte), static_cast<std::uint8_t>(trail), 2);
            }
        }
    }
}

PcEncodeMap::Written PcEncodeMap::lookup(char32_t codePoint) const {
    if (codePoint < kFirstSupplementary) {
        return bmp_[codePoint];
    }
    const auto found = std::lower_bound(supplementary_.begin(), supplementary_.end(), codePoint,
                                        [](const EncodeException& e, char32_t c) { return e.codePoint < c; });
    if (found != supplementary_.end() && found->codePoint == codePoint) {
        return writtenOf(*found);
    }
    return supplementarySubstitute_;
}

}  // namespace quelvane::tables
