#include "conversion/tables/TableDecoder.h"

namespace quelvane::tables {

namespace {

std::size_t entryIndex(std::uint16_t row, std::uint8_t byte) {
    return static_cast<std::size_t>(row) * kRowLength + byte;
}

}  // namespace

void TableDecoder::emit(std::uint16_t unit, std::uint8_t flags, std::int32_t offset, std::u16string& out,
                        std::vector<std::int32_t>* offsets) const {
    switch (flags & kActionMask) {
        case kEmitUnit:
            out.push_back(static_cast<char16_t>(unit));
            break;
        case kEmitSequence: {
            const std::uint16_t count = tables_.sequences[unit];
            for (std::uint16_t i = 1; i <= count; ++i) {
                out.push_back(static_cast<char16_t>(tables_.sequences[unit + i]));
            }
            break;
        }
        default:
            break;
    }
    if (offsets != nullptr) {
        offsets->resize(out.size(), offset);
    }
}

void TableDecoder::decode(std::span<const std::uint8_t> bytes, std::u16string& out,
                          std::vector<std::int32_t>* offsets) {
    out.clear();
    if (offsets != nullptr) {
        offsets->clear();
    }
    std::size_t state = 0;
    std::size_t i = 0;
    while (i < bytes.size()) {
        const auto offset = static_cast<std::int32_t>(i);
        const std::uint8_t flags = tables_.flagRows[entryIndex(page_.flagRow[state], bytes[i])];
        const std::uint16_t unit = unitAt(tables_, page_.unitRow[state], bytes[i]);
        if ((flags & kLead) == 0) {
            emit(unit, flags, offset, out, offsets);
            const std::uint8_t next = flags & kStateMask;
            if (next != 0) {
                state = (next >> kStateShift) - 1;
            }
            ++i;
            continue;
        }
        const LeadEntry& lead = tables_.leads[unit];
        if (i + 1 == bytes.size()) {
            emit(lead.truncatedUnit, lead.truncatedAction, offset, out, offsets);
            ++i;
            continue;
        }
        const std::uint8_t trail = bytes[i + 1];
        const std::uint8_t pairFlags = tables_.flagRows[entryIndex(lead.flagRow, trail)];
        emit(unitAt(tables_, lead.unitRow, trail), pairFlags, offset, out, offsets);
        i += (pairFlags & kLeadOnly) != 0 ? 1 : 2;
    }
}

}  // namespace quelvane::tables
