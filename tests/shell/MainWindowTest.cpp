#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QTest>

#include <stdexcept>

#include "savefile/VersionText.h"
#include "shell/CatalogTreeModel.h"
#include "shell/ContentListModel.h"
#include "shell/LinkLabel.h"
#include "shell/QuelvaneApplication.h"
#include "tests/shell/ShellFixture.h"

namespace quelvane::test {
namespace {

using MainWindowTest = ShellFixture;

QStringList menuTexts(const QMenu* menu) {
    QStringList texts;
    for (const QAction* action : menu->actions()) {
        texts << (action->isVisible() ? action->text() : QStringLiteral("(hidden) ") + action->text());
    }
    return texts;
}

TEST_F(MainWindowTest, StartsWithTheVersionInCaptionAndStatusBarAndTheVersionNotesInTheList) {
    start();
    const QString version = QString::fromStdString(VersionText());
    EXPECT_EQ(version, QStringLiteral("Quelvane V2.4.1.1036"));
    EXPECT_EQ(window_->windowTitle(), version);
    EXPECT_EQ(window_->statusText(), version);
    EXPECT_EQ(QCoreApplication::applicationName(), QStringLiteral("Quelvane"));

    auto& list = window_->listModel();
    ASSERT_EQ(list.columnCount(), 1);
    ASSERT_GT(list.rowCount(), 3);
    EXPECT_EQ(list.rowTexts(0), QStringList{QString(69, QLatin1Char('-'))});
    EXPECT_EQ(list.rowTexts(1), QStringList{version});
    EXPECT_EQ(window_->treeModel().rowCount(), 0);
}

TEST_F(MainWindowTest, MenusAndPopupsCarryTheirItems) {
    start();
    QStringList bar;
    for (const QAction* action : window_->menuBar()->actions()) {
        bar << action->text();
        if (action->text() == QStringLiteral("Tools")) {
            EXPECT_EQ(menuTexts(action->menu()),
                      (QStringList{"Options", "Check save file", "Object list...", "(hidden) FTP", "",
                                   "Open saved save file", "Export as save file..."}));
        }
        if (action->text() == QStringLiteral("View")) {
            EXPECT_EQ(menuTexts(action->menu()), (QStringList{"Show Button Text ", "Character Set", "Font"}));
        }
    }
    EXPECT_EQ(bar, (QStringList{"File", "View", "Physical File", "Tools", "Help"}));
    EXPECT_EQ(menuTexts(find<QMenu>(window_.get(), "PopupMenu1")),
              (QStringList{"Pick Out", "Pick Out In batch", "Go RRN", "Show bytes", "",
                           "Open saved save file", "Export as save file...", "(hidden) Export..."}));
    EXPECT_EQ(menuTexts(find<QMenu>(window_.get(), "PopupMenu2")),
              (QStringList{"Show Button Text", "Character Set", "Font", "", "Copy"}));
}

TEST_F(MainWindowTest, ToolbarButtonsHaveTheirCaptionsHintsAndStates) {
    start();
    struct Expected {
        const char* caption;
        const char* hint;
        bool enabled;
        bool visible;
    } expected[] = {
        {"Open", "Open a save file", true, true},
        {"Export", "Export data of PF member", false, true},
        {"Batch", "Export PF members  in batch", false, true},
        {"Put In", "Put modified data into save file", false, false},
        {"Print", "Print", false, true},
        {"Help", "Help", true, true},
    };
    window_->show();
    for (int i = 0; i < 6; ++i) {
        QToolButton* b = button(i + 1);
        ASSERT_NE(b, nullptr);
        EXPECT_EQ(b->text(), QString::fromLatin1(expected[i].caption));
        EXPECT_EQ(b->toolTip(), QString::fromLatin1(expected[i].hint));
        EXPECT_EQ(b->isEnabled(), expected[i].enabled) << expected[i].caption;
        EXPECT_EQ(b->isVisible(), expected[i].visible) << expected[i].caption;
    }
}

TEST_F(MainWindowTest, ShowButtonTextKeepsBothItemsInStepAndDrivesTheCaptions) {
    start();
    auto* main = find<QAction>(window_.get(), "ShowButtonText1");
    auto* popup = find<QAction>(window_.get(), "ShowButtonText2");
    EXPECT_TRUE(main->isChecked());
    EXPECT_TRUE(popup->isChecked());

    main->trigger();
    EXPECT_FALSE(main->isChecked());
    EXPECT_FALSE(popup->isChecked());
    EXPECT_EQ(button(1)->toolButtonStyle(), Qt::ToolButtonIconOnly);

    popup->trigger();
    EXPECT_TRUE(main->isChecked());
    EXPECT_TRUE(popup->isChecked());
    EXPECT_EQ(button(1)->toolButtonStyle(), Qt::ToolButtonTextUnderIcon);
}

TEST_F(MainWindowTest, HelpShowsTheAboutBoxAndFtpTheStubWithoutBlocking) {
    start();
    find<QAction>(window_.get(), "About1")->trigger();
    EXPECT_TRUE(about_->isVisible());
    EXPECT_FALSE(about_->isModal());
    EXPECT_EQ(about_->windowTitle(), QStringLiteral("About"));
    EXPECT_EQ(find<QLabel>(about_.get(), "Version")->text(), QStringLiteral("Quelvane V2.4.1.1036"));

    find<QAction>(window_.get(), "FTP1")->trigger();
    EXPECT_TRUE(ftp_->isVisible());
    EXPECT_EQ(ftp_->windowTitle(), QStringLiteral("FTP"));
}

TEST_F(MainWindowTest, GoRrnChangesNothingYet) {
    start();
    const QString title = window_->windowTitle();
    find<QAction>(window_.get(), "GoRRN1")->trigger();
    EXPECT_EQ(window_->windowTitle(), title);
    EXPECT_TRUE(dialogs_.messages.empty());
    EXPECT_TRUE(dialogs_.fileDialogs.empty());
}

// A failure that escapes a command reaches the event loop: its text is shown and the program
// goes on.
TEST_F(MainWindowTest, AFailureThatReachesTheEventLoopIsShownWithItsText) {
    class Failing final : public QObject {
      public:
        bool event(QEvent*) override { throw std::runtime_error("disk on fire"); }
    } failing;
    auto* application = qobject_cast<QuelvaneApplication*>(QCoreApplication::instance());
    ASSERT_NE(application, nullptr);
    application->setDialogs(&dialogs_);
    QEvent event(QEvent::User);
    EXPECT_FALSE(QCoreApplication::sendEvent(&failing, &event));
    application->setDialogs(nullptr);
    ASSERT_EQ(dialogs_.messages.size(), 1u);
    EXPECT_EQ(dialogs_.messages[0].caption, QStringLiteral("Quelvane"));
    EXPECT_EQ(dialogs_.messages[0].text, QStringLiteral("disk on fire"));
}

// Only a click on the About box's background closes it; one on a link or the version label does
// not.
TEST_F(MainWindowTest, TheAboutBoxClosesOnlyOnItsBackground) {
    start();
    find<QAction>(window_.get(), "About1")->trigger();
    ASSERT_TRUE(about_->isVisible());
    QLabel* version = find<QLabel>(about_.get(), "Version");
    QTest::mouseClick(version, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_TRUE(about_->isVisible());
    const QList<LinkLabel*> links = about_->findChildren<LinkLabel*>();
    ASSERT_FALSE(links.isEmpty());
    QTest::mouseClick(links.front(), Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_TRUE(about_->isVisible());
    QTest::mouseClick(about_.get(), Qt::LeftButton, {}, QPoint(about_->width() - 3, about_->height() - 3));
    EXPECT_FALSE(about_->isVisible());
}

}  // namespace
}  // namespace quelvane::test
