#include <QAction>
#include <QComboBox>
#include <QMenu>
#include <QSignalSpy>
#include <QTreeView>

#include "conversion/ConversionLayer.h"
#include "export/pickbatch/ExportActions.h"
#include "savefile/FileBlockSource.h"
#include "savefile/SaveFileCheck.h"
#include "shell/CatalogTreeModel.h"
#include "shell/ContentListModel.h"
#include "shell/ExtractAllAction.h"
#include "shell/ExtractDialog.h"
#include "shell/HeldSaveActions.h"
#include "shell/ListingWorker.h"
#include "tests/shell/ChosenFile.h"
#include "tests/shell/ShellFixture.h"
#include "tests/support/ContentFixtures.h"
#include "tests/support/RealFiles.h"
#include "tests/support/TestFiles.h"

namespace quelvane::test {
namespace {

namespace fs = std::filesystem;

constexpr std::size_t kBlock = 528;

// The save HELD holds: library SAVRST with file ORDERS, member JAN holding the record "PEN".
std::vector<std::uint8_t> innerSave(std::int32_t headerSize = 4096) {
    BuiltObject orders;
    orders.name = "ORDERS";
    orders.attribute = "PF";
    orders.fields = {{"NAME", 0x0403, 4, 0, 0, 0, 40}};
    orders.members = {{"JAN", "", "", 1}};
    BuiltPart part;
    part.library = "SAVRST";
    part.objects = {orders};
    SaveFileBuilder builder;
    builder.headerSize = headerSize;
    builder.add(part);
    builder.add(
        ContentFixtures::memberRecords("ORDERS", "JAN", 4, {{0x80, SaveFileBuilder::ebcdic("PEN", 4)}}));
    return builder.build().bytes();
}

BuiltObject saveFileObject(const std::string& name) {
    BuiltObject object;
    object.name = name;
    object.attribute = "SAVF";
    return object;
}

// Every caption of a tree, depth first, one line each, indented by level.
void collect(const QAbstractItemModel& model, const QModelIndex& parent, const QString& indent,
             QStringList& out) {
    for (int row = 0; row < model.rowCount(parent); ++row) {
        const QModelIndex index = model.index(row, 0, parent);
        out << indent + model.data(index).toString();
        collect(model, index, indent + QStringLiteral("  "), out);
    }
}

QStringList captions(MainWindow& window) {
    QStringList out;
    collect(window.treeModel(), {}, {}, out);
    return out;
}

// The window commands on save-file objects over a built save of library QGPL: HELD holds the
// save above, EMPTY holds none, OLD holds a save of the CISC era, ORDERS is a physical file.
class HeldSaveWindowTest : public ShellFixture {
  protected:
    void SetUp() override {
        ShellFixture::SetUp();
        configure(37, 1252);
        // The records by the pair: the built fields carry no CCSID of their own.
        ProgramSettings(*settings_).writeDecodesByStoredCcsid(false);
        start();
    }

    void openBuilt() {
        inner_ = innerSave();
        BuiltPart part;
        BuiltObject orders;
        orders.name = "ORDERS";
        orders.attribute = "PF";
        part.objects = {saveFileObject("HELD"), saveFileObject("EMPTY"), saveFileObject("OLD"), orders};
        SaveFileBuilder builder;
        builder.headerSize = 4096;
        builder.add(part);
        builder.add(ContentFixtures::heldSave("HELD", "QGPL", inner_));
        builder.add(ContentFixtures::heldSave("EMPTY", "QGPL", {}, 0));
        builder.add(ContentFixtures::heldSave("OLD", "QGPL", innerSave(512)));
        const fs::path path = folder_ / "built.savf";
        builder.build().writeTo(path.string());
        window_->openFile(QString::fromStdString(path.string()));
        window_->openJob().wait();
    }

    static HeldSaveActions& actions(MainWindow& window) {
        return *window.findChild<HeldSaveActions*>(QString(), Qt::FindDirectChildrenOnly);
    }

    // The tree pop-up's items as they are when it opens.
    static bool offered(MainWindow& window) {
        emit window.findChild<QMenu*>(QStringLiteral("PopupMenu1"))->aboutToShow();
        const bool open = actions(window).openAction()->isEnabled();
        EXPECT_EQ(open, actions(window).exportAction()->isEnabled());
        return open;
    }

