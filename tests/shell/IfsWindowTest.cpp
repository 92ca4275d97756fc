#include <QAbstractItemModelTester>
#include <QAction>
#include <QMenu>
#include <QTreeView>

#include <fstream>
#include <iterator>

#include "shell/CatalogTreeModel.h"
#include "shell/ContentListModel.h"
#include "shell/IfsExportAction.h"
#include "tests/shell/ShellFixture.h"
#include "tests/support/RealFiles.h"

namespace quelvane::test {
namespace {

namespace fs = std::filesystem;

const QString kWcount = QStringLiteral(QUELVANE_SAVF_DIR "/UZ_wcount25i.savf");

std::string slurp(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Facts read by hand from UZ_wcount25i.savf: /wcount holds two directories and seven stream
// files, README last (181 bytes, CCSID 942, six lines); Count2.5/images holds 23 GIF and FIG files,
// latest.gif 83 bytes from "GIF87a" to the trailer 0x3B.
class RealSaveIfsWindow : public ShellFixture {
  protected:
    void SetUp() override {
        ShellFixture::SetUp();
        QUELVANE_REQUIRE_REAL_FILE(fs::path(kWcount.toStdString()));
        configure(37, 1252);
        start();
        dialogs_.files.push_back(kWcount);
        window_->openSaveFile();
        window_->ifsExport().setFolderChooser(
            [this](QWidget*, const QString&) { return QString::fromStdString((folder_ / "out").string()); });
    }

    QModelIndex node(const QStringList& path) {
        const auto& model = window_->treeModel();
        QModelIndex at;
        for (const QString& caption : path) {
            const QModelIndex parent = at;
            at = {};
            for (int r = 0; r < model.rowCount(parent); ++r) {
                if (model.data(model.index(r, 0, parent)).toString() == caption) {
                    at = model.index(r, 0, parent);
                }
            }
            EXPECT_TRUE(at.isValid()) << qPrintable(caption);
        }
        return at;
    }

    QStringList children(const QStringList& path) {
        const auto& model = window_->treeModel();
        const QModelIndex parent = path.isEmpty() ? QModelIndex() : node(path);
        QStringList captions;
        for (int r = 0; r < model.rowCount(parent); ++r) {
            captions << model.data(model.index(r, 0, parent)).toString();
        }
        return captions;
    }

    void click(const QStringList& path) {
        window_->findChild<QTreeView*>(QStringLiteral("TreeView1"))->setCurrentIndex(node(path));
        window_->showSelectedNode();
    }

    QStringList headers() {
        QStringList captions;
        for (int c = 0; c < window_->listModel().columnCount(); ++c) {
            captions << window_->listModel().headerData(c, Qt::Horizontal).toString();
        }
        return captions;
    }
};

TEST_F(RealSaveIfsWindow, DirectoriesAndStreamFilesShowAndExport) {
    QAbstractItemModelTester treeTester(&window_->treeModel(),
                                        QAbstractItemModelTester::FailureReportingMode::Fatal);
    QAbstractItemModelTester listTester(&window_->listModel(),
                                        QAbstractItemModelTester::FailureReportingMode::Fatal);
    EXPECT_TRUE(dialogs_.messages.empty()) << qPrintable(dialogs_.messageTexts().join('\n'));
    EXPECT_EQ(children({}), QStringList{"/"});
    EXPECT_EQ(children({"/"}), QStringList{"wcount"});
    EXPECT_EQ(children({"/", "wcount"}).mid(0, 3), (QStringList{"Count2.5", "digits", "Count.html"}));
    const auto& list = window_->listModel();
    EXPECT_EQ(list.rowTexts(1),
              QStringList{"Using SAV Command: directories and stream files of the integrated file system."});

    click({"/", "wcount"});
    EXPECT_EQ(headers(), (QStringList{"Name", "Type", "Size", "Modified", "Owner", "CCSID"}));
    ASSERT_EQ(list.rowCount(), 9);
    EXPECT_EQ(list.rowTexts(8),
              (QStringList{"README", "*STMF", "181", "2000-05-27 03:48:41", "TCPIP", "942"}));
    EXPECT_EQ(label("Label1"), QStringLiteral("Directory:  /wcount"));
    EXPECT_TRUE(button(2)->isEnabled());

    click({"/", "wcount", "README"});
    ASSERT_EQ(list.rowCount(), 6);
    EXPECT_EQ(list.rowTexts(0),
              QStringList{"NOTE: the latest version of documentaion is always available at"});
    EXPECT_TRUE(button(2)->isEnabled());
    button(2)->click();
    const fs::path out = folder_ / "out";
    const std::string readme = slurp(out / "README");
    EXPECT_EQ(readme.size(), 181u);
    EXPECT_TRUE(readme.starts_with("NOTE: the latest version of documentaion")) << readme;
    ASSERT_FALSE(dialogs_.messages.empty());
    EXPECT_TRUE(dialogs_.messages.back().text.startsWith(QStringLiteral("1 stream files written")))
        << qPrintable(dialogs_.messages.back().text);

    click({"/", "wcount", "Count2.5", "images", "latest.gif"});
    EXPECT_EQ(headers(), (QStringList{"Offset", "Hex", "Characters"}));
    EXPECT_EQ(list.rowCount(), 6);

    // The directory through the tree's pop-up command: everything below it, under its own name.
    click({"/", "wcount", "Count2.5"});
    auto* popup = window_->findChild<QMenu*>(QStringLiteral("PopupMenu1"));
    auto* exportAction = window_->findChild<QAction*>(QStringLiteral("ExportIfs1"));
    emit popup->aboutToShow();
    EXPECT_TRUE(exportAction->isVisible());
    exportAction->trigger();
    std::size_t files = 0;
    for (const auto& item : fs::recursive_directory_iterator(out / "Count2.5")) {
        files += item.is_regular_file();
    }
    EXPECT_EQ(files, 23u);
    const std::string gif = slurp(out / "Count2.5" / "images" / "latest.gif");
    ASSERT_EQ(gif.size(), 83u);
    EXPECT_TRUE(gif.starts_with("GIF87a"));
    EXPECT_EQ(gif.back(), ';');
    EXPECT_TRUE(dialogs_.messages.back().text.startsWith(QStringLiteral("23 stream files written")))
        << qPrintable(dialogs_.messages.back().text);
}

// The window's export never replaces a file already in the chosen folder, nor writes through a
// link lying there, and its summary names each file left alone.
TEST_F(RealSaveIfsWindow, ExportKeepsWhatTheFolderHoldsAndSaysSo) {
    const fs::path out = folder_ / "out";
    const fs::path outside = folder_ / "outside";
    fs::create_directories(out / "Count2.5");
    fs::create_directories(outside);
    std::ofstream(out / "README") << "mine";
    fs::create_symlink(outside, out / "Count2.5" / "images");
    click({"/", "wcount", "README"});
    button(2)->click();
    EXPECT_EQ(slurp(out / "README"), "mine");
    ASSERT_FALSE(dialogs_.messages.empty());
    const QString said = dialogs_.messages.back().text;
    EXPECT_TRUE(said.startsWith(QStringLiteral("0 stream files written"))) << qPrintable(said);
    EXPECT_TRUE(said.contains(QStringLiteral("README exists; not replaced"))) << qPrintable(said);

    click({"/", "wcount", "Count2.5"});
    button(2)->click();
    EXPECT_TRUE(fs::is_empty(outside));
    EXPECT_TRUE(dialogs_.messages.back().text.contains(QStringLiteral("images is a link")))
        << qPrintable(dialogs_.messages.back().text);
}

}  // namespace
}  // namespace quelvane::test
