#include <QTreeView>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <vector>

#include "conversion/ConversionLayer.h"
#include "shell/CatalogTreeModel.h"
#include "shell/ContentListModel.h"
#include "shell/ListingWorker.h"
#include "tests/shell/ShellFixture.h"
#include "tests/support/RealFiles.h"

namespace quelvane::test {
namespace {

const QString kSavf = QStringLiteral(QUELVANE_SAVF_DIR "/");
const QString kVersion = QStringLiteral("Quelvane V2.4.1.1036");

class OpenCommandTest : public ShellFixture {
  protected:
    void SetUp() override {
        ShellFixture::SetUp();
        QUELVANE_REQUIRE_REAL_FILE(std::filesystem::path(QUELVANE_SAVF_DIR "/VCF_VCFV1R0.SAVF"));
    }

    void open(const QString& name) {
        dialogs_.files.push_back(name.isEmpty() ? QString() : kSavf + name);
        window_->openSaveFile();
        window_->openJob().wait();
    }

    // The index under the library reached by following captions.
    QModelIndex node(const QStringList& path) {
        const auto& model = window_->treeModel();
        QModelIndex at;
        for (const QString& caption : path) {
            const QModelIndex parent = at;
            at = {};
            for (int r = 0; r < model.rowCount(parent); ++r) {
                if (model.data(model.index(r, 0, parent)).toString() == caption) {
                    at = model.index(r, 0, parent);
                    break;
                }
            }
            EXPECT_TRUE(at.isValid()) << qPrintable(caption);
        }
        return at;
    }

    void click(const QStringList& path) {
        window_->findChild<QTreeView*>(QStringLiteral("TreeView1"))->setCurrentIndex(node(path));
        window_->showSelectedNode();
        window_->findChild<ListingWorker*>()->wait();
    }

    // A copy of JTT_joblogtest.savf in the test folder whose block 0 lacks 11 00 11 00 at 12.
    QString writeWithoutOldestMarker() {
        std::ifstream in(QUELVANE_SAVF_DIR "/JTT_joblogtest.savf", std::ios::binary);
        std::vector<char> bytes((std::istreambuf_iterator<char>(in)), {});
        std::fill_n(bytes.begin() + 12, 4, '\0');
        const std::filesystem::path path = folder_ / "TOOOLD.savf";
        std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        return QString::fromStdString(path.string());
    }

    QStringList children(const QStringList& path) {
        const auto& model = window_->treeModel();
        const QModelIndex parent = node(path);
        QStringList captions;
        for (int r = 0; r < model.rowCount(parent); ++r) {
            captions << model.data(model.index(r, 0, parent)).toString();
        }
        return captions;
    }

