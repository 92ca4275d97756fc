#pragma once

#include <cstdint>
#include <vector>

namespace quelvane::test {

// Rewrites a stored save file as a save written with data compression would hold it: every
// segment after the first keeps its header (with the coded length at 0x174) and has its data
// coded; headers follow the coded data at once or after padding to a 512-byte boundary; block
// trailers and the header's block counts are rewritten for the new, shorter file. The LZ1 coder
// writes literals only, which is enough to exercise the chunk framing and the bit stream.
class SaveFileCompressor {
  public:
    enum class Coding { RunLength, Lz1Literals, OlderRunLength };

    Coding coding = Coding::RunLength;
    // Headers start on a 512-byte boundary (zero padding) instead of right after the data.
    bool padToBoundary = false;
    // The first segment stays stored, as in real saves.
    bool keepFirstStored = true;

    std::vector<std::uint8_t> compress(const std::vector<std::uint8_t>& stored) const;

    static std::vector<std::uint8_t> runLength(const std::vector<std::uint8_t>& data);
    static std::vector<std::uint8_t> lz1Literals(const std::vector<std::uint8_t>& data);
};

}  // namespace quelvane::test
