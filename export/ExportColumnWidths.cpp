#include "export/ExportColumnWidths.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace quelvane {

namespace {

// Advance widths of the printable ASCII characters 0x20 to 0x7E in thousandths of an em, from
// the published Arial/Helvetica metrics.
constexpr std::array<std::int16_t, 95> kAsciiWidths = {
    278, 278, 355, 556, 556, 889, 667, 191, 333, 333, 389, 584, 278, 333,  278, 278, 556, 556, 556,
    556, 556, 556, 556, 556, 556, 556, 278, 278, 584, 584, 584, 556, 1015, 667, 667, 722, 722, 667,
    611, 778, 722, 278, 500, 667, 556, 833, 722, 778, 667, 778, 722, 667,  611, 722, 667, 944, 667,
    667, 611, 278, 278, 278, 469, 556, 333, 556, 556, 500, 556, 556, 278,  556, 556, 222, 222, 500,
    222, 833, 556, 556, 556, 556, 333, 500, 278, 556, 500, 722, 500, 500,  500, 334, 260, 334, 584};
constexpr unsigned char kFirstPrintable = 0x20;
constexpr unsigned char kLastPrintable = 0x7E;
// Where the scripts a double-byte page writes in two bytes begin (Hangul Jamo, then CJK).
constexpr char16_t kFirstDoubleWidth = 0x1100;
constexpr char16_t kFirstSurrogate = 0xD800;
constexpr char16_t kLastSurrogate = 0xDFFF;
// A byte beyond ASCII: as wide as the widest capitals but W and M.
constexpr double kWideByte = 778;
constexpr double kUnitsPerEm = 1000;
// The width of a digit, Excel's unit of column width.
constexpr double kDigitEms = 556 / kUnitsPerEm;
// Excel's AutoFit leaves about one digit of room beside the text.
constexpr double kExcelMargin = 1;
// Rounding of the rendering: a point more than the measured text.
constexpr double kWordSlack = 1;

}  // namespace

double ExportColumnWidths::ems(std::string_view pcText) {
    // Every byte's width, control bytes none; summed as integers, which a double holds exactly.
    static constexpr std::array<std::int16_t, 256> kByteWidths = [] {
        std::array<std::int16_t, 256> widths{};
        for (int byte = kFirstPrintable; byte < 256; ++byte) {
            widths[static_cast<std::size_t>(byte)] =
                byte <= kLastPrintable ? kAsciiWidths[static_cast<std::size_t>(byte - kFirstPrintable)]
                                       : static_cast<std::int16_t>(kWideByte);
        }
        return widths;
    }();
    std::int64_t units = 0;
    for (char c : pcText) {
        units += kByteWidths[static_cast<unsigned char>(c)];
    }
    return static_cast<double>(units) / kUnitsPerEm;
}

double ExportColumnWidths::ems(std::u16string_view text) {
    double units = 0;
    for (char16_t c : text) {
        if (c >= kFirstPrintable && c <= kLastPrintable) {
            units += kAsciiWidths[c - kFirstPrintable];
        } else if (c >= kFirstDoubleWidth && !(c >= kFirstSurrogate && c <= kLastSurrogate)) {
            units += 2 * kWideByte;
        } else if (c > kLastPrintable) {
            // A surrogate pair counts its two halves: two bytes' width for the one character.
            units += kWideByte;
        }
    }
    return units / kUnitsPerEm;
}

void ExportColumnWidths::measure(std::size_t column, std::string_view pcText) {
    if (column < widest_.size()) {
        widest_[column] = std::max(widest_[column], ems(pcText));
    }
}

void ExportColumnWidths::measure(std::size_t column, std::u16string_view text) {
    if (column < widest_.size()) {
        widest_[column] = std::max(widest_[column], ems(text));
    }
}

std::vector<std::int32_t> ExportColumnWidths::wordPoints(double fontSize, double cellPadding,
                                                         double pageWidth) const {
    std::vector<double> points;
    for (double width : widest_) {
        points.push_back(width * fontSize + cellPadding + kWordSlack);
    }
    const double total = std::accumulate(points.begin(), points.end(), 0.0);
    const double scale = total > pageWidth ? pageWidth / total : 1.0;
    std::vector<std::int32_t> widths;
    for (double width : points) {
        widths.push_back(std::max<std::int32_t>(1, static_cast<std::int32_t>(std::ceil(width * scale))));
    }
    return widths;
}

std::vector<double> ExportColumnWidths::excelCharacters(const std::vector<double>& stored,
                                                        double widest) const {
    std::vector<double> widths;
    for (std::size_t c = 0; c < widest_.size(); ++c) {
        const double fitted = std::ceil(widest_[c] / kDigitEms) + kExcelMargin;
        const double kept = c < stored.size() ? stored[c] : 0.0;
        widths.push_back(std::min(std::max(fitted, kept), widest));
    }
    return widths;
}

}  // namespace quelvane
