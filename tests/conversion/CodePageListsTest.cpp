#include "conversion/CodePageLists.h"
#include "settings/ProgramSettings.h"

#include <gtest/gtest.h>

#include <optional>
#include <set>

namespace quelvane {
namespace {

// A settings file stores a row of each list ([E2AIndex]) beside the pages they named ([EBCDIC To
// ASCII]); Options selects the stored rows again. Every row a file can store names one page of
// its own, and the pairs below, as written by Options and by the defaults, keep their pages.
TEST(CodePageLists, CcsidRowsGiveTheWindowsCodePageAndTheAutomaticPcRow) {
    std::set<std::int32_t> pages;
    for (const auto& row : kCcsidRows) {
        const std::optional<std::int32_t> page = ebcdicCodePageOfRow(row.text);
        ASSERT_TRUE(page) << row.text;
        EXPECT_TRUE(pages.insert(*page).second) << row.text;
        // The PC row a CCSID picks is one that names a page.
        if (row.pcRow) {
            ASSERT_GE(*row.pcRow, 0) << row.text;
            ASSERT_LT(*row.pcRow + std::size_t{1}, kPcCodePageRows.size()) << row.text;
            EXPECT_TRUE(pcCodePageOfRow(kPcCodePageRows[static_cast<std::size_t>(*row.pcRow)])) << row.text;
        }
    }
    EXPECT_EQ(pages.size(), kCcsidRows.size());
}

TEST(CodePageLists, PcRowsGiveTheirCodePageAndTheLastRowNone) {
    std::set<std::int32_t> pages;
    for (std::size_t row = 0; row + 1 < kPcCodePageRows.size(); ++row) {
        const std::optional<std::int32_t> page = pcCodePageOfRow(kPcCodePageRows[row]);
        ASSERT_TRUE(page) << kPcCodePageRows[row];
        EXPECT_TRUE(pages.insert(*page).second) << kPcCodePageRows[row];
    }
    EXPECT_EQ(kPcCodePageRows.back(), "");
    EXPECT_EQ(pcCodePageField(kPcCodePageRows.back()), "");
    EXPECT_EQ(pcCodePageOfRow(kPcCodePageRows.back()), std::nullopt);
}

TEST(CodePageLists, StoredRowsNameTheStoredPages) {
    struct Case {
        const char* stored;
        int ccsidRow;
        int pcRow;
        std::int32_t ebcdic;
        std::int32_t pc;
        // The PC row picking the CCSID row selects, if it picks one.
        std::optional<int> picked;
    };
    const Case cases[] = {
        {"defaults", ProgramSettings::kDefaultCcsidRow, ProgramSettings::kDefaultPcRow, 37, 1252, 6},
        // Confirmed while Germany picked Central Europe: the stored pair stays as it was.
        {"Germany", 10, 3, 20273, 1250, 6},
        {"US", 34, 6, 37, 1252, 6},
        {"Japan Katakana/Kanji", 22, 8, 930, 932, 8},
        {"Korea", 24, 9, 933, 949, 9},
        {"Thai", 29, 11, 20838, 874, 11},
        {"Turkish", 32, 7, 1026, 1254, 7},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored);
        const CcsidRow& ccsid = kCcsidRows.at(static_cast<std::size_t>(c.ccsidRow));
        EXPECT_EQ(ebcdicCodePageOfRow(ccsid.text), c.ebcdic);
        EXPECT_EQ(pcCodePageOfRow(kPcCodePageRows.at(static_cast<std::size_t>(c.pcRow))), c.pc);
        EXPECT_EQ(ccsid.pcRow, c.picked);
    }
}

// Choosing a CCSID row picks the ANSI page of its script: Latin-1 rows (U.S., Western Europe,
// the Nordic countries, Iceland, the U.K., International) 1252, Latin-2 1250.
TEST(CodePageLists, EveryCcsidRowPicksThePcPageOfItsScript) {
    const std::optional<std::int32_t> picked[kCcsidRowCount] = {
        1256, 1251, 1251,                                // Arabic, Cyrillic (2)
        1252, 1252, 1252, 1252, 1252, 1252, 1252, 1252,  // Denmark/Norway, Finland/Sweden, France, Germany
        1253, 1253, 1255,                                // Greek (2), Hebrew
        1252, 1252, 1252, 1252, 1252, 1252,              // Iceland, International, Italy
        932,  932,  932,  932,  949,                     // Japanese (4), Korean
        1252, 1252, 1250,                                // Spain (2), Latin-2
        936,  874,  950,  1254, 1254,                    // Chinese, Thai, Chinese, Turkish (2)
        1252, 1252, 1252, 1252,                          // U.S./Canada, United Kingdom
        1258,                                            // Viet Nam
    };
    for (std::size_t row = 0; row < kCcsidRowCount; ++row) {
        const CcsidRow& ccsid = kCcsidRows[row];
        SCOPED_TRACE(ccsid.text);
        ASSERT_TRUE(ccsid.pcRow);
        EXPECT_EQ(pcCodePageOfRow(kPcCodePageRows.at(static_cast<std::size_t>(*ccsid.pcRow))), picked[row]);
    }
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
