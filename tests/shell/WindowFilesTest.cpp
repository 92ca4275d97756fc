#include <QDropEvent>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QSplitter>
#include <QTableView>
#include <QTreeView>
#include <QUrl>

#include "shell/CatalogTreeModel.h"
#include "shell/ContentListModel.h"
#include "shell/RecentFiles.h"
#include "shell/WindowGeometry.h"
#include "tests/shell/RecordsFile.h"
#include "tests/shell/ShellFixture.h"

namespace quelvane::test {
namespace {

// Opening files other than through the file dialog, the recent files and the window's
// remembered geometry.
class WindowFilesTest : public ShellFixture {
  protected:
    std::filesystem::path builtFile(const std::string& name, std::uint32_t records = 3) {
        const auto path = folder_ / name;
        writeRecordsFile(path, records);
        return path;
    }

    QString libraryCaption() const {
        return window_->treeModel().data(window_->treeModel().index(0, 0)).toString();
    }

    QMenu* fileMenu() const { return window_->menuBar()->findChildren<QMenu*>().value(0); }

    QStringList recentItems() const {
        QStringList texts;
        for (QAction* action : fileMenu()->actions()) {
            if (action->objectName().startsWith(QStringLiteral("RecentFile"))) {
                texts << action->toolTip();
            }
        }
        return texts;
    }

