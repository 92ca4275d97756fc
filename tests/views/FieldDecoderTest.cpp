#include "views/FieldDecoder.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <locale>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/FakeConverter.h"

namespace quelvane {
namespace {

using test::FakeConverter;

std::vector<std::uint8_t> hexBytes(const std::string& text) {
    std::vector<std::uint8_t> bytes;
    std::istringstream in(text);
    std::string pair;
    while (in >> pair) {
        bytes.push_back(static_cast<std::uint8_t>(std::stoul(pair, nullptr, 16)));
    }
    return bytes;
}

struct NumericCase {
    std::string bytes;
    int count;  // digits for packed and pointed zoned, length for zoned
    int decimals;
    std::string text;
};

void PrintTo(const NumericCase& c, std::ostream* os) {
    *os << c.bytes << " /" << c.count << "," << c.decimals;
}

class PackedTest : public testing::TestWithParam<NumericCase> {};

TEST_P(PackedTest, GivesTheText) {
    const NumericCase& c = GetParam();
    std::string text = "stale";
    decodePacked(hexBytes(c.bytes), c.count, c.decimals, kTextCapacity, text);
    EXPECT_EQ(text, c.text);
}

INSTANTIATE_TEST_SUITE_P(
    Decoding, PackedTest,
    testing::Values(NumericCase{"12 34 5F", 5, 2, "123.45"}, NumericCase{"12 34 5D", 5, 2, "-123.45"},
                    NumericCase{"00 12 3F", 5, 2, "1.23"}, NumericCase{"00 00 5D", 5, 2, "-0.05"},
                    NumericCase{"00 00 0F", 5, 2, "0.00"}, NumericCase{"00 00 0D", 5, 0, "-0"},
                    NumericCase{"12 34 5C", 5, 0, "-12345"},  // only 0xF is positive
                    NumericCase{"00 01 2F", 4, 4, ".0012"}, NumericCase{"12 34 5D", 5, 5, "-.12345"},
                    // The pad nibble of an even digit count is not a digit.
                    NumericCase{"91 23 4F", 4, 0, "1234"},
                    // Damaged nibbles are shown, not rejected.
                    NumericCase{"AB CF", 3, 0, ":;<"},
                    // Digits beyond the stored bytes read as the value buffer's zeros.
                    NumericCase{"12", 3, 0, "-120"},
                    // More decimal positions than digits: zeros between point and digits.
                    NumericCase{"12 3F", 3, 5, ".00123"},
                    // No digits at all.
                    NumericCase{"0F", 0, 0, "0"}, NumericCase{"0D", 0, 0, "-0"}));

TEST(PackedLimits, CutsToCapacityCountingTheSign) {
    std::string text;
    decodePacked(hexBytes("12 34 5D"), 5, 2, 4, text);
    EXPECT_EQ(text, "-123");
    decodePacked(hexBytes("12 34 5D"), 5, 2, 0, text);
    EXPECT_EQ(text, "");
}

TEST(PackedLimits, DecodesDigitCountsAboveTheOldWorkArea) {
    // 301 digits: 150 bytes of zeros, then 7 and the sign in the last byte.
    std::vector<std::uint8_t> bytes(151, 0x00);
    bytes.back() = 0x7D;
    std::string text;
    decodePacked(bytes, 301, 0, kTextCapacity, text);
    EXPECT_EQ(text, "-7");
    bytes.assign(151, 0x11);
    bytes.back() = 0x1F;
    decodePacked(bytes, 301, 300, kTextCapacity, text);
    EXPECT_EQ(text, "1." + std::string(300, '1'));
}

class ZonedTest : public testing::TestWithParam<NumericCase> {};

TEST_P(ZonedTest, GivesTheText) {
    const NumericCase& c = GetParam();
    std::string text = "stale";
    decodeZoned(hexBytes(c.bytes), c.count, c.decimals, text);
    EXPECT_EQ(text, c.text);
}

INSTANTIATE_TEST_SUITE_P(
    Decoding, ZonedTest,
    testing::Values(
        NumericCase{"F0 F0 F1 F2 F3", 5, 0, "00123"}, NumericCase{"F0 F0 F1 F2 D3", 5, 0, "0-123"},
        NumericCase{"F1 F2 F3 F4 D5", 5, 2, "-123.45"}, NumericCase{"F0 F0 F1 F2 D3", 5, 2, "0-1.23"},
        NumericCase{"F0 F0 F0 F0 D0", 5, 2, "000.00"},  // negative zero shows no sign
        NumericCase{"F1 F2 F3 F4 D5", 5, 5, "-.12345"}, NumericCase{"F0 F0 F1 F2 F3", 5, 2, "001.23"},
        NumericCase{"", 0, 2, ""},
        // Magnitude below 1: the sign stands before the last integer digit, or in front
        // when the integer part has no room for it.
        NumericCase{"F0 F0 F0 F0 D5", 5, 2, "0-0.05"}, NumericCase{"F0 F0 F0 F5 D0", 5, 2, "0-0.50"},
        NumericCase{"F0 F0 D5", 3, 2, "-0.05"}, NumericCase{"F0 D5", 2, 2, "-.05"},
        // Blanks stay; the sign replaces the character before the first digit.
        NumericCase{"40 40 F1 F2 D3", 5, 0, " -123"},
        // A zero-filled field translates to zero bytes and shows nothing.
        NumericCase{"00 00 00 00 00", 5, 2, ""},
        // Bytes beyond the stored ones are the value buffer's zeros: a zero zone
        // is negative and the zero bytes end the text.
        NumericCase{"F1 F2", 4, 0, "-12"}));

class ZonedPointedTest : public testing::TestWithParam<NumericCase> {};

TEST_P(ZonedPointedTest, GivesTheText) {
    const NumericCase& c = GetParam();
    std::string text = "stale";
    decodeZonedPointed(hexBytes(c.bytes), c.count, c.decimals, text);
    EXPECT_EQ(text, c.text);
}

INSTANTIATE_TEST_SUITE_P(Decoding, ZonedPointedTest,
                         testing::Values(NumericCase{"F0 F0 F1 F2 F3", 5, 0, "00123."},
                                         NumericCase{"F0 F0 F1 F2 D3", 5, 0, "-123."},
                                         NumericCase{"F0 F0 F1 F2 D3", 5, 2, "-1.23"},
                                         NumericCase{"F0 F0 F0 F0 D5", 5, 2, "-0.05"},
                                         NumericCase{"F1 F2 F3 F4 D5", 5, 5, "-0.12345"},
                                         NumericCase{"F1 F2 F3 F4 F5", 5, 5, "0.12345"},
                                         NumericCase{"F0 F0 F0 F0 F0 F0 D0", 7, 2, "-0.00"},
                                         NumericCase{"40 40 F1 F2 D3", 5, 0, "-123."},
                                         NumericCase{"F0 F0 F1 F2 F3", 5, 2, "001.23"}));

TEST(ZonedAlteration, LeavesTheCallersBytesAlone) {
    const std::vector<std::uint8_t> bytes = hexBytes("F1 F2 D3");
    const std::vector<std::uint8_t> copy = bytes;
    std::string text;
    decodeZoned(bytes, 3, 0, text);
    decodeZonedPointed(bytes, 3, 0, text);
    EXPECT_EQ(bytes, copy);
}

TEST(Binary, IsABigEndianTwosComplementInteger) {
    EXPECT_EQ(decodeBinary(hexBytes("00 05"), 2), 5);
    EXPECT_EQ(decodeBinary(hexBytes("FF FE"), 2), -2);
    EXPECT_EQ(decodeBinary(hexBytes("FF 00"), 2), -256);
    EXPECT_EQ(decodeBinary(hexBytes("00 00 00 05"), 4), 5);
    EXPECT_EQ(decodeBinary(hexBytes("FF FF FF FE"), 4), -2);
    EXPECT_EQ(decodeBinary(hexBytes("7F FF FF FF"), 4), 2147483647);
    EXPECT_EQ(decodeBinary(hexBytes("80 00 00 00"), 4), -2147483648LL);
    EXPECT_EQ(decodeBinary(hexBytes("FF"), 1), -1);
    EXPECT_EQ(decodeBinary(hexBytes("FF FF FF FF FF FF FF FE"), 8), -2);
    EXPECT_EQ(decodeBinary(hexBytes("00 00 00 02 54 0B E4 00"), 8), 10000000000LL);
}

TEST(Binary, TextShowsLongFieldsInHex) {
    std::string text;
    decodeBinaryText(hexBytes("80 00 00 00 00 00 00 00"), 8, text);
    EXPECT_EQ(text, "-9223372036854775808");
    decodeBinaryText(hexBytes("01 02 03 04 05 06 07 08 09"), 9, text);
    EXPECT_EQ(text, "0x010203040506070809");
    decodeBinaryText({}, 0, text);
    EXPECT_EQ(text, "0");
}

struct DateCase {
    std::uint32_t dayNumber;
    std::string text;
};

std::vector<std::uint8_t> bigEndian(std::uint32_t value) {
    return {static_cast<std::uint8_t>(value >> 24), static_cast<std::uint8_t>(value >> 16),
            static_cast<std::uint8_t>(value >> 8), static_cast<std::uint8_t>(value)};
}

TEST(Date, GivesTheCalendarDayOfTheJulianDayNumber) {
    // Each day number its own date, also on either side of 1899-12-30.
    const DateCase cases[] = {{2451545, "2000/01/01"}, {1721426, "0001/01/01"}, {5373484, "9999/12/31"},
                              {2415019, "1899/12/30"}, {2415020, "1899/12/31"}, {2415018, "1899/12/29"},
                              {2460000, "2023/02/24"}, {2299161, "1582/10/15"}};
    for (const DateCase& c : cases) {
        std::string text;
        decodeDate(bigEndian(c.dayNumber), text);
        EXPECT_EQ(text, c.text) << c.dayNumber;
    }
}

TEST(Date, FailsOutsideItsRange) {
    for (std::uint32_t dayNumber : {0u, 1721425u, 5373485u, 0x80000000u, 0xFFFFFFFFu}) {
        std::string text;
        EXPECT_THROW(decodeDate(bigEndian(dayNumber), text), FieldDecodingFailure) << dayNumber;
    }
}

TEST(Character, IsTheConvertedFieldUpToItsFirstZero) {
    FakeConverter converter;
    std::string text;
    decodeCharacter(hexBytes("C1 C2 40 40 40"), converter, text);
    EXPECT_EQ(text, "AB   ");
    decodeCharacter(hexBytes("C1 00 C2"), converter, text);
    EXPECT_EQ(text, "A");
    decodeCharacter(hexBytes("00 00 00"), converter, text);
    EXPECT_EQ(text, " ");
    converter.fail = true;
    decodeCharacter(hexBytes("C1 C2"), converter, text);
    EXPECT_EQ(text, " ");
}

TEST(Character, ConvertsOnlyWhatCanReachTheText) {
    FakeConverter converter;
    std::string text;
    decodeCharacter(hexBytes("C1 C2 C3"), converter, text);
    decodeCharacter(hexBytes("0E 41 41 0F C1"), converter, text);
    // Ends inside a shift-out: the padding would be read as double-byte codes.
    decodeCharacter(hexBytes("C1 0E 41 41"), converter, text);
    // A shift-in or a zero in a code's second place.
    decodeCharacter(hexBytes("0E 41 0F C1"), converter, text);
    decodeCharacter(hexBytes("0E 41 00 0F C1"), converter, text);
    EXPECT_EQ(converter.lengths, (std::vector<std::size_t>{8, 12, 5000, 5000, 5000}));
}

TEST(Character, ConvertsFieldsLongerThanTheOldBufferWhole) {
    FakeConverter converter;
    std::vector<std::uint8_t> bytes(6000, 0xC1);
    std::string text;
    decodeCharacter(bytes, converter, text);
    EXPECT_EQ(text, std::string(6000, 'A'));
}

TEST(Time, ShowsTheFirstThreeConvertedBytesInHex) {
    FakeConverter converter;
    std::string text;
    decodeTime(hexBytes("12 3A 05"), converter, text);
    EXPECT_EQ(text, "12:3A:05");
    converter.fail = true;
    decodeTime(hexBytes("12 3A 05"), converter, text);
    EXPECT_EQ(text, "00:00:00");
}

SavedField field(std::uint16_t typeCode, int length, int digits = 0, int decimals = 0) {
    SavedField f;
    f.typeCode = typeCode;
    f.length = length;
    f.digits = digits;
    f.decimals = decimals;
    return f;
}

TEST(FieldValue, DispatchesByTypeCode) {
    FakeConverter converter;
    EXPECT_EQ(decodeFieldValue(hexBytes("FF FE"), field(0x0003, 2, 4, 2), converter), "-2");
    EXPECT_EQ(decodeFieldValue(hexBytes("BF C0 00 00"), field(0x0103, 4, 7, 3), converter), "-1.5");
    EXPECT_EQ(decodeFieldValue(hexBytes("F1 F2 D3"), field(0x0203, 3, 3, 1), converter), "-12.3");
    EXPECT_EQ(decodeFieldValue(hexBytes("12 34 5F"), field(0x0303, 3, 5, 2), converter), "123.45");
    EXPECT_EQ(decodeFieldValue(hexBytes("C1 C2"), field(0x0403, 2), converter), "AB");
    EXPECT_EQ(decodeFieldValue(hexBytes("C1 C2"), field(0x0603, 2), converter), "AB");
    EXPECT_EQ(decodeFieldValue(bigEndian(2451545), field(0x0B03, 4), converter), "2000/01/01");
    EXPECT_EQ(decodeFieldValue(hexBytes("12 3A 05"), field(0x0C03, 3), converter), "12:3A:05");
    EXPECT_EQ(decodeFieldValue(hexBytes("00 25 68 59 11 22 33 44 55 66"), field(0x0D03, 10), converter),
              "2000/01/01");
    EXPECT_EQ(decodeFieldValue(hexBytes("C1"), field(0x0A03, 1), converter), " ");
    EXPECT_EQ(decodeFieldValue(hexBytes("C1"), field(0x0000, 1), converter), " ");
    EXPECT_THROW(decodeFieldValue(hexBytes("00 00 00 00"), field(0x0B03, 4), converter),
                 FieldDecodingFailure);
}

// IEEE binary floats as the host stores them, big-endian: single precision written as the float
// it is, double as the double; the values that are no number by name; other lengths in hex.
TEST(Float, IsTheShortestTextOfTheStoredValue) {
    struct Case {
        const char* bytes;
        int length;
        const char* text;
    };
    const Case cases[] = {
        {"3F C0 00 00", 4, "1.5"},
        {"BF C0 00 00", 4, "-1.5"},
        {"3D CC CC CD", 4, "0.1"},
        {"00 00 00 00", 4, "0"},
        {"80 00 00 00", 4, "-0"},
        {"7F 7F FF FF", 4, "3.4028235e+38"},
        {"40 09 21 FB 54 44 2D 18", 8, "3.141592653589793"},
        {"3F B9 99 99 99 99 99 9A", 8, "0.1"},
        {"C0 F8 6A 00 00 00 00 00", 8, "-1e+05"},
        {"7F C0 00 00", 4, "NaN"},
        {"7F F0 00 00 00 00 00 00", 8, "Infinity"},
        {"FF 80 00 00", 4, "-Infinity"},
        {"3F C0", 2, "0x3FC0"},
        // A float cut short reads as zero-padded.
        {"3F", 4, "0.5"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bytes);
        std::string text;
        decodeFloat(hexBytes(c.bytes), c.length, text);
        EXPECT_EQ(text, c.text);
    }
}

// A program whose locale writes a decimal comma still gets a decimal point.
TEST(Float, IsWrittenTheSameWhateverTheLocale) {
    struct Comma : std::numpunct<char> {
        char do_decimal_point() const override { return ','; }
    };
    const std::locale previous = std::locale::global(std::locale(std::locale::classic(), new Comma));
    std::string text;
    decodeFloat(hexBytes("BF C0 00 00"), 4, text);
    std::locale::global(previous);
    EXPECT_EQ(text, "-1.5");
}

// The form made for loading: binary fields scaled by their decimal positions, floats as the view
// shows them, timestamps with their time and microseconds (the first case as the published
// description's example gives it, the second as MSYOP@4 in CSCH@009.SAVF stores it).
TEST(LoadedValue, ScalesBinaryAndKeepsWholeTimestamps) {
    struct Case {
        const char* bytes;
        SavedField field;
        const char* text;
        LoadedKind kind;
    };
    const Case cases[] = {
        {"FF FE", field(0x0003, 2, 4, 2), "-0.02", LoadedKind::Decimal},
        {"00 01 E2 40", field(0x0003, 4, 9, 2), "1234.56", LoadedKind::Decimal},
        {"FF FE 1D C0", field(0x0003, 4, 9, 2), "-1234.56", LoadedKind::Decimal},
        {"00 00 00 05", field(0x0003, 4, 9, 3), "0.005", LoadedKind::Decimal},
        {"00 00 00 00", field(0x0003, 4, 9, 1), "0.0", LoadedKind::Decimal},
        {"00 00 00 05", field(0x0003, 4, 9, 0), "5", LoadedKind::Integer},
        {"3F C0 00 00", field(0x0103, 4, 7, 3), "1.5", LoadedKind::Decimal},
        {"7F C0 00 00", field(0x0103, 4, 7, 3), "NaN", LoadedKind::Text},
        {"00 25 7E DA 11 12 13 12 34 56", field(0x0D03, 10), "2015-10-10 11:12:13.123456", LoadedKind::Text},
        {"00 25 8D 10 19 14 46 81 85 93", field(0x0D03, 10), "2025-09-25 19:14:46.818593", LoadedKind::Text},
        {"00 1A 44 52 00 00 00 00 00 00", field(0x0D03, 10), "0001-01-01 00:00:00.000000", LoadedKind::Text},
    };
    FakeConverter converter;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bytes);
        std::string text;
        EXPECT_EQ(decodeLoadedFieldValue(hexBytes(c.bytes), c.field, converter, text), c.kind);
        EXPECT_EQ(text, c.text);
        EXPECT_EQ(loadedFieldKind(c.field),
                  c.kind == LoadedKind::Text && c.field.typeCode == 0x0103 ? LoadedKind::Decimal : c.kind);
    }
    std::string text;
    EXPECT_THROW(
        decodeLoadedFieldValue(hexBytes("00 00 00 00 12 00 00 00 00 00"), field(0x0D03, 10), converter, text),
        FieldDecodingFailure);
}

TEST(FieldValue, ReadsOnlyTheFieldsOwnBytes) {
    FakeConverter converter;
    // The span runs on into the next field; the field is two bytes long.
    EXPECT_EQ(decodeFieldValue(hexBytes("C1 C2 C3 C4"), field(0x0403, 2), converter), "AB");
    EXPECT_EQ(decodeFieldValue(hexBytes("00 05 00 07"), field(0x0003, 2), converter), "5");
}

}  // namespace
}  // namespace quelvane
