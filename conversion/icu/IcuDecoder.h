#pragma once

#include <memory>
#include <string>

#include "conversion/CodePageDecoder.h"

struct UConverter;

namespace quelvane {

// A code page read through one ICU converter.
class IcuDecoder final : public CodePageDecoder {
  public:
    enum class Unmapped {
        // U+FFFD for every sequence the page does not map.
        replacementCharacter,
        // What the page's definition gives (U+FFFD, or U+001A where its substitute is 0x1A).
        pageSubstitute,
    };

    // Null when ICU has no converter of that name.
    static std::unique_ptr<IcuDecoder> open(const std::string& converterName, Unmapped unmapped);

    ~IcuDecoder() override;
    IcuDecoder(const IcuDecoder&) = delete;
    IcuDecoder& operator=(const IcuDecoder&) = delete;

    Shape shape() const override { return shape_; }
    void decode(std::span<const std::uint8_t> bytes, std::u16string& out,
                std::vector<std::int32_t>* offsets) override;

  private:
    explicit IcuDecoder(UConverter* converter);

    UConverter* converter_;
    Shape shape_;
};

}  // namespace quelvane
