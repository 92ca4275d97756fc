#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QAction>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPrinter>
#include <QPushButton>
#include <QSortFilterProxyModel>
#include <QTest>
#include <QTreeView>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "shell/ObjectListDialog.h"
#include "shell/ObjectListModel.h"
#include "tests/shell/ShellFixture.h"
#include "tests/support/TestFiles.h"

namespace quelvane::test {
namespace {

namespace fs = std::filesystem;
using Tester = QAbstractItemModelTester;

SavedObject object(const char* name, std::uint16_t typeCode, std::optional<std::int64_t> size,
                   std::optional<SavedTimestamp> created) {
    SavedObject made;
    made.name = name;
    made.typeCode = typeCode;
    made.details.owner = "QPGMR";
    made.details.size = size;
    made.details.created = created;
    return made;
}

// Sizes whose order as text ("1000000" < "73728" < "8192") is not their order as numbers, and
// times whose order differs from the sizes'.
Catalog builtCatalog() {
    Catalog catalog;
    catalog.path = "saves/TOOLS.savf";
    catalog.header.details.savedAt = SavedTimestamp{2020, 8, 17, 22, 31, 41, 0};
    catalog.header.details.systemName = "ZYTEST";
    SavedPart part;
    part.library.name = "TOOLS";
    part.library.objects = {
        object("TESTDQ", 0x0A01, 8192, SavedTimestamp{2001, 9, 20, 10, 48, 54, 0}),
        object("BIGPGM", 0x0201, 1000000, SavedTimestamp{1999, 1, 2, 3, 4, 5, 0}),
        object("custfile", 0x1901, std::nullopt, SavedTimestamp{2023, 7, 13, 9, 8, 14, 0}),
        object("TOOLS", 0x0401, 73728, std::nullopt),
    };
    part.library.objects[2].attribute = "PF";
    part.library.objects[1].text = "Monthly totals";
    part.library.objectCount = 4;
    catalog.parts = {part};
    return catalog;
}

class ObjectListTest : public ShellFixture {
  protected:
    ObjectListDialog& openDialog() {
        dialog_ = std::make_unique<ObjectListDialog>(
            nullptr, catalog_, [] { return 1252; }, dialogs_);
        dialog_->showList();
        return *dialog_;
    }

    static QStringList column(ObjectListDialog& dialog, int columnIndex) {
        QStringList values;
        for (int row = 0; row < dialog.shown().rowCount(); ++row) {
            values << dialog.shown().index(row, columnIndex).data().toString();
        }
        return values;
    }

    void TearDown() override {
        dialog_.reset();
        ShellFixture::TearDown();
    }

