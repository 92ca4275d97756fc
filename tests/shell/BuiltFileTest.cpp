#include <QTreeView>

#include "shell/CatalogTreeModel.h"
#include "shell/ContentListModel.h"
#include "shell/ListingWorker.h"
#include "tests/shell/ShellFixture.h"
#include "tests/support/ContentFixtures.h"

namespace quelvane::test {
namespace {

// Save files built for the case, opened through the window as a user would.
class BuiltFileTest : public ShellFixture {
  protected:
    void openBuilt(const SaveFileBuilder& builder) {
        const auto path = folder_ / "built.savf";
        builder.build().writeTo(path.string());
        configure(37, 1252);
        start();
        openThroughDialog(path);
    }

    QModelIndex at(std::initializer_list<int> rows) {
        QModelIndex index;
        for (int row : rows) {
            index = window_->treeModel().index(row, 0, index);
        }
        return index;
    }

    QString caption(std::initializer_list<int> rows) {
        return window_->treeModel().data(at(rows)).toString();
    }

    void click(std::initializer_list<int> rows) {
        window_->findChild<QTreeView*>(QStringLiteral("TreeView1"))->setCurrentIndex(at(rows));
        window_->showSelectedNode();
        window_->findChild<ListingWorker*>()->wait();
    }
};

BuiltObject physicalFile(const std::string& name, int members) {
    BuiltObject file;
    file.name = name;
    file.attribute = "PF";
    file.fields = {{"NAME", 0x0004, 4}};
    for (int i = 0; i < members; ++i) {
        file.members.push_back({"M" + std::to_string(i), "", "", 1});
    }
    return file;
}

TEST_F(BuiltFileTest, PartsObjectTypesAndMembersShowInTheTree) {
    BuiltPart first;
    first.objects = {ContentFixtures::programObject("MYPGM", "RPGLE"), physicalFile("CUSTMAST", 2)};
    BuiltObject odd;
    odd.name = "X";
    odd.typeCode = 0x0B90;
    first.objects.push_back(odd);
    BuiltPart second;
    second.library = "OTHER";
    second.objects = {physicalFile("SMALL", 3)};
    SaveFileBuilder builder;
    builder.add(first).add(second);
    openBuilt(builder);

    EXPECT_EQ(caption({0}), QStringLiteral("Library(QGPL)"));
    EXPECT_EQ(caption({0, 0}), QStringLiteral("Part0"));
    EXPECT_EQ(caption({0, 1}), QStringLiteral("Part1"));
    EXPECT_EQ(caption({0, 0, 0}), QStringLiteral("MYPGM(PGM)"));
    EXPECT_EQ(caption({0, 0, 1}), QStringLiteral("CUSTMAST(PF)"));
    EXPECT_EQ(caption({0, 0, 1, 1}), QStringLiteral("M1 "));
    EXPECT_EQ(caption({0, 0, 2}), QStringLiteral("X"));
    EXPECT_EQ(window_->treeModel().rowCount(at({0, 1, 0})), 3);

    // A program that is no CL program shows its labels only.
    click({0, 0, 0});
    EXPECT_EQ(label("Label1"), QStringLiteral("Object:  MYPGM       It's RPGLE type."));
    EXPECT_EQ(window_->listModel().rowCount(), 0);
}

TEST_F(BuiltFileTest, ADataAreaShowsItsValueUnderItsRuler) {
    BuiltPart part;
    part.library = "SHOP";
    part.objects = {ContentFixtures::dataAreaObject("SETTINGS")};
    BuiltDataArea area;
    area.objectName = "SETTINGS";
    area.length = 3;
    area.value = SaveFileBuilder::ebcdic("ABC", 3);
    SaveFileBuilder builder;
    builder.add(part).add(ContentFixtures::dataArea(area));
    openBuilt(builder);

    EXPECT_EQ(caption({0, 0, 0}), QStringLiteral("SETTINGS(DTAARA)"));
    click({0, 0, 0});
    const auto& list = window_->listModel();
    ASSERT_GT(list.rowCount(), 0);
    EXPECT_EQ(list.headerData(0, Qt::Horizontal).toString(),
              QStringLiteral("This Data Area has 3 length value space"));
    EXPECT_EQ(list.rowTexts(list.rowCount() - 1), QStringList{"--Values:ABC"});
    EXPECT_FALSE(button(2)->isEnabled());
    EXPECT_FALSE(button(3)->isEnabled());
}

}  // namespace
}  // namespace quelvane::test
