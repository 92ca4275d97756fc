#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace quelvane {

// Reads a text set as a cell's value the way Excel (in its United States settings) reads text
// typed into a cell: a plain number, a date, a time or a date with a time becomes a number, with
// the built-in number format Excel gives such an entry; anything else stays text.
class ExcelServerValueReader {
  public:
    // Excel's built-in number formats: General, m/d/yyyy, h:mm, h:mm:ss, m/d/yyyy h:mm.
    static constexpr std::uint16_t kGeneral = 0;
    static constexpr std::uint16_t kDate = 14;
    static constexpr std::uint16_t kHoursMinutes = 20;
    static constexpr std::uint16_t kTime = 21;
    static constexpr std::uint16_t kDateTime = 22;

    struct Reading {
        double number;
        std::uint16_t numberFormat;

        bool operator==(const Reading&) const = default;
    };

    static std::optional<Reading> read(std::u16string_view text);

    // A plain decimal number: optional sign, thousands separators in their places, fraction and
    // exponent, blanks around it allowed.
    static std::optional<double> readNumber(std::u16string_view text);

    // The day number Excel gives a date (1900 date system, with its 29 February 1900), or nothing
    // for a date Excel cannot hold (before 1900 or after 9999).
    static std::optional<double> serialDay(int year, int month, int day);
};

}  // namespace quelvane
