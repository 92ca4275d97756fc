#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <utility>
#include <vector>

#include "export/ExportCommands.h"
#include "export/ExportFileNames.h"
#include "export/ExportRecordPass.h"
#include "export/InProcessAutomationClient.h"
#include "tests/export/ExportFixture.h"
#include "tests/export/ExportTestTools.h"

namespace quelvane::test {
namespace {

class ScriptedFileDialog final : public ExportFileDialog {
  public:
    bool execute(std::string& fileName, int& filterIndex) override {
        presets.push_back(fileName);
        if (cancel) {
            return false;
        }
        fileName = typed;
        filterIndex = filter;
        return true;
    }
    void setFileName(const std::string& fileName) override { stored = fileName; }

    bool cancel = false;
    std::string typed;
    int filter = 1;
    std::vector<std::string> presets;
    std::string stored;
};

class RecordingBatchDialog : public BatchExportTarget {
  public:
    void fill(const Contents& filled) override { contents = filled; }
    void showDialog() override { shown = true; }
    void closeDialog() override { shown = false; }
    ObjectRef chosenFile() const override { return contents.file; }
    std::string directory() const override { return contents.directory; }
    ExportFormat fileType() const override { return type; }
    void setStatusText(const std::string& text) override { statuses.push_back(text); }

    Contents contents;
    bool shown = false;
    ExportFormat type = kTextFile;
    std::vector<std::string> statuses;
};

// The first part holds a program, ORDERS with two members, and LOGS, a logical file.
struct ExportCommandsTest : ::testing::Test {
    ExportCommandsTest() {
        BuiltObject program = ContentFixtures::programObject("PGM1");
        BuiltObject logical = ordersFile({{"LMBR", "", "", 0}}, "LOGS", "LF");
        fixture.open({program, ordersFile({{"MBR1", "", "", 2}, {"MBR.2", "", "", 1}}), logical},
                     {ContentFixtures::memberRecords("ORDERS", "MBR1", kOrderLength, orderSlots(2)),
                      ContentFixtures::memberRecords("ORDERS", "MBR.2", kOrderLength, orderSlots(1))});
    }

    std::vector<RecordingNotifier::Entry> said() const { return fixture.views.notifier.entries; }

