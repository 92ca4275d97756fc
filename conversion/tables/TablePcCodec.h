#pragma once

#include <memory>

#include "conversion/PcPageCodec.h"
#include "conversion/tables/PcEncodeMap.h"
#include "conversion/tables/TableDecoder.h"

namespace quelvane::tables {

// A PC page through its generated tables: read by TableDecoder, written through PcEncodeMap.
class TablePcCodec final : public PcPageCodec {
  public:
    TablePcCodec(const CodePageTableSet& tables, const PageTable& page,
                 std::shared_ptr<const PcEncodeMap> encodeMap);

    Shape shape() const override { return decoder_.shape(); }
    void decode(std::span<const std::uint8_t> bytes, std::u16string& out,
                std::vector<std::int32_t>* offsets) override;
    void encode(std::u16string_view text, Substitution substitution, std::string& out,
                std::vector<std::int32_t>* offsets) override;

  private:
    bool ignorable(char32_t codePoint) const;
    void append(const std::uint8_t* bytes, std::size_t length, std::int32_t offset, std::string& out,
                std::vector<std::int32_t>* offsets) const;

    const CodePageTableSet& tables_;
    const PageTable& page_;
    TableDecoder decoder_;
    std::shared_ptr<const PcEncodeMap> encodeMap_;
};

}  // namespace quelvane::tables
