#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QLineEdit>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>
#include <QTreeView>

#include "export/pickbatch/BatchExportDialog.h"
#include "shell/CatalogTreeModel.h"
#include "shell/ContentListModel.h"
#include "shell/ListingWorker.h"
#include "shell/TreeKeyboardFollower.h"
#include "tests/shell/RecordsFile.h"
#include "tests/shell/ShellFixture.h"

namespace quelvane::test {
namespace {

// Keyboard, clipboard and find over a built file: ORDERS(PF) with members MBR (5 records) and
// OTHER, then MYPGM(PGM).
class WindowKeyboardTest : public ShellFixture {
  protected:
    void SetUp() override {
        ShellFixture::SetUp();
        const auto path = folder_ / "orders.savf";
        writeRecordsFile(path, 5);
        configure(37, 1252);
        start();
        window_->show();
        QApplication::setActiveWindow(window_.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(window_.get()));
        window_->openFile(QString::fromStdString(path.string()));
        window_->openJob().wait();
        tree()->setFocus();
    }

    QTreeView* tree() const { return window_->findChild<QTreeView*>(QStringLiteral("TreeView1")); }
    QAbstractItemView* list() const {
        return window_->findChild<QAbstractItemView*>(QStringLiteral("ListView1"));
    }

    void waitPastDelay() { QTest::qWait(TreeKeyboardFollower::kDelayMilliseconds + 150); }

