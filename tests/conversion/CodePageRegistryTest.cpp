#include "conversion/CodePageRegistry.h"

#include <gtest/gtest.h>

#include <set>

#include "conversion/CodePageLists.h"
#include "conversion/ConversionBackend.h"
#include "settings/ProgramSettings.h"

namespace quelvane {
namespace {

// What Options shows and what the conversion layer is given must be the same page: the number
// a row's text carries is the page's number, and every page has a converter.
TEST(CodePageRegistry, EveryRowTextNamesItsOwnPageAndEveryPageOpens) {
    std::set<std::int32_t> seen;
    for (const HostPageEntry& entry : kHostPages) {
        SCOPED_TRACE(entry.windowsCodePage);
        EXPECT_TRUE(seen.insert(entry.windowsCodePage).second);
        if (!entry.optionText.empty()) {
            EXPECT_EQ(ebcdicCodePageOfRow(entry.optionText), entry.windowsCodePage);
        }
        EXPECT_NE(ConversionBackend::standard().openHostPage(entry.windowsCodePage), nullptr);
    }
    seen.clear();
    for (const PcPageEntry& entry : kPcPages) {
        SCOPED_TRACE(entry.windowsCodePage);
        EXPECT_TRUE(seen.insert(entry.windowsCodePage).second);
        EXPECT_EQ(pcCodePageOfRow(entry.optionText), entry.windowsCodePage);
        const auto page = ConversionBackend::standard().openPcPage(entry.windowsCodePage);
        ASSERT_NE(page, nullptr);
        // The data-translation module gets exactly the pages of lead and trail bytes.
        EXPECT_EQ(entry.doubleByte, page->shape() == CodePageDecoder::Shape::multiByte);
    }
}

TEST(CodePageRegistry, SettingsDefaultRowsShowTheirPages) {
    EXPECT_EQ(ebcdicCodePageOfRow(kCcsidRows.at(ProgramSettings::kDefaultCcsidRow).text),
              ProgramSettings::kDefaultListEbcdic);
    EXPECT_EQ(pcCodePageOfRow(kPcCodePageRows.at(ProgramSettings::kDefaultPcRow)),
              ProgramSettings::kDefaultListPc);
    EXPECT_EQ(hostPageRow(20290), std::nullopt);
    EXPECT_EQ(pcPageRow(1047), std::nullopt);
}

}  // namespace
}  // namespace quelvane
