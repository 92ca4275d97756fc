#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "conversion/EbcdicTextConverter.h"
#include "describe/ObjectData.h"

namespace quelvane {

// An object's stored data as lines of offset, hex and text (converted through the chosen
// EBCDIC page), 16 bytes a line. Only the page asked for is read, so an object of any size can
// be paged through.
class HexDump {
  public:
    static constexpr std::int64_t kBytesPerLine = 16;
    static constexpr std::int64_t kLargestPage = 1 << 20;

    // The lines of [offset, offset + count) of the data, `count` cut to kLargestPage and to the
    // end of the data; offsets are rounded down to a line start.
    static std::vector<std::string> page(const ObjectData& data, std::int64_t offset, std::int64_t count,
                                         EbcdicTextConverter& converter);

    // One line: "00000E00  00010010 10808000 3F0D54E9 72000000  ..........Z...."
    static std::string line(std::int64_t offset, std::span<const std::uint8_t> bytes,
                            EbcdicTextConverter& converter);
};

}  // namespace quelvane
