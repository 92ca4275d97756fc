#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "export/ExportFieldText.h"
#include "savefile/DecodingFailure.h"
#include "tests/support/Cp037Converter.h"
#include "views/FieldDecodingFailure.h"

namespace quelvane::test {
namespace {

std::string dateTime(std::uint32_t dayNumber) {
    std::string text;
    exportDateTimeText(dayNumber, text);
    return text;
}

TEST(ExportDateTimeText, EveryDayNumberIsItsOwnCalendarDayAtNoon) {
    const struct {
        std::uint32_t dayNumber;
        const char* text;
    } cases[] = {
        {2451545, "2000-01-01 12:00:00"},
        {2415020, "1899-12-31 12:00:00"},
        {2415019, "1899-12-30 12:00:00"},
        // Below 2415019 the day count from 1899-12-30 00:00 once came out one day late.
        {2415018, "1899-12-29 12:00:00"},
        {2299161, "1582-10-15 12:00:00"},
        {1721426, "0001-01-01 12:00:00"},
        {5373483, "9999-12-30 12:00:00"},
        {5373484, "9999-12-31 12:00:00"},
        {2460000, "2023-02-24 12:00:00"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(dateTime(c.dayNumber), c.text) << c.dayNumber;
    }
}

TEST(ExportDateTimeText, DayNumbersOutsideTheRangeFail) {
    for (std::uint32_t dayNumber : {0u, 1721425u, 5373485u, 0x80000000u, 0xFFFFFFFFu}) {
        EXPECT_THROW(dateTime(dayNumber), FieldDecodingFailure) << dayNumber;
    }
}

struct FieldCase {
    const char* what;
    SavedField field;
    std::vector<std::uint8_t> record;
    const char* text;
};

TEST(ExportFieldText, EachTypeHasTheExportsOwnText) {
    const std::vector<FieldCase> cases = {
        {"binary 2", {"B", 0x0003, 2, 1, 4, 0}, {0x00, 0xFF, 0xFE}, "-2"},
        {"binary 4", {"B", 0x0003, 4, 0, 9, 0}, {0x00, 0x01, 0x00, 0x00}, "65536"},
        {"binary 8", {"B", 0x0003, 8, 0, 18, 0}, {0x80, 0, 0, 0, 0, 0, 0, 0}, "-9223372036854775808"},
        {"binary decimals ignored", {"B", 0x0003, 2, 0, 4, 2}, {0x04, 0xD2}, "1234"},
        {"packed", {"P", 0x0303, 3, 0, 5, 2}, {0x12, 0x34, 0x5F}, "123.45"},
        {"packed negative", {"P", 0x0303, 3, 0, 5, 2}, {0x00, 0x00, 0x5D}, "-0.05"},
        {"zoned", {"Z", 0x0203, 4, 0, 4, 1}, {0xF0, 0xF1, 0xF2, 0xF3}, "012.3"},
        {"character", {"C", 0x0403, 5, 0, 0, 0}, {0xC1, 0xC2, 0x40, 0x40, 0x40}, "AB   "},
        {"open character", {"O", 0x0603, 2, 1, 0, 0}, {0x40, 0xC1, 0x82}, "Ab"},
        {"character all zeros", {"C", 0x0403, 3, 0, 0, 0}, {0, 0, 0}, " "},
        {"character with a line feed", {"C", 0x0403, 3, 0, 0, 0}, {0xC1, 0x25, 0xC2}, "A\nB"},
        {"date", {"D", 0x0B03, 4, 0, 0, 0}, {0x00, 0x25, 0x68, 0x59}, "2000-01-01 12:00:00"},
        {"time", {"T", 0x0C03, 3, 0, 0, 0}, {0xF1, 0xF2, 0xF3}, "31:32:33"},
        {"timestamp",
         {"S", 0x0D03, 10, 0, 0, 0},
         {0x07, 0xD0, 0x01, 0x01, 0x0C, 0x1E, 0x2D, 0, 0, 0},
         "07D001010C1E2D000000"},
        {"short timestamp reads zeros", {"S", 0x0D03, 2, 0, 0, 0}, {0xAB, 0xCD}, "ABCD0000000000000000"},
        {"unknown type", {"X", 0x0E03, 2, 0, 0, 0}, {0xC1, 0xC1}, ""},
    };
    Cp037Converter converter;
    for (const FieldCase& c : cases) {
        std::string text = "stale";
        exportFieldText(c.record, c.field, converter, text);
        EXPECT_EQ(text, c.text) << c.what;
    }
}

TEST(ExportFieldText, AZeroDateAndAFieldPastTheRecordFail) {
    Cp037Converter converter;
    std::string text;
    const std::vector<std::uint8_t> zeros(4, 0);
    EXPECT_THROW(exportFieldText(zeros, {"D", 0x0B03, 4, 0, 0, 0}, converter, text), FieldDecodingFailure);
    EXPECT_THROW(exportFieldText(zeros, {"C", 0x0403, 4, 1, 0, 0}, converter, text), DecodingFailure);
    EXPECT_THROW(exportFieldText(zeros, {"C", 0x0403, 1, -1, 0, 0}, converter, text), DecodingFailure);
}

}  // namespace
}  // namespace quelvane::test
