#include <QAbstractItemModelTester>
#include <QCheckBox>
#include <QComboBox>
#include <QDockWidget>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeView>

#include "conversion/ConversionLayer.h"
#include "shell/ContentListModel.h"
#include "shell/InfoBar.h"
#include "shell/ObjectBytesWindow.h"
#include "shell/ObjectListDialog.h"
#include "shell/ObjectListModel.h"
#include "shell/ShowBytesAction.h"
#include "shell/TreeFinder.h"
#include "tests/shell/ShellFixture.h"
#include "tests/support/ContentFixtures.h"
#include "tests/support/RealFiles.h"

namespace quelvane::test {
namespace {

namespace fs = std::filesystem;

const QString kPerson = QStringLiteral("滝川　厚");

BuiltObject object(const std::string& name, const std::string& attribute, std::uint16_t typeCode = 0x1901) {
    BuiltObject built;
    built.name = name;
    built.attribute = attribute;
    built.typeCode = typeCode;
    return built;
}

BuiltObject physicalFile(const std::string& name, std::vector<BuiltMember> members) {
    BuiltObject file = object(name, "PF");
    file.fields = {{"NAME", 0x0403, 4, 0, 0, 0, 40}};
    file.members = std::move(members);
    return file;
}

// The save HELD holds: library SAVRST with file ORDERS, member JAN.
std::vector<std::uint8_t> innerSave() {
    BuiltPart part;
    part.library = "SAVRST";
    part.objects = {physicalFile("ORDERS", {{"JAN", "", "", 1}})};
    SaveFileBuilder builder;
    builder.headerSize = 4096;
    builder.add(part);
    builder.add(
        ContentFixtures::memberRecords("ORDERS", "JAN", 4, {{0x80, SaveFileBuilder::ebcdic("PEN", 4)}}));
    std::vector<std::uint8_t> bytes = builder.build().bytes();
    // A save's first 8 bytes are the time it was written; a save file holding zeros there is
    // shown as null.
    SaveFileBuilder::putU32(bytes, 0, 0xC1D2E3F4);
    SaveFileBuilder::putU32(bytes, 4, 0x05060708);
    SaveFileBuilder::sealRecords(bytes);
    return bytes;
}

// What a newcomer meets in the window: text decoded by stored CCSID from the start, Options
// that say what the pair is for and offer the row the save suggests, a bar that keeps damage
// and misread text in sight, panes that say what an object is and what to do with it, and a
// find box over the tree.
class FirstUseWindowTest : public ShellFixture {
  protected:
    void open(const fs::path& path) {
        window_->openFile(QString::fromStdString(path.string()));
        window_->openJob().wait();
    }

    // QGPL: files ORDERS (members JAN, FEB), ORDLINES (member JAN) and CUSTOMER, the display
    // file ORDSCR, the data queue QUEUE and the save file HELD, which holds innerSave().
    fs::path builtSave() {
        BuiltPart part;
        part.objects = {physicalFile("ORDERS", {{"JAN", "", "", 0}, {"FEB", "", "", 0}}),
                        physicalFile("ORDLINES", {{"JAN", "", "", 0}}),
                        physicalFile("CUSTOMER", {{"CUSTOMER", "", "", 0}}),
                        object("ORDSCR", "DSPF"),
                        object("QUEUE", "", 0x0A01),
                        object("HELD", "SAVF")};
        SaveFileBuilder builder;
        builder.headerSize = 4096;
        builder.add(part);
        builder.add(ContentFixtures::heldSave("HELD", "QGPL", innerSave()));
        const fs::path path = folder_ / "built.savf";
        builder.build().writeTo(path.string());
        return path;
    }

    QString current() const {
        return window_->findChild<QTreeView*>(QStringLiteral("TreeView1"))->currentIndex().data().toString();
    }

    QStringList listRows() const {
        QStringList rows;
        for (int row = 0; row < window_->listModel().rowCount(); ++row) {
            rows << window_->listModel().rowTexts(row).join(QLatin1Char('|'));
        }
        return rows;
    }

    void confirmOptions() {
        for (auto* button : options_->findChildren<QPushButton*>()) {
            if (button->text() == QStringLiteral("Confirm")) {
                button->click();
                return;
            }
        }
        ADD_FAILURE() << "no Confirm button";
    }

