#pragma once

#include <cstddef>
#include <cstdint>

#include "conversion/EbcdicTextConverter.h"
#include "tests/support/Cp037Table.h"

namespace quelvane::test {

// A conversion call fixed to CP037 -> Latin-1, for reader tests that must not depend on the
// conversion modules. It can be told to fail, to show what a failed conversion leaves.
class Cp037Converter final : public EbcdicTextConverter {
  public:
    std::uint32_t ConvertEbcdicText(const std::uint8_t* source, std::size_t length,
                                    std::uint8_t* target) override {
        ++calls;
        if (failing) {
            return 1;
        }
        for (std::size_t i = 0; i < length; ++i) {
            target[i] = kCp037ToLatin1[source[i]];
        }
        return 0;
    }

    bool failing = false;
    int calls = 0;
};

}  // namespace quelvane::test
