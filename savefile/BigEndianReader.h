#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "savefile/DecodingFailure.h"

namespace quelvane {

// The only way the core takes numbers and byte runs out of save-file bytes. Every save-file
// number is unsigned big-endian; readers that follow the format keep them in signed 32-bit
// integers, so u32 values with the top bit set come back negative from `s32` and callers must
// check them before using them as sizes or offsets. Any read outside the span raises
// DecodingFailure instead of touching memory it does not own.
class BigEndianReader {
  public:
    explicit BigEndianReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

    std::size_t size() const { return bytes_.size(); }
    std::span<const std::uint8_t> bytes() const { return bytes_; }

    // True when [offset, offset + count) lies inside the span. Negative offsets never do.
    bool contains(std::int64_t offset, std::int64_t count) const {
        return offset >= 0 && count >= 0 && static_cast<std::uint64_t>(offset) <= bytes_.size() &&
               static_cast<std::uint64_t>(count) <= bytes_.size() - static_cast<std::uint64_t>(offset);
    }

    std::uint8_t u8(std::int64_t offset) const { return at(offset, 1)[0]; }

    std::uint32_t u16(std::int64_t offset) const { return unsignedValue(offset, 2); }
    std::uint32_t u24(std::int64_t offset) const { return unsignedValue(offset, 3); }
    std::uint32_t u32(std::int64_t offset) const { return unsignedValue(offset, 4); }

    // A 4-byte number held in a signed 32-bit integer, as the catalog keeps counts and offsets.
    std::int32_t s32(std::int64_t offset) const { return static_cast<std::int32_t>(u32(offset)); }

    // `count` bytes from `offset`; raises DecodingFailure when they are not all inside.
    std::span<const std::uint8_t> at(std::int64_t offset, std::int64_t count) const {
        if (!contains(offset, count)) {
            throw DecodingFailure("read outside the collected bytes");
        }
        return bytes_.subspan(static_cast<std::size_t>(offset), static_cast<std::size_t>(count));
    }

  private:
    std::uint32_t unsignedValue(std::int64_t offset, int width) const {
        std::uint32_t value = 0;
        for (std::uint8_t byte : at(offset, width)) {
            value = (value << 8) | byte;
        }
        return value;
    }

    std::span<const std::uint8_t> bytes_;
};

}  // namespace quelvane
