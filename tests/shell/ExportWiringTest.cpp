#include <QAction>
#include <QLabel>
#include <QTreeView>

#include "shell/CatalogTreeModel.h"

#include "export/pickbatch/BatchExportDialog.h"
#include "export/pickbatch/ExportActions.h"
#include "shell/ListingWorker.h"
#include "tests/shell/ShellFixture.h"
#include "tests/support/ContentFixtures.h"

namespace quelvane::test {
namespace {

class ChosenFile final : public ExportFileDialog {
  public:
    explicit ChosenFile(std::string path) : path_(std::move(path)) {}
    bool execute(std::string& fileName, int& filterIndex) override {
        presets.push_back(fileName);
        fileName = path_;
        filterIndex = 1;
        return true;
    }
    void setFileName(const std::string&) override {}

    std::vector<std::string> presets;

  private:
    std::string path_;
};

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
        dialogs_.files.push_back(QString::fromStdString(path.string()));
        window_->openSaveFile();
    }

    void select(std::initializer_list<int> rows) {
        QModelIndex index;
        for (int row : rows) {
            index = window_->treeModel().index(row, 0, index);
        }
        window_->findChild<QTreeView*>(QStringLiteral("TreeView1"))->setCurrentIndex(index);
        window_->showSelectedNode();
        window_->findChild<ListingWorker*>()->wait();
    }

    QAction* action(const char* name) { return find<QAction>(window_.get(), name); }
};

TEST_F(ExportWiringTest, ExportAndPickOutWriteTheSelectedMember) {
    const std::filesystem::path start = std::filesystem::current_path();
    auto dialog = std::make_unique<ChosenFile>((folder_ / "out").string());
    ChosenFile* chosen = dialog.get();
    window_->exports().setFileDialog(std::move(dialog));
    select({0, 0, 0, 1});
    button(2)->click();
    EXPECT_EQ(chosen->presets, std::vector<std::string>{"ORDERS_FEB"});
    std::ifstream written(folder_ / "out.txt", std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(written), {}), "INK \r\n");

    select({0, 0, 0});
    action("PickOut1")->trigger();
    action("ExportAMember1")->trigger();
    EXPECT_EQ(dialogs_.messageTexts(),
              QStringList({"Please choose a  PF member!", "Please choose a  PF member!"}));
    std::filesystem::current_path(start);
}

TEST_F(ExportWiringTest, BatchAndPickOutInBatchOpenTheBatchDialog) {
    BatchExportDialog& batch = window_->exports().batchDialog();
    EXPECT_FALSE(batch.isVisible());
    select({0, 0, 0, 0});
    button(3)->click();
    EXPECT_TRUE(batch.isVisible());
    EXPECT_EQ(find<QLabel>(&batch, "pf")->text(), QStringLiteral("ORDERS"));
    EXPECT_EQ(find<QLabel>(&batch, "memnum")->text(), QStringLiteral("2"));
    batch.closeDialog();

    select({0, 0});
    action("PickOutInBatch1")->trigger();
    action("ExportInBatch1")->trigger();
    EXPECT_FALSE(batch.isVisible());
    EXPECT_EQ(dialogs_.messageTexts(), QStringList({"Please choose a PF!", "Please choose a PF!"}));
}

}  // namespace
}  // namespace quelvane::test
