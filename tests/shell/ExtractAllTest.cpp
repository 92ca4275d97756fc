#include <QAction>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>

#include "shell/ExtractAllAction.h"
#include "shell/ExtractDialog.h"
#include "tests/shell/ShellFixture.h"
#include "tests/support/ContentFixtures.h"
#include "tests/support/RealFiles.h"
#include "tests/support/TestFiles.h"

namespace quelvane::test {
namespace {

namespace fs = std::filesystem;

// File > Extract all... over a built file: ORDERS with members JAN (one record) and BIG.
class ExtractAllTest : public ShellFixture {
  protected:
    void SetUp() override {
        ShellFixture::SetUp();
        configure(37, 1252);
        start();
    }

    void openBuilt(std::uint32_t bigRecords) {
        BuiltObject orders;
        orders.name = "ORDERS";
        orders.attribute = "PF";
        orders.fields = {{"NAME", 0x0403, 4, 0, 0, 0, 40}};
        orders.members = {{"JAN", "", "", 1}, {"BIG", "", "", bigRecords}};
        BuiltPart part;
        part.objects = {orders};
        SaveFileBuilder builder;
        builder.add(part);
        builder.add(
            ContentFixtures::memberRecords("ORDERS", "JAN", 4, {{0x80, SaveFileBuilder::ebcdic("PEN", 4)}}));
        builder.add(ContentFixtures::memberRecords(
            "ORDERS", "BIG", 4,
            std::vector<StreamSlot>(bigRecords, {0x80, SaveFileBuilder::ebcdic("INK", 4)})));
        const auto path = folder_ / "built.savf";
        builder.build().writeTo(path.string());
        openThroughDialog(path);
    }

    bool waitForFinish() {
        QSignalSpy done(&window_->extractAll(), &ExtractAllAction::finished);
        return !window_->extractAll().running() || done.wait(60000);
    }

    std::vector<std::string> filesUnder(const fs::path& root) const {
        std::vector<std::string> files;
        if (fs::exists(root)) {
            for (const auto& entry : fs::recursive_directory_iterator(root)) {
                if (entry.is_regular_file()) {
                    files.push_back(fs::relative(entry.path(), root).generic_string());
                }
            }
        }
        std::sort(files.begin(), files.end());
        return files;
    }
};

TEST_F(ExtractAllTest, MenuItemAsksForTheFolderAndEndsWithASummary) {
    openBuilt(20000);
    const fs::path out = folder_ / "out";
    ExtractDialog& dialog = window_->extractAll().dialog();
    QTimer::singleShot(0, &dialog, [&] {
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_EQ(dialog.folder(), QString::fromStdString((folder_ / "built").string()));
        dialog.setFolder(QString::fromStdString(out.string()));
        dialog.setWriteDatabase(true);
        dialog.accept();
    });
    find<QAction>(window_.get(), "ExtractAll1")->trigger();
    ASSERT_TRUE(waitForFinish());
    EXPECT_EQ(filesUnder(out), (std::vector<std::string>{"QGPL/ORDERS/BIG.csv", "QGPL/ORDERS/JAN.csv",
                                                         "built.db", "catalog.json", "schema.sql"}));
    EXPECT_EQ(slurp(out / "QGPL" / "ORDERS" / "JAN.csv"), "NAME\r\nPEN\r\n");
    EXPECT_EQ(window_->extractAll().outcome().membersWritten, 2);

    QMessageBox* summary = window_->extractAll().summary();
    ASSERT_NE(summary, nullptr);
    EXPECT_TRUE(summary->isVisible());
    EXPECT_TRUE(summary->text().startsWith(QStringLiteral("2 members written to")));
    summary->findChild<QPushButton*>(QStringLiteral("ExtractOpenFolder"))->click();
    ASSERT_EQ(dialogs_.urls.size(), 1u);
    EXPECT_EQ(dialogs_.urls.front(), QUrl::fromLocalFile(QString::fromStdString(out.string())));
    EXPECT_EQ(window_->extractAll().progressDialog(), nullptr);
}

TEST_F(ExtractAllTest, CancelledRunLeavesCompleteFilesOnly) {
    // BIG takes the worker far longer than the cancel takes to reach it.
    openBuilt(300000);
    const fs::path out = folder_ / "out";
    window_->extractAll().start({QString::fromStdString(out.string()), true});
    QProgressDialog* progress = window_->extractAll().progressDialog();
    ASSERT_NE(progress, nullptr);
    EXPECT_TRUE(progress->isVisible());
    progress->findChild<QPushButton*>()->click();
    ASSERT_TRUE(waitForFinish());
    EXPECT_TRUE(window_->extractAll().outcome().cancelled);
    // JAN may have been written before the cancel took effect; BIG, the database and no
    // temporary file were.
    for (const std::string& file : filesUnder(out)) {
        EXPECT_TRUE(file == "catalog.json" || file == "QGPL/ORDERS/JAN.csv") << file;
    }
    EXPECT_TRUE(window_->extractAll().summary()->text().startsWith(QStringLiteral("Extraction cancelled")));
}

// A save of the integrated file system gives its directories and stream files, byte for byte:
// UZ_wcount25i holds 43 stream files; latest.gif ends on the GIF trailer.
TEST_F(ExtractAllTest, AnIntegratedFileSystemSaveWritesItsStreamFiles) {
    const fs::path save = fs::path(QUELVANE_SAVF_DIR) / "UZ_wcount25i.savf";
    QUELVANE_REQUIRE_REAL_FILE(save);
    openThroughDialog(save);
    const fs::path out = folder_ / "ifs";
    window_->extractAll().start({QString::fromStdString(out.string()), false});
    ASSERT_TRUE(waitForFinish());
    const std::vector<std::string> files = filesUnder(out);
    EXPECT_EQ(files.size(), 44u);
    EXPECT_TRUE(window_->extractAll().outcome().entriesNotWritten.empty());
    const auto gif = std::find_if(files.begin(), files.end(),
                                  [](const std::string& file) { return file.ends_with("/latest.gif"); });
    ASSERT_NE(gif, files.end());
    const std::string bytes = slurp(out / *gif);
    ASSERT_FALSE(bytes.empty());
    EXPECT_EQ(bytes.back(), '\x3B');
}

TEST_F(ExtractAllTest, NothingOpenSaysSo) {
    find<QAction>(window_.get(), "ExtractAll1")->trigger();
    EXPECT_EQ(dialogs_.messageTexts(), QStringList({"Please open a save file first!"}));
    EXPECT_FALSE(window_->extractAll().running());
}

}  // namespace
}  // namespace quelvane::test