    ExportFixture fixture;
    ScratchDirectory scratch{"quelvane-export-commands"};
};

std::string entryText(const std::vector<RecordingNotifier::Entry>& entries) {
    std::string text;
    for (const auto& entry : entries) {
        text += entry.caption + ": " + entry.text + "\n";
    }
    return text;
}

TEST_F(ExportCommandsTest, OnlyAMemberOfAPhysicalFileIsExported) {
    const std::optional<NodePosition> refused[] = {
        std::nullopt,
        NodePosition{0, 0, 0, 0},
        NodePosition{1, 0, 0, 0},
        NodePosition{2, 1, 0, 0},
        NodePosition{3, 0, 2, 0},
    };
    for (const auto& node : refused) {
        ExportFixture& f = fixture;
        f.views.notifier.entries.clear();
        ScriptedFileDialog dialog;
        EXPECT_FALSE(exportMemberCommand(f.session, node, dialog).has_value());
        EXPECT_EQ(entryText(said()), "Pick Out: Please choose a  PF member!\n");
        EXPECT_TRUE(dialog.presets.empty());
    }
}

TEST_F(ExportCommandsTest, TheChosenFileTypeSetsTheExtensionAndTheWriter) {
    const struct {
        int filter;
        std::string typed;
        std::string written;
        const char* firstCall;
    } cases[] = {
        {2, "report.txt", "report.doc", "create Word.Application"},
        {1, "report", "report.txt", nullptr},
        {0, "a.b.c", "a.b.txt", nullptr},
        {3, "dir.v2/report", "dir.v2/report.xls", "create Excel.Application"},
    };
    std::filesystem::create_directories(scratch / "dir.v2");
    for (const auto& c : cases) {
        ExportFixture& f = fixture;
        f.automation.lines.clear();
        ScriptedFileDialog dialog;
        dialog.typed = (scratch.path() / c.typed).string();
        dialog.filter = c.filter;
        EXPECT_EQ(exportMemberCommand(f.session, NodePosition{3, 1, 1, 0}, dialog), ExportOutcome::Written);
        EXPECT_EQ(dialog.presets, std::vector<std::string>{"ORDERS_MBR.2"});
        EXPECT_EQ(dialog.stored, (scratch.path() / c.written).string());
        if (c.firstCall != nullptr) {
            ASSERT_FALSE(f.automation.lines.empty());
            EXPECT_TRUE(f.automation.lines.front().starts_with(c.firstCall)) << c.typed;
            EXPECT_EQ(std::count_if(f.automation.lines.begin(), f.automation.lines.end(),
                                    [&](const std::string& line) {
                                        return line.find(".SaveAs(w\"" + dialog.stored + "\")") !=
                                               std::string::npos;
                                    }),
                      1)
                << c.typed;
        } else {
            EXPECT_TRUE(f.automation.lines.empty());
            EXPECT_EQ(readFile(dialog.stored), "R0  123.452000-01-01 12:00:000\r\n");
        }
    }
    EXPECT_TRUE(said().empty()) << entryText(said());
}

TEST_F(ExportCommandsTest, ACancelledDialogWritesNothingAndARaisedFailureIsSaveToFileError) {
    ScriptedFileDialog dialog;
    dialog.cancel = true;
    EXPECT_FALSE(exportMemberCommand(fixture.session, NodePosition{3, 0, 1, 0}, dialog).has_value());
    EXPECT_EQ(dialog.presets, std::vector<std::string>{"ORDERS_MBR1"});
    EXPECT_TRUE(said().empty());

    dialog.cancel = false;
    dialog.typed = (scratch / "missing" / "out").string();
    EXPECT_EQ(exportMemberCommand(fixture.session, NodePosition{3, 0, 1, 0}, dialog), ExportOutcome::Failed);
    EXPECT_EQ(entryText(said()),
              "Quelvane: Open<" + dialog.typed + ".txt>file error\nQuelvane: Save to file error\n");
}

TEST_F(ExportCommandsTest, TheBatchCommandChecksTheSelectionWithItsOwnTexts) {
    const struct {
        std::optional<NodePosition> node;
        const char* said;
    } cases[] = {
        {std::nullopt, "Pick out in batch: Please choose a PF!\n"},
        {NodePosition{1, 0, 0, 0}, "Pick out in batch: Please choose a PF!\n"},
        {NodePosition{2, 0, 0, 0}, "Pick out in batch: Please choose a PF!\n"},
        {NodePosition{2, 2, 0, 0}, "Pick out in batch: Please choose a PF!\n"},
        {NodePosition{3, 0, 2, 0}, "Pick Out in batch: Please choice a PF!\n"},
    };
    for (const auto& c : cases) {
        fixture.views.notifier.entries.clear();
        RecordingBatchDialog dialog;
        EXPECT_FALSE(exportBatchCommand(fixture.session, c.node, dialog));
        EXPECT_EQ(entryText(said()), c.said);
        EXPECT_FALSE(dialog.shown);
    }
}

TEST_F(ExportCommandsTest, TheBatchCommandFillsTheDialogAndRecordsTheFile) {
    RecordingBatchDialog dialog;
    EXPECT_TRUE(exportBatchCommand(fixture.session, NodePosition{3, 1, 1, 0}, dialog));
    EXPECT_TRUE(dialog.shown);
    EXPECT_EQ(dialog.contents.file, (ObjectRef{0, 1}));
    EXPECT_EQ(dialog.contents.libraryName, "QGPL");
    EXPECT_EQ(dialog.contents.fileName, "ORDERS");
    EXPECT_EQ(dialog.contents.memberCount, "2");
    EXPECT_EQ(dialog.contents.directory, std::filesystem::current_path().string());
    EXPECT_EQ(fixture.views.session.shownMember.partIndex, 0);
    EXPECT_EQ(fixture.views.session.shownMember.objectIndex, 1);
    EXPECT_EQ(fixture.views.session.shownMember.memberIndex, -1);

    // The library node keeps the file recorded last; one outside the catalog is refused.
    RecordingBatchDialog again;
    EXPECT_TRUE(exportBatchCommand(fixture.session, NodePosition{0, 0, 0, 0}, again));
    EXPECT_EQ(again.contents.fileName, "ORDERS");
    fixture.views.session.shownMember.objectIndex = 99;
    EXPECT_FALSE(exportBatchCommand(fixture.session, NodePosition{0, 0, 0, 0}, again));
    EXPECT_EQ(entryText(said()), "Pick out in batch: Please choose a PF!\n");
}

// The window's program folder is handed over, never made current.
TEST_F(ExportCommandsTest, TheBatchDialogOffersTheProgramFolderWithoutChangingTheCurrentOne) {
    const std::filesystem::path before = std::filesystem::current_path();
    fixture.session.programDirectory = "/opt/quelvane/bin";
    RecordingBatchDialog dialog;
    ASSERT_TRUE(exportBatchCommand(fixture.session, NodePosition{3, 1, 1, 0}, dialog));
    EXPECT_EQ(dialog.contents.directory, "/opt/quelvane/bin");
    EXPECT_EQ(std::filesystem::current_path(), before);
}

TEST_F(ExportCommandsTest, ConfirmWritesEveryMemberAndClosesTheDialog) {
    RecordingBatchDialog dialog;
    ASSERT_TRUE(exportBatchCommand(fixture.session, NodePosition{2, 1, 0, 0}, dialog));
    // A directory ending in its separator gives a doubled one, which the file system takes.
    dialog.contents.directory = scratch.path().string() + "/";
    fixture.session.splitterOption = true;
    EXPECT_EQ(runBatchExport(fixture.session, dialog), ExportOutcome::Written);
    EXPECT_FALSE(dialog.shown);
    EXPECT_EQ(dialog.statuses,
              (std::vector<std::string>{"Converting  QGPL/ORDERS(MBR1)", "Converting  QGPL/ORDERS(MBR.2)"}));
    EXPECT_EQ(readFile(scratch / "ORDERS_MBR1.txt"),
              "R0  |123.45|2000-01-01 12:00:00|0|\r\nR1  |123.45|2000-01-01 12:00:00|1|\r\n");
    // The member name's period starts the extension that is replaced.
    EXPECT_EQ(readFile(scratch / "ORDERS_MBR.txt"), "R0  |123.45|2000-01-01 12:00:00|0|\r\n");

    dialog.type = BatchExportTarget::kExcelFile;
    dialog.shown = true;
    EXPECT_EQ(runBatchExport(fixture.session, dialog), ExportOutcome::Written);
    EXPECT_EQ(
        std::count_if(fixture.automation.lines.begin(), fixture.automation.lines.end(),
                      [](const std::string& line) { return line.starts_with("create Excel.Application"); }),
        2);
    EXPECT_TRUE(said().empty()) << entryText(said());
}

TEST_F(ExportCommandsTest, ARaisedFailureStopsTheRunAndLeavesTheDialogOpen) {
    RecordingBatchDialog dialog;
    ASSERT_TRUE(exportBatchCommand(fixture.session, NodePosition{2, 1, 0, 0}, dialog));
    dialog.contents.directory = (scratch / "missing").string();
    EXPECT_THROW(runBatchExport(fixture.session, dialog), std::exception);
    EXPECT_TRUE(dialog.shown);
    EXPECT_EQ(dialog.statuses, std::vector<std::string>{"Converting  QGPL/ORDERS(MBR1)"});
    EXPECT_EQ(entryText(said()),
              "Quelvane: Open<" + (scratch / "missing").string() + "/ORDERS_MBR1.txt>file error\n");

    // A writer's own failure goes on to the next member: Word not installed, once per member.
    fixture.views.notifier.entries.clear();
    fixture.automation.failWhen("create");
    dialog.type = BatchExportTarget::kWordFile;
    EXPECT_EQ(runBatchExport(fixture.session, dialog), ExportOutcome::Failed);
    EXPECT_EQ(entryText(said()),
              "Pick2Word: Start Word error, MS Word maybe not installed.\n"
              "Pick2Word: Start Word error, MS Word maybe not installed.\n");
    EXPECT_FALSE(dialog.shown);
}

// A writer that lets the user interface run may see the catalog replaced by an Open; the run
// looks the file up again for every member and ends once it is gone.
TEST_F(ExportCommandsTest, ABatchEndsWhenTheCatalogIsReplacedUnderIt) {
    RecordingBatchDialog dialog;
    ASSERT_TRUE(exportBatchCommand(fixture.session, NodePosition{2, 1, 0, 0}, dialog));
    dialog.contents.directory = scratch.path().string();
    dialog.type = BatchExportTarget::kWordFile;
    struct Case {
        const char* what;
        std::function<void(Catalog&)> replace;
    };
    const Case cases[] = {
        {"an empty catalog", [](Catalog& catalog) { catalog = Catalog{}; }},
        {"fewer objects", [](Catalog& catalog) { catalog.parts[0].library.objects.resize(1); }},
        {"another file in its place",
         [](Catalog& catalog) {
             SavedObject other;
             other.name = "OTHER";
             other.attribute = "PF";
             other.memberCount = 9;
             other.members.resize(9);
             catalog.parts[0].library.objects[1] = other;
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Catalog kept = fixture.views.catalog;
        fixture.automation.lines.clear();
        bool replaced = false;
        fixture.session.processEvents = [&] {
            if (!replaced) {
                replaced = true;
                c.replace(fixture.views.catalog);
            }
        };
        dialog.statuses.clear();
        dialog.shown = true;
        EXPECT_EQ(runBatchExport(fixture.session, dialog), ExportOutcome::Written);
        EXPECT_EQ(dialog.statuses, std::vector<std::string>{"Converting  QGPL/ORDERS(MBR1)"});
        EXPECT_EQ(
            std::count_if(fixture.automation.lines.begin(), fixture.automation.lines.end(),
                          [](const std::string& line) { return line.find(".SaveAs(") != std::string::npos; }),
            1);
        EXPECT_FALSE(dialog.shown);
        fixture.views.catalog = kept;
    }
}

// Cancel is asked before each member and every few thousand records within one; a member cut
// short loses its file, members finished before stay whole, in every format.
TEST(BatchCancel, LeavesOnlyWholeFiles) {
    constexpr int kLongMember = static_cast<int>(ExportRecordPass::kSlotsBetweenAsks) + 900;
    struct Case {
        int cancelAtAsk;  // 0: never
        std::vector<std::string> files;
        ExportOutcome outcome;
    };
    // Asks: 1 before MBR1, 2 within MBR1 at its 4096th slot, 3 before MBR2.
    const Case cases[] = {
        {0, {"ORDERS_MBR1", "ORDERS_MBR2"}, ExportOutcome::Written},
        {1, {}, ExportOutcome::Cancelled},
        {2, {}, ExportOutcome::Cancelled},
        {3, {"ORDERS_MBR1"}, ExportOutcome::Cancelled},
    };
    for (ExportFormat type :
         {BatchExportTarget::kTextFile, BatchExportTarget::kWordFile, BatchExportTarget::kExcelFile}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(testing::Message()
                         << "format " << static_cast<int>(type) << ", cancel at ask " << c.cancelAtAsk);
            ScratchDirectory scratch("quelvane-batch-cancel");
            ViewsFixture views;
            SaveFileBuilder builder;
            BuiltPart part;
            part.objects = {
                ordersFile({{"MBR1", "", "", static_cast<std::uint32_t>(kLongMember)}, {"MBR2", "", "", 1}})};
            builder.add(part);
            builder.add(
                ContentFixtures::memberRecords("ORDERS", "MBR1", kOrderLength, orderSlots(kLongMember)));
            builder.add(ContentFixtures::memberRecords("ORDERS", "MBR2", kOrderLength, orderSlots(1)));
            ASSERT_EQ(views.open(builder), 0);
            InProcessAutomationClient office(1252);
            ExportSession session(views.session, office, 1252);

            class CancellingDialog final : public RecordingBatchDialog {
              public:
                void showProgress(std::int32_t done, std::int32_t total) override {
                    progress.emplace_back(done, total);
                }
                void endProgress() override { ended = true; }
                bool cancelRequested() override { return ++asks == cancelAt; }
                int cancelAt = 0;
                int asks = 0;
                bool ended = false;
                std::vector<std::pair<std::int32_t, std::int32_t>> progress;
            } dialog;
            dialog.cancelAt = c.cancelAtAsk;
            ASSERT_TRUE(exportBatchCommand(session, NodePosition{2, 0, 0, 0}, dialog));
            dialog.contents.directory = scratch.path().string();
            dialog.type = type;
            EXPECT_EQ(runBatchExport(session, dialog), c.outcome);
            EXPECT_TRUE(dialog.ended);
            EXPECT_FALSE(dialog.shown);
            EXPECT_EQ(dialog.progress.front(), std::make_pair(0, 2));

            std::vector<std::string> written;
            for (const auto& entry : std::filesystem::directory_iterator(scratch.path())) {
                written.push_back(entry.path().stem().string());
            }
            std::sort(written.begin(), written.end());
            EXPECT_EQ(written, c.files);
            if (type == BatchExportTarget::kTextFile && !c.files.empty()) {
                const std::string text = readFile(scratch / "ORDERS_MBR1.txt");
                EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), kLongMember);
            }
            EXPECT_TRUE(views.notifier.entries.empty()) << entryText(views.notifier.entries);
            // The session's keepGoing is the caller's again.
            EXPECT_FALSE(session.keepGoing);
        }
    }
}

// Paths stay file-system strings from the dialog to the file: a folder whose name the PC code
// page cannot spell takes every export, single and batch, of every format.
TEST(ExportPaths, AFolderNamedInAnyScriptTakesEveryFormat) {
    ScratchDirectory scratch("quelvane-export-paths");
    for (std::int32_t page : {1252, 1250, 932}) {
        SCOPED_TRACE(page);
        const std::filesystem::path folder = scratch / ("A\xC3\xB1o \xD0\x96 " + std::to_string(page));
        std::filesystem::create_directories(folder);
        ViewsFixture views;
        SaveFileBuilder builder;
        BuiltPart part;
        part.objects = {ordersFile({{"MBR1", "", "", 1}})};
        builder.add(part);
        builder.add(ContentFixtures::memberRecords("ORDERS", "MBR1", kOrderLength, orderSlots(1)));
        ASSERT_EQ(views.open(builder), 0);
        InProcessAutomationClient office(page);
        ExportSession session(views.session, office, page);

        RecordingBatchDialog batch;
        ASSERT_TRUE(exportBatchCommand(session, NodePosition{2, 0, 0, 0}, batch));
        batch.contents.directory = folder.string();
        for (ExportFormat type :
             {BatchExportTarget::kTextFile, BatchExportTarget::kWordFile, BatchExportTarget::kExcelFile}) {
            batch.type = type;
            EXPECT_EQ(runBatchExport(session, batch), ExportOutcome::Written) << static_cast<int>(type);
        }
        ScriptedFileDialog single;
        for (int filter : {1, 2, 3}) {
            single.typed = (folder / "single").string();
            single.filter = filter;
            EXPECT_EQ(exportMemberCommand(session, NodePosition{3, 0, 0, 0}, single), ExportOutcome::Written);
        }
        for (const char* name : {"ORDERS_MBR1.txt", "ORDERS_MBR1.doc", "ORDERS_MBR1.xls", "single.txt",
                                 "single.doc", "single.xls"}) {
            EXPECT_TRUE(std::filesystem::is_regular_file(folder / name)) << name;
        }
        EXPECT_TRUE(views.notifier.entries.empty()) << entryText(views.notifier.entries);
    }
}

// Names from the save file are decoded from the PC code page before they are made safe: a
// double-byte character whose trail byte is 0x5C or 0x7C stays whole.
TEST(ExportPaths, SaveFileNamesAreDecodedBeforeTheyAreMadeSafe) {
    const struct {
        std::int32_t page;
        const char* object;
        const char* member;
        const char* fileName;
    } cases[] = {
        {932, "\x95\x5C", "\x83\x7C", "\xE8\xA1\xA8_\xE3\x83\x9D"},
        {932, "A\\B", "C|D", "A_B_C_D"},
        {1252, "\xC4PFEL", "A\\B", "\xC3\x84PFEL_A_B"},
        {1250, "\x8A", "../X", "\xC5\xA0_.._X"},
    };
    for (const auto& c : cases) {
        ViewsFixture views;
        RecordingAutomationClient automation;
        ExportSession session(views.session, automation, c.page);
        EXPECT_EQ(session.memberFileName(c.object, c.member), c.fileName) << c.page;
    }
}

// A PC page without a converter reads names as Latin-1 and says so once; a page with one says
// nothing.
TEST(ExportPaths, APageWithoutAConverterLeavesANote) {
    const struct {
        std::int32_t page;
        std::size_t notes;
    } cases[] = {{99999, 1}, {1252, 0}};
    for (const auto& c : cases) {
        ViewsFixture views;
        RecordingAutomationClient automation;
        ExportSession session(views.session, automation, c.page);
        EXPECT_EQ(session.memberFileName("\xC4PFEL", "A"), "\xC3\x84PFEL_A") << c.page;
        EXPECT_EQ(session.pcText("X.txt"), "X.txt") << c.page;
        ASSERT_EQ(session.conversionNotes.size(), c.notes) << c.page;
        if (c.notes > 0) {
            EXPECT_NE(session.conversionNotes[0].find("PC code page " + std::to_string(c.page)),
                      std::string::npos)
                << session.conversionNotes[0];
            EXPECT_NE(session.conversionNotes[0].find("Latin-1"), std::string::npos)
                << session.conversionNotes[0];
        }
    }
}

TEST(ExportFileNames, NamesFromTheSaveFileStayInsideTheDirectory) {
    const std::pair<const char*, const char*> cases[] = {
        {"MBR1", "MBR1"},  {"../../ETC", ".._.._ETC"}, {"A\\B", "A_B"},          {"C:D*E?F", "C_D_E_F"},
        {"\"<>|", "____"}, {"TAB\tX\x7F", "TAB_X_"},   {"\xC4PFEL", "\xC4PFEL"}, {"#$@", "#$@"},
    };
    for (const auto& [name, safe] : cases) {
        EXPECT_EQ(ExportFileNames::safeNamePart(name), safe) << name;
    }
    EXPECT_EQ(ExportFileNames::memberFileName("../X", "/etc/passwd"), ".._X__etc_passwd");
}

TEST(ExportFileNames, TheExtensionReplacesTheFileNamesLastPeriodOn) {
    const struct {
        const char* path;
        const char* ext;
        const char* replaced;
    } cases[] = {
        {"report", ".txt", "report.txt"},
        {"report.txt", ".doc", "report.doc"},
        {"a.b.c", ".xls", "a.b.xls"},
        {"/d.ir/name", ".txt", "/d.ir/name.txt"},
        {"/d.ir/na.me", ".txt", "/d.ir/na.txt"},
        {"name.", ".txt", "name.txt"},
        {"/dir//O_M", ".doc", "/dir//O_M.doc"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ExportFileNames::replaceExtension(c.path, c.ext), c.replaced) << c.path;
    }
}

}  // namespace
}  // namespace quelvane::test
