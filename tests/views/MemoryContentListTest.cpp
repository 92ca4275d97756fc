#include <gtest/gtest.h>

#include <string>

#include "views/MemoryContentList.h"

namespace quelvane {
namespace {

TEST(MemoryContentList, ReadsBackColumnsRowsImagesAndCells) {
    MemoryContentList list;
    list.addColumn("", 50, ContentList::Alignment::Left, ContentList::Sizing::Fixed);
    list.addColumn("AMOUNT", 90, ContentList::Alignment::Right, ContentList::Sizing::Fixed);
    list.setColumnCaption(0, "first");
    list.setColumnCaption(7, "ignored");
    list.addRow("0");
    list.appendCell("12.50");
    list.appendCell("");
    list.appendCell("last");
    list.addRow("1", 1);
    list.addRow("2");
    list.setRowImage(1);
    list.appendCell("x");

    ASSERT_EQ(list.columnCount(), 2);
    EXPECT_EQ(list.column(0).caption, "first");
    EXPECT_EQ(list.column(1).width, 90);
    EXPECT_EQ(list.column(1).alignment, ContentList::Alignment::Right);
    ASSERT_EQ(list.rowCount(), 3);
    EXPECT_EQ(list.rowCaption(0), "0");
    EXPECT_EQ(list.cellCount(0), 3);
    EXPECT_EQ(list.cellText(0, 0), "12.50");
    EXPECT_EQ(list.cellText(0, 1), "");
    EXPECT_EQ(list.cellText(0, 2), "last");
    EXPECT_EQ(list.cellText(0, 3), "");
    EXPECT_EQ(list.rowImage(0), ContentList::kNoImage);
    EXPECT_EQ(list.rowImage(1), 1);
    EXPECT_EQ(list.cellCount(1), 0);
    EXPECT_EQ(list.rowImage(2), 1);
    EXPECT_EQ(list.cellText(2, 0), "x");
    EXPECT_THROW(list.rowCaption(3), std::out_of_range);
}

TEST(MemoryContentList, RowsOutgrowingTheirChunkKeepEveryText) {
    MemoryContentList list;
    const std::string big(300000, 'b');
    for (int r = 0; r < 20; ++r) {
        list.addRow(std::to_string(r));
        list.appendCell("head" + std::to_string(r));
        list.appendCell(big);
        list.appendCell("tail" + std::to_string(r));
    }
    list.addRow("huge");
    list.appendCell(std::string(3000000, 'h'));
    for (int r = 0; r < 20; ++r) {
        EXPECT_EQ(list.rowCaption(r), std::to_string(r));
        EXPECT_EQ(list.cellText(r, 0), "head" + std::to_string(r));
        EXPECT_EQ(list.cellText(r, 1), big);
        EXPECT_EQ(list.cellText(r, 2), "tail" + std::to_string(r));
    }
    EXPECT_EQ(list.cellText(20, 0).size(), 3000000U);
}

TEST(MemoryContentList, GenerationsTellAppendsFromResets) {
    MemoryContentList list;
    auto generation = list.generation();
    auto reset = list.resetGeneration();
    list.addRow("a");
    list.appendCell("b");
    EXPECT_GT(list.generation(), generation);
    EXPECT_EQ(list.resetGeneration(), reset);
    list.clearRows();
    EXPECT_GT(list.resetGeneration(), reset);
    EXPECT_EQ(list.rowCount(), 0);
    list.appendCell("without a row");
    list.addRow("again");
    EXPECT_EQ(list.cellCount(0), 0);
    EXPECT_EQ(list.rowCaption(0), "again");
}

}  // namespace
}  // namespace quelvane
