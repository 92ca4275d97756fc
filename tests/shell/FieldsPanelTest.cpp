#include <QAbstractItemModelTester>
#include <QAction>
#include <QTreeView>

#include <filesystem>

#include "shell/CatalogTreeModel.h"
#include "shell/FieldListModel.h"
#include "shell/FieldsPanel.h"
#include "shell/ListingWorker.h"
#include "tests/shell/ShellFixture.h"
#include "tests/support/RealFiles.h"

namespace quelvane::test {
namespace {

namespace fs = std::filesystem;

class RealFilesFieldsPanel : public ShellFixture {
  protected:
    void open(const char* name) {
        const fs::path path = fs::path(QUELVANE_SAVF_DIR) / name;
        QUELVANE_REQUIRE_REAL_FILE(path);
        configure(37, 1252);
        start();
        window_->openFile(QString::fromStdString(path.string()));
        window_->openJob().wait();
    }

    QString cell(int row, int column) {
        FieldListModel& model = window_->fields().model();
        return model.data(model.index(row, column)).toString();
    }

    QStringList row(int number) {
        QStringList cells;
        for (int column = 0; column < window_->fields().model().columnCount(); ++column) {
            cells << cell(number, column);
        }
        return cells;
    }
};

TEST_F(RealFilesFieldsPanel, ShowsEveryFactOfTheFieldsAsDdsDeclaredThem) {
    open("JTT_ddmtestsav.savf");
    if (window_ == nullptr) {
        return;
    }
    window_->show();
    QAbstractItemModelTester tester(&window_->fields().model(),
                                    QAbstractItemModelTester::FailureReportingMode::Fatal);
    EXPECT_FALSE(window_->fields().isVisible());
    select({QStringLiteral("Library"), QStringLiteral("Part1"), QStringLiteral("ALLFLDS(PF)")});
    EXPECT_TRUE(window_->fields().isVisible());
    EXPECT_EQ(window_->fields().windowTitle(), QStringLiteral("Fields"));
    FieldListModel& model = window_->fields().model();
    ASSERT_EQ(model.rowCount(), 16);
    ASSERT_EQ(model.columnCount(), 13);
    EXPECT_EQ(model.headerData(0, Qt::Horizontal).toString(), QStringLiteral("Field"));
    EXPECT_EQ(model.headerData(12, Qt::Horizontal).toString(), QStringLiteral("Column headings"));
    struct Case {
        int row;
        QStringList cells;
    };
    const Case cases[] = {
        {0, {"BINARY2", "", "B", "4", "4", "0", "", "", "", "", "+0", "", "BINARY2"}},
        {2, {"CHARACTER", "", "A", "1", "", "", "37", "", "", "", "'0'", "CHAR 0", "CHARACTER"}},
        {3, {"VARCHAR", "", "A", "50", "", "", "37", "Yes", "Yes", "25", "", "", "VARCHAR"}},
        {4, {"DATE", "", "L", "8", "", "", "37", "", "", "", "'01/01/97'", "START DATE", "DATE"}},
        {5,
         {"DBCSEITHER", "", "E", "100", "", "", "937", "", "", "", "", "DBCS EITHER FIELD",
          "DBCS / EITHER / FIELD"}},
        {6, {"DBCSGRAPH", "GRAPHICAL", "G", "10", "", "", "835", "", "", "", "", "", "DBCSGRAPH"}},
        {9, {"FLOAT4", "", "F", "7", "7", "3", "", "", "", "", "", "", "FLOAT4"}},
        {11, {"HEX", "", "H", "10", "", "", "65535", "", "", "", "", "", "HEX"}},
        {12, {"PACKEDDEC", "", "P", "31", "31", "0", "", "Yes", "", "", "", "", "PACKEDDEC"}},
        {15, {"ZONEDDEC", "", "S", "5", "5", "3", "", "", "", "", "", "", "ZONEDDEC"}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(row(c.row), c.cells) << c.row;
    }
    const QString summary = window_->fields().summaryText();
    EXPECT_TRUE(
        summary.contains(QStringLiteral("Physical file ALLFLDS: All fld types,no key,field lvl keywords")))
        << qPrintable(summary);
    EXPECT_TRUE(
        summary.contains(QStringLiteral("Format ALLFLDS, level identifier 46991C66DD933, record length 294")))
        << qPrintable(summary);
    EXPECT_TRUE(
        summary.contains(QStringLiteral("Arrival sequence; source DDMTESTSAV/QDDSSRC(ALLFLDS); language ENU, "
                                        "country US")))
        << qPrintable(summary);

    // A member shows its file's fields; a node that is no file, none.
    select({QStringLiteral("Library"), QStringLiteral("Part1"), QStringLiteral("SIMPLESEQ(PF)"),
            QStringLiteral("SIMPLESEQ")});
    EXPECT_EQ(model.rowCount(), 3);
    EXPECT_EQ(cell(1, 0), QStringLiteral("TENCHARFLD"));
    EXPECT_TRUE(window_->fields().isVisible());
    select({QStringLiteral("Library"), QStringLiteral("Part0")});
    EXPECT_EQ(model.rowCount(), 0);
    EXPECT_FALSE(window_->fields().isVisible());
}

TEST_F(RealFilesFieldsPanel, TextsAndLongNamesInTheirStoredCcsids) {
    open("CSCH@009.SAVF");
    if (window_ == nullptr) {
        return;
    }
    window_->show();
    select({QStringLiteral("Library"), QStringLiteral("Part1"), QStringLiteral("MSYOP@4(PF)")});
    FieldListModel& model = window_->fields().model();
    ASSERT_EQ(model.rowCount(), 9);
    EXPECT_EQ(row(0), (QStringList{"MSYOSYCODE", "MSYOP_SYOHIN_CODE", "A", "5", "", "", "290", "", "", "", "",
                                   "商品コード", "商品コード"}));
    EXPECT_EQ(cell(3, 1), QStringLiteral("MSYOP_SYOHIN_TANKA"));
    EXPECT_EQ(cell(3, 5), QStringLiteral("2"));
    EXPECT_TRUE(window_->fields().summaryText().contains(QStringLiteral("Format MSYOR (商品マスター)")))
        << qPrintable(window_->fields().summaryText());
}

// A logical file's fields are read from its own record formats, every one of them.
TEST_F(RealFilesFieldsPanel, LogicalFilesShowTheirOwnFormat) {
    open("JTT_ddmtestsav.savf");
    if (window_ == nullptr) {
        return;
    }
    window_->show();
    QAbstractItemModelTester tester(&window_->fields().model(),
                                    QAbstractItemModelTester::FailureReportingMode::Fatal);
    select({QStringLiteral("Library"), QStringLiteral("Part1"), QStringLiteral("MLTFMT4(LF)")});
    ASSERT_TRUE(window_->fields().isVisible());
    const QString summary = window_->fields().summaryText();
    EXPECT_TRUE(summary.startsWith(QStringLiteral("Logical file MLTFMT4"))) << qPrintable(summary);
    EXPECT_TRUE(summary.contains(QStringLiteral("Format FMT1"))) << qPrintable(summary);
    FieldListModel& model = window_->fields().model();
    ASSERT_GT(model.rowCount(), 0) << qPrintable(summary);
    EXPECT_EQ(cell(0, 0), QStringLiteral("FIELD1"));
    EXPECT_EQ(cell(0, 2), QStringLiteral("A"));
    // Both formats of its DDS: FMT1 FIELD1 FIELD2, FMT2 FIELD1 FIELD2 FIELD3.
    EXPECT_TRUE(
        summary.contains(QStringLiteral("Format FMT2, level identifier 2983BC8BD59E0, record length 30, "
                                        "3 fields")))
        << qPrintable(summary);
    ASSERT_EQ(model.rowCount(), 5);
    EXPECT_EQ(cell(4, 0), QStringLiteral("FIELD3"));
}

}  // namespace
}  // namespace quelvane::test
