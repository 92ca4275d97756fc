#include "conversion/CodePageLists.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

namespace quelvane {
namespace {

TEST(CodePageLists, CcsidRowsGiveTheWindowsCodePageAndTheAutomaticPcRow) {
    const std::vector<std::int32_t> expectedPages{
        20420, 20880, 21025, 1142,  20277, 1143,  20278, 1147, 20297, 1141, 20273, 875, 20423,
        20424, 1149,  20871, 1148,  500,   1144,  20280, 939,  290,   930,  931,   933, 1145,
        20284, 870,   935,   20838, 937,   20905, 1026,  1140, 37,    1146, 20285, 1129};
    const std::vector<std::optional<int>> expectedPcRows{
        0,  2,  2,  3, 3, 3, 3, 3, 3, 3, 3, 4, 4, 5, 3, 3, 3, 3, 3, 3, 8, 8, 8, 8, 9, 6, 6, std::nullopt,
        10, 11, 12, 7, 7, 3, 3, 3, 3, 14};
    std::vector<std::int32_t> pages;
    std::vector<std::optional<int>> pcRows;
    for (const auto& row : kCcsidRows) {
        pages.push_back(ebcdicCodePageOfRow(row.text).value_or(-1));
        pcRows.push_back(row.pcRow);
    }
    EXPECT_EQ(pages, expectedPages);
    EXPECT_EQ(pcRows, expectedPcRows);
    EXPECT_EQ(kCcsidRows[10].text, "  273: 20273 - EBCDIC - Germany");
    EXPECT_EQ(kCcsidRows[17].text, "  500:   500 - EBCDIC - International");
}

TEST(CodePageLists, PcRowsGiveTheirCodePageAndTheLastRowNone) {
    const std::vector<std::int32_t> expectedPages{1256, 1257, 1251, 1250, 1253, 1255, 1252, 1254, 932, 949,
                                                  936,  874,  950,  0,    1258, 864,  775,  863,  855, 866,
                                                  737,  862,  861,  869,  850,  852,  865,  860,  857, 437};
    std::vector<std::int32_t> pages;
    for (std::size_t row = 0; row + 1 < kPcCodePageRows.size(); ++row) {
        pages.push_back(pcCodePageOfRow(kPcCodePageRows[row]).value_or(-1));
    }
    EXPECT_EQ(pages, expectedPages);
    EXPECT_EQ(kPcCodePageRows[7], " 1254: ANSI - Turkish  ");
    EXPECT_EQ(kPcCodePageRows[30], "");
    EXPECT_EQ(pcCodePageField(kPcCodePageRows[30]), "");
    EXPECT_EQ(pcCodePageOfRow(kPcCodePageRows[30]), std::nullopt);
}

TEST(CodePageLists, TypedRowTextsAreReadByPositionLikeListedOnes) {
    struct Case {
        std::string_view text;
        std::string_view ebcdicField;
        std::optional<std::int32_t> ebcdicPage;
        std::string_view pcField;
        std::optional<std::int32_t> pcPage;
    };
    const Case cases[] = {
        {"", "", std::nullopt, "", std::nullopt},
        {"  37", "", std::nullopt, "37", 37},
        {"1234567 890", "890", 890, "12345", 12345},
        {"abcdefg12x45", "12x45", std::nullopt, "abcde", std::nullopt},
        {"       -1140", "-1140", -1140, "", std::nullopt},
        {"       +875 ", "+875", 875, "", std::nullopt},
        {"       +-875", "+-875", std::nullopt, "", std::nullopt},
        {"  850:99999999999", "99999", 99999, "850", 850},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.text));
        EXPECT_EQ(ebcdicCodePageField(c.text), c.ebcdicField);
        EXPECT_EQ(ebcdicCodePageOfRow(c.text), c.ebcdicPage);
        EXPECT_EQ(pcCodePageField(c.text), c.pcField);
        EXPECT_EQ(pcCodePageOfRow(c.text), c.pcPage);
    }
    EXPECT_EQ(parseDecimal("2147483648"), std::nullopt);
}

}  // namespace
}  // namespace quelvane
