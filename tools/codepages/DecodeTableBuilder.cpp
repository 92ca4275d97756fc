#include "tools/codepages/DecodeTableBuilder.h"

#include <stdexcept>
#include <string>

namespace quelvane::tables {

namespace {

// The shift-out byte that enters the double-byte state of a host page.
constexpr std::uint8_t kShiftOut = 0x0E;
// Bytes read after an ambiguous pair to tell whether its second byte was read again.
constexpr std::array<std::uint8_t, 5> kProbes = {0x41, 0xC1, 0x81, 0x0E, 0x0F};
// The rows of a state are kin to the same state's rows of other pages, a lead's to the rows of
// the same lead byte.
constexpr int kStateRowKin = 0x100;

std::string hex(std::size_t value) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    return {kDigits[(value >> 4) & 0xF], kDigits[value & 0xF]};
}

}  // namespace

DecodeTableBuilder::Decoded DecodeTableBuilder::decodeFrom(std::size_t state,
                                                           const std::vector<std::uint8_t>& bytes) {
    std::vector<std::uint8_t> text;
    if (state == 1) {
        text.push_back(kShiftOut);
    }
    const auto prefix = static_cast<std::int32_t>(text.size());
    text.insert(text.end(), bytes.begin(), bytes.end());
    Decoded decoded;
    source_.decode(text, decoded.units, &decoded.offsets);
    for (std::int32_t& offset : decoded.offsets) {
        offset -= prefix;
        if (offset < 0) {
            throw std::runtime_error("the shift-out byte itself gives characters");
        }
    }
    return decoded;
}

DecodeTableBuilder::Decoded DecodeTableBuilder::followedBy(Decoded head, const Decoded& tail,
                                                           std::int32_t shift) {
    head.units += tail.units;
    for (std::int32_t offset : tail.offsets) {
        head.offsets.push_back(offset + shift);
    }
    return head;
}

Units DecodeTableBuilder::unitsAt(const Decoded& decoded, std::int32_t offset) {
    Units units;
    for (std::size_t i = 0; i < decoded.units.size(); ++i) {
        if (decoded.offsets[i] == offset) {
            units.push_back(decoded.units[i]);
        }
    }
    return units;
}

void DecodeTableBuilder::build(PageTable& page) {
    const auto shape = source_.shape();
    page.shape = static_cast<std::uint8_t>(shape);
    stateCount_ = shape == CodePageDecoder::Shape::shiftStates ? kMaxStates : 1;
    page.stateCount = static_cast<std::uint8_t>(stateCount_);
    for (std::size_t state = 0; state < stateCount_; ++state) {
        for (std::size_t byte = 0; byte < kRowLength; ++byte) {
            alone_[state][byte] = decodeFrom(state, {static_cast<std::uint8_t>(byte)});
        }
    }
    for (std::size_t state = 0; state < stateCount_; ++state) {
        buildState(state, page);
    }
    for (std::size_t state = stateCount_; state < kMaxStates; ++state) {
        page.unitRow[state] = page.unitRow[0];
        page.flagRow[state] = page.flagRow[0];
    }
}

// The state a byte read as a single character leaves, if it is one.
std::optional<std::size_t> DecodeTableBuilder::singleNextState(std::size_t state, std::uint8_t byte) {
    if (source_.shape() == CodePageDecoder::Shape::singleByte) {
        return state;
    }
    for (std::size_t step = 0; step < stateCount_; ++step) {
        const std::size_t next = (state + step) % stateCount_;
        bool holds = true;
        for (std::size_t second = 0; second < kRowLength && holds; ++second) {
            holds = decodeFrom(state, {byte, static_cast<std::uint8_t>(second)}) ==
                    followedBy(alone_[state][byte], alone_[next][second], 1);
        }
        if (holds) {
            return next;
        }
    }
    return std::nullopt;
}

void DecodeTableBuilder::buildState(std::size_t state, PageTable& page) {
    std::array<std::uint16_t, kRowLength> units{};
    std::array<std::uint8_t, kRowLength> flags{};
    for (std::size_t byte = 0; byte < kRowLength; ++byte) {
        const auto value = static_cast<std::uint8_t>(byte);
        const std::optional<std::size_t> next = singleNextState(state, value);
        if (!next) {
            units[byte] = buildLead(state, value);
            flags[byte] = kLead;
            continue;
        }
        const auto [unit, action] = pools_.entryFor(alone_[state][byte].units);
        units[byte] = unit;
        flags[byte] = action;
        if (*next != state) {
            flags[byte] |= *next == 0 ? kToFirstState : kToSecondState;
        }
        if (alone_[state][byte].units.size() != unitsAt(alone_[state][byte], 0).size()) {
            throw std::runtime_error("byte " + hex(byte) + " gives characters at another offset");
        }
    }
    page.unitRow[state] = pools_.addUnitRow(units, kStateRowKin + static_cast<int>(state));
    page.flagRow[state] = pools_.addFlagRow(flags);
}

std::uint16_t DecodeTableBuilder::buildLead(std::size_t state, std::uint8_t lead) {
    std::array<std::uint16_t, kRowLength> units{};
    std::array<std::uint8_t, kRowLength> flags{};
    for (std::size_t second = 0; second < kRowLength; ++second) {
        const auto value = static_cast<std::uint8_t>(second);
        const Decoded pair = decodeFrom(state, {lead, value});
        const auto [unit, action] = pools_.entryFor(unitsAt(pair, 0));
        units[second] = unit;
        flags[second] = action;
        if (readsSecondAgain(state, lead, value, pair)) {
            flags[second] |= kLeadOnly;
        }
    }
    const Decoded& truncated = alone_[state][lead];
    const auto [truncatedUnit, truncatedAction] = pools_.entryFor(truncated.units);
    return pools_.addLead(
        {pools_.addUnitRow(units, lead), pools_.addFlagRow(flags), truncatedUnit, truncatedAction});
}

bool DecodeTableBuilder::readsSecondAgain(std::size_t state, std::uint8_t lead, std::uint8_t second,
                                          const Decoded& pair) {
    const Decoded first{unitsAt(pair, 0), std::vector<std::int32_t>(unitsAt(pair, 0).size(), 0)};
    const bool again = followedBy(first, alone_[state][second], 1) == pair;
    const bool whole = pair == first;
    if (again && whole) {
        // The second byte gives nothing read alone (a shift byte): the bytes after it tell.
        for (std::uint8_t probe : kProbes) {
            const Decoded three = decodeFrom(state, {lead, second, probe});
            if (followedBy(first, alone_[state][probe], 2) != three) {
                return true;
            }
        }
        return false;
    }
    if (!again && !whole) {
        throw std::runtime_error("pair " + hex(lead) + hex(second) +
                                 " reads as neither one nor two characters");
    }
    return again;
}

}  // namespace quelvane::tables
