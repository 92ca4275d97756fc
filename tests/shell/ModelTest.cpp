#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QFontDatabase>

#include "shell/CatalogTreeModel.h"
#include "shell/ContentListModel.h"
#include "shell/ShellImages.h"
#include "views/MemoryContentList.h"

namespace quelvane::test {
namespace {

using Tester = QAbstractItemModelTester;

CatalogTreeNode node(const char* caption, TreeNodeKind kind, std::vector<CatalogTreeNode> children = {}) {
    return CatalogTreeNode{caption, kind, std::move(children), {}};
}

TEST(CatalogTreeModelTest, RowsAreCatalogPositionsAndParentsAreFoundAgain) {
    CatalogTreeModel model(ShellImages::tree());
    Tester tester(&model, Tester::FailureReportingMode::Fatal);

    CatalogTree tree;
    tree.complete = true;
    tree.roots.push_back(
        node("Library(QGPL)", TreeNodeKind::Library,
             {node("Part0", TreeNodeKind::Part,
                   {node("CUSTMAST(PF)", TreeNodeKind::Object,
                         {node("ABC ", TreeNodeKind::Member), node("DEF ", TreeNodeKind::Member)}),
                    node("X", TreeNodeKind::Object)}),
              node("Part1", TreeNodeKind::Part)}));
    model.setTree(tree);

    const QModelIndex root = model.index(0, 0);
    const QModelIndex part0 = model.index(0, 0, root);
    const QModelIndex file = model.index(0, 0, part0);
    const QModelIndex member = model.index(1, 0, file);
    EXPECT_EQ(model.data(root).toString(), QStringLiteral("Library(QGPL)"));
    EXPECT_EQ(model.rowCount(root), 2);
    EXPECT_EQ(model.data(model.index(1, 0, part0)).toString(), QStringLiteral("X"));
    EXPECT_EQ(model.data(member).toString(), QStringLiteral("DEF "));
    EXPECT_EQ(member.parent(), file);
    EXPECT_EQ(file.parent().parent(), root);
    EXPECT_FALSE(root.parent().isValid());
    EXPECT_FALSE(model.data(file, Qt::DecorationRole).value<QIcon>().isNull());
    EXPECT_FALSE(model.data(file, Qt::ToolTipRole).isValid());

    // Details show as the node's tooltip.
    CatalogTree detailed;
    detailed.roots.push_back(
        node("Library(QGPL)", TreeNodeKind::Library,
             {node("Part0", TreeNodeKind::Part, {node("PGM1(PGM)", TreeNodeKind::Object)})}));
    detailed.roots[0].children[0].children[0].details = "owner ZHULJ, 57344 bytes";
    model.setTree(detailed);
    const QModelIndex program = model.index(0, 0, model.index(0, 0, model.index(0, 0)));
    EXPECT_EQ(model.data(program, Qt::ToolTipRole).toString(), QStringLiteral("owner ZHULJ, 57344 bytes"));

    // 8-bit captions are drawn in the PC code page.
    CatalogTree russian;
    russian.roots.push_back(node("Library(\xC0)", TreeNodeKind::Library));
    model.setTree(russian);
    model.setCodePage(1251);
    EXPECT_EQ(model.data(model.index(0, 0)).toString(), QString::fromUtf8("Library(\xD0\x90)"));
    model.setTree(CatalogTree{});
    EXPECT_EQ(model.rowCount(), 0);
}

TEST(ContentListModelTest, FollowsTheCoreListThroughAppendsAndResets) {
    MemoryContentList list;
    ContentListModel model(list, ShellImages::list());
    Tester tester(&model, Tester::FailureReportingMode::Fatal);

    list.addColumn("RRN", ContentList::kDefaultColumnWidth, ContentList::Alignment::Left,
                   ContentList::Sizing::Fixed);
    list.addColumn("AMOUNT", 80, ContentList::Alignment::Right, ContentList::Sizing::Fixed);
    list.addRow("0");
    list.appendCell("12.50");
    list.addRow("1", 1);
    model.refresh();
    ASSERT_EQ(model.rowCount(), 2);
    ASSERT_EQ(model.columnCount(), 2);
    EXPECT_EQ(model.headerData(1, Qt::Horizontal).toString(), QStringLiteral("AMOUNT"));
    EXPECT_EQ(model.rowTexts(0), (QStringList{"0", "12.50"}));
    EXPECT_EQ(model.rowTexts(1), (QStringList{"1", ""}));
    EXPECT_EQ(model.data(model.index(0, 1), Qt::TextAlignmentRole).value<Qt::Alignment>() & Qt::AlignRight,
              Qt::AlignRight);
    EXPECT_TRUE(model.data(model.index(0, 0), Qt::DecorationRole).isNull());
    EXPECT_FALSE(model.data(model.index(1, 0), Qt::DecorationRole).isNull());
    EXPECT_EQ(model.columnWidth(1), 80);

    for (int i = 2; i < 1000; ++i) {
        list.addRow(std::to_string(i));
        list.appendCell("\xE9");
    }
    model.refresh();
    EXPECT_EQ(model.rowCount(), 1000);
    EXPECT_EQ(model.rowTexts(999), (QStringList{"999", QString::fromUtf8("\xC3\xA9")}));
    model.setCodePage(437);
    EXPECT_EQ(model.rowTexts(999), (QStringList{"999", QString::fromUtf8("\xCE\x98")}));

    list.clearRows();
    list.clearColumns();
    list.addColumn("", 0, ContentList::Alignment::Left, ContentList::Sizing::Header);
    list.addRow("This file is null");
    model.refresh();
    EXPECT_EQ(model.rowCount(), 1);
    EXPECT_EQ(model.columnCount(), 1);
    EXPECT_TRUE(model.sizedToHeader(0));

    // Cleared and refilled to the same size within one event: still a reset, not stale rows.
    list.clearRows();
    list.addRow("other");
    model.refresh();
    EXPECT_EQ(model.rowTexts(0), QStringList{"other"});
}

// Columns of source-like text draw in the desktop's fixed-pitch font at the list font's size;
// the others leave the font to the view.
TEST(ContentListModelTest, FixedPitchColumnsDrawInTheFixedPitchFont) {
    MemoryContentList list;
    ContentListModel model(list, ShellImages::list());
    Tester tester(&model, Tester::FailureReportingMode::Fatal);
    list.addColumn("Description", 50, ContentList::Alignment::Left, ContentList::Sizing::Header);
    list.addColumn("Other", 50, ContentList::Alignment::Left, ContentList::Sizing::Fixed);
    list.setColumnPitch(0, ContentList::Pitch::Fixed);
    list.addRow("             CMD        PROMPT('Display')");
    list.appendCell("x");
    model.refresh();
    QFont listFont(QStringLiteral("Tahoma"));
    listFont.setPixelSize(17);
    model.setListFont(listFont);
    const QVariant fixed = model.data(model.index(0, 0), Qt::FontRole);
    ASSERT_TRUE(fixed.canConvert<QFont>());
    const QFont font = fixed.value<QFont>();
    EXPECT_EQ(font.family(), QFontDatabase::systemFont(QFontDatabase::FixedFont).family());
    EXPECT_EQ(font.pixelSize(), 17);
    EXPECT_FALSE(model.data(model.index(0, 1), Qt::FontRole).isValid());

    list.clearRows();
    list.clearColumns();
    list.addColumn("Member Name", 50, ContentList::Alignment::Left, ContentList::Sizing::Fixed);
    list.addRow("QCLSRC");
    model.refresh();
    EXPECT_FALSE(model.data(model.index(0, 0), Qt::FontRole).isValid());
}

TEST(ContentListModelTest, RowsGoneBeforeARefreshDrawAsEmpty) {
    MemoryContentList list;
    ContentListModel model(list, ShellImages::list());
    list.addColumn("A", 50, ContentList::Alignment::Left, ContentList::Sizing::Fixed);
    list.addRow("kept");
    model.refresh();
    list.clearRows();
    EXPECT_EQ(model.data(model.index(0, 0)).toString(), QString());
}

}  // namespace
}  // namespace quelvane::test
