#pragma once

#include <cstdint>
#include <vector>

namespace quelvane::test {

// `size` bytes of 120-byte EBCDIC records of the kind a physical file member holds: a name in a
// character field padded with blanks, zoned and packed numbers, a date, a code from a short
// list and a free-text field mostly blank. A fixed seed makes the same bytes every time.
std::vector<std::uint8_t> generatedRecords(std::size_t size);

}  // namespace quelvane::test
