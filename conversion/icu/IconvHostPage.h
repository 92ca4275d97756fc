#pragma once

#include <array>
#include <memory>
#include <string>

#include "conversion/CodePageDecoder.h"

namespace quelvane {

// A single-byte host page ICU lacks, read through glibc's iconv once into a table of 256 code
// units; a byte iconv does not map reads as U+FFFD.
class IconvHostPage final : public CodePageDecoder {
  public:
    // Null when iconv has no converter of that name.
    static std::unique_ptr<IconvHostPage> open(const std::string& iconvName);

    Shape shape() const override { return Shape::singleByte; }
    void decode(std::span<const std::uint8_t> bytes, std::u16string& out,
                std::vector<std::int32_t>* offsets) override;

  private:
    IconvHostPage() = default;

    std::array<char16_t, 256> table_{};
};

}  // namespace quelvane