    // Opens the held save of the selected object from the pop-up; the window it opened, if any.
    static MainWindow* openHeld(MainWindow& window) {
        const QList<MainWindow*> before = window.findChildren<MainWindow*>(Qt::FindDirectChildrenOnly);
        EXPECT_TRUE(offered(window));
        actions(window).openAction()->trigger();
        for (MainWindow* child : window.findChildren<MainWindow*>(Qt::FindDirectChildrenOnly)) {
            if (!before.contains(child)) {
                child->openJob().wait();
                return child;
            }
        }
        return nullptr;
    }

    std::vector<std::uint8_t> inner_;
};

TEST_F(HeldSaveWindowTest, HeldSaveOpensInAWindowWhereViewsAndExportsReadIt) {
    openBuilt();
    selectIn(*window_, {"Library(QGPL)", "Part0", "ORDERS"});
    EXPECT_FALSE(offered(*window_));
    selectIn(*window_, {"Library(QGPL)", "Part0", "HELD"});
    ASSERT_TRUE(offered(*window_));

    MainWindow* inner = openHeld(*window_);
    ASSERT_NE(inner, nullptr);
    EXPECT_TRUE(inner->isVisible());
    EXPECT_TRUE(inner->windowTitle().endsWith(QStringLiteral("built.savf > QGPL/HELD]")))
        << qPrintable(inner->windowTitle());
    EXPECT_EQ(captions(*inner).mid(0, 4),
              (QStringList{"Library(SAVRST)", "  Part0", "    ORDERS(PF)", "      JAN "}));

    selectIn(*inner, {"Library(SAVRST)", "Part0", "ORDERS", "JAN"});
    ASSERT_EQ(inner->listModel().rowCount(), 1);
    EXPECT_EQ(inner->listModel().rowTexts(0), (QStringList{"0", "PEN "}));

    inner->exports().setFileDialog(std::make_unique<ChosenFile>((folder_ / "jan").string()));
    inner->exports().exportMember();
    EXPECT_EQ(slurp(folder_ / "jan.txt"), "PEN \r\n");

    // Extract all proposes a folder beside the file on disk, named after the held save file.
    EXPECT_EQ(inner->extractAll().dialog().folder(), QString::fromStdString((folder_ / "HELD").string()));
    QSignalSpy extracted(&inner->extractAll(), &ExtractAllAction::finished);
    inner->extractAll().start({QString::fromStdString((folder_ / "all").string()), false});
    ASSERT_TRUE(!inner->extractAll().running() || extracted.wait(60000));
    EXPECT_EQ(slurp(folder_ / "all" / "SAVRST" / "ORDERS" / "JAN.csv"), "NAME\r\nPEN\r\n");

    dialogs_.messages.clear();
    inner->checkSaveFile();
    ASSERT_EQ(dialogs_.messages.size(), 1u);
    EXPECT_TRUE(dialogs_.messages[0].text.contains(
        QStringLiteral("Clean: %1 blocks of 528 bytes").arg(inner_.size() / kBlock)))
        << qPrintable(dialogs_.messages[0].text);
    EXPECT_TRUE(dialogs_.messages[0].text.contains(
        QStringLiteral("\nEvery one of %1 records is intact").arg(inner_.size() / kBlock)))
        << qPrintable(dialogs_.messages[0].text);

    // The outer window still reads its own file.
    selectIn(*window_, {"Library(QGPL)", "Part0", "HELD"});
    EXPECT_EQ(captions(*window_).front(), QStringLiteral("Library(QGPL)"));
}

TEST_F(HeldSaveWindowTest, ExportedSaveFileReopensWithTheSameTree) {
    openBuilt();
    selectIn(*window_, {"Library(QGPL)", "Part0", "HELD"});
    MainWindow* inner = openHeld(*window_);
    ASSERT_NE(inner, nullptr);
    const QStringList innerTree = captions(*inner);

    QString suggested;
    const fs::path target = folder_ / "out" / "HELD.savf";
    fs::create_directories(target.parent_path());
    actions(*window_).setTargetChooser([&](QWidget*, const QString& given) {
        suggested = given;
        return QString::fromStdString(target.string());
    });
    dialogs_.messages.clear();
    ASSERT_TRUE(offered(*window_));
    actions(*window_).exportAction()->trigger();
    EXPECT_TRUE(dialogs_.messages.empty());
    EXPECT_EQ(suggested, QString::fromStdString((folder_ / "HELD.savf").string()));
    ASSERT_EQ(fs::file_size(target), inner_.size());
    EXPECT_FALSE(fs::exists(target.string() + ".partial"));

    // What is written carries every record's sequence number and check, as the system writes them.
    FileBlockSource written(target.string());
    const SaveFileCheckReport check = SaveFileCheck::examine(written);
    EXPECT_EQ(check.verdict, SaveFileVerdict::Clean) << check.reason();
    EXPECT_EQ(check.recordsIntact, static_cast<std::int64_t>(inner_.size() / kBlock));

    window_->openFile(QString::fromStdString(target.string()));
    window_->openJob().wait();
    EXPECT_EQ(captions(*window_), innerTree);

    // A target that cannot be written is said and leaves nothing behind.
    selectIn(*window_, {"Library(SAVRST)", "Part0", "ORDERS"});
    EXPECT_FALSE(offered(*window_));
    window_->openFile(QString::fromStdString((folder_ / "built.savf").string()));
    window_->openJob().wait();
    selectIn(*window_, {"Library(QGPL)", "Part0", "HELD"});
    const fs::path nowhere = folder_ / "missing" / "HELD.savf";
    actions(*window_).setTargetChooser(
        [&](QWidget*, const QString&) { return QString::fromStdString(nowhere.string()); });
    ASSERT_TRUE(offered(*window_));
    actions(*window_).exportAction()->trigger();
    ASSERT_EQ(dialogs_.messages.size(), 1u);
    EXPECT_FALSE(fs::exists(nowhere.parent_path()));
}

// Options confirmed in the window of a held save sets that window's code pages; the window it
// was opened from keeps its own.
TEST_F(HeldSaveWindowTest, EachWindowKeepsItsOwnCodePages) {
    openBuilt();
    selectIn(*window_, {"Library(QGPL)", "Part0", "HELD"});
    MainWindow* inner = openHeld(*window_);
    ASSERT_NE(inner, nullptr);
    auto* innerOptions = inner->findChild<OptionsDialog*>(QString(), Qt::FindDirectChildrenOnly);
    ASSERT_NE(innerOptions, nullptr);
    ASSERT_NE(innerOptions, options_.get());
    inner->findChild<QAction*>(QStringLiteral("Options1"))->trigger();
    EXPECT_TRUE(innerOptions->isVisible());
    EXPECT_FALSE(options_->isVisible());

    // Row 27 is CCSID 870 (Latin-2), which picks PC row 3, page 1250.
    auto* ccsid = innerOptions->findChild<QComboBox*>(QStringLiteral("ComboBoxE"));
    ccsid->setCurrentIndex(27);
    emit ccsid->activated(27);
    innerOptions->confirm();
    EXPECT_TRUE(dialogs_.messages.empty()) << qPrintable(dialogs_.messageTexts().join('\n'));
    const struct {
        MainWindow* window;
        std::int32_t ebcdic;
        std::int32_t pc;
    } cases[] = {{inner, 870, 1250}, {window_.get(), 37, 1252}};
    for (const auto& c : cases) {
        EXPECT_EQ(c.window->conversion().EbcdicCodePage, c.ebcdic) << c.ebcdic;
        EXPECT_EQ(c.window->conversion().PcCodePage, c.pc) << c.ebcdic;
    }
}

TEST_F(HeldSaveWindowTest, SaveFilesWithoutAHeldSaveSayWhy) {
    openBuilt();
    const struct {
        const char* object;
        const char* says;
    } cases[] = {
        {"EMPTY", "EMPTY is an empty save file"},
        {"OLD", "CISC era"},
    };
    for (const auto& c : cases) {
        selectIn(*window_, {"Library(QGPL)", "Part0", c.object});
        EXPECT_TRUE(offered(*window_)) << c.object;
        for (QAction* command : {actions(*window_).openAction(), actions(*window_).exportAction()}) {
            dialogs_.messages.clear();
            bool asked = false;
            actions(*window_).setTargetChooser([&](QWidget*, const QString&) {
                asked = true;
                return QString();
            });
            const qsizetype windows = window_->findChildren<MainWindow*>().size();
            command->trigger();
            ASSERT_EQ(dialogs_.messages.size(), 1u) << c.object;
            EXPECT_TRUE(dialogs_.messages[0].text.contains(QString::fromLatin1(c.says)))
                << qPrintable(dialogs_.messages[0].text);
            EXPECT_FALSE(asked);
            EXPECT_EQ(window_->findChildren<MainWindow*>().size(), windows);
        }
    }
}

// ANSI_ARCHLIB_v2.FILE: save file ARCHLIB holds a save of library ARCHLIB, whose SAVF1 holds the
// 152-block save of library SAVRST with program PGM1 (checked by hand against the file's bytes).
TEST_F(HeldSaveWindowTest, RealSaveFileHeldTwiceOpensAndExports) {
    const fs::path path = fs::path(QUELVANE_SAVF_DIR) / "ANSI_ARCHLIB_v2.FILE";
    QUELVANE_REQUIRE_REAL_FILE(path);
    window_->openFile(QString::fromStdString(path.string()));
    window_->openJob().wait();
    selectIn(*window_, {"Library(ARCHLIB)", "Part0", "ARCHLIB("});
    MainWindow* archlib = openHeld(*window_);
    ASSERT_NE(archlib, nullptr);
    selectIn(*archlib, {"Library(ARCHLIB)", "Part0", "SAVF1("});
    MainWindow* savf1 = openHeld(*archlib);
    ASSERT_NE(savf1, nullptr);
    EXPECT_TRUE(savf1->windowTitle().endsWith(
        QStringLiteral("ANSI_ARCHLIB_v2.FILE > ARCHLIB/ARCHLIB > ARCHLIB/SAVF1]")))
        << qPrintable(savf1->windowTitle());
    const QStringList tree = captions(*savf1);
    ASSERT_GE(tree.size(), 3);
    EXPECT_EQ(tree[0], QStringLiteral("Library(SAVRST)"));
    EXPECT_TRUE(tree[2].startsWith(QStringLiteral("    PGM1("))) << qPrintable(tree[2]);

    // Beside the file on disk, not beside the held save's name.
    QString suggested;
    const fs::path target = folder_ / "SAVF1.savf";
    actions(*archlib).setTargetChooser([&](QWidget*, const QString& given) {
        suggested = given;
        return QString::fromStdString(target.string());
    });
    ASSERT_TRUE(offered(*archlib));
    actions(*archlib).exportAction()->trigger();
    EXPECT_EQ(suggested, QString::fromStdString((path.parent_path() / "SAVF1.savf").string()));
    EXPECT_EQ(fs::file_size(target), 152u * kBlock);
    window_->openFile(QString::fromStdString(target.string()));
    window_->openJob().wait();
    EXPECT_EQ(captions(*window_), tree);
}

// JTT_w95lib.savf: save file PROGS holds a 156-block save of the oldest layout (SAVOBJ of four
// CL programs of library W95LIB), stored from block 25 of its segment. It opens in a window of
// its own and is cut out to a file that opens with the same tree.
TEST_F(HeldSaveWindowTest, RealSaveOfTheCiscEraOpensAndExports) {
    const fs::path path = fs::path(QUELVANE_SAVF_DIR) / "JTT_w95lib.savf";
    QUELVANE_REQUIRE_REAL_FILE(path);
    window_->openFile(QString::fromStdString(path.string()));
    window_->openJob().wait();
    selectIn(*window_, {"Library(W95LIB)", "Part0", "PROGS("});
    MainWindow* progs = openHeld(*window_);
    ASSERT_NE(progs, nullptr);
    const QStringList tree = captions(*progs);
    ASSERT_EQ(tree.size(), 6);
    EXPECT_EQ(tree[0], QStringLiteral("Library(W95LIB)"));
    EXPECT_TRUE(tree[5].startsWith(QStringLiteral("    PROG35("))) << qPrintable(tree[5]);

    const fs::path target = folder_ / "PROGS.savf";
    actions(*window_).setTargetChooser(
        [&](QWidget*, const QString&) { return QString::fromStdString(target.string()); });
    ASSERT_TRUE(offered(*window_));
    actions(*window_).exportAction()->trigger();
    EXPECT_EQ(fs::file_size(target), 156u * kBlock);
    window_->openFile(QString::fromStdString(target.string()));
    window_->openJob().wait();
    EXPECT_EQ(captions(*window_), tree);
}

}  // namespace
}  // namespace quelvane::test
