#include <QCheckBox>
#include <QPushButton>
#include <QStatusBar>

#include <QTreeView>

#include <array>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "conversion/CodePageSettings.h"
#include "extract/JsonWriter.h"
#include "shell/CatalogTreeModel.h"
#include "shell/ContentListModel.h"
#include "shell/ListingWorker.h"
#include "tests/shell/ShellFixture.h"
#include "tests/support/RealFiles.h"

namespace quelvane::test {
namespace {

namespace fs = std::filesystem;

const QString kJapaneseNote =
    QStringLiteral("Fields are tagged CCSID 5026 (Japanese); Options can decode by CCSID");

class StoredCcsidWindowTest : public ShellFixture {
  protected:
    QCheckBox* byStoredCcsid() { return find<QCheckBox>(options_.get(), "CheckByStoredCcsid"); }

    void confirm() {
        for (auto* b : options_->findChildren<QPushButton*>()) {
            if (b->text() == QStringLiteral("Confirm")) {
                b->click();
                return;
            }
        }
        ADD_FAILURE() << "no Confirm button";
    }
};

std::string cliShow(const fs::path& save, const std::string& node) {
    const std::string command = std::string(QUELVANE_CLI_PATH) + " show '" + save.string() + "' '" + node +
                                "' --ccsid stored --json --ebcdic 37 --pc 1252 2>/dev/null";
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
    std::string out;
    std::array<char, 4096> buffer{};
    while (pipe && std::fgets(buffer.data(), buffer.size(), pipe.get()) != nullptr) {
        out += buffer.data();
    }
    return out;
}

// Every row of the window's listing by stored CCSID is a row of quelvane-cli show --ccsid
// stored --json for the same member, with the Japanese names among them.
TEST_F(StoredCcsidWindowTest, RecordsByStoredCcsidEqualTheCommandLine) {
    struct Case {
        const char* save;
        QStringList path;
        const char* node;
        QString firstName;
    };
    const Case cases[] = {
        {"GURI_demodb.savf",
         {"Library(DIST)", "Part0", "PERSON(", "PERSON"},
         "0/PERSON/0",
         QStringLiteral("滝川　厚")},
        {"GURI_demodb.savf",
         {"Library(DIST)", "Part0", "PREFCODE(", "PREFCODE"},
         "0/PREFCODE/0",
         QStringLiteral("北海道")},
    };
    configure(37, 1252);
    CodePageSettings(*settings_).writeDecodesByStoredCcsid(true);
    start();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.node);
        const fs::path save = fs::path(QUELVANE_SAVF_DIR) / c.save;
        QUELVANE_REQUIRE_REAL_FILE(save);
        window_->openFile(QString::fromStdString(save.string()));
        window_->openJob().wait();
        select(c.path);
        const ContentListModel& model = window_->listModel();
        ASSERT_GT(model.rowCount(), 0);
        EXPECT_TRUE(model.rowTexts(0).value(2).startsWith(c.firstName))
            << qPrintable(model.rowTexts(0).join('|'));
        const std::string cli = cliShow(save, c.node);
        for (int row = 0; row < model.rowCount(); ++row) {
            const QStringList texts = model.rowTexts(row);
            std::string line =
                "{\"caption\": " + JsonWriter::quoted(texts.value(0).toStdString()) + ", \"cells\": [";
            for (int cell = 1; cell < texts.size(); ++cell) {
                line += (cell == 1 ? "" : ", ") + JsonWriter::quoted(texts[cell].toStdString());
            }
            ASSERT_NE(cli.find(line + "]}"), std::string::npos) << line;
        }
    }
}

// Off for a settings file written before the choice existed, whose keys a confirmation leaves
// as they were; once checked, kept and shown checked again.
TEST_F(StoredCcsidWindowTest, TheOptionsChoiceIsOffForOlderSettingsAndKeptOnceMade) {
    configure(37, 1252);
    start();
    options_->showOptions();
    EXPECT_EQ(byStoredCcsid()->text(), QStringLiteral("Decode text by the CCSIDs stored in the save file"));
    EXPECT_FALSE(byStoredCcsid()->isChecked());
    confirm();
    EXPECT_EQ(settingsText().find("ByStoredCcsid"), std::string::npos);

    options_->showOptions();
    byStoredCcsid()->setChecked(true);
    confirm();
    EXPECT_NE(settingsText().find("ByStoredCcsid=1"), std::string::npos) << settingsText();
    EXPECT_TRUE(CodePageSettings(*settings_).decodesByStoredCcsid());
    options_->showOptions();
    EXPECT_TRUE(byStoredCcsid()->isChecked());
    byStoredCcsid()->setChecked(false);
    confirm();
    EXPECT_NE(settingsText().find("ByStoredCcsid=0"), std::string::npos) << settingsText();
}

// The note when most fields carry a CCSID the pair reads otherwise, and none once Options
// decode by stored CCSID or the pair is Japanese.
TEST_F(StoredCcsidWindowTest, TheStatusBarNotesFieldsTaggedOtherwiseThanThePair) {
    const fs::path path = fs::path(QUELVANE_SAVF_DIR) / "GURI_demodb.savf";
    QUELVANE_REQUIRE_REAL_FILE(path);
    struct Case {
        int ebcdic;
        int pc;
        bool byStoredCcsid;
        QString note;
    };
    const Case cases[] = {
        {37, 1252, false, kJapaneseNote},
        {930, 932, false, QString()},
        {37, 1252, true, QString()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ebcdic);
        configure(c.ebcdic, c.pc);
        CodePageSettings(*settings_).writeDecodesByStoredCcsid(c.byStoredCcsid);
        // The dialogs are children of the window: dropped first, as TearDown drops them.
        ftp_.reset();
        options_.reset();
        about_.reset();
        window_.reset();
        start();
        window_->openFile(QString::fromStdString(path.string()));
        window_->openJob().wait();
        EXPECT_EQ(window_->statusBar()->currentMessage(), c.note);
    }
}

}  // namespace
}  // namespace quelvane::test
