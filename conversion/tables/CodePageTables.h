#pragma once

#include <cstdint>
#include <span>

namespace quelvane::tables {

// The code pages as tables, generated from the ICU backend by tools/CodePageTableGenerator
// (CodePageTableData.cpp) and read by TableDecoder and PcEncodeMap.
//
// Reading is a walk over bytes in at most two shift states (single and double bytes). In each
// state a byte looks up a row of 256 entries: a unit row (UTF-16 units, see UnitRow) and a flag
// row (what the entry does). A lead byte's unit names a LeadEntry, whose rows the next byte looks up. Rows
// are shared by every page that has the same one.

inline constexpr std::size_t kRowLength = 256;

// Flag bits of a row entry.
inline constexpr std::uint8_t kActionMask = 0x03;
inline constexpr std::uint8_t kEmitNothing = 0x00;
inline constexpr std::uint8_t kEmitUnit = 0x01;
// The unit indexes `sequences`: a count, then that many units.
inline constexpr std::uint8_t kEmitSequence = 0x02;
// In a state's row: the byte leads a two-byte sequence.
inline constexpr std::uint8_t kLead = 0x04;
// In a lead's row: the second byte is not part of the sequence and is read again.
inline constexpr std::uint8_t kLeadOnly = 0x08;
// In a state's row: the state after the byte (0 keeps the state).
inline constexpr std::uint8_t kStateShift = 4;
inline constexpr std::uint8_t kStateMask = 0x30;
inline constexpr std::uint8_t kToFirstState = 0x10;
inline constexpr std::uint8_t kToSecondState = 0x20;

// A unit row as stored: the units of bytes `first` to `last` at `offset` in `units`, and
// `outside` for every other byte; or, with a base row, that row with `patchCount` entries
// replaced, whose bytes and units stand at `offset` in `patchBytes` and `patchUnits`. Most rows
// of a page's lead bytes only differ from another page's in a few places.
struct UnitRow {
    std::uint32_t offset;
    std::uint16_t outside;
    std::uint16_t base;
    std::uint8_t first;
    std::uint8_t last;
    std::uint16_t patchCount;
};

inline constexpr std::uint16_t kNoBase = 0xFFFF;

struct LeadEntry {
    std::uint16_t unitRow;
    std::uint16_t flagRow;
    // What the lead byte gives when the text ends after it.
    std::uint16_t truncatedUnit;
    std::uint8_t truncatedAction;
};

// `stored`: a converter of a CCSID a save file tags fields with (kStoredCcsids) that no host
// page shares, numbered by the first CCSID read with it.
enum class PageKind : std::uint8_t { host, pc, ccsid, stored };

inline constexpr std::size_t kMaxStates = 2;
inline constexpr std::size_t kMaxSubstituteBytes = 2;

struct PageTable {
    PageKind kind;
    // The Windows number for host and PC pages, the CCSID for CCSID and stored pages.
    std::int32_t number;
    std::uint8_t shape;  // CodePageDecoder::Shape
    std::uint8_t stateCount;
    std::uint16_t unitRow[kMaxStates];
    std::uint16_t flagRow[kMaxStates];
    // PC pages: what a character the page lacks becomes (unless an exception says otherwise),
    // and what an unpaired surrogate becomes.
    std::uint8_t substitute[kMaxSubstituteBytes];
    std::uint8_t substituteLength;
    std::uint8_t surrogateSubstitute[kMaxSubstituteBytes];
    std::uint8_t surrogateSubstituteLength;
    // What a supplementary character the page lacks becomes.
    std::uint8_t supplementarySubstitute[kMaxSubstituteBytes];
    std::uint8_t supplementarySubstituteLength;
    // The writing of the characters that reading the page does not give back exactly: a
    // character written other than the first byte sequence that reads as it, or not written.
    std::uint32_t firstException;
    std::uint32_t exceptionCount;
};

struct EncodeException {
    std::uint32_t codePoint;
    std::uint8_t bytes[kMaxSubstituteBytes];
    std::uint8_t length;
    // The page lacks the character: `bytes` are its substitute.
    bool unmapped;
};

struct CodePointRange {
    std::uint32_t first;
    std::uint32_t last;
};

struct CodePageTableSet {
    std::span<const UnitRow> unitRows;
    std::span<const std::uint16_t> units;
    std::span<const std::uint8_t> patchBytes;
    std::span<const std::uint16_t> patchUnits;
    std::span<const std::uint8_t> flagRows;
    std::span<const LeadEntry> leads;
    std::span<const std::uint16_t> sequences;
    std::span<const PageTable> pages;
    // By page, each page's sorted by code point.
    std::span<const EncodeException> exceptions;
    // The default-ignorable characters, which the dropping substitutions leave out.
    std::span<const CodePointRange> ignorable;
};

const CodePageTableSet& generatedCodePageTables();

// The unit of `byte` in unit row `row`.
std::uint16_t unitAt(const CodePageTableSet& tables, std::uint16_t row, std::uint8_t byte);

const PageTable* findPageTable(const CodePageTableSet& tables, PageKind kind, std::int32_t number);

}  // namespace quelvane::tables
