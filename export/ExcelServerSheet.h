#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "export/ExcelSharedStrings.h"

namespace quelvane {

// The content of the one worksheet the Excel server keeps, held compactly for members of tens of
// thousands of records: one small fixed record per cell inside its row, texts once each in a
// shared string table, fills and number formats as indexes into a short table of distinct styles. Rows and
// columns are 0-based here; the bounds are those of an Excel 97-2003 sheet.
class ExcelServerSheet {
  public:
    static constexpr std::uint32_t kRowCount = 65536;
    static constexpr std::uint32_t kColumnCount = 256;
    // The longest text a cell holds.
    static constexpr std::size_t kMaximumTextLength = 32767;
    // Excel's constants for Interior: no fill, automatic colour, solid pattern.
    static constexpr std::int32_t kNone = -4142;
    static constexpr std::int32_t kAutomatic = -4105;
    static constexpr std::int32_t kSolid = 1;
    // A row whose height was never set.
    static constexpr std::uint16_t kDefaultHeight = 0xFFFF;

    enum class Kind : std::uint8_t { Blank, Number, Text };

    struct Cell {
        std::uint16_t column;
        std::uint16_t style;  // index into styles(); 0 is no fill and the General format
        Kind kind;
        union {
            double number;
            std::uint32_t string;  // index into strings()
        };
    };

    struct Row {
        std::vector<Cell> cells;  // sorted by column
        std::uint16_t heightTwips = kDefaultHeight;
    };

    struct Fill {
        std::int32_t colorIndex = kNone;
        std::int32_t pattern = kNone;
        std::int32_t patternColorIndex = kAutomatic;

        bool operator==(const Fill&) const = default;
    };

    struct Style {
        Fill fill;
        std::uint16_t numberFormat = 0;  // a built-in number format of Excel

        bool operator==(const Style&) const = default;
    };

    struct Font {
        std::u16string name = u"Arial";
        double size = 10;
        bool bold = false;
        bool italic = false;
    };

    ExcelServerSheet();

    // Stores a text the way Excel reads text typed into a cell: as a number when it reads as
    // one (a date or time also sets the cell's number format), as a text otherwise; an empty
    // text empties the cell.
    void setValue(std::uint32_t row, std::uint32_t column, std::u16string_view text);
    void setFill(std::uint32_t row, std::uint32_t column, const Fill& fill);
    Fill fill(std::uint32_t row, std::uint32_t column) const;
    void setRowHeight(std::uint32_t row, double points);
    void setColumnWidth(std::uint32_t column, double characters);

    // Raises AutomationFailure for a cell beyond the sheet's last row or column.
    static void requireOnSheet(std::uint32_t row, std::uint32_t column);

    const std::vector<Row>& rows() const { return rows_; }
    // Column widths in 1/256 of a character; no entry or a negative one: the default width.
    const std::vector<std::int32_t>& columnWidths() const { return columnWidths_; }
    const std::vector<Style>& styles() const { return styles_; }
    const ExcelSharedStrings& strings() const { return strings_; }

    Font font;

  private:
    Cell& cellAt(std::uint32_t row, std::uint32_t column);
    const Cell* findCell(std::uint32_t row, std::uint32_t column) const;
    void dropIfEmpty(std::uint32_t row, std::uint32_t column);
    std::uint16_t styleIndex(const Style& style);

    std::vector<Row> rows_;
    std::vector<std::int32_t> columnWidths_;
    std::vector<Style> styles_;
    ExcelSharedStrings strings_;
};

}  // namespace quelvane
