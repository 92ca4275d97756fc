#pragma once

#include "conversion/CodePageDecoder.h"

namespace quelvane::tables {

// UTF-8 (CCSID 1208) read by Utf8Text, which needs no tables.
class Utf8Decoder final : public CodePageDecoder {
  public:
    Shape shape() const override { return Shape::multiByte; }
    void decode(std::span<const std::uint8_t> bytes, std::u16string& out,
                std::vector<std::int32_t>* offsets) override;
};

}  // namespace quelvane::tables
