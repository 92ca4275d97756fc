#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QTreeWidget>

#include "conversion/ConversionLayer.h"
#include "export/pickbatch/FailureReporter.h"
#include "shell/CharsetMenus.h"
#include "tests/shell/ShellFixture.h"

namespace quelvane::test {
namespace {

const QString kNotInstalled = QStringLiteral(
    " Cannot support conversion beteen these 2 code pages.\n"
    "Maybe both or one of these 2 code pages are not installed in this Windows System");

class OptionsTest : public ShellFixture {
  protected:
    QComboBox* ccsid() { return find<QComboBox>(options_.get(), "ComboBoxE"); }
    QComboBox* pc() { return find<QComboBox>(options_.get(), "ComboBoxA"); }

    // A selection as the user makes it.
    void pickCcsid(int row) {
        ccsid()->setCurrentIndex(row);
        emit ccsid()->activated(row);
    }

    void confirm() { pushButton("Confirm")->click(); }

    QPushButton* pushButton(const char* caption) {
        for (auto* b : options_->findChildren<QPushButton*>()) {
            if (b->text() == QString::fromLatin1(caption)) {
                return b;
            }
        }
        ADD_FAILURE() << caption;
        return nullptr;
    }

    QLineEdit* edit(int page, int position) {
        auto* stack = options_->findChild<QStackedWidget*>();
        return stack->widget(page)->findChildren<QLineEdit*>().value(position);
    }
};

TEST_F(OptionsTest, AFirstConfirmationWritesAllTenKeysAndTheNextOpenUsesThem) {
    start();
    dialogs_.files.push_back(QString());
    window_->openSaveFile();
    window_->openJob().wait();
    ASSERT_TRUE(options_->isVisible());
    EXPECT_EQ(ccsid()->currentText(), QStringLiteral("   37:    37 - EBCDIC - U.S./Canada"));
    EXPECT_EQ(pc()->currentText(), QStringLiteral(" 1252: ANSI - Latin I"));

    pickCcsid(10);
    EXPECT_EQ(pc()->currentIndex(), 6);
    confirm();
    EXPECT_TRUE(dialogs_.messages.empty()) << qPrintable(dialogs_.messageTexts().join('\n'));
    EXPECT_FALSE(options_->isVisible());
    EXPECT_EQ(settingsText(),
              "[E2AIndex]\r\nEBCDIC=10\r\nASCII=6\r\n"
              "\r\n[EBCDIC To ASCII]\r\nEBCDIC=20273\r\nASCII=1252\r\nByStoredCcsid=1\r\n"
              "\r\n[Host]\r\nHost=\r\nUser=\r\nPassword=\r\nPort=21\r\n"
              "\r\n[Working Dir]\r\nLocal=\r\nRemote=\r\n");

    // The Open that showed Options goes on to its file dialog once they are confirmed.
    EXPECT_EQ(dialogs_.fileDialogs.size(), 1u);
    window_->conversion().EbcdicCodePage = 0;
    window_->openSaveFile();
    window_->openJob().wait();
    EXPECT_EQ(dialogs_.fileDialogs.size(), 2u);
    EXPECT_EQ(window_->conversion().EbcdicCodePage, 20273);
    EXPECT_EQ(window_->conversion().PcCodePage, 1252);
}

TEST_F(OptionsTest, ChangingTheCcsidPicksItsPcRow) {
    start();
    struct Case {
        int ccsidRow;
        int pcRowBefore;
        int pcRowAfter;
    } cases[] = {
        {0, 6, 0},    // Arabic
        {25, 3, 6},   // Spain picks Latin I
        {34, 3, 6},   // U.S. picks Latin I
        {10, 3, 6},   // Germany too
        {27, 11, 3},  // Latin-2 picks Central Europe
        {37, 0, 14},  // Viet Nam
    };
    for (const auto& c : cases) {
        pc()->setCurrentIndex(c.pcRowBefore);
        pickCcsid(c.ccsidRow);
        EXPECT_EQ(pc()->currentIndex(), c.pcRowAfter) << c.ccsidRow;
    }
    // Selections made by the program do not pick.
    pc()->setCurrentIndex(6);
    ccsid()->setCurrentIndex(0);
    EXPECT_EQ(pc()->currentIndex(), 6);
}

TEST_F(OptionsTest, ARejectedTestConversionKeepsTheDialogOpenAndWritesNothing) {
    start();
    options_->showOptions();
    ccsid()->setEditText(QStringLiteral("  999: 99999 - EBCDIC - nowhere"));
    confirm();
    ASSERT_EQ(dialogs_.messages.size(), 1u);
    EXPECT_TRUE(dialogs_.messages[0].text.endsWith(kNotInstalled)) << qPrintable(dialogs_.messages[0].text);
    EXPECT_FALSE(dialogs_.messages[0].text.startsWith(kNotInstalled));
    EXPECT_TRUE(options_->isVisible());
    EXPECT_FALSE(std::filesystem::exists(settingsPath()));
    // The pair stays in force unsaved.
    EXPECT_EQ(window_->conversion().EbcdicCodePage, 99999);
}

TEST_F(OptionsTest, TextsThatAreNoIntegersStopTheConfirmationWhereTheyAreRead) {
    start();
    options_->showOptions();
    pc()->setCurrentIndex(30);  // the empty row
    confirm();
    EXPECT_EQ(dialogs_.messageTexts(), QStringList{"'''' is not a valid integer value"});
    EXPECT_EQ(dialogs_.messages[0].caption, QStringLiteral("Quelvane"));
    EXPECT_FALSE(std::filesystem::exists(settingsPath()));
    EXPECT_EQ(window_->conversion().EbcdicCodePage, 37);

    pc()->setCurrentIndex(13);
    edit(1, 0)->setText(QStringLiteral("as400"));
    edit(1, 3)->setText(QStringLiteral("2x"));
    confirm();
    EXPECT_EQ(dialogs_.messageTexts().value(1), QStringLiteral("''2x'' is not a valid integer value"));
    EXPECT_TRUE(options_->isVisible());
    EXPECT_EQ(settingsText(),
              "[E2AIndex]\r\nEBCDIC=34\r\nASCII=13\r\n"
              "\r\n[EBCDIC To ASCII]\r\nEBCDIC=37\r\nASCII=0\r\nByStoredCcsid=1\r\n"
              "\r\n[Host]\r\nHost=as400\r\nUser=\r\nPassword=\r\n");
}

TEST_F(OptionsTest, CancelWritesNothingAndToolsOptionsSelectsTheStoredRowsAgain) {
    settings_->writeInteger("E2AIndex", "EBCDIC", 34);
    settings_->writeInteger("E2AIndex", "ASCII", 99);
    settings_->writeString("Host", "User", "QPGMR");
    start();
    const std::string before = settingsText();
    EXPECT_EQ(ccsid()->currentIndex(), 34);
    EXPECT_EQ(pc()->currentIndex(), -1);  // outside the list: no selection
    EXPECT_EQ(edit(1, 1)->text(), QStringLiteral("QPGMR"));

    options_->showOptions();
    pickCcsid(13);
    edit(1, 1)->setText(QStringLiteral("OTHER"));
    pushButton("Cancel")->click();
    EXPECT_FALSE(options_->isVisible());
    EXPECT_EQ(settingsText(), before);
    EXPECT_EQ(ccsid()->currentIndex(), 13);

    find<QAction>(window_.get(), "Options1")->trigger();
    EXPECT_TRUE(options_->isVisible());
    EXPECT_EQ(ccsid()->currentIndex(), 34);
    EXPECT_EQ(edit(1, 1)->text(), QStringLiteral("OTHER"));
}

TEST_F(OptionsTest, TheFormsBehaveAsLaidOut) {
    start();
    EXPECT_EQ(options_->windowTitle(), QStringLiteral("Options"));
    EXPECT_EQ(options_->size(), QSize(603, 432));
    EXPECT_EQ(ccsid()->count(), 38);
    EXPECT_EQ(pc()->count(), 31);
    auto* pages = options_->findChild<QTreeWidget*>(QStringLiteral("TreeView1"));
    auto* stack = options_->findChild<QStackedWidget*>();
    emit pages->itemClicked(pages->topLevelItem(2), 0);
    EXPECT_EQ(stack->currentIndex(), 2);
    emit pages->itemClicked(pages->topLevelItem(1), 0);
    EXPECT_EQ(stack->currentIndex(), 1);
    EXPECT_EQ(edit(1, 2)->echoMode(), QLineEdit::Password);

    // The user edit turns typed letters to upper case.
    QLineEdit* user = edit(1, 1);
    user->setFocus();
    emit user->textEdited(QStringLiteral("qsecofr"));
    EXPECT_EQ(user->text(), QStringLiteral("QSECOFR"));
}

TEST_F(OptionsTest, ConfirmingAppliesTheCharacterSetOfThePcCodePage) {
    start();
    options_->showOptions();
    pickCcsid(20);  // Japan, picks 932
    confirm();
    EXPECT_TRUE(dialogs_.messages.empty()) << qPrintable(dialogs_.messageTexts().join('\n'));
    EXPECT_EQ(window_->charsets().contentListCharset(), 128);
    EXPECT_EQ(window_->charsets().descriptionCharset(), 128);
}

// A settings file that cannot be written is reported once through the program's report of
// failures; nothing unwinds through the button's click.
TEST_F(OptionsTest, ASettingsWriteFailureIsReportedByTheSlot) {
    std::filesystem::create_directories(settingsPath());
    start();
    QStringList reported;
    FailureReporter::setHandler([&](const QString& text) { reported << text; });
    options_->showOptions();
    EXPECT_NO_THROW(confirm());
    FailureReporter::setHandler({});
    ASSERT_EQ(reported.size(), 1);
    EXPECT_TRUE(reported[0].startsWith(QStringLiteral("Cannot write the settings file")))
        << qPrintable(reported[0]);
    EXPECT_TRUE(options_->isVisible());
}

}  // namespace
}  // namespace quelvane::test
