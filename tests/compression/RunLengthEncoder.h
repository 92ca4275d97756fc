#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace quelvane::test {

// Encodes data in the run-length code the decoder reads: runs of three or more equal bytes as
// blank (0x80-0xBF) or repeat (0xC0-0xFF) controls of up to 63, everything else as literal runs
// of up to 127. For round-trip tests and for generating benchmark data.
class RunLengthEncoder {
  public:
    static std::vector<std::uint8_t> encode(std::span<const std::uint8_t> data);
};

}  // namespace quelvane::test
