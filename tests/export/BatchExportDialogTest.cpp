#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QTimer>

#include <filesystem>

#include "export/ExportCommands.h"
#include "export/pickbatch/BatchExportDialog.h"
#include "export/pickbatch/QtExportFileDialog.h"
#include "tests/export/ExportFixture.h"
#include "tests/export/ExportTestTools.h"

namespace quelvane::test {
namespace {

struct BatchExportDialogTest : ::testing::Test {
    static void SetUpTestSuite() {
        static int argc = 1;
        static char name[] = "pickbatch_tests";
        static char* argv[] = {name, nullptr};
        if (QApplication::instance() == nullptr) {
            static QApplication application(argc, argv);
        }
    }

    template <typename Control>
    Control* control(const char* name) {
        auto* found = form.findChild<Control*>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }

    BatchExportDialog form;
};

TEST_F(BatchExportDialogTest, ControlsCarryTheirTextsAndPlaces) {
    EXPECT_EQ(form.windowTitle(), "Pick out files in batch");
    EXPECT_EQ(form.size(), QSize(451, 282));
    const struct {
        const char* name;
        const char* text;
        QRect place;
    } buttons[] = {{"Button1", "Select ...", {368, 192, 73, 25}},
                   {"Button2", "Confirm", {256, 232, 75, 25}},
                   {"Button3", "Cancel", {104, 232, 75, 25}}};
    for (const auto& b : buttons) {
        EXPECT_EQ(control<QPushButton>(b.name)->text(), b.text);
        EXPECT_EQ(control<QPushButton>(b.name)->geometry(), b.place);
    }
    const std::pair<const char*, const char*> labels[] = {{"Label1", "SelectDirectory  to  save files:"},
                                                          {"Label2", "Library:"},
                                                          {"Label3", "Physics File:"},
                                                          {"Label4", "Members:"}};
    for (const auto& [name, text] : labels) {
        EXPECT_EQ(control<QLabel>(name)->text(), text);
    }
    EXPECT_EQ(control<QCheckBox>("CheckBox1")->text(), "With splitter code \"I\"");
    EXPECT_EQ(control<QCheckBox>("CheckBox1")->text().size(), 22);
    EXPECT_FALSE(control<QCheckBox>("CheckBox1")->isChecked());
    EXPECT_EQ(control<QCheckBox>("CheckBox2")->text(), "In One file  and member as  a sheet");
    EXPECT_FALSE(control<QCheckBox>("CheckBox2")->isEnabled());
    EXPECT_EQ(control<QGroupBox>("FileType1")->title(), "The File Type to save :");
    EXPECT_TRUE(control<QLineEdit>("Edit1")->isReadOnly());
    EXPECT_TRUE(control<QLabel>("desc")->isHidden());
    EXPECT_TRUE(control<QLabel>("obj")->isHidden());
    EXPECT_EQ(form.fileType(), BatchExportTarget::kTextFile);
}

TEST_F(BatchExportDialogTest, OnlyTheTextTypeEnablesTheSplitterWhichKeepsItsState) {
    auto* splitter = control<QCheckBox>("CheckBox1");
    splitter->setChecked(true);
    control<QRadioButton>("FileType1_1")->click();
    EXPECT_EQ(form.fileType(), BatchExportTarget::kWordFile);
    EXPECT_FALSE(splitter->isEnabled());
    EXPECT_TRUE(splitter->isChecked());
    control<QRadioButton>("FileType1_2")->click();
    EXPECT_FALSE(splitter->isEnabled());
    control<QRadioButton>("FileType1_0")->click();
    EXPECT_TRUE(splitter->isEnabled());
    EXPECT_TRUE(form.splitterOption());
}

TEST_F(BatchExportDialogTest, SelectStartsAtTheWorkingDirectoryAndKeepsItWhenCancelled) {
    QString started;
    form.setDirectoryChooser([&](QWidget*, const QString& start) {
        started = start;
        return QString();
    });
    form.selectDirectory();
    EXPECT_EQ(started, QDir::currentPath());
    EXPECT_EQ(control<QLineEdit>("Edit1")->text(), QDir::currentPath());

    form.setDirectoryChooser([](QWidget*, const QString&) { return QStringLiteral("/data/new//dir/"); });
    control<QPushButton>("Button1")->click();
    EXPECT_EQ(form.directory(), "/data/new/dir");

    // A start folder handed over replaces the current one, which stays as it was.
    const QString before = QDir::currentPath();
    form.setStartFolder(QStringLiteral("/opt/quelvane/bin"));
    form.setDirectoryChooser([&](QWidget*, const QString& start) {
        started = start;
        return QString();
    });
    form.selectDirectory();
    EXPECT_EQ(started, QStringLiteral("/opt/quelvane/bin"));
    EXPECT_EQ(QDir::currentPath(), before);
}

// The directory box holds a file-system string whatever the PC code page spells: shown whole
// and given back unchanged, while the catalog's texts go through the code page.
TEST_F(BatchExportDialogTest, TheDirectoryIsAFileSystemString) {
    form.setTextCodec([](const std::string& text) { return QString::fromLatin1(text.c_str()); },
                      [](const QString& text) { return text.toLatin1().toStdString(); });
    BatchExportTarget::Contents contents;
    contents.libraryName = "LIB\xC4";
    contents.directory = "/tmp/A\xC3\xB1o \xD0\x96";
    form.fill(contents);
    EXPECT_EQ(control<QLineEdit>("Edit1")->text(), QStringLiteral(u"/tmp/A\u00F1o \u0416"));
    EXPECT_EQ(form.directory(), contents.directory);
    EXPECT_EQ(control<QLabel>("lib")->text(), QStringLiteral(u"LIB\u00C4"));
}

TEST_F(BatchExportDialogTest, ConfirmRunsTheBatchOfTheFileTheCommandChose) {
    ExportFixture fixture;
    fixture.open({ordersFile({{"JAN", "", "", 2}, {"FEB", "", "", 1}})},
                 {ContentFixtures::memberRecords("ORDERS", "JAN", kOrderLength, orderSlots(2)),
                  ContentFixtures::memberRecords("ORDERS", "FEB", kOrderLength, orderSlots(1))});
    ScratchDirectory scratch("quelvane-pickbatch");
    ASSERT_TRUE(exportBatchCommand(fixture.session, NodePosition{2, 0, 0, 0}, form));
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(control<QLabel>("lib")->text(), "QGPL");
    EXPECT_EQ(control<QLabel>("pf")->text(), "ORDERS");
    EXPECT_EQ(control<QLabel>("memnum")->text(), "2");
    EXPECT_EQ(control<QLineEdit>("Edit1")->text(), QDir::currentPath());

    form.setDirectoryChooser(
        [&](QWidget*, const QString&) { return QString::fromStdString(scratch.path().string()); });
    form.selectDirectory();
    int confirmations = 0;
    QObject::connect(&form, &BatchExportDialog::confirmed, [&] {
        ++confirmations;
        fixture.session.splitterOption = form.splitterOption();
        runBatchExport(fixture.session, form);
    });
    control<QCheckBox>("CheckBox1")->setChecked(true);
    control<QPushButton>("Button2")->click();
    EXPECT_EQ(confirmations, 1);
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(control<QStatusBar>("StatusBar1")->currentMessage(), "Converting  QGPL/ORDERS(FEB)");
    EXPECT_EQ(readFile(scratch / "ORDERS_JAN.txt"),
              "R0  |123.45|2000-01-01 12:00:00|0|\r\nR1  |123.45|2000-01-01 12:00:00|1|\r\n");
    EXPECT_EQ(readFile(scratch / "ORDERS_FEB.txt"), "R0  |123.45|2000-01-01 12:00:00|0|\r\n");
}

// The progress window counts members and its Cancel stops the run before the next member.
TEST_F(BatchExportDialogTest, TheProgressWindowCountsMembersAndCancels) {
    ExportFixture fixture;
    fixture.open({ordersFile({{"JAN", "", "", 2}, {"FEB", "", "", 1}, {"MAR", "", "", 1}})},
                 {ContentFixtures::memberRecords("ORDERS", "JAN", kOrderLength, orderSlots(2)),
                  ContentFixtures::memberRecords("ORDERS", "FEB", kOrderLength, orderSlots(1)),
                  ContentFixtures::memberRecords("ORDERS", "MAR", kOrderLength, orderSlots(1))});
    ScratchDirectory scratch("quelvane-pickbatch-cancel");
    ASSERT_TRUE(exportBatchCommand(fixture.session, NodePosition{2, 0, 0, 0}, form));
    form.setDirectoryChooser(
        [&](QWidget*, const QString&) { return QString::fromStdString(scratch.path().string()); });
    form.selectDirectory();

    // Cancel is pressed once the second member is announced.
    QStringList seen;
    QObject::connect(
        control<QStatusBar>("StatusBar1"), &QStatusBar::messageChanged, [&](const QString& text) {
            if (text.endsWith(QStringLiteral("(FEB)"))) {
                QTimer::singleShot(0, &form, [&] {
                    auto* progress = form.findChild<QProgressDialog*>(QStringLiteral("BatchProgress"));
                    ASSERT_NE(progress, nullptr);
                    seen << progress->findChild<QProgressBar*>()->text();
                    progress->cancel();
                });
            }
        });
    EXPECT_EQ(runBatchExport(fixture.session, form), ExportOutcome::Cancelled);
    EXPECT_EQ(seen, QStringList({"1 of 3 members"}));
    EXPECT_FALSE(form.isVisible());
    EXPECT_TRUE(std::filesystem::exists(scratch / "ORDERS_JAN.txt"));
    EXPECT_FALSE(std::filesystem::exists(scratch / "ORDERS_FEB.txt"));
    EXPECT_FALSE(std::filesystem::exists(scratch / "ORDERS_MAR.txt"));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(form.findChild<QProgressDialog*>(QStringLiteral("BatchProgress")), nullptr);
}

TEST_F(BatchExportDialogTest, TheSaveDialogOffersTheThreeFileTypes) {
    EXPECT_EQ(QtExportFileDialog::qtFilters(),
              QStringList({"TEXT File (*.txt)", "Word (*.doc)", "Excel (*.xls)"}));
}

TEST_F(BatchExportDialogTest, CancelClosesTheDialog) {
    form.showDialog();
    EXPECT_TRUE(form.isVisible());
    control<QPushButton>("Button3")->click();
    EXPECT_FALSE(form.isVisible());
}

}  // namespace
}  // namespace quelvane::test
