#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace quelvane {

// The widest text of each column of an exported table, measured as it is drawn in Arial (and
// the metric-compatible faces that stand in for it): the Word and Excel writers size their
// columns from it so that no caption or value is broken or hidden.
class ExportColumnWidths {
  public:
    explicit ExportColumnWidths(std::size_t columns) : widest_(columns, 0.0) {}

    // Width of a PC code-page text in ems of the font. Bytes beyond ASCII are counted as wide
    // letters, so a double-byte character counts as more than a full em.
    static double ems(std::string_view pcText);

    // Width of a Unicode text in ems, counted as ems(pcText) counts it in a double-byte page:
    // a character from U+1100 on (the East Asian scripts and symbols) as two bytes beyond ASCII,
    // another one beyond ASCII as one.
    static double ems(std::u16string_view text);

    // Keeps the text's width when it is the widest of its column so far.
    void measure(std::size_t column, std::string_view pcText);
    void measure(std::size_t column, std::u16string_view text);

    // The widest text of each column, in ems.
    const std::vector<double>& widest() const { return widest_; }

    // Word: each column's width in points for text of `fontSize` points, with the cell's
    // padding; when they add up to more than `pageWidth`, all are scaled down to it.
    std::vector<std::int32_t> wordPoints(double fontSize, double cellPadding, double pageWidth) const;

    // Excel: each column's width in characters of the digit width, at least `stored` (the width
    // a field's length gives) and at most `widest`.
    std::vector<double> excelCharacters(const std::vector<double>& stored, double widest) const;

  private:
    std::vector<double> widest_;
};

}  // namespace quelvane
