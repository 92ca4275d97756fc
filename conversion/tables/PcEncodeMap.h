#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "conversion/tables/CodePageTables.h"

namespace quelvane::tables {

// How a PC page writes each character. Most of it is the page read backwards: each character
// is written as the first byte sequence that reads as it, single bytes before pairs. The page's
// exceptions give the rest: characters written otherwise (fallbacks), or not at all.
class PcEncodeMap {
  public:
    struct Written {
        std::uint8_t bytes[kMaxSubstituteBytes];
        std::uint8_t length;
        // The page lacks the character: `bytes` are its substitute.
        bool unmapped;
    };

    PcEncodeMap(const CodePageTableSet& tables, const PageTable& page);

    Written lookup(char32_t codePoint) const;

  private:
    void readBackwards(const CodePageTableSet& tables, const PageTable& page);
    void set(std::uint16_t unit, std::uint8_t first, std::uint8_t second, std::uint8_t length);

    static constexpr std::size_t kBmpSize = 0x10000;
    std::vector<Written> bmp_;
    std::vector<bool> set_;
    std::span<const EncodeException> supplementary_;
    Written substitute_{};
    Written supplementarySubstitute_{};
};

}  // namespace quelvane::tables
