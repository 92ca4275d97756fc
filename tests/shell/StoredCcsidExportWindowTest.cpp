#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeView>

#include <filesystem>
#include <memory>
#include <string>

#include "export/ExportFileDialog.h"
#include "export/pickbatch/BatchExportDialog.h"
#include "export/pickbatch/ExportActions.h"
#include "shell/ListingWorker.h"
#include "tests/shell/ChosenFile.h"
#include "tests/shell/ShellFixture.h"
#include "tests/support/ContentFixtures.h"
#include "tests/support/TaggedField.h"
#include "tests/support/TestFiles.h"

namespace quelvane::test {
namespace {

// The window's Export and Batch export follow the Options choice "Decode text by the CCSIDs
// stored in the save file", over TAGGED: DE (273) "ÄÖÜ" and JP (mixed 5026) "A一", pair 37/1252.
class StoredCcsidExportWindowTest : public ShellFixture {
  protected:
    void SetUp() override {
        ShellFixture::SetUp();
        BuiltObject file;
        file.name = "TAGGED";
        file.attribute = "PF";
        file.fields = {taggedField("DE", 0x0403, 3, 273), taggedField("JP", 0x0603, 5, 5026)};
        file.members = {{"MBR1", "", "", 1}};
        BuiltPart part;
        part.objects = {file};
        SaveFileBuilder builder;
        builder.add(part);
        builder.add(ContentFixtures::memberRecords(
            "TAGGED", "MBR1", 8, {{0x80, {0x4A, 0xE0, 0x5A, 0xC1, 0x0E, 0x45, 0x41, 0x0F}}}));
        const auto path = folder_ / "built.savf";
        builder.build().writeTo(path.string());
        configure(37, 1252);
        // A settings file that recorded the choice of the pair: the exports start by the pair.
        ProgramSettings(*settings_).writeDecodesByStoredCcsid(false);
        start();
        openThroughDialog(path);
        start_ = std::filesystem::current_path();
    }
    void TearDown() override {
        std::filesystem::current_path(start_);
        ShellFixture::TearDown();
    }

    void chooseByStoredCcsid(bool on) {
        options_->showOptions();
        find<QCheckBox>(options_.get(), "CheckByStoredCcsid")->setChecked(on);
        for (auto* b : options_->findChildren<QPushButton*>()) {
            if (b->text() == QStringLiteral("Confirm")) {
                b->click();
            }
        }
        // Confirming new code pages opens the save again.
        window_->openJob().wait();
    }

    // Selects the tree node at `rows` and waits for its listing.

    // The member as the window's Export writes it, with the save dialog's file type `filterIndex`.
    std::string exported(const char* name, int filterIndex = 1) {
        window_->exports().setFileDialog(
            std::make_unique<ChosenFile>((folder_ / name).string(), filterIndex));
        selectRows({0, 0, 0, 0});
        button(2)->click();
        return slurp(folder_ / (std::string(name) + ".txt"));
    }

    std::filesystem::path start_;
};

TEST_F(StoredCcsidExportWindowTest, ExportAndBatchFollowTheChoice) {
    const std::string byPair = exported("pair");
    EXPECT_EQ(byPair.find("\xC4\xD6\xDC"), std::string::npos) << byPair;

    chooseByStoredCcsid(true);
    EXPECT_EQ(exported("stored"),
              "\xC4\xD6\xDC"
              "A\x1A\r\n");

    const std::filesystem::path directory = folder_ / "batch";
    std::filesystem::create_directories(directory);
    BatchExportDialog& batch = window_->exports().batchDialog();
    selectRows({0, 0, 0});
    button(3)->click();
    ASSERT_TRUE(batch.isVisible());
    find<QLineEdit>(&batch, "Edit1")->setText(QString::fromStdString(directory.string()));
    find<QPushButton>(&batch, "Button2")->click();
    EXPECT_EQ(slurp(directory / "TAGGED_MBR1.txt"),
              "\xC4\xD6\xDC"
              "A\x1A\r\n");

    // Off again, the pair reads DE. The settings hold no list rows, so the dialog confirms its
    // default rows, 37/1252, which read the bytes otherwise.
    chooseByStoredCcsid(false);
    const std::string off = exported("off");
    EXPECT_EQ(off.find("\xC4\xD6\xDC"), std::string::npos) << off;
    EXPECT_EQ(off.size(), byPair.size());
}

// With the PC page lacking JP's kanji, Export writes the file as before and a box says how many
// characters were replaced and where the first stands; the file type "TEXT File, UTF-8" keeps
// them, without a word.
TEST_F(StoredCcsidExportWindowTest, ExportSaysWhatThePcPageLacksAndUtf8KeepsIt) {
    chooseByStoredCcsid(true);
    dialogs_.messages.clear();
    EXPECT_EQ(exported("stored"),
              "\xC4\xD6\xDC"
              "A\x1A\r\n");
    EXPECT_EQ(dialogs_.messageTexts(),
              QStringList{"1 character could not be written in PC code page 1252 and was replaced (the first "
                          "in record 1, field JP). Choose the encoding UTF-8 to keep every character."});
    dialogs_.messages.clear();
    EXPECT_EQ(exported("utf8", kUtf8TextFilterIndex), "\u00C4\u00D6\u00DCA\u4E00\r\n");
    EXPECT_TRUE(dialogs_.messages.empty()) << qPrintable(dialogs_.messageTexts().join('\n'));
}

// The batch says the same once, naming the member; "Text in UTF-8" keeps every character.
TEST_F(StoredCcsidExportWindowTest, BatchSaysWhatThePcPageLacksAndUtf8KeepsIt) {
    chooseByStoredCcsid(true);
    const std::filesystem::path directory = folder_ / "batch";
    std::filesystem::create_directories(directory);
    BatchExportDialog& batch = window_->exports().batchDialog();
    for (const bool utf8 : {false, true}) {
        SCOPED_TRACE(utf8);
        dialogs_.messages.clear();
        selectRows({0, 0, 0});
        button(3)->click();
        ASSERT_TRUE(batch.isVisible());
        find<QLineEdit>(&batch, "Edit1")->setText(QString::fromStdString(directory.string()));
        find<QCheckBox>(&batch, "CheckUtf8")->setChecked(utf8);
        find<QPushButton>(&batch, "Button2")->click();
        if (utf8) {
            EXPECT_EQ(slurp(directory / "TAGGED_MBR1.txt"), "\u00C4\u00D6\u00DCA\u4E00\r\n");
            EXPECT_TRUE(dialogs_.messages.empty()) << qPrintable(dialogs_.messageTexts().join('\n'));
        } else {
            EXPECT_EQ(slurp(directory / "TAGGED_MBR1.txt"),
                      "\xC4\xD6\xDC"
                      "A\x1A\r\n");
            EXPECT_EQ(
                dialogs_.messageTexts(),
                QStringList{"1 character could not be written in PC code page 1252 and was replaced (the "
                            "first in member MBR1, record 1, field JP). Choose the encoding UTF-8 to keep "
                            "every character."});
        }
    }
}

}  // namespace
}  // namespace quelvane::test
