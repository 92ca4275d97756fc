#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace quelvane {

// One code page opened for reading: bytes to UTF-16. How a byte sequence the page does not map
// reads is fixed when the page is opened (see ConversionBackend). Not safe for use by two
// threads at once.
class CodePageDecoder {
  public:
    enum class Shape {
        // Every byte is one character.
        singleByte,
        // Lead and trail bytes; each character reads the same wherever it stands.
        multiByte,
        // Shift-out (0x0E) and shift-in (0x0F) switch between single and double bytes.
        shiftStates,
    };

    virtual ~CodePageDecoder() = default;

    virtual Shape shape() const = 0;

    // Replaces `out` with `bytes` read from the page's initial shift state to their end; a
    // character cut by the end reads as an unmapped sequence. `offsets`, when given, receives
    // for each UTF-16 unit the index of the first byte of the sequence it comes from.
    virtual void decode(std::span<const std::uint8_t> bytes, std::u16string& out,
                        std::vector<std::int32_t>* offsets) = 0;
};

}  // namespace quelvane
