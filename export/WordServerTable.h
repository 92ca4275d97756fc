#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quelvane {

// One table of a document of the Word server. Cell texts live in one shared character pool and
// a list of entries in row and column order, so a table of tens of thousands of rows costs no
// heap object per cell; cells never written stay empty. Rows and columns are 0-based here.
class WordServerTable {
  public:
    // Word's own limit on the columns of a table.
    static constexpr std::uint32_t kMaximumColumns = 63;
    // Word's colour value for "no colour chosen" (wdColorAutomatic).
    static constexpr std::int32_t kAutomaticColour = -16777216;
    // Word's preferred-width kinds.
    static constexpr std::int32_t kWidthAuto = 1;
    static constexpr std::int32_t kWidthPercent = 2;
    static constexpr std::int32_t kWidthPoints = 3;
    // Word's AutoFitBehavior that sizes columns to their content.
    static constexpr std::int32_t kAutoFitContent = 1;

    struct Column {
        std::int32_t preferredWidthType = kWidthAuto;
        double preferredWidth = 0;
    };

    struct Text {
        std::uint32_t row;
        std::uint32_t column;
        std::uint32_t offset;  // into the pool
        std::uint32_t length;
    };

    struct Shading {
        std::uint32_t row;
        std::uint32_t column;
        std::int32_t colour;  // 0x00BBGGRR
    };

    // Raises AutomationFailure for no rows, no columns or more columns than Word allows.
    WordServerTable(std::int64_t rows, std::int64_t columns, std::int32_t autoFitBehavior);

    std::uint32_t rowCount() const { return rows_; }
    std::uint32_t columnCount() const { return static_cast<std::uint32_t>(columns_.size()); }
    std::int32_t autoFitBehavior() const { return autoFitBehavior_; }

    // Raise AutomationFailure for a 1-based row or column outside the table; return it 0-based.
    std::uint32_t rowIndex(std::int64_t row) const;
    std::uint32_t columnIndex(std::int64_t column) const;

    void setText(std::uint32_t row, std::uint32_t column, std::u16string_view text);
    void setShading(std::uint32_t row, std::uint32_t column, std::int32_t colour);
    Column& column(std::uint32_t index) { return columns_[index]; }

    const std::vector<Column>& columns() const { return columns_; }
    // Written cells in row and column order.
    const std::vector<Text>& texts() const { return texts_; }
    std::u16string_view text(const Text& entry) const { return {pool_.data() + entry.offset, entry.length}; }
    // Shaded cells in row and column order.
    const std::vector<Shading>& shadings() const { return shadings_; }

  private:
    std::uint32_t rows_;
    std::int32_t autoFitBehavior_;
    std::vector<Column> columns_;
    std::vector<char16_t> pool_;
    std::vector<Text> texts_;
    std::vector<Shading> shadings_;
};

}  // namespace quelvane