    QModelIndex at(std::initializer_list<int> rows) const {
        QModelIndex index;
        for (int row : rows) {
            index = window_->treeModel().index(row, 0, index);
        }
        return index;
    }
};

TEST_F(WindowKeyboardTest, ArrowKeysShowTheNodeReachedOnceTheyPause) {
    tree()->setCurrentIndex(at({0}));
    waitPastDelay();
    tree()->expandAll();
    // Library, Part0, ORDERS(PF), MBR: three steps down, quicker than the delay.
    for (int i = 0; i < 3; ++i) {
        QTest::keyClick(tree(), Qt::Key_Down);
    }
    EXPECT_EQ(tree()->currentIndex(), at({0, 0, 0, 0}));
    EXPECT_EQ(label("Label1"), QString());
    EXPECT_NE(window_->listModel().rowCount(), 5);

    waitPastDelay();
    EXPECT_EQ(label("Label1").trimmed(), QStringLiteral("Member:  MBR"));
    EXPECT_EQ(window_->listModel().rowCount(), 5);

    QTest::keyClick(tree(), Qt::Key_Down);
    waitPastDelay();
    EXPECT_EQ(label("Label1").trimmed(), QStringLiteral("Member:  OTHER"));
    EXPECT_EQ(window_->listModel().rowCount(), 1);
}

TEST_F(WindowKeyboardTest, SelectedRowsCopyAsTabSeparatedTextWithTheCaptions) {
    tree()->setCurrentIndex(at({0, 0, 0, 0}));
    window_->showSelectedNode();
    window_->findChild<ListingWorker*>()->wait();
    ASSERT_EQ(window_->listModel().rowCount(), 5);

    list()->setFocus();
    list()->selectionModel()->select(window_->listModel().index(2, 0),
                                     QItemSelectionModel::Select | QItemSelectionModel::Rows);
    list()->selectionModel()->select(window_->listModel().index(0, 0),
                                     QItemSelectionModel::Select | QItemSelectionModel::Rows);
    QTest::keyClick(list(), Qt::Key_C, Qt::ControlModifier);
    // Day numbers 2451545 and 2451547.
    EXPECT_EQ(QApplication::clipboard()->text(),
              QStringLiteral("\tNAME\tDAY\n0\tR000\t2000/01/01\n2\tR002\t2000/01/03\n"));

    QTest::keyClick(list(), Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(list()->selectionModel()->selectedRows().size(), 5);
    QApplication::clipboard()->clear();
    QAction* copy = window_->findChild<QMenu*>(QStringLiteral("PopupMenu2"))->actions().last();
    ASSERT_EQ(copy->text(), QStringLiteral("Copy"));
    copy->trigger();
    EXPECT_EQ(QApplication::clipboard()->text().count(QLatin1Char('\n')), 6);
}

TEST_F(WindowKeyboardTest, CtrlFFindsObjectsAndMembersByPartOfTheirName) {
    QTest::keyClick(tree(), Qt::Key_F, Qt::ControlModifier);
    auto* field = window_->findChild<QLineEdit*>(QStringLiteral("FindField"));
    ASSERT_NE(field, nullptr);
    ASSERT_TRUE(field->isVisible());
    ASSERT_TRUE(field->hasFocus());

    QTest::keyClicks(field, QStringLiteral("oth"));
    EXPECT_EQ(tree()->currentIndex(), at({0, 0, 0, 1}));
    waitPastDelay();
    EXPECT_EQ(label("Label1").trimmed(), QStringLiteral("Member:  OTHER"));

    field->clear();
    QTest::keyClicks(field, QStringLiteral("pgm"));
    EXPECT_EQ(tree()->currentIndex(), at({0, 0, 1}));

    // "er" is in ORDERS and OTHER only; Enter goes on, wrapping round.
    field->clear();
    QTest::keyClicks(field, QStringLiteral("er"));
    EXPECT_EQ(tree()->currentIndex(), at({0, 0, 0}));
    QTest::keyClick(field, Qt::Key_Return);
    EXPECT_EQ(tree()->currentIndex(), at({0, 0, 0, 1}));
    QTest::keyClick(field, Qt::Key_Return);
    EXPECT_EQ(tree()->currentIndex(), at({0, 0, 0}));
    QTest::keyClick(field, Qt::Key_F3, Qt::ShiftModifier);
    EXPECT_EQ(tree()->currentIndex(), at({0, 0, 0, 1}));

    QTest::keyClicks(field, QStringLiteral("zzz"));
    EXPECT_EQ(tree()->currentIndex(), at({0, 0, 0, 1}));

    // The box stays above the tree; Escape gives the keys back to the tree.
    QTest::keyClick(field, Qt::Key_Escape);
    EXPECT_TRUE(field->isVisible());
    EXPECT_FALSE(field->hasFocus());
    EXPECT_TRUE(tree()->hasFocus());
}

TEST_F(WindowKeyboardTest, TheTreeAndTheListShareTheirFontFamily) {
    EXPECT_EQ(tree()->font().family(), list()->font().family());
    EXPECT_EQ(QFontInfo(tree()->font()).family(), QFontInfo(list()->font()).family());
}

TEST_F(WindowKeyboardTest, SummaryLabelsShowTheirWholeText) {
    // Wide enough for both texts; where the window is narrower they are cut short inside it.
    window_->resize(1280, 600);
    QApplication::processEvents();
    tree()->setCurrentIndex(at({0, 0, 0}));
    window_->showSelectedNode();
    for (const char* name : {"Label1", "Label2"}) {
        auto* text = window_->findChild<QLabel*>(QString::fromLatin1(name));
        EXPECT_GE(text->width(), text->sizeHint().width()) << name;
    }
    auto* first = window_->findChild<QLabel*>(QStringLiteral("Label1"));
    auto* second = window_->findChild<QLabel*>(QStringLiteral("Label2"));
    EXPECT_GT(second->x(), first->geometry().right());
}

TEST(WholeTextTest, TheBatchDialogShowsItsCheckBoxesWhole) {
    BatchExportDialog dialog;
    dialog.show();
    for (auto* box : dialog.findChildren<QCheckBox*>()) {
        EXPECT_GE(box->width(), box->sizeHint().width()) << box->text().toStdString();
        EXPECT_LE(box->geometry().right(), dialog.width()) << box->text().toStdString();
    }
}

}  // namespace
}  // namespace quelvane::test
