#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <locale>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <unordered_map>
#include <vector>

#include "export/ExcelServerValueReader.h"
#include "export/ExcelSharedStrings.h"

namespace quelvane {
namespace {

// A number text read through a string stream in the classic locale, the plain way: failure,
// trailing characters and an infinite result refuse it.
std::optional<double> streamReading(const std::string& plain) {
    std::istringstream in(plain);
    in.imbue(std::locale::classic());
    double value = 0;
    in >> value;
    if (in.fail() || in.peek() != std::char_traits<char>::eof() || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

std::u16string wide(const std::string& text) {
    return {text.begin(), text.end()};
}

// Number texts as the export writes them and as they stress a reader: long digit runs, values
// next to the largest and the smallest doubles, subnormals, exponents of every size.
std::vector<std::string> numberTexts() {
    std::vector<std::string> texts = {
        "0",
        "-0",
        "1",
        "123.45",
        "-98765.4321",
        "0.1",
        "1e308",
        "1.7976931348623157e308",
        "1.7976931348623159e308",
        "2.2250738585072014e-308",
        "2.2250738585072011e-308",
        "4.9406564584124654e-324",
        "2.4e-324",
        "2.5e-324",
        "1e-320",
        "123456789012345678901234567890",
        "0.000000000000000000000000000001",
        "9007199254740993",
        "1.00000000000000011102230246251565404236316680908203125",
        "5e-1",
        "-1E+10",
        "7.",
        ".7",
    };
    std::mt19937 random(31);
    for (int i = 0; i < 3000; ++i) {
        std::string text = i % 3 == 0 ? "-" : "";
        const int digits = 1 + static_cast<int>(random() % 25);
        for (int d = 0; d < digits; ++d) {
            text += static_cast<char>('0' + random() % 10);
        }
        if (random() % 2 == 0) {
            text += '.';
            for (int d = static_cast<int>(random() % 20); d > 0; --d) {
                text += static_cast<char>('0' + random() % 10);
            }
        }
        if (random() % 3 == 0) {
            text += random() % 2 == 0 ? "e-" : "e";
            text += std::to_string(random() % 340);
        }
        texts.push_back(text);
    }
    return texts;
}

TEST(ExcelServerValueReader, ReadsNumbersToTheSameBitsAsAStringStream) {
    for (const std::string& text : numberTexts()) {
        const std::optional<double> read = ExcelServerValueReader::readNumber(wide(text));
        std::optional<double> expected = streamReading(text);
        // A non-zero mantissa read as zero is out of range for both.
        const std::string mantissa = text.substr(0, text.find('e'));
        if (expected && *expected == 0 && mantissa.find_first_of("123456789") != std::string::npos) {
            expected.reset();
        }
        ASSERT_EQ(read.has_value(), expected.has_value()) << text;
        const double got = read.value_or(1);
        const double plain = expected.value_or(1) == 0 ? 0.0 : expected.value_or(1);
        EXPECT_EQ(std::memcmp(&got, &plain, sizeof plain), 0) << text;
    }
}

TEST(ExcelSharedStrings, NumbersTextsAsAHashMapWouldAndKeepsThemWhole) {
    // Texts with many repeats, empty ones, wide characters and lengths across several growths.
    std::mt19937 random(7);
    std::vector<std::u16string> texts;
    for (int i = 0; i < 60000; ++i) {
        std::u16string text;
        const int length = static_cast<int>(random() % 12);
        const unsigned alphabet = i % 5 == 0 ? 3 : 26;
        for (int c = 0; c < length; ++c) {
            text += static_cast<char16_t>((i % 7 == 0 ? 0x3041 : u'A') + random() % alphabet);
        }
        texts.push_back(text);
    }
    ExcelSharedStrings table;
    std::unordered_map<std::u16string, std::uint32_t> reference;
    std::vector<std::u16string> inOrder;
    for (const std::u16string& text : texts) {
        const auto [known, added] = reference.emplace(text, static_cast<std::uint32_t>(inOrder.size()));
        if (added) {
            inOrder.push_back(text);
        }
        ASSERT_EQ(table.intern(text), known->second);
    }
    ASSERT_EQ(table.size(), inOrder.size());
    for (std::size_t index = 0; index < inOrder.size(); ++index) {
        EXPECT_EQ(table[index], inOrder[index]);
    }
}

}  // namespace
}  // namespace quelvane
