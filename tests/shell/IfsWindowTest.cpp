#include <QAbstractItemModelTester>
#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QTreeView>

#include <fstream>
#include <iterator>

#include "shell/CatalogTreeModel.h"
#include "shell/ContentListModel.h"
#include "shell/ElidedLabel.h"
#include "shell/IfsExportAction.h"
#include "tests/shell/ShellFixture.h"
#include "tests/support/IfsSaveBuilder.h"
#include "tests/support/RealFiles.h"
#include "tests/support/SaveFileBuilder.h"

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
        window_->openJob().wait();
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

// A built save of one deep directory holding a stream file with a long name and a short one,
// beside a built library save.
class BuiltIfsWindow : public ShellFixture {
  protected:
    static constexpr const char* kDirectory =
        "/home/webserver/sites/a-rather-long-site-name.example.org/public/documents/archive/2001";
    static constexpr const char* kLongName = "a-stream-file-with-a-name-as-long-as-web-sites-give-them.html";

    void SetUp() override {
        ShellFixture::SetUp();
        configure(37, 1252);
        start();
        IfsImage image =
            sampleImage(kDirectory, {{kLongName, false, 11, kDataA}, {"b.gif", false, 4, kDataB}});
        image.data(kDataA, "<html>.</ht", 4096);
        image.data(kDataB, "GIF;", 4096);
        const Bytes bytes = image.complete();
        ifsPath_ = folder_ / "site.savf";
        std::ofstream(ifsPath_, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        BuiltPart part;
        BuiltObject orders;
        orders.name = "ORDERS";
        orders.attribute = "PF";
        part.objects = {orders};
        SaveFileBuilder builder;
        builder.headerSize = 4096;
        builder.add(part);
        libraryPath_ = folder_ / "library.savf";
        builder.build().writeTo(libraryPath_.string());
        window_->ifsExport().setFolderChooser(
            [this](QWidget*, const QString&) { return QString::fromStdString((folder_ / "out").string()); });
        window_->ifsExport().setReplaceQuestion([this](QWidget*, const QString& text) {
            questions_ << text;
            return replace_;
        });
    }

    void open(const fs::path& path) {
        window_->openFile(QString::fromStdString(path.string()));
        window_->openJob().wait();
        ASSERT_TRUE(dialogs_.messages.empty()) << qPrintable(dialogs_.messageTexts().join('\n'));
    }

    // Selects the node of IFS path `path` in the tree ("/", then one caption per name) and shows it.
    void select(const std::string& path) {
        const auto& model = window_->treeModel();
        QStringList captions{QStringLiteral("/")};
        captions += QString::fromStdString(path).split(QLatin1Char('/'), Qt::SkipEmptyParts);
        QModelIndex at;
        for (const QString& caption : captions) {
            const QModelIndex parent = at;
            at = {};
            for (int row = 0; row < model.rowCount(parent) && !at.isValid(); ++row) {
                if (model.data(model.index(row, 0, parent)).toString() == caption) {
                    at = model.index(row, 0, parent);
                }
            }
            ASSERT_TRUE(at.isValid()) << qPrintable(caption);
        }
        window_->findChild<QTreeView*>(QStringLiteral("TreeView1"))->setCurrentIndex(at);
        window_->showSelectedNode();
    }

    static std::string inDirectory(const char* name) { return std::string(kDirectory) + "/" + name; }

    fs::path ifsPath_;
    fs::path libraryPath_;
    QStringList questions_;
    bool replace_ = false;
};

TEST_F(BuiltIfsWindow, CommandsOnMembersAndPhysicalFilesAreOffOnlyWhileASaveOfTheFileSystemShows) {
    QAction* physicalMenu = nullptr;
    for (QAction* action : window_->menuBar()->actions()) {
        if (action->text() == QStringLiteral("Physical File")) {
            physicalMenu = action;
        }
    }
    ASSERT_NE(physicalMenu, nullptr);
    const std::vector<QAction*> commands = {physicalMenu, find<QAction>(window_.get(), "PickOut1"),
                                            find<QAction>(window_.get(), "PickOutInBatch1"),
                                            find<QAction>(window_.get(), "GoRRN1"),
                                            find<QAction>(window_.get(), "ObjectList1")};
    const struct {
        const fs::path* file;
        bool enabled;
    } steps[] = {{&ifsPath_, false}, {&libraryPath_, true}, {&ifsPath_, false}};
    for (const auto& step : steps) {
        open(*step.file);
        for (QAction* command : commands) {
            EXPECT_EQ(command->isEnabled(), step.enabled)
                << qPrintable(command->objectName() + command->text()) << " " << step.file->string();
        }
    }
    // What a save of the file system does offer stays on.
    EXPECT_TRUE(find<QAction>(window_.get(), "ExtractAll1")->isEnabled());
    EXPECT_TRUE(find<QAction>(window_.get(), "CheckSaveFile1")->isEnabled());
}

TEST_F(BuiltIfsWindow, SummaryLabelsOfALongPathStayInsideTheWindowAndKeepTheirWholeText) {
    window_->resize(800, 500);
    window_->show();
    open(ifsPath_);
    select(inDirectory(kLongName));
    auto* title = find<ElidedLabel>(window_.get(), "Label1");
    auto* summary = find<ElidedLabel>(window_.get(), "Label2");
    const QString wholeTitle = QStringLiteral("Stream file:  ") + kDirectory + '/' + kLongName;
    EXPECT_EQ(title->text(), wholeTitle);
    EXPECT_TRUE(summary->text().startsWith(QStringLiteral("*STMF, 11 bytes"))) << qPrintable(summary->text());

    for (int width : {800, 640, 1400, 3000}) {
        window_->resize(width, 500);
        QApplication::processEvents();
        for (ElidedLabel* label : {title, summary}) {
            const QRect inWindow(label->mapTo(window_.get(), QPoint(0, 0)), label->size());
            EXPECT_LE(inWindow.right(), window_->width() - 1) << qPrintable(label->objectName()) << width;
            EXPECT_GT(label->width(), 0) << qPrintable(label->objectName()) << width;
            EXPECT_LE(label->fontMetrics().horizontalAdvance(label->shownText()), label->width())
                << qPrintable(label->objectName()) << width;
            EXPECT_EQ(label->toolTip(), label->elided() ? label->text() : QString())
                << qPrintable(label->objectName()) << width;
        }
        EXPECT_LT(title->geometry().right(), summary->x()) << width;
        EXPECT_EQ(title->elided(), width < 3000) << width;
        EXPECT_TRUE(title->shownText().endsWith(QStringLiteral(".html"))) << qPrintable(title->shownText());
    }
    EXPECT_FALSE(summary->elided());

    // A short path shows whole.
    select(inDirectory("b.gif"));
    EXPECT_FALSE(title->elided());
    EXPECT_TRUE(title->toolTip().isEmpty());
}

TEST_F(BuiltIfsWindow, ExportAsksBeforeReplacingFilesAndKeepsThemUnlessTold) {
    open(ifsPath_);
    const fs::path out = folder_ / "out";
    fs::create_directories(out);
    const auto put = [](const fs::path& path, const std::string& text) {
        fs::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << text;
    };
    IfsExportAction& action = window_->ifsExport();

    // The stream file, first into an empty folder: no question.
    select(inDirectory(kLongName));
    action.exportSelected();
    EXPECT_TRUE(questions_.isEmpty()) << qPrintable(questions_.join('\n'));
    EXPECT_EQ(slurp(out / kLongName), "<html>.</ht");

    const struct {
        const char* what;
        bool directory;
        bool replace;
        const char* asks;
        std::string after;
    } cases[] = {
        {"kept", false, false, "already exists.", "mine"},
        {"replaced", false, true, "already exists.", "<html>.</ht"},
        {"directory kept", true, false, "2 files already exist and would be replaced:", "mine"},
        {"directory replaced", true, true, "2 files already exist and would be replaced:", "<html>.</ht"},
    };
    const fs::path inFolder = out / "2001";
    for (const auto& c : cases) {
        const fs::path file = c.directory ? inFolder / kLongName : out / kLongName;
        put(file, "mine");
        put(inFolder / "b.gif", "mine");
        select(c.directory ? std::string(kDirectory) : inDirectory(kLongName));
        questions_.clear();
        dialogs_.messages.clear();
        replace_ = c.replace;
        action.exportSelected();
        ASSERT_EQ(questions_.size(), 1) << c.what;
        EXPECT_TRUE(questions_[0].contains(QString::fromLatin1(c.asks)))
            << c.what << qPrintable(questions_[0]);
        EXPECT_TRUE(questions_[0].contains(QString::fromStdString(file.string()))) << c.what;
        EXPECT_EQ(slurp(file), c.after) << c.what;
        // Nothing written is nothing to report; a write ends with its summary.
        EXPECT_EQ(dialogs_.messages.size(), c.replace ? 1u : 0u) << c.what;
    }
}

// The window's export replaces a file already in the chosen folder only when told to, and never
// writes through a link lying there; its summary names the link left alone.
TEST_F(RealSaveIfsWindow, ExportKeepsWhatTheFolderHoldsAndSaysSo) {
    int asked = 0;
    window_->ifsExport().setReplaceQuestion([&asked](QWidget*, const QString&) {
        ++asked;
        return false;
    });
    const fs::path out = folder_ / "out";
    const fs::path outside = folder_ / "outside";
    fs::create_directories(out / "Count2.5");
    fs::create_directories(outside);
    std::ofstream(out / "README") << "mine";
    fs::create_symlink(outside, out / "Count2.5" / "images");
    click({"/", "wcount", "README"});
    const std::size_t shownBefore = dialogs_.messages.size();
    button(2)->click();
    EXPECT_EQ(slurp(out / "README"), "mine");
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(dialogs_.messages.size(), shownBefore);

    click({"/", "wcount", "Count2.5"});
    button(2)->click();
    EXPECT_TRUE(fs::is_empty(outside));
    EXPECT_TRUE(dialogs_.messages.back().text.contains(QStringLiteral("images is a link")))
        << qPrintable(dialogs_.messages.back().text);
}

}  // namespace
}  // namespace quelvane::test