    QStringList headers() {
        QStringList captions;
        for (int c = 0; c < window_->listModel().columnCount(); ++c) {
            captions << window_->listModel().headerData(c, Qt::Horizontal).toString();
        }
        return captions;
    }
};

TEST_F(OpenCommandTest, UnconfiguredCodePagesShowTheOptionsInsteadOfTheFileDialog) {
    settings_->writeInteger("EBCDIC To ASCII", "EBCDIC", 37);
    start();
    open(QStringLiteral("VCF_VCFV1R0.SAVF"));
    EXPECT_TRUE(options_->isVisible());
    EXPECT_TRUE(dialogs_.fileDialogs.empty());
    EXPECT_EQ(window_->conversion().EbcdicCodePage, 37);
    EXPECT_EQ(window_->conversion().PcCodePage, 100000);
    EXPECT_EQ(window_->windowTitle(), kVersion);
}

TEST_F(OpenCommandTest, ARealFileBecomesTheTreeAndTheSummary) {
    configure(37, 1252);
    start();
    open(QStringLiteral("VCF_VCFV1R0.SAVF"));

    ASSERT_EQ(dialogs_.fileDialogs.size(), 1u);
    EXPECT_EQ(dialogs_.fileDialogs[0].first, QStringLiteral("Open"));
    EXPECT_TRUE(
        dialogs_.fileDialogs[0].second.value(0).startsWith(QStringLiteral("Save Files (*.savf *.sav")));
    EXPECT_EQ(window_->windowTitle(),
              kVersion + QStringLiteral("[") + kSavf + QStringLiteral("VCF_VCFV1R0.SAVF]"));
    EXPECT_TRUE(dialogs_.messages.empty()) << qPrintable(dialogs_.messageTexts().join('\n'));

    EXPECT_EQ(children({}), QStringList{"Library(VCF)"});
    EXPECT_EQ(children({"Library(VCF)"}), QStringList{"Part0"});
    const QStringList objects = children({"Library(VCF)", "Part0"});
    for (const char* expected :
         {"DFUINZCMT(PGM)", "VCFMAIN(DSPF)", "ADMMAIN(MENU)", "AWARDDB(PF)", "QCLSRC(PF)"}) {
        EXPECT_TRUE(objects.contains(QString::fromLatin1(expected))) << expected;
    }
    EXPECT_EQ(children({"Library(VCF)", "Part0", "QCLSRC(PF)"}),
              (QStringList{"VCFSTUB ", "VOTESTUB ", "ADDGBSTUB ", "READGBSTUB "}));

    const auto& list = window_->listModel();
    EXPECT_EQ(list.rowTexts(0), QStringList{"This SAVF created on IBM AS/400 150 9401 CISC machine."});
    EXPECT_EQ(list.rowTexts(1), QStringList{"Using SAVLIB Command!"});
    // The save's details, read by hand from the file: library descriptor clock and serial, and
    // the release codes 0x3600 (V4R4) and 0x2000 (no release) of the first descriptor segment.
    EXPECT_EQ(list.rowTexts(2), QStringList{"-"});
    EXPECT_EQ(list.rowTexts(3), QStringList{"Data: stored."});
    EXPECT_EQ(list.rowTexts(4), QStringList{"Saved 2023-11-19 15:35:51, serial 1030G40"});
    EXPECT_EQ(list.rowTexts(5), QStringList{"Release V4R4, target release code 2000"});
    for (int b = 2; b <= 5; ++b) {
        EXPECT_FALSE(button(b)->isEnabled()) << b;
    }
}

// The oldest layout (11 00 11 00 in block 0): once refused as too old, now read whole.
TEST_F(OpenCommandTest, TheOldestSavesOpen) {
    configure(37, 1252);
    start();
    open(QStringLiteral("JTT_joblogtest.savf"));
    EXPECT_TRUE(dialogs_.messageTexts().isEmpty()) << qPrintable(dialogs_.messageTexts().join("\n"));
    EXPECT_EQ(children({}), QStringList{"Library(JOBLOGTEST)"});
    click({"Library(JOBLOGTEST)", "Part0", "QCLSRC(PF)", "SNDMSGS "});
    EXPECT_EQ(window_->listModel().rowCount(), 6);
    open(QStringLiteral("SKS_traceroute.savf"));
    EXPECT_EQ(children({"Library(TRACEROUTE)", "Part0"}).size(), 2);
    click({"Library(TRACEROUTE)", "Part0", "SOURCE(PF)", "README "});
    EXPECT_EQ(window_->listModel().rowCount(), 112);
}

TEST_F(OpenCommandTest, ARejectedOrCancelledFileLeavesThePreviousTree) {
    configure(37, 1252);
    start();
    open(QStringLiteral("VCF_VCFV1R0.SAVF"));
    open(QString());
    EXPECT_EQ(window_->windowTitle(),
              kVersion + QStringLiteral("[") + kSavf + QStringLiteral("VCF_VCFV1R0.SAVF]"));

    // A header that lacks what a save file carries later and is not of the oldest layout either:
    // JTT_joblogtest.savf without its 11 00 11 00.
    const QString tooOld = writeWithoutOldestMarker();
    dialogs_.files.push_back(tooOld);
    window_->openSaveFile();
    window_->openJob().wait();
    EXPECT_EQ(
        dialogs_.messageTexts(),
        QStringList{"File: " + tooOld +
                    "  is not save file format form AS/400\nHeader too old: block 0 lacks "
                    "the header size (offset 52) and the second block count (offset 60) that later save "
                    "files carry"});
    EXPECT_EQ(dialogs_.messages[0].caption, QStringLiteral("Quelvane"));
    EXPECT_EQ(window_->windowTitle(), kVersion + QStringLiteral("[") + tooOld + QStringLiteral("]"));
    EXPECT_EQ(children({}), QStringList{"Library(VCF)"});

    // The views keep reading the file the tree came from.
    click({"Library(VCF)", "Part0", "QCLSRC(PF)", "VCFSTUB "});
    EXPECT_GT(window_->listModel().rowCount(), 0);
    EXPECT_EQ(window_->windowTitle(),
              kVersion + QStringLiteral("[") + kSavf + QStringLiteral("VCF_VCFV1R0.SAVF]"));
}

// Without a file on display the check asks for one; with one, it reports on that file.
TEST_F(OpenCommandTest, ToolsCheckSaveFile) {
    configure(37, 1252);
    start();
    QAction* check = window_->findChild<QAction*>(QStringLiteral("CheckSaveFile1"));
    ASSERT_NE(check, nullptr);
    dialogs_.files.push_back(kSavf + QStringLiteral("P4_EKO.SAVF"));
    check->trigger();
    ASSERT_EQ(dialogs_.fileDialogs.size(), 1u);
    EXPECT_EQ(dialogs_.fileDialogs[0].first, QStringLiteral("Check save file"));
    ASSERT_EQ(dialogs_.messages.size(), 1u);
    EXPECT_EQ(dialogs_.messages[0].caption, QStringLiteral("Check save file"));
    const QStringList lines = dialogs_.messages[0].text.split(QLatin1Char('\n'));
    EXPECT_EQ(lines.value(0), kSavf + QStringLiteral("P4_EKO.SAVF"));
    EXPECT_EQ(lines.value(1), QStringLiteral("Damaged:"));
    EXPECT_TRUE(lines.value(3).startsWith(QStringLiteral("  1 byte inserted within offsets 46992-47504")));

    open(QStringLiteral("FLSEARCH.SAVF"));
    check->trigger();
    EXPECT_EQ(dialogs_.fileDialogs.size(), 2u);
    ASSERT_EQ(dialogs_.messages.size(), 2u);
    EXPECT_EQ(dialogs_.messages[1].text,
              kSavf + QStringLiteral(
                          "FLSEARCH.SAVF\nClean: 160 blocks of 528 bytes, both block counts agree, every "
                          "sequence number in place\nEvery one of 160 records is intact: each carries its "
                          "sequence number and the check of its own bytes"));
}

TEST_F(OpenCommandTest, ClickingNodesFillsLabelsListAndButtons) {
    configure(37, 1252);
    start();
    open(QStringLiteral("VCF_VCFV1R0.SAVF"));

    click({"Library(VCF)", "Part0", "QCLSRC(PF)"});
    EXPECT_EQ(label("Label1"), QStringLiteral("Object:  QCLSRC      It's PF type."));
    EXPECT_TRUE(label("Label2").startsWith(QStringLiteral("Description:  ")));
    EXPECT_EQ(headers(), (QStringList{"Member Name", "Records Number", "Member Description"}));
    EXPECT_EQ(window_->listModel().rowCount(), 4);
    EXPECT_EQ(window_->listModel().rowTexts(0).value(0), QStringLiteral("VCFSTUB"));
    EXPECT_FALSE(button(2)->isEnabled());
    EXPECT_TRUE(button(3)->isEnabled());

    click({"Library(VCF)", "Part0", "QCLSRC(PF)", "VCFSTUB "});
    EXPECT_TRUE(label("Label1").startsWith(QStringLiteral("Member:  VCFSTUB")));
    EXPECT_GT(window_->listModel().rowCount(), 1);
    EXPECT_GT(window_->listModel().columnCount(), 1);
    EXPECT_TRUE(button(2)->isEnabled());
    EXPECT_TRUE(button(3)->isEnabled());
    EXPECT_FALSE(button(5)->isEnabled());
    EXPECT_EQ(window_->statusText().isEmpty(), false);

    // A menu is not described: its pane says what it is and offers its bytes.
    click({"Library(VCF)", "Part0", "ADMMAIN(MENU)"});
    ASSERT_EQ(window_->listModel().rowCount(), 2);
    EXPECT_TRUE(window_->listModel().rowTexts(0).value(0).endsWith(
        QStringLiteral("whose contents this program does not describe.")));
    EXPECT_TRUE(window_->listModel().rowTexts(1).value(0).startsWith(QStringLiteral("Show bytes")));
    EXPECT_FALSE(button(3)->isEnabled());

    click({"Library(VCF)"});
    EXPECT_FALSE(button(2)->isEnabled());
    EXPECT_EQ(window_->listModel().rowTexts(1), QStringList{"Using SAVLIB Command!"});
}

TEST_F(OpenCommandTest, AClProgramSavedWithItsSourceListsTheSource) {
    configure(37, 1252);
    start();
    open(QStringLiteral("JTT_w95lib.savf"));
    click({"Library(W95LIB)", "Part0", "PROG35(PGM)"});
    EXPECT_EQ(label("Label1"), QStringLiteral("Object:  PROG35      It's CLP type."));
    EXPECT_EQ(window_->listModel().rowCount(), 73);
    EXPECT_TRUE(window_->listModel().rowTexts(0).value(0).startsWith(QStringLiteral("/*====")));

    click({"Library(W95LIB)", "Part0", "PROG1(PGM)"});
    EXPECT_EQ(window_->listModel().rowTexts(0),
              QStringList{"This CLP Program compiled with no Allow RTVCLSRC"});
}

}  // namespace
}  // namespace quelvane::test
