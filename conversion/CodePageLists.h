#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace quelvane {

// The two code-page lists the user picks the conversion pair from, as CodePageRegistry.h lists
// the pages.

struct CcsidRow {
    std::string_view text;
    // The PC list row a change of selection to this row picks; none leaves the PC row as it is.
    std::optional<int> pcRow;
};

inline constexpr std::size_t kCcsidRowCount = 38;
inline constexpr std::size_t kPcCodePageRowCount = 31;

extern const std::array<CcsidRow, kCcsidRowCount> kCcsidRows;
// The last row is empty: picking it leaves no PC code page to read.
extern const std::array<std::string_view, kPcCodePageRowCount> kPcCodePageRows;

// The Windows code page of a CCSID row: characters 8 to 12 (1-based), blanks trimmed. The rows
// can also be typed, so any text is accepted; the field text is what a message quotes.
std::string_view ebcdicCodePageField(std::string_view rowText);
std::optional<std::int32_t> ebcdicCodePageOfRow(std::string_view rowText);

// The code page of a PC row: its first five characters, blanks trimmed.
std::string_view pcCodePageField(std::string_view rowText);
std::optional<std::int32_t> pcCodePageOfRow(std::string_view rowText);

// A decimal integer with an optional sign and nothing else; none for any other text.
std::optional<std::int32_t> parseDecimal(std::string_view text);

}  // namespace quelvane
