#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStandardItemModel>
#include <QWidget>

#include "export/pickbatch/BatchExportDialog.h"
#include "export/pickbatch/ExportActions.h"
#include "export/pickbatch/FailureReporter.h"
#include "tests/export/ExportFixture.h"
#include "tests/export/ExportTestTools.h"

namespace quelvane::test {
namespace {

class TypedFileDialog final : public ExportFileDialog {
  public:
    TypedFileDialog(std::string typed, int filter) : typed_(std::move(typed)), filter_(filter) {}
    bool execute(std::string& fileName, int& filterIndex) override {
        fileName = typed_;
        filterIndex = filter_;
        return true;
    }
    void setFileName(const std::string&) override {}

  private:
    std::string typed_;
    int filter_;
};

struct ExportActionsTest : ::testing::Test {
    static void SetUpTestSuite() {
        static int argc = 1;
        static char name[] = "pickbatch_tests";
        static char* argv[] = {name, nullptr};
        if (QApplication::instance() == nullptr) {
            static QApplication application(argc, argv);
        }
    }

    ExportActionsTest() {
        fixture.open({ordersFile({{"JAN", "", "", 2}, {"FEB", "", "", 1}}), ordersFile({}, "LOGS", "LF")},
                     {ContentFixtures::memberRecords("ORDERS", "JAN", kOrderLength, orderSlots(2)),
                      ContentFixtures::memberRecords("ORDERS", "FEB", kOrderLength, orderSlots(1))});
        actions.setAutomationFactory([this](std::int32_t page) {
            pages.push_back(page);
            return std::make_unique<RecordingAutomationClient>();
        });
    }
    ~ExportActionsTest() override { std::filesystem::current_path(start); }