    void restart() {
        window_->close();
        ftp_.reset();
        options_.reset();
        about_.reset();
        window_.reset();
        start();
    }
};

TEST_F(WindowFilesTest, AFileNamedAtStartOpensWithoutTheFileDialog) {
    const auto path = builtFile("start.savf");
    configure(37, 1252);
    start();
    window_->openFile(QString::fromStdString(path.string()));
    window_->openJob().wait();
    EXPECT_TRUE(dialogs_.fileDialogs.empty());
    EXPECT_EQ(libraryCaption(), QStringLiteral("Library(QGPL)"));
    EXPECT_TRUE(window_->windowTitle().endsWith(QString::fromStdString("[" + path.string() + "]")));
}

// The file waits for the code pages: confirming Options opens it, closing Options forgets it.
TEST_F(WindowFilesTest, AFileNamedAtStartWithoutCodePagesOpensOnceOptionsIsConfirmed) {
    const auto path = builtFile("start.savf");
    start();
    window_->openFile(QString::fromStdString(path.string()));
    window_->openJob().wait();
    EXPECT_TRUE(options_->isVisible());
    EXPECT_EQ(window_->treeModel().rowCount(), 0);
    options_->confirm();
    window_->openJob().wait();
    EXPECT_FALSE(options_->isVisible());
    EXPECT_TRUE(dialogs_.fileDialogs.empty());
    EXPECT_EQ(libraryCaption(), QStringLiteral("Library(QGPL)"));

    // Confirmed again later, Options opens nothing: the file being gone says nothing.
    std::filesystem::remove(path);
    options_->confirm();
    window_->openJob().wait();
    EXPECT_TRUE(dialogs_.messages.empty()) << qPrintable(dialogs_.messageTexts().join('\n'));
    EXPECT_EQ(libraryCaption(), QStringLiteral("Library(QGPL)"));
}

TEST_F(WindowFilesTest, AFileWaitingForOptionsIsForgottenWhenOptionsIsClosed) {
    const auto path = builtFile("start.savf");
    start();
    window_->openFile(QString::fromStdString(path.string()));
    window_->openJob().wait();
    ASSERT_TRUE(options_->isVisible());
    options_->reject();
    options_->confirm();
    EXPECT_EQ(window_->treeModel().rowCount(), 0);
}

TEST_F(WindowFilesTest, AFileDroppedOnTheWindowOpens) {
    const auto path = builtFile("dropped.savf");
    configure(37, 1252);
    start();
    ASSERT_TRUE(window_->acceptDrops());

    QMimeData data;
    data.setUrls({QUrl(QStringLiteral("https://example.com/x.savf")),
                  QUrl::fromLocalFile(QString::fromStdString(path.string()))});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(window_.get(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(window_.get(), &drop);
    window_->openJob().wait();
    EXPECT_TRUE(drop.isAccepted());
    EXPECT_EQ(libraryCaption(), QStringLiteral("Library(QGPL)"));

    // Text without a file is refused.
    QMimeData text;
    text.setText(QStringLiteral("hello"));
    QDragEnterEvent refused(QPoint(10, 10), Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
    refused.setAccepted(false);
    QCoreApplication::sendEvent(window_.get(), &refused);
    EXPECT_FALSE(refused.isAccepted());
}

TEST_F(WindowFilesTest, RecentFilesAreKeptNewestFirstInTheirOwnSectionAndOpenAgain) {
    configure(37, 1252);
    start();
    EXPECT_TRUE(recentItems().isEmpty());
    std::vector<QString> paths;
    for (int i = 0; i < RecentFiles::kCapacity + 2; ++i) {
        paths.push_back(QString::fromStdString(builtFile("f" + std::to_string(i) + ".savf").string()));
        window_->openFile(paths.back());
        window_->openJob().wait();
    }
    window_->openFile(paths[5]);
    window_->openJob().wait();
    QStringList expected{paths[5], paths[9], paths[8], paths[7], paths[6], paths[4], paths[3], paths[2]};
    EXPECT_EQ(recentItems(), expected);
    const std::string text = settingsText();
    const auto section = text.find("[Recent Files]");
    ASSERT_NE(section, std::string::npos) << text;
    EXPECT_EQ(text.find("File1=" + paths[5].toStdString()), text.find("File1=", section)) << text;
    // The code-page section is untouched.
    EXPECT_NE(settingsText().find("[EBCDIC To ASCII]"), std::string::npos);

    // A rejected file is not added.
    const auto bad = folder_ / "bad.savf";
    std::ofstream(bad) << "not a save file";
    window_->openFile(QString::fromStdString(bad.string()));
    window_->openJob().wait();
    EXPECT_EQ(recentItems().first(), paths[5]);

    // Kept for the next run; choosing an item opens it.
    restart();
    EXPECT_EQ(recentItems(), expected);
    QAction* second = window_->findChild<QAction*>(QStringLiteral("RecentFile2"));
    ASSERT_NE(second, nullptr);
    EXPECT_TRUE(second->text().endsWith(QStringLiteral("f9.savf")));
    second->trigger();
    window_->openJob().wait();
    EXPECT_EQ(window_->catalog().path, paths[9].toStdString());
    EXPECT_EQ(recentItems().first(), paths[9]);
}

TEST_F(WindowFilesTest, TheDefaultSizeFitsASmallScreenAndShowsAboutTwentyFiveRows) {
    start();
    const QSize size = window_->findChild<WindowGeometry*>()->defaultSize();
    EXPECT_LE(size.width(), 1366);
    EXPECT_LE(size.height(), 768 - 64);

    window_->resize(size);
    window_->show();
    auto* list = window_->findChild<QTableView*>(QStringLiteral("ListView1"));
    ASSERT_GT(window_->listModel().rowCount(), 0);
    const int rowHeight = list->rowHeight(0);
    ASSERT_GT(rowHeight, 0);
    const int rows = list->viewport()->height() / rowHeight;
    EXPECT_GE(rows, 23);
    EXPECT_LE(rows, 30);
}

TEST_F(WindowFilesTest, SizePositionAndTreeWidthAreRestored) {
    start();
    window_->show();
    // The offscreen screen is 800 x 600.
    window_->resize(700, 500);
    window_->move(40, 30);
    auto* splitter = window_->findChild<QSplitter*>(QStringLiteral("Splitter1"));
    splitter->setSizes({300, 400});
    const int tree = splitter->sizes().value(0);
    window_->close();
    EXPECT_NE(settingsText().find("[Window]"), std::string::npos);

    restart();
    window_->show();
    EXPECT_EQ(window_->size(), QSize(700, 500));
    EXPECT_EQ(window_->pos(), QPoint(40, 30));
    EXPECT_EQ(window_->findChild<QSplitter*>(QStringLiteral("Splitter1"))->sizes().value(0), tree);
}

}  // namespace
}  // namespace quelvane::test
