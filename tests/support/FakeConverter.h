#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "conversion/EbcdicTextConverter.h"

namespace quelvane::test {

// EBCDIC blank, A-I and 0-9 become their ASCII forms, every other byte passes unchanged; keeps
// the length of each call and can be told to fail, leaving the target as it was.
class FakeConverter final : public EbcdicTextConverter {
  public:
    std::uint32_t ConvertEbcdicText(const std::uint8_t* source, std::size_t length,
                                    std::uint8_t* target) override {
        lengths.push_back(length);
        if (fail) {
            return 87;
        }
        for (std::size_t i = 0; i < length; ++i) {
            const std::uint8_t b = source[i];
            if (b == 0x40) {
                target[i] = ' ';
            } else if (b >= 0xC1 && b <= 0xC9) {
                target[i] = static_cast<std::uint8_t>('A' + (b - 0xC1));
            } else if (b >= 0xF0 && b <= 0xF9) {
                target[i] = static_cast<std::uint8_t>('0' + (b - 0xF0));
            } else {
                target[i] = b;
            }
        }
        return 0;
    }

    bool fail = false;
    std::vector<std::size_t> lengths;
};

}  // namespace quelvane::test
