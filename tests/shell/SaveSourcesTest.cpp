#include <QAction>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>

#include <cstdlib>

#include "shell/SaveSourcesAction.h"
#include "shell/SaveSourcesDialog.h"
#include "tests/shell/ShellFixture.h"
#include "tests/sources/SourceSaves.h"
#include "tests/support/TestFiles.h"

namespace quelvane::test {
namespace {

namespace fs = std::filesystem;

class SaveSourcesTest : public ShellFixture {
  protected:
    void SetUp() override {
        ShellFixture::SetUp();
        configure(37, 1252);
        start();
    }

    bool waitForFinish() {
        QSignalSpy done(&window_->saveSources(), &SaveSourcesAction::finished);
        return !window_->saveSources().running() || done.wait(60000);
    }

    static std::vector<std::string> filesUnder(const fs::path& root) {
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

// The menu item writes the same files as quelvane-cli sources, byte for byte.
TEST_F(SaveSourcesTest, MenuItemWritesWhatTheCommandLineWrites) {
    const fs::path save = folder_ / "demo.savf";
    SourceSaves::build("DEMO",
                       {{"QRPGLESRC", "HELLO", "RPGLE", {"     H NOMAIN", "  C   RETURN \xC4"}},
                        {"QDDSSRC", "CUST", "PF", {"     A          R CUSTR"}}},
                       0)
        .writeTo(save.string());
    openThroughDialog(save);
    const fs::path out = folder_ / "window";
    SaveSourcesDialog& dialog = window_->saveSources().dialog();
    QTimer::singleShot(0, &dialog, [&] {
        EXPECT_EQ(dialog.folder(), QString::fromStdString((folder_ / "demo-sources").string()));
        dialog.setFolder(QString::fromStdString(out.string()));
        dialog.accept();
    });
    find<QAction>(window_.get(), "SaveSources1")->trigger();
    ASSERT_TRUE(waitForFinish());
    QMessageBox* summary = window_->saveSources().summary();
    ASSERT_NE(summary, nullptr);
    EXPECT_TRUE(summary->text().startsWith(QStringLiteral("2 source members written to")))
        << summary->text().toStdString();

    const fs::path cli = folder_ / "cli";
    const std::string command = std::string("'") + QUELVANE_CLI_PATH + "' sources '" + save.string() +
                                "' --to '" + cli.string() + "' --ebcdic 37 --pc 1252 2>/dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0);
    const std::vector<std::string> files = filesUnder(cli);
    EXPECT_EQ(files,
              (std::vector<std::string>{".quelvane/members.json", "iproj.json", "qddssrc/.ibmi.json",
                                        "qddssrc/cust.pf", "qrpglesrc/.ibmi.json", "qrpglesrc/hello.rpgle"}));
    EXPECT_EQ(filesUnder(out), files);
    for (const std::string& file : files) {
        EXPECT_EQ(slurp(out / file), slurp(cli / file)) << file;
    }
}

}  // namespace
}  // namespace quelvane::test
