#include <QAction>
#include <QFontMetrics>
#include <QHeaderView>
#include <QLabel>
#include <QTest>
#include <QTreeView>

#include "shell/CatalogTreeModel.h"

#include "export/pickbatch/BatchExportDialog.h"
#include "export/pickbatch/ExportActions.h"
#include "shell/FlatListView.h"
#include "shell/ListingWorker.h"
#include "tests/shell/ChosenFile.h"
#include "tests/shell/ShellFixture.h"
#include "tests/support/ContentFixtures.h"

namespace quelvane::test {
namespace {

// The window's export buttons, menu items and tree pop-up items over a built file: ORDERS with
// members JAN and FEB, one character field each.
class ExportWiringTest : public ShellFixture {
  protected:
    void SetUp() override {
        ShellFixture::SetUp();
        BuiltObject orders;
        orders.name = "ORDERS";
        orders.attribute = "PF";
        orders.fields = {{"NAME", 0x0403, 4, 0, 0, 0, 40}};
        orders.members = {{"JAN", "", "", 1}, {"FEB", "", "", 1}};
        BuiltPart part;
        part.objects = {orders};
        SaveFileBuilder builder;
        builder.add(part);
        builder.add(
            ContentFixtures::memberRecords("ORDERS", "JAN", 4, {{0x80, SaveFileBuilder::ebcdic("PEN", 4)}}));
        builder.add(
            ContentFixtures::memberRecords("ORDERS", "FEB", 4, {{0x80, SaveFileBuilder::ebcdic("INK", 4)}}));
        const auto path = folder_ / "built.savf";
        builder.build().writeTo(path.string());
        configure(37, 1252);
        start();
        openThroughDialog(path);
    }

    QAction* action(const char* name) { return find<QAction>(window_.get(), name); }
};

TEST_F(ExportWiringTest, ExportAndPickOutWriteTheSelectedMember) {
    const std::filesystem::path start = std::filesystem::current_path();
    auto dialog = std::make_unique<ChosenFile>((folder_ / "out").string());
    ChosenFile* chosen = dialog.get();
    window_->exports().setFileDialog(std::move(dialog));
    selectRows({0, 0, 0, 1});
    button(2)->click();
    EXPECT_EQ(chosen->presets, std::vector<std::string>{"ORDERS_FEB"});
    std::ifstream written(folder_ / "out.txt", std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(written), {}), "INK \r\n");

    selectRows({0, 0, 0});
    action("PickOut1")->trigger();
    action("ExportAMember1")->trigger();
    EXPECT_EQ(dialogs_.messageTexts(),
              QStringList({"Please choose a  PF member!", "Please choose a  PF member!"}));
    std::filesystem::current_path(start);
}

TEST_F(ExportWiringTest, BatchAndPickOutInBatchOpenTheBatchDialog) {
    BatchExportDialog& batch = window_->exports().batchDialog();
    EXPECT_FALSE(batch.isVisible());
    selectRows({0, 0, 0, 0});
    button(3)->click();
    EXPECT_TRUE(batch.isVisible());
    EXPECT_EQ(find<QLabel>(&batch, "pf")->text(), QStringLiteral("ORDERS"));
    EXPECT_EQ(find<QLabel>(&batch, "memnum")->text(), QStringLiteral("2"));
    batch.closeDialog();

    selectRows({0, 0});
    action("PickOutInBatch1")->trigger();
    action("ExportInBatch1")->trigger();
    EXPECT_FALSE(batch.isVisible());
    EXPECT_EQ(dialogs_.messageTexts(), QStringList({"Please choose a PF!", "Please choose a PF!"}));
}

// A right click on another node leaves the current one: "Pick Out" acts on the member the list
// and the labels show.
TEST_F(ExportWiringTest, ARightClickDoesNotChangeWhatThePopUpActsOn) {
    const std::filesystem::path start = std::filesystem::current_path();
    auto dialog = std::make_unique<ChosenFile>((folder_ / "out").string());
    ChosenFile* chosen = dialog.get();
    window_->exports().setFileDialog(std::move(dialog));
    selectRows({0, 0, 0, 1});
    auto* tree = window_->findChild<QTreeView*>(QStringLiteral("TreeView1"));
    window_->show();
    tree->expandAll();
    const QModelIndex jan = window_->treeModel().index(
        0, 0,
        window_->treeModel().index(0, 0, window_->treeModel().index(0, 0, window_->treeModel().index(0, 0))));
    const QPoint at = tree->visualRect(jan).center();
    ASSERT_EQ(tree->indexAt(at), jan);
    QTest::mouseClick(tree->viewport(), Qt::RightButton, {}, at);
    EXPECT_NE(tree->currentIndex(), jan);
    action("PickOut1")->trigger();
    EXPECT_EQ(chosen->presets, std::vector<std::string>{"ORDERS_FEB"});
    std::filesystem::current_path(start);
}

// A records column is as wide as its caption and the values in view, whatever the core's
// pixels-per-byte width says: a packed field of three bytes shows 9999 and BADGENBR whole.
class RecordColumnsTest : public ShellFixture {};

TEST_F(RecordColumnsTest, AColumnFitsItsCaptionAndValues) {
    BuiltObject votes;
    votes.name = "VOTES";
    votes.attribute = "PF";
    votes.fields = {{"BADGENBR", 0x0303, 3, 5, 0, 0, 40}, {"X", 0x0403, 1, 0, 0, 0, 40}};
    votes.members = {{"VOTES", "", "", 2}};
    BuiltPart part;
    part.objects = {votes};
    SaveFileBuilder builder;
    builder.add(part);
    builder.add(ContentFixtures::memberRecords(
        "VOTES", "VOTES", 4, {{0x80, {0x09, 0x99, 0x9F, 0xE7}}, {0x80, {0x05, 0x55, 0x5F, 0xE7}}}));
    const auto path = folder_ / "votes.savf";
    builder.build().writeTo(path.string());
    configure(37, 1252);
    start();
    openThroughDialog(path);
    QModelIndex index;
    for (int row : {0, 0, 0, 0}) {
        index = window_->treeModel().index(row, 0, index);
    }
    window_->findChild<QTreeView*>(QStringLiteral("TreeView1"))->setCurrentIndex(index);
    window_->showSelectedNode();

    auto* list = window_->findChild<FlatListView*>(QStringLiteral("ListView1"));
    ASSERT_NE(list, nullptr);
    QAbstractItemModel* model = list->model();
    // The rows are listed in the background.
    for (int waited = 0; waited < 5000 && model->rowCount() < 2; waited += 10) {
        QTest::qWait(10);
    }
    ASSERT_EQ(model->rowCount(), 2);
    const QFontMetrics metrics(list->font());
    bool sawNumber = false;
    for (int column = 0; column < model->columnCount(); ++column) {
        const QString caption = model->headerData(column, Qt::Horizontal).toString();
        const int width = list->header()->sectionSize(column);
        EXPECT_GE(width, list->header()->fontMetrics().horizontalAdvance(caption)) << qPrintable(caption);
        for (int row = 0; row < model->rowCount(); ++row) {
            const QString value = model->index(row, column).data().toString();
            sawNumber = sawNumber || value == QStringLiteral("9999");
            EXPECT_GE(width, metrics.horizontalAdvance(value) + 6) << qPrintable(value);
        }
    }
    EXPECT_TRUE(sawNumber);
}

}  // namespace
}  // namespace quelvane::test