    Catalog catalog_ = builtCatalog();
    std::unique_ptr<ObjectListDialog> dialog_;
};

TEST_F(ObjectListTest, SortsSizesAndTimesAsValuesAndNamesWithoutCase) {
    ObjectListDialog& dialog = openDialog();
    Tester sourceTester(&dialog.model(), Tester::FailureReportingMode::Fatal);
    Tester shownTester(&dialog.shown(), Tester::FailureReportingMode::Fatal);

    EXPECT_EQ(column(dialog, ObjectListText::kName), (QStringList{"TESTDQ", "BIGPGM", "custfile", "TOOLS"}));
    QHeaderView* header = dialog.view().header();
    // A click on the caption sorts by it.
    const QPoint sizeCaption(header->sectionViewportPosition(ObjectListText::kSize) +
                                 header->sectionSize(ObjectListText::kSize) / 2,
                             header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, sizeCaption);
    const QStringList ascending{"", "8192", "73728", "1000000"};
    const QStringList descending{"1000000", "73728", "8192", ""};
    const QStringList sizes = column(dialog, ObjectListText::kSize);
    EXPECT_EQ(sizes, header->sortIndicatorOrder() == Qt::AscendingOrder ? ascending : descending);
    header->setSortIndicator(ObjectListText::kSize, Qt::AscendingOrder);
    EXPECT_EQ(column(dialog, ObjectListText::kSize), ascending);
    header->setSortIndicator(ObjectListText::kCreated, Qt::DescendingOrder);
    EXPECT_EQ(column(dialog, ObjectListText::kName), (QStringList{"custfile", "TESTDQ", "BIGPGM", "TOOLS"}));
    header->setSortIndicator(ObjectListText::kName, Qt::AscendingOrder);
    EXPECT_EQ(column(dialog, ObjectListText::kName), (QStringList{"BIGPGM", "custfile", "TESTDQ", "TOOLS"}));
    EXPECT_EQ(dialog.model().headerData(ObjectListText::kSize, Qt::Horizontal).toString(), "Size");
    EXPECT_EQ(dialog.shown().index(0, ObjectListText::kType).data().toString(), "PGM");
}

TEST_F(ObjectListTest, FilterTakesAPrefixOrAPatternInEitherCase) {
    ObjectListDialog& dialog = openDialog();
    Tester shownTester(&dialog.shown(), Tester::FailureReportingMode::Fatal);
    struct Case {
        const char* typed;
        QStringList names;
    };
    const Case cases[] = {
        {"", {"TESTDQ", "BIGPGM", "custfile", "TOOLS"}},
        {"t", {"TESTDQ", "TOOLS"}},
        {"CUST", {"custfile"}},
        {"*dq", {"TESTDQ"}},
        {"t*s", {"TOOLS"}},
        {"*G*", {"BIGPGM"}},
        {"DQ", {}},
        {"B.G", {}},
        {" tools ", {"TOOLS"}},
    };
    for (const Case& c : cases) {
        dialog.filter().setText(QString::fromLatin1(c.typed));
        EXPECT_EQ(column(dialog, ObjectListText::kName), c.names) << c.typed;
    }
    dialog.filter().setText(QStringLiteral("t"));
    EXPECT_EQ(find<QLabel>(&dialog, "ObjectListCount")->text(), QStringLiteral("2 of 4 objects"));
}

// The file holds what the list shows, in its order, aligned, under the save's details.
TEST_F(ObjectListTest, SaveAsTextWritesTheShownRowsAligned) {
    ObjectListDialog& dialog = openDialog();
    const fs::path target = folder_ / "list.txt";
    dialog.setSavePathChooser([&target](QWidget*) { return QString::fromStdString(target.string()); });
    dialog.view().header()->setSortIndicator(ObjectListText::kSize, Qt::DescendingOrder);
    dialog.filter().setText(QStringLiteral("*t*s*"));
    find<QPushButton>(&dialog, "ObjectListSave")->click();
    EXPECT_EQ(slurp(target),
              "Save file TOOLS.savf\n"
              "Library TOOLS\n"
              "Saved 2020-08-17 22:31:41 on system ZYTEST\n"
              "\n"
              "Object  Type  Attribute  Owner   Size  Created              Text\n"
              "------  ----  ---------  -----  -----  -------------------  ----\n"
              "TOOLS   LIB              QPGMR  73728\n"
              "TESTDQ  DTAQ             QPGMR   8192  2001-09-20 10:48:54\n");

    dialog.setSavePathChooser(
        [this](QWidget*) { return QString::fromStdString((folder_ / "none" / "x").string()); });
    find<QPushButton>(&dialog, "ObjectListSave")->click();
    ASSERT_EQ(dialogs_.messages.size(), 1u);
    EXPECT_TRUE(dialogs_.messages[0].text.startsWith(QStringLiteral("Cannot write")))
        << dialogs_.messages[0].text.toStdString();
}

TEST_F(ObjectListTest, PrintsToAPdfAndShowsEveryLabelWhole) {
    ObjectListDialog& dialog = openDialog();
    dialog.filter().setText(QStringLiteral("t"));
    for (const QLabel* label : dialog.findChildren<QLabel*>()) {
        EXPECT_GE(label->width(), label->sizeHint().width()) << label->text().toStdString();
        EXPECT_GE(label->height(), label->sizeHint().height()) << label->text().toStdString();
    }
    QLabel* header = find<QLabel>(&dialog, "ObjectListHeader");
    EXPECT_TRUE(header->text().contains(QStringLiteral("Saved 2020-08-17 22:31:41 on system ZYTEST")));

    QPrinter printer;
    const fs::path pdf = folder_ / "list.pdf";
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString::fromStdString(pdf.string()));
    dialog.print(printer);
    EXPECT_EQ(slurp(pdf).substr(0, 5), "%PDF-");
    EXPECT_TRUE(dialogs_.messages.empty());
}

// Through the window: the Tools command lists the open save with the details read from it (the
// owner, size and creation time of TESTDQ and the save's clock were read off the file by hand).
TEST_F(ObjectListTest, ToolsCommandListsTheOpenSave) {
    const fs::path file = fs::path(QUELVANE_SAVF_DIR) / "JTT_rmlib.savf";
    if (!fs::exists(file)) {
        GTEST_SKIP() << "real save files not present";
    }
    configure(37, 1252);
    start();
    window_->openFile(QString::fromStdString(file.string()));
    window_->openJob().wait();
    find<QAction>(window_.get(), "ObjectList1")->trigger();
    ObjectListDialog& dialog = window_->objectList();
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Object list - JTT_rmlib.savf"));
    EXPECT_TRUE(dialog.header().text().contains(QStringLiteral("Saved 2002-01-31 11:27:17, serial 102PKFM")));
    EXPECT_EQ(dialog.model().rowCount(), 4);
    dialog.filter().setText(QStringLiteral("testdq"));
    ASSERT_EQ(dialog.shown().rowCount(), 1);
    const ObjectListRow& row =
        dialog.model().row(dialog.shown().mapToSource(dialog.shown().index(0, 0)).row());
    EXPECT_EQ(row.owner, "JAVACTL");
    EXPECT_EQ(row.size, 8192);
    EXPECT_EQ(row.created->text(), "2001-09-20 10:48:54");

    // Another save opened while the list is up is listed at once.
    window_->openFile(QString::fromStdString((fs::path(QUELVANE_SAVF_DIR) / "FLSEARCH.SAVF").string()));
    window_->openJob().wait();
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Object list - FLSEARCH.SAVF"));
    EXPECT_TRUE(dialog.header().text().contains(QStringLiteral("Saved 2023-07-13 09:10:29")));
    dialog.close();
}

}  // namespace
}  // namespace quelvane::test
