#include <QCheckBox>
#include <QPushButton>
#include <QStatusBar>

#include <filesystem>

#include "conversion/CodePageSettings.h"
#include "shell/ContentListModel.h"
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
        EXPECT_EQ(window_->statusBar()->currentMessage(), c.note);
    }
}

}  // namespace
}  // namespace quelvane::test