    QCheckBox* byStoredCcsid() { return find<QCheckBox>(options_.get(), "CheckByStoredCcsid"); }
};

// A settings file that never recorded the choice decodes by stored CCSID, whether or not a
// pair was confirmed before; one that recorded it keeps it.
TEST_F(FirstUseWindowTest, DecodingByStoredCcsidStartsOnUntilAChoiceIsRecorded) {
    struct Case {
        const char* settings;
        bool configured;
        std::optional<int> recorded;
        bool on;
    } cases[] = {
        {"new", false, std::nullopt, true},
        {"pair confirmed, choice never made", true, std::nullopt, true},
        {"recorded off", true, 0, false},
        {"recorded on", true, 1, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.settings);
        TearDown();
        SetUp();
        if (c.configured) {
            configure(37, 1252);
        }
        if (c.recorded) {
            ProgramSettings(*settings_).writeDecodesByStoredCcsid(*c.recorded != 0);
        }
        start();
        EXPECT_EQ(window_->session().storedCcsidHostPage.has_value(), c.on);
        options_->showOptions();
        EXPECT_EQ(byStoredCcsid()->isChecked(), c.on);
    }
}

// The first open of a file named before any pair (a drop, the command line) shows Options with
// the row the save's texts suggest and a line on what the pair is for; confirmed, the file
// opens with its Japanese text readable.
TEST_F(FirstUseWindowTest, TheFirstOpenOffersTheRowTheSaveSuggests) {
    const fs::path guri = fs::path(QUELVANE_SAVF_DIR) / "GURI_demodb.savf";
    QUELVANE_REQUIRE_REAL_FILE(guri);
    start();
    open(guri);
    ASSERT_TRUE(options_->isVisible());
    EXPECT_EQ(find<QComboBox>(options_.get(), "ComboBoxE")->currentText(),
              QStringLiteral("  930:   930 - EBCDIC - Japan Katakana/Kanji (Extend Katakana)"));
    EXPECT_EQ(find<QComboBox>(options_.get(), "ComboBoxA")->currentText(),
              QStringLiteral("  932: ANSI/OEM - Japanese Shift-JIS"));
    EXPECT_TRUE(
        find<QLabel>(options_.get(), "PairPurpose")->text().startsWith(QStringLiteral("The pair reads")));
    EXPECT_FALSE(find<QLabel>(options_.get(), "PairSuggested")->text().isEmpty());

    confirmOptions();
    window_->openJob().wait();
    select({"Library(DIST)", "Part0", "PERSON(", "PERSON"});
    ASSERT_GT(window_->listModel().rowCount(), 0);
    EXPECT_TRUE(window_->listModel().rowTexts(0).value(2).startsWith(kPerson));
    EXPECT_FALSE(window_->infoBar().isVisibleTo(window_.get()));

    // The Open button before any pair: Options first, then the file dialog.
    TearDown();
    SetUp();
    start();
    dialogs_.files.push_back(QString::fromStdString(guri.string()));
    window_->openSaveFile();
    EXPECT_TRUE(options_->isVisible());
    EXPECT_TRUE(dialogs_.fileDialogs.empty());
    confirmOptions();
    window_->openJob().wait();
    EXPECT_EQ(dialogs_.fileDialogs.size(), 1u);
    EXPECT_EQ(window_->catalog().path, guri.string());
}

// Options confirmed redraw the records on display, the info bar and the object list in the
// new decoding.
TEST_F(FirstUseWindowTest, OptionsRedrawTheNodeOnDisplay) {
    const fs::path guri = fs::path(QUELVANE_SAVF_DIR) / "GURI_demodb.savf";
    QUELVANE_REQUIRE_REAL_FILE(guri);
    configure(37, 1252);
    ProgramSettings(*settings_).writeDecodesByStoredCcsid(false);
    start();
    QAbstractItemModelTester tester(&window_->listModel(),
                                    QAbstractItemModelTester::FailureReportingMode::Fatal);
    open(guri);
    select({"Library(DIST)", "Part0", "PERSON(", "PERSON"});
    ASSERT_GT(window_->listModel().rowCount(), 0);
    EXPECT_FALSE(window_->listModel().rowTexts(0).value(2).startsWith(kPerson));
    InfoBar& bar = window_->infoBar();
    ASSERT_TRUE(bar.isVisibleTo(window_.get()));
    EXPECT_EQ(
        bar.lines(),
        QStringList{"Stored CCSIDs: Fields are tagged CCSID 5026 (Japanese); Options can decode by CCSID."});
    EXPECT_TRUE(find<QPushButton>(&bar, "InfoOptions")->isVisibleTo(&bar));
    window_->objectList().showList();
    const std::string textByThePair = window_->objectList().model().row(0).text;

    find<QPushButton>(&bar, "InfoOptions")->click();
    ASSERT_TRUE(options_->isVisible());
    byStoredCcsid()->setChecked(true);
    confirmOptions();
    window_->findChild<ListingWorker*>()->wait();
    ASSERT_GT(window_->listModel().rowCount(), 0);
    EXPECT_TRUE(window_->listModel().rowTexts(0).value(2).startsWith(kPerson))
        << qPrintable(window_->listModel().rowTexts(0).join('|'));
    EXPECT_FALSE(bar.isVisibleTo(window_.get()));
    // The object list reads the texts by CCSID as the tree does.
    const std::string textByCcsid = window_->objectList().model().row(0).text;
    EXPECT_NE(textByCcsid, textByThePair);
    const QModelIndex person =
        window_->findChild<QTreeView*>(QStringLiteral("TreeView1"))->currentIndex().parent();
    EXPECT_TRUE(
        person.data(Qt::ToolTipRole)
            .toString()
            .startsWith(QString::fromStdString(window_->objectList().model().row(person.row()).text)));
}

// A save read past damage says so in the bar, naming the check; a clean one shows no bar.
TEST_F(FirstUseWindowTest, ASaveReadPastDamageShowsAWarning) {
    const fs::path eko = fs::path(QUELVANE_SAVF_DIR) / "P4_EKO.SAVF";
    QUELVANE_REQUIRE_REAL_FILE(eko);
    configure(37, 1252);
    start();
    open(eko);
    InfoBar& bar = window_->infoBar();
    ASSERT_TRUE(bar.isVisibleTo(window_.get()));
    EXPECT_EQ(bar.lines(),
              QStringList{"Block-grid check: Read past damage: 1 byte inserted within offsets 46992-47504 "
                          "(block 89); what lies past it may read wrongly. Tools > Check save file gives the "
                          "whole report."});
    EXPECT_FALSE(find<QPushButton>(&bar, "InfoOptions")->isVisibleTo(&bar));

    open(builtSave());
    EXPECT_FALSE(bar.isVisibleTo(window_.get()));
    EXPECT_TRUE(bar.lines().isEmpty());
}

// A save opened over another leaves nothing of the other on display: the labels of the member
// shown and its file's fields go with it.
TEST_F(FirstUseWindowTest, AnotherSaveOpenedLeavesNothingOfTheLastOnDisplay) {
    configure(37, 1252);
    start();
    window_->show();
    open(builtSave());
    select({"Library(QGPL)", "Part0", "ORDERS(PF)", "JAN"});
    auto* fields = window_->findChild<QDockWidget*>();
    ASSERT_NE(fields, nullptr);
    ASSERT_TRUE(fields->isVisible());
    ASSERT_TRUE(find<QLabel>(window_.get(), "Label1")->text().startsWith(QStringLiteral("Member:")));

    open(builtSave());
    EXPECT_TRUE(find<QLabel>(window_.get(), "Label1")->text().isEmpty());
    EXPECT_TRUE(find<QLabel>(window_.get(), "Label2")->text().isEmpty());
    EXPECT_FALSE(fields->isVisible());
}

// A save-file object's pane names the command and lists the held save; a double-click on it,
// or on the node, opens it. An object the program does not describe says what it is and
// offers "Show bytes", which a double-click does.
TEST_F(FirstUseWindowTest, ObjectPanesSayWhatTheyOffer) {
    configure(37, 1252);
    start();
    QAbstractItemModelTester tester(&window_->listModel(),
                                    QAbstractItemModelTester::FailureReportingMode::Fatal);
    open(builtSave());
    auto* list = window_->findChild<QAbstractItemView*>(QStringLiteral("ListView1"));
    auto* tree = window_->findChild<QTreeView*>(QStringLiteral("TreeView1"));

    select({"Library(QGPL)", "Part0", "HELD"});
    const QStringList held = listRows();
    ASSERT_GE(held.size(), 3);
    EXPECT_EQ(held.front(),
              QStringLiteral("Open saved save file: double-click here or on the object to see the "
                             "save it holds."));
    EXPECT_TRUE(held.contains(QStringLiteral("1 objects:"))) << qPrintable(held.join('\n'));
    EXPECT_TRUE(held.back().startsWith(QStringLiteral("    ORDERS  PF  PF"))) << qPrintable(held.back());
    for (QAbstractItemView* view : {static_cast<QAbstractItemView*>(tree), list}) {
        const QList<MainWindow*> before = window_->findChildren<MainWindow*>(Qt::FindDirectChildrenOnly);
        emit view->doubleClicked(view->currentIndex());
        const QList<MainWindow*> after = window_->findChildren<MainWindow*>(Qt::FindDirectChildrenOnly);
        ASSERT_EQ(after.size(), before.size() + 1);
        after.back()->openJob().wait();
        EXPECT_EQ(after.back()->catalog().parts.at(0).library.name, "SAVRST");
    }

    const struct {
        const char* node;
        QString says;
    } undescribed[] = {
        {"ORDSCR", QStringLiteral("ORDSCR is an object of *FILE (DSPF), whose contents this program does not "
                                  "describe.")},
        {"QUEUE",
         QStringLiteral("QUEUE is an object of *DTAQ, whose contents this program does not describe.")},
    };
    for (const auto& c : undescribed) {
        SCOPED_TRACE(c.node);
        select({"Library(QGPL)", "Part0", QString::fromLatin1(c.node)});
        const QStringList rows = listRows();
        ASSERT_EQ(rows.size(), 2);
        EXPECT_EQ(rows[0], c.says);
        EXPECT_TRUE(rows[1].startsWith(QStringLiteral("Show bytes: double-click here")));
        // The tree's double-click leaves it alone; the pane's shows the bytes.
        auto* bytes = window_->findChild<ShowBytesAction*>();
        emit tree->doubleClicked(tree->currentIndex());
        EXPECT_EQ(bytes->lastWindow(), nullptr);
        emit list->doubleClicked(list->model()->index(0, 0));
        ASSERT_NE(bytes->lastWindow(), nullptr);
        bytes->lastWindow()->close();
        delete bytes->lastWindow();
    }

    // Files show their members, with no note.
    select({"Library(QGPL)", "Part0", "CUSTOMER"});
    EXPECT_EQ(listRows().size(), 1);
    EXPECT_FALSE(listRows().front().contains(QStringLiteral("double-click")));
}

// The box above the tree finds objects and members by part of the name or by pattern, across
// the whole save, shows the first hit and goes on with Enter.
TEST_F(FirstUseWindowTest, TheFindBoxFindsNamesAndPatterns) {
    configure(37, 1252);
    start();
    open(builtSave());
    auto* field = find<QLineEdit>(window_.get(), "FindField");
    ASSERT_TRUE(field->isVisibleTo(window_.get()));
    const struct {
        const char* typed;
        QStringList hits;  // in order, Enter after each, wrapping round
    } cases[] = {
        {"ORD*", {"ORDERS(PF)", "ORDLINES(PF)", "ORDSCR(DSPF)", "ORDERS(PF)"}},
        {"jan", {"JAN ", "JAN ", "JAN "}},
        {"*LINES", {"ORDLINES(PF)", "ORDLINES(PF)"}},
        {"CUST?MER", {"CUSTOMER(PF)", "CUSTOMER "}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        window_->findChild<QTreeView*>(QStringLiteral("TreeView1"))->setCurrentIndex({});
        field->setText(QString::fromLatin1(c.typed));
        emit field->textEdited(field->text());
        for (const QString& hit : c.hits) {
            EXPECT_EQ(current(), hit);
            emit field->returnPressed();
        }
    }
    // The node found is shown: a member's records, an object's pane.
    field->setText(QStringLiteral("QUEUE"));
    emit field->textEdited(field->text());
    EXPECT_TRUE(listRows().value(0).startsWith(QStringLiteral("QUEUE is an object")));
    // Nothing found leaves the tree where it was; the library and its parts are never hits.
    for (const char* typed : {"NOSUCH*", "QGPL", "Part"}) {
        field->setText(QString::fromLatin1(typed));
        emit field->textEdited(field->text());
        EXPECT_EQ(current(), QStringLiteral("QUEUE(DTAQ)")) << typed;
    }
}

TEST(TreeFinderMatch, NamesMatchByPartOrPattern) {
    const struct {
        const char* caption;
        const char* typed;
        bool matches;
    } cases[] = {
        {"ORDERS(PF)", "ORD*", true},
        {"ORDERS(PF)", "ord*", true},
        {"ORDERS(PF)", "*PF", false},
        {"ORDERS(PF)", "DER", true},
        {"ORDERS(PF)", "ORDERS", true},
        {"ORDERS(PF)", "O?DERS", true},
        {"ORDERS(PF)", "ORDER", true},
        {"ORDERS(PF)", "ORDER?", true},
        {"ORDERS(PF)", "ORDE?", false},
        {"JAN ", "J*", true},
        {"JAN ", "", false},
        {"JAN ", "  ", false},
        {"A.B(PF)", "A.*", true},
        {"A.B(PF)", "A?B", true},
        {"AXB(PF)", "A.B", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(TreeFinder::matches(QString::fromLatin1(c.caption), QString::fromLatin1(c.typed)),
                  c.matches)
            << c.caption << " / " << c.typed;
    }
}

}  // namespace
}  // namespace quelvane::test