    std::filesystem::path start = std::filesystem::current_path();
    ExportFixture fixture;
    QWidget window;
    std::optional<NodePosition> selected;
    ExportActions actions{&window, fixture.views.session, [] { return 1252; }, [this] { return selected; }};
    std::vector<std::int32_t> pages;
    ScratchDirectory scratch{"quelvane-export-actions"};
};

TEST_F(ExportActionsTest, PickOutExportsTheSelectedMemberWithTheDialogsChoice) {
    actions.setFileDialog(std::make_unique<TypedFileDialog>((scratch / "feb.doc").string(), 1));
    selected = NodePosition{3, 1, 0, 0};
    actions.exportMember();
    EXPECT_EQ(readFile(scratch / "feb.txt"), "R0  123.452000-01-01 12:00:000\r\n");
    // A text export never needs an automation carrier.
    EXPECT_TRUE(pages.empty());

    selected = NodePosition{2, 1, 0, 0};
    actions.exportMember();
    ASSERT_EQ(fixture.views.notifier.entries.size(), 1u);
    EXPECT_EQ(fixture.views.notifier.entries[0].caption, "Pick Out");
}

TEST_F(ExportActionsTest, BatchOpensTheDialogAndConfirmRunsItWithTheSplitter) {
    selected = NodePosition{3, 0, 0, 0};
    actions.exportBatch();
    BatchExportDialog& dialog = actions.batchDialog();
    EXPECT_TRUE(dialog.isVisible());
    dialog.setDirectoryChooser(
        [&](QWidget*, const QString&) { return QString::fromStdString(scratch.path().string()); });
    dialog.selectDirectory();
    dialog.findChild<QCheckBox*>(QStringLiteral("CheckBox1"))->setChecked(true);
    // The selection may change while the dialog is open; the dialog keeps its file.
    selected = NodePosition{2, 1, 0, 0};
    dialog.findChild<QPushButton*>(QStringLiteral("Button2"))->click();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(readFile(scratch / "ORDERS_JAN.txt"),
              "R0  |123.45|2000-01-01 12:00:00|0|\r\nR1  |123.45|2000-01-01 12:00:00|1|\r\n");
    EXPECT_EQ(readFile(scratch / "ORDERS_FEB.txt"), "R0  |123.45|2000-01-01 12:00:00|0|\r\n");
}

// Failures are caught in the slots and reported once: the text writer's, whose message box was
// shown, not again; a raised automation failure once, through the program's report.
TEST_F(ExportActionsTest, ARaisedFailureIsReportedOnceByTheSlot) {
    QStringList reported;
    FailureReporter::setHandler([&](const QString& text) { reported << text; });
    selected = NodePosition{2, 0, 0, 0};
    actions.exportBatch();
    actions.batchDialog().setDirectoryChooser(
        [&](QWidget*, const QString&) { return QString::fromStdString((scratch / "missing").string()); });
    actions.batchDialog().selectDirectory();
    EXPECT_NO_THROW(actions.runBatch());
    EXPECT_TRUE(actions.batchDialog().isVisible());
    ASSERT_EQ(fixture.views.notifier.entries.size(), 1u);
    EXPECT_EQ(fixture.views.notifier.entries[0].text,
              "Open<" + (scratch / "missing").string() + "/ORDERS_JAN.txt>file error");
    EXPECT_TRUE(reported.empty()) << qPrintable(reported.join('\n'));

    actions.setAutomationFactory([](std::int32_t) {
        auto client = std::make_unique<RecordingAutomationClient>();
        client->failWhen("set #1.Visible", "cannot save");
        return client;
    });
    actions.batchDialog().findChild<QRadioButton*>(QStringLiteral("FileType1_1"))->setChecked(true);
    EXPECT_NO_THROW(actions.runBatch());
    FailureReporter::setHandler({});
    EXPECT_EQ(reported, QStringList{QStringLiteral("cannot save")});
}

// Without configured code pages the selection is still checked first, and a text export needs
// no automation carrier at all; the Word writer reports a carrier it cannot make as a server
// that does not start.
TEST_F(ExportActionsTest, SelectionChecksComeBeforeAnyAutomationCarrier) {
    QStringList reported;
    FailureReporter::setHandler([&](const QString& text) { reported << text; });
    ExportActions unconfigured{&window, fixture.views.session, [] { return 100000; },
                               [this] { return selected; }};
    for (const std::optional<NodePosition>& refused :
         {std::optional<NodePosition>{}, std::optional(NodePosition{2, 0, 0, 0})}) {
        fixture.views.notifier.entries.clear();
        selected = refused;
        EXPECT_NO_THROW(unconfigured.exportMember());
        ASSERT_EQ(fixture.views.notifier.entries.size(), 1u);
        EXPECT_EQ(fixture.views.notifier.entries[0].text, "Please choose a  PF member!");
    }
    fixture.views.notifier.entries.clear();
    selected = NodePosition{3, 1, 0, 0};
    unconfigured.setFileDialog(std::make_unique<TypedFileDialog>((scratch / "feb").string(), 1));
    unconfigured.exportMember();
    EXPECT_TRUE(std::filesystem::is_regular_file(scratch / "feb.txt"));
    unconfigured.setFileDialog(std::make_unique<TypedFileDialog>((scratch / "feb").string(), 2));
    unconfigured.exportMember();
    ASSERT_EQ(fixture.views.notifier.entries.size(), 1u);
    EXPECT_EQ(fixture.views.notifier.entries[0].text, "Start Word error, MS Word maybe not installed.");
    FailureReporter::setHandler({});
    EXPECT_TRUE(reported.empty()) << qPrintable(reported.join('\n'));
}

TEST_F(ExportActionsTest, TreeIndexesAddressTheCatalog) {
    QStandardItemModel model;
    auto* library = new QStandardItem("LIB");
    model.appendRow(library);
    auto* part = new QStandardItem("Part0");
    library->appendRow(part);
    part->appendRow(new QStandardItem("A(PGM)"));
    auto* file = new QStandardItem("ORDERS(PF)");
    part->appendRow(file);
    file->appendRow(new QStandardItem("JAN"));
    file->appendRow(new QStandardItem("FEB"));
    EXPECT_FALSE(ExportActions::nodeOf(QModelIndex()).has_value());
    const auto member = ExportActions::nodeOf(file->child(1)->index());
    ASSERT_TRUE(member.has_value());
    EXPECT_EQ(member->level, 3);
    EXPECT_EQ(member->index, 1);
    EXPECT_EQ(member->parentIndex, 1);
    EXPECT_EQ(member->grandparentIndex, 0);
    EXPECT_EQ(ExportActions::nodeOf(library->index())->level, 0);
    EXPECT_EQ(ExportActions::nodeOf(file->index())->level, 2);
}

}  // namespace
}  // namespace quelvane::test
