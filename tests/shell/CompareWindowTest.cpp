#include <QAbstractItemModelTester>
#include <QAction>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTreeView>

#include <filesystem>

#include "shell/CompareWindow.h"
#include "shell/ComparisonTreeModel.h"
#include "tests/compare/ComparedSaves.h"
#include "tests/shell/ShellFixture.h"

namespace quelvane::test {
namespace {

class CompareWindowTest : public ShellFixture {
  protected:
    void SetUp() override {
        ShellFixture::SetUp();
        configure(37, 1252);
        start();
        before_ = folder_ / "BEFORE.SAVF";
        after_ = folder_ / "AFTER.SAVF";
        comparedBefore().writeTo(before_.string());
        comparedAfter().writeTo(after_.string());
    }

    // File > "Compare with..." from the window showing BEFORE.SAVF, AFTER.SAVF chosen.
    CompareWindow* compareThroughMenu() {
        openThroughDialog(before_);
        dialogs_.files.push_back(QString::fromStdString(after_.string()));
        window_->findChild<QAction*>(QStringLiteral("CompareWith1"))->trigger();
        return window_->findChild<CompareWindow*>();
    }

    // Every row's caption and change, depth first, one line each, members indented.
    static QStringList rows(const QAbstractItemModel& model, const QModelIndex& parent = {}) {
        QStringList out;
        for (int row = 0; row < model.rowCount(parent); ++row) {
            const QModelIndex at = model.index(row, 0, parent);
            out.push_back((parent.isValid() ? QStringLiteral("  ") : QString()) + at.data().toString() +
                          QStringLiteral(" | ") + model.index(row, 1, parent).data().toString());
            out += rows(model, at);
        }
        return out;
    }

    std::filesystem::path before_;
    std::filesystem::path after_;
};

TEST_F(CompareWindowTest, TheTreeListsWhatDiffersWithTheChangeBesideIt) {
    CompareWindow* shown = compareThroughMenu();
    ASSERT_NE(shown, nullptr);
    QAbstractItemModelTester tester(&shown->model(), QAbstractItemModelTester::FailureReportingMode::Fatal);
    EXPECT_EQ(rows(shown->model()),
              QStringList({
                  QStringLiteral("LIB/QRPGLESRC(PF) | changed, 3 members"),
                  QStringLiteral("  HELLO | changed, +2 -1 lines"),
                  QStringLiteral("  NEW | added"),
                  QStringLiteral("  GONE | removed"),
                  QStringLiteral("LIB/DATA(PF) | changed, 1 members"),
                  QStringLiteral("  M1 | changed, records: 1 added, 0 removed, 1 changed"),
                  QStringLiteral("LIB/SHAPE(PF) | changed, record format"),
                  QStringLiteral("LIB/NEWPGM(PGM) | added"),
                  QStringLiteral("LIB/DTA1(DTAARA) | changed, value, data differs"),
                  QStringLiteral("LIB/TEXTED(DTAARA) | changed, text"),
                  QStringLiteral("LIB/OLDPGM(PGM) | removed"),
              }))
        << qPrintable(rows(shown->model()).join('\n'));
    EXPECT_TRUE(shown->findChild<QLabel*>(QStringLiteral("CompareSummary"))
                    ->text()
                    .startsWith(QStringLiteral("5 objects changed, 1 added, 1 removed")));
}

TEST_F(CompareWindowTest, SelectingAMemberShowsItsDiffOrItsRecords) {
    CompareWindow* shown = compareThroughMenu();
    ASSERT_NE(shown, nullptr);
    const QModelIndex source = shown->model().index(0, 0);
    shown->tree().setCurrentIndex(shown->model().index(0, 0, source));
    EXPECT_TRUE(shown->details().toPlainText().contains(
        QStringLiteral("    @@ -1,4 +1,5 @@\n     LINE A\n    -LINE B\n    +LINE X\n")))
        << qPrintable(shown->details().toPlainText());
    const QModelIndex data = shown->model().index(1, 0);
    shown->tree().setCurrentIndex(shown->model().index(0, 0, data));
    EXPECT_TRUE(shown->details().toPlainText().contains(
        QStringLiteral("    record 2:\n      NAME: \"BETA\" -> \"BETTY\"")))
        << qPrintable(shown->details().toPlainText());
}

TEST_F(CompareWindowTest, AFileThatIsNoSaveIsRefusedWithItsReason) {
    openThroughDialog(before_);
    const std::filesystem::path notSave = folder_ / "NOT.SAVF";
    std::ofstream(notSave) << "not a save file";
    dialogs_.files.push_back(QString::fromStdString(notSave.string()));
    window_->findChild<QAction*>(QStringLiteral("CompareWith1"))->trigger();
    EXPECT_EQ(window_->findChild<CompareWindow*>(), nullptr);
    ASSERT_FALSE(dialogs_.messages.empty());
    EXPECT_TRUE(dialogs_.messages.back().text.contains(QStringLiteral("cannot be read as a save file")));
}

}  // namespace
}  // namespace quelvane::test
