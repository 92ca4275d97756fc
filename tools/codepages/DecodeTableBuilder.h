#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "conversion/CodePageDecoder.h"
#include "tools/codepages/TablePools.h"

namespace quelvane::tables {

// Works out the rows of one page by reading every byte and every pair of bytes through a
// decoder of the ICU backend, in each shift state. A byte is a single character when the pair it
// starts always reads as the byte alone followed by the second byte read on its own; otherwise
// it leads, and its row says what each second byte makes of it, and whether the second byte is
// read again (ICU stops an ill-formed sequence before a byte that can start a character).
class DecodeTableBuilder {
  public:
    DecodeTableBuilder(CodePageDecoder& source, TablePools& pools) : source_(source), pools_(pools) {}

    // Sets the shape, state count and rows of `page`; throws std::runtime_error where the
    // page reads in a way the tables cannot hold.
    void build(PageTable& page);

  private:
    struct Decoded {
        Units units;
        std::vector<std::int32_t> offsets;
        bool operator==(const Decoded&) const = default;
    };

    Decoded decodeFrom(std::size_t state, const std::vector<std::uint8_t>& bytes);
    static Decoded followedBy(Decoded head, const Decoded& tail, std::int32_t shift);
    static Units unitsAt(const Decoded& decoded, std::int32_t offset);
    std::optional<std::size_t> singleNextState(std::size_t state, std::uint8_t byte);
    void buildState(std::size_t state, PageTable& page);
    std::uint16_t buildLead(std::size_t state, std::uint8_t lead);
    bool readsSecondAgain(std::size_t state, std::uint8_t lead, std::uint8_t second, const Decoded& pair);

    CodePageDecoder& source_;
    TablePools& pools_;
    std::size_t stateCount_ = 1;
    std::array<std::array<Decoded, kRowLength>, kMaxStates> alone_;
};

}  // namespace quelvane::tables
