#pragma once

#include "conversion/CodePageDecoder.h"
#include "conversion/tables/CodePageTables.h"

namespace quelvane::tables {

// Reads a page through its generated rows (CodePageTables.h).
class TableDecoder final : public CodePageDecoder {
  public:
    TableDecoder(const CodePageTableSet& tables, const PageTable& page) : tables_(tables), page_(page) {}

    Shape shape() const override { return static_cast<Shape>(page_.shape); }
    void decode(std::span<const std::uint8_t> bytes, std::u16string& out,
                std::vector<std::int32_t>* offsets) override;

  private:
    void emit(std::uint16_t unit, std::uint8_t flags, std::int32_t offset, std::u16string& out,
              std::vector<std::int32_t>* offsets) const;

    const CodePageTableSet& tables_;
    const PageTable& page_;
};

}  // namespace quelvane::tables
