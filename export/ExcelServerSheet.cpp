#include "export/ExcelServerSheet.h"

#include <algorithm>
#include <cmath>

#include "export/AutomationFailure.h"
#include "export/ExcelServerValueReader.h"

namespace quelvane {

namespace {

constexpr double kTwipsPerPoint = 20;
// Excel's limits for a row height in points and a column width in characters.
constexpr double kMaximumRowHeight = 409;
constexpr double kMaximumColumnWidth = 255;
constexpr double kColumnWidthUnit = 256;

// The first of a row's cells, kept in column order, at or after `column`.
template <typename Cells>
auto firstCellFrom(Cells& cells, std::uint32_t column) {
    return std::lower_bound(cells.begin(), cells.end(), column,
                            [](const auto& cell, std::uint32_t wanted) { return cell.column < wanted; });
}

}  // namespace

void ExcelServerSheet::requireOnSheet(std::uint32_t row, std::uint32_t column) {
    if (row >= ExcelServerSheet::kRowCount) {
        throw AutomationFailure("Row " + std::to_string(row + 1) + " is beyond the last row of the sheet (" +
                                std::to_string(ExcelServerSheet::kRowCount) + ")");
    }
    if (column >= ExcelServerSheet::kColumnCount) {
        throw AutomationFailure("Column " + std::to_string(column + 1) +
                                " is beyond the last column of the sheet (" +
                                std::to_string(ExcelServerSheet::kColumnCount) + ")");
    }
}

ExcelServerSheet::ExcelServerSheet() : styles_{Style{}} {}

ExcelServerSheet::Cell& ExcelServerSheet::cellAt(std::uint32_t row, std::uint32_t column) {
    requireOnSheet(row, column);
    if (rows_.size() <= row) {
        rows_.resize(row + 1);
    }
    std::vector<Cell>& cells = rows_[row].cells;
    // Cells arrive in column order, so the usual place is the end.
    auto place = cells.end();
    if (!cells.empty() && cells.back().column >= column) {
        place = firstCellFrom(cells, column);
        if (place != cells.end() && place->column == column) {
            return *place;
        }
    }
    Cell fresh{};
    fresh.column = static_cast<std::uint16_t>(column);
    fresh.kind = Kind::Blank;
    return *cells.insert(place, fresh);
}

const ExcelServerSheet::Cell* ExcelServerSheet::findCell(std::uint32_t row, std::uint32_t column) const {
    requireOnSheet(row, column);
    if (row >= rows_.size()) {
        return nullptr;
    }
    const std::vector<Cell>& cells = rows_[row].cells;
    const auto place = firstCellFrom(cells, column);
    return place != cells.end() && place->column == column ? &*place : nullptr;
}

void ExcelServerSheet::dropIfEmpty(std::uint32_t row, std::uint32_t column) {
    std::vector<Cell>& cells = rows_[row].cells;
    const auto place = firstCellFrom(cells, column);
    if (place != cells.end() && place->column == column && place->kind == Kind::Blank && place->style == 0) {
        cells.erase(place);
    }
}

void ExcelServerSheet::setValue(std::uint32_t row, std::uint32_t column, std::u16string_view text) {
    if (text.size() > kMaximumTextLength) {
        throw AutomationFailure("A cell holds at most " + std::to_string(kMaximumTextLength) + " characters");
    }
    Cell& cell = cellAt(row, column);
    if (text.empty()) {
        cell.kind = Kind::Blank;
        dropIfEmpty(row, column);
    } else if (const auto reading = ExcelServerValueReader::read(text)) {
        cell.kind = Kind::Number;
        cell.number = reading->number;
        if (reading->numberFormat != ExcelServerValueReader::kGeneral) {
            Style style = styles_[cell.style];
            style.numberFormat = reading->numberFormat;
            cell.style = styleIndex(style);
        }
    } else {
        cell.kind = Kind::Text;
        cell.string = strings_.intern(text);
    }
}

std::uint16_t ExcelServerSheet::styleIndex(const Style& style) {
    auto known = std::find(styles_.begin(), styles_.end(), style);
    if (known == styles_.end()) {
        styles_.push_back(style);
        known = styles_.end() - 1;
    }
    return static_cast<std::uint16_t>(known - styles_.begin());
}

void ExcelServerSheet::setFill(std::uint32_t row, std::uint32_t column, const Fill& fill) {
    Cell& cell = cellAt(row, column);
    Style style = styles_[cell.style];
    style.fill = fill;
    cell.style = styleIndex(style);
    dropIfEmpty(row, column);
}

ExcelServerSheet::Fill ExcelServerSheet::fill(std::uint32_t row, std::uint32_t column) const {
    const Cell* cell = findCell(row, column);
    return cell != nullptr ? styles_[cell->style].fill : Fill{};
}

void ExcelServerSheet::setRowHeight(std::uint32_t row, double points) {
    requireOnSheet(row, 0);
    if (!(points >= 0 && points <= kMaximumRowHeight)) {
        throw AutomationFailure("Unable to set the RowHeight property of the Range class");
    }
    if (rows_.size() <= row) {
        rows_.resize(row + 1);
    }
    rows_[row].heightTwips = static_cast<std::uint16_t>(std::lround(points * kTwipsPerPoint));
}

void ExcelServerSheet::setColumnWidth(std::uint32_t column, double characters) {
    requireOnSheet(0, column);
    if (!(characters >= 0 && characters <= kMaximumColumnWidth)) {
        throw AutomationFailure("Unable to set the ColumnWidth property of the Range class");
    }
    if (columnWidths_.size() <= column) {
        columnWidths_.resize(column + 1, -1);
    }
    columnWidths_[column] = static_cast<std::int32_t>(std::lround(characters * kColumnWidthUnit));
}

}  // namespace quelvane
