#include <QAbstractItemModelTester>
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QStatusBar>

#include <QTreeView>

#include <array>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "extract/JsonWriter.h"
#include "settings/ProgramSettings.h"
#include "shell/CatalogTreeModel.h"
#include "shell/ContentListModel.h"
#include "shell/ExtractAllAction.h"
#include "shell/ListingWorker.h"
#include "tests/shell/ShellFixture.h"
#include "tests/support/RealFiles.h"
#include "tests/support/TestFiles.h"

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

std::string cliOutput(const std::string& arguments) {
    const std::string command = std::string(QUELVANE_CLI_PATH) + " " + arguments + " 2>/dev/null";
    return quelvane::test::commandOutput(command);
}

std::string cliShow(const fs::path& save, const std::string& node) {
    return cliOutput("show '" + save.string() + "' '" + node +
                     "' --ccsid stored --json --ebcdic 37 --pc 1252");
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
    ProgramSettings(*settings_).writeDecodesByStoredCcsid(true);
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

// The tree's captions and texts by stored CCSID are those of quelvane-cli tree --ccsid stored,
// line by line, and the labels of a node those of show --ccsid stored --json. Options turned off
// take the texts out of the tree in place (the node shown stays current), on again put them back.
TEST_F(StoredCcsidWindowTest, TreeTextsAndLabelsByStoredCcsidEqualTheCommandLine) {
    const fs::path save = fs::path(QUELVANE_SAVF_DIR) / "GURI_demodb.savf";
    QUELVANE_REQUIRE_REAL_FILE(save);
    configure(37, 1252);
    ProgramSettings(*settings_).writeDecodesByStoredCcsid(true);
    start();
    QAbstractItemModelTester tester(&window_->treeModel(),
                                    QAbstractItemModelTester::FailureReportingMode::Fatal);
    window_->openFile(QString::fromStdString(save.string()));
    window_->openJob().wait();
    const CatalogTreeModel& model = window_->treeModel();
    const std::string cli = cliOutput("tree '" + save.string() + "' --ccsid stored --ebcdic 37 --pc 1252");
    // Each object and member line of the command's tree: indent, caption, tab, text, tab.
    const auto treeTexts = [&] {
        std::vector<std::string> lines;
        const QModelIndex part = model.index(0, 0, model.index(0, 0));
        for (int object = 0; object < model.rowCount(part); ++object) {
            const QModelIndex at = model.index(object, 0, part);
            const auto line = [&](const QModelIndex& node, const char* indent) {
                const QString tip = model.data(node, Qt::ToolTipRole).toString();
                return indent + model.data(node).toString().toStdString() + "\t" +
                       tip.section(QLatin1Char('\n'), 0, 0).toStdString() + "\t";
            };
            lines.push_back(line(at, "\n    "));
            for (int member = 0; member < model.rowCount(at); ++member) {
                lines.push_back(line(model.index(member, 0, at), "\n      "));
            }
        }
        return lines;
    };
    const std::vector<std::string> byCcsid = treeTexts();
    ASSERT_EQ(byCcsid.size(), 9u);
    EXPECT_EQ(byCcsid[0], "\n    PERSON(PF)\t登録者一覧\t");
    for (const std::string& line : byCcsid) {
        EXPECT_NE(cli.find(line), std::string::npos) << line;
    }

    struct Case {
        QStringList path;
        const char* node;
    };
    const Case cases[] = {
        {{"Library(DIST)", "Part0", "PREFCODE("}, "0/PREFCODE"},
        {{"Library(DIST)", "Part0", "QDDSSRC(", "PERSONL1"}, "0/QDDSSRC/PERSONL1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.node);
        select(c.path);
        const std::string shown = cliShow(save, c.node);
        for (const auto& [name, label] : {std::pair{"title", "Label1"}, std::pair{"summary", "Label2"}}) {
            const std::string line =
                std::string("\"") + name + "\": " + JsonWriter::quoted(this->label(label).toStdString());
            EXPECT_NE(shown.find(line), std::string::npos) << line << "\n" << shown.substr(0, 300);
        }
    }
    EXPECT_TRUE(label("Label2").startsWith(QStringLiteral("Description:  登録者一覧- KEY:姓名（読み）")));
    // The member list of a file: its texts as the command line lists them.
    select({"Library(DIST)", "Part0", "QDDSSRC("});
    const ContentListModel& list = window_->listModel();
    const std::string members = cliShow(save, "0/QDDSSRC");
    ASSERT_EQ(list.rowCount(), 3);
    EXPECT_EQ(list.rowTexts(1),
              QStringList({"PERSONL1", "3", QStringLiteral("登録者一覧- KEY:姓名（読み）")}));
    for (int row = 0; row < list.rowCount(); ++row) {
        const QStringList texts = list.rowTexts(row);
        const std::string line = "{\"caption\": " + JsonWriter::quoted(texts.value(0).toStdString()) +
                                 ", \"cells\": [" + JsonWriter::quoted(texts.value(1).toStdString()) + ", " +
                                 JsonWriter::quoted(texts.value(2).toStdString()) + "]}";
        EXPECT_NE(members.find(line), std::string::npos) << line;
    }

    const QTreeView* view = window_->findChild<QTreeView*>(QStringLiteral("TreeView1"));
    const QModelIndex current = view->currentIndex();
    for (const bool on : {false, true}) {
        SCOPED_TRACE(on);
        options_->showOptions();
        byStoredCcsid()->setChecked(on);
        confirm();
        EXPECT_EQ(view->currentIndex(), current);
        const std::vector<std::string> lines = treeTexts();
        EXPECT_EQ(lines == byCcsid, on);
        EXPECT_EQ(model.data(model.index(0, 0, model.index(0, 0, model.index(0, 0))), Qt::ToolTipRole)
                      .toString()
                      .contains(QStringLiteral("登録者一覧")),
                  on);
    }
}

// Extract all reads the catalog's texts and the records by stored CCSID when Options say so,
// by the pair when not.
TEST_F(StoredCcsidWindowTest, ExtractAllFollowsTheChoice) {
    const fs::path save = fs::path(QUELVANE_SAVF_DIR) / "GURI_demodb.savf";
    QUELVANE_REQUIRE_REAL_FILE(save);
    for (const bool on : {true, false}) {
        SCOPED_TRACE(on);
        configure(37, 1252);
        ProgramSettings(*settings_).writeDecodesByStoredCcsid(on);
        ftp_.reset();
        options_.reset();
        about_.reset();
        window_.reset();
        start();
        window_->openFile(QString::fromStdString(save.string()));
        window_->openJob().wait();
        const fs::path out = folder_ / (on ? "stored" : "pair");
        QSignalSpy done(&window_->extractAll(), &ExtractAllAction::finished);
        window_->extractAll().start({QString::fromStdString(out.string()), false});
        ASSERT_TRUE(!window_->extractAll().running() || done.wait(60000));
        const std::string catalog = slurp(out / "catalog.json");
        const std::string person = slurp(out / "DIST" / "PERSON" / "PERSON.csv");
        ASSERT_FALSE(catalog.empty());
        EXPECT_EQ(catalog.find("\"text\": \"登録者一覧\",") != std::string::npos, on);
        EXPECT_EQ(person.find(",滝川　厚,") != std::string::npos, on);
    }
}

// On for a settings file that never recorded the choice, also one written before it existed;
// once made, either way, kept and shown again.
TEST_F(StoredCcsidWindowTest, TheOptionsChoiceIsOnUntilMadeAndKeptOnceMade) {
    configure(37, 1252);
    start();
    options_->showOptions();
    EXPECT_EQ(byStoredCcsid()->text(), QStringLiteral("Decode text by the CCSIDs stored in the save file"));
    EXPECT_TRUE(byStoredCcsid()->isChecked());
    byStoredCcsid()->setChecked(false);
    confirm();
    EXPECT_NE(settingsText().find("ByStoredCcsid=0"), std::string::npos) << settingsText();
    EXPECT_FALSE(ProgramSettings(*settings_).decodesByStoredCcsid());
    options_->showOptions();
    EXPECT_FALSE(byStoredCcsid()->isChecked());

    byStoredCcsid()->setChecked(true);
    confirm();
    EXPECT_NE(settingsText().find("ByStoredCcsid=1"), std::string::npos) << settingsText();
    EXPECT_TRUE(ProgramSettings(*settings_).decodesByStoredCcsid());
    options_->showOptions();
    EXPECT_TRUE(byStoredCcsid()->isChecked());
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
        ProgramSettings(*settings_).writeDecodesByStoredCcsid(c.byStoredCcsid);
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
