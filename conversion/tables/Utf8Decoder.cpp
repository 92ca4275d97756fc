#include "conversion/tables/Utf8Decoder.h"

#include "conversion/Utf8Text.h"

namespace quelvane::tables {

void Utf8Decoder::decode(std::span<const std::uint8_t> bytes, std::u16string& out,
                         std::vector<std::int32_t>* offsets) {
    decodeUtf8({reinterpret_cast<const char*>(bytes.data()), bytes.size()}, out, offsets);
}

}  // namespace quelvane::tables
