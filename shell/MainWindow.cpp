#include "shell/MainWindow.h"

#include <QApplication>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenuBar>
#include <QMouseEvent>
#include <QScreen>
#include <QSplitter>
#include <QStatusBar>
#include <QToolButton>
#include <QTreeView>
#include <QVBoxLayout>

#include <algorithm>
#include <utility>

#include "conversion/ConversionLayer.h"
#include "export/pickbatch/ExportActions.h"
#include "export/pickbatch/FailureReporter.h"
#include "savefile/CatalogTree.h"
#include "savefile/FileBlockSource.h"
#include "savefile/IfsTree.h"
#include "savefile/VersionText.h"
#include "settings/SettingsFile.h"
#include "shell/AboutDialog.h"
#include "shell/CatalogTreeModel.h"
#include "shell/CharsetMenus.h"
#include "shell/ContentCopy.h"
#include "shell/ContentListModel.h"
#include "shell/Credits.h"
#include "shell/DialogNotifier.h"
#include "shell/DisplayCharset.h"
#include "shell/ElidedLabel.h"
#include "shell/ExtractAllAction.h"
#include "shell/ExtractDialog.h"
#include "shell/FieldsPanel.h"
#include "shell/FileDropOpener.h"
#include "shell/FlatListView.h"
#include "shell/FtpDialog.h"
#include "shell/HeldSaveActions.h"
#include "shell/IfsExportAction.h"
#include "shell/InfoBar.h"
#include "shell/LinkLabel.h"
#include "shell/ListingWorker.h"
#include "shell/ObjectListDialog.h"
#include "shell/ObjectPane.h"
#include "shell/OpenSaveJob.h"
#include "shell/OptionsDialog.h"
#include "shell/RecentFiles.h"
#include "shell/SaveSourcesAction.h"
#include "shell/ShellImages.h"
#include "shell/ShowBytesAction.h"
#include "shell/TreeFinder.h"
#include "shell/TreeKeyboardFollower.h"
#include "shell/UserDialogs.h"
#include "shell/WindowGeometry.h"
#include "views/NodeContentDisplay.h"
#include "views/SaveWarnings.h"
#include "views/StoredCcsidHint.h"
#include "views/VersionSummaryView.h"
#include "views/ViewSession.h"

namespace quelvane {

namespace {

constexpr int kClientWidth = 797;
constexpr int kTopPanelHeight = 63;
constexpr int kToolbarWidth = 304;
constexpr int kTreeWidth = 224;
constexpr int kStatusHeight = 23;
constexpr int kLabel1Width = 200;
constexpr int kLabel2Left = 208;
constexpr int kLabel2Width = 600;
constexpr int kLabelGap = 8;
constexpr int kLabelMargin = 8;

QFont pixelFont(const QString& family, int pixels) {
    QFont font(family);
    font.setPixelSize(pixels);
    return font;
}

QString decoded(std::string_view bytes, int codePage) {
    auto decoder = DisplayCharset::decoderFor(codePage);
    return DisplayCharset::decode(decoder, bytes);
}

}  // namespace

MainWindow::MainWindow(UserDialogs& dialogs, SettingsFile& settings, const std::string& moduleDirectory,
                       QWidget* parent)
    : QMainWindow(parent),
      dialogs_(dialogs),
      settings_(settings),
      settingsFile_(settings),
      moduleDirectory_(moduleDirectory),
      notifier_(std::make_unique<DialogNotifier>(dialogs, this)),
      conversion_(std::make_unique<ConversionLayer>(*notifier_, moduleDirectory)),
      session_(std::make_unique<ViewSession>(catalog_, *conversion_, *notifier_, list_)),
      treeModel_(new CatalogTreeModel(ShellImages::tree(), this)),
      listModel_(new ContentListModel(list_, ShellImages::list(), this)) {
    setObjectName(QStringLiteral("TForm1"));
    setWindowTitle(QStringLiteral("Quelvane"));
    setWindowIcon(ShellImages::program());
    setFont(pixelFont(QStringLiteral("MS Sans Serif"), 11));

    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    createCommands();
    layout->addWidget(buildTopPanel());

    auto* splitter = new QSplitter(Qt::Horizontal, central);
    splitter->setObjectName(QStringLiteral("Splitter1"));
    buildTree(splitter);
    buildContentList(splitter);
    splitter->addWidget(buildFindPanel());
    splitter->addWidget(buildRecordsPanel(splitter));
    splitter->setSizes({kTreeWidth, kClientWidth - kTreeWidth});
    splitter->setStretchFactor(1, 1);
    layout->addWidget(splitter, 1);
    setCentralWidget(central);

    buildStatusBar();

    charsets_ = new CharsetMenus(
        listView_, nodeSummary_, dialogs_, [this] { return conversion_->PcCodePage; }, this);
    connect(charsets_, &CharsetMenus::changed, this, &MainWindow::followCodePages);
    buildMenus();
    connect(treeModel_, &QAbstractItemModel::modelReset, this, &MainWindow::followSaveKind);
    new ContentCopy(listView_, findChild<QMenu*>(QStringLiteral("PopupMenu2")));
    keyboardFollower_ = new TreeKeyboardFollower(tree_, [this] { showSelectedNode(); });
    listing_ = new ListingWorker(*listModel_, this, statusBar());
    openJob_ = new OpenSaveJob(this, *notifier_, *conversion_, moduleDirectory_);
    session_->listMember = [this](ViewSession& session, NodeContentTarget& target, MemberRef ref) {
        return listing_->start(session, target, ref);
    };
    applyTextDecoding();

    (new WindowGeometry(this, splitter, listView_, settingsFile_, dialogs_))->restore();
    new FileDropOpener(this, [this](const QString& path) { openFile(path); });

    refreshTitle();
    showVersion();
    setWindowTitle(QString::fromStdString(VersionText()));
    if (!conversion_->BindNlsLibrary() && !conversion_->bindingFailure().empty()) {
        // The message box named the module; the status bar keeps the system's reason.
        statusBar()->showMessage(QString::fromStdString(conversion_->bindingFailure()));
    }
    followCodePages();
}

// The commands the menus, the toolbar and the pop-ups share.
void MainWindow::createCommands() {
    exports_ = new ExportActions(
        this, *session_, [this] { return conversion_->PcCodePage; },
        [this] { return ExportActions::nodeOf(tree_->currentIndex()); });
    extractAll_ = new ExtractAllAction(
        this, catalog_, *conversion_, [this] { return conversion_->PcCodePage; }, dialogs_);
    objectList_ = new ObjectListDialog(
        this, catalog_, [this] { return conversion_->PcCodePage; }, dialogs_);
    extractAll_->readThrough(*session_);
    saveSources_ = new SaveSourcesAction(
        this, catalog_, *conversion_, [this] { return conversion_->PcCodePage; },
        [this] { return session_->storedCcsidHostPage.value_or(conversion_->EbcdicCodePage); }, dialogs_);
    saveSources_->readThrough(*session_);
    heldSaves_ = new HeldSaveActions(
        this, *session_, dialogs_, [this] { return conversion_->PcCodePage; },
        [this] { return ExportActions::nodeOf(tree_->currentIndex()); },
        [this](const QString& name, ViewSession::SourceOpener opener) { return openHeldSave(name, opener); });
    showBytes_ = new ShowBytesAction(
        this, *session_, [this] { return charsets_->contentListCodePage(); },
        [this] { return ExportActions::nodeOf(tree_->currentIndex()); });
    fieldsPanel_ = new FieldsPanel(this, *session_, *conversion_,
                                   [this] { return ExportActions::nodeOf(tree_->currentIndex()); });
    addDockWidget(Qt::BottomDockWidgetArea, fieldsPanel_);
    fieldsPanel_->hide();
    objectPane_ = new ObjectPane(this, *session_, list_, *heldSaves_, *showBytes_,
                                 [this] { return ExportActions::nodeOf(tree_->currentIndex()); });
    objectList_->setTextsSource([this] { return nodeTexts(*session_); });
    ifsExport_ = new IfsExportAction(
        this, *session_, dialogs_, [this] { return treeModel_->ifsPathOf(tree_->currentIndex()); },
        [this] { exports_->exportMember(); });
    session_->pcCodePage = [this] { return conversion_->PcCodePage; };
}

void MainWindow::buildTree(QSplitter* splitter) {
    tree_ = new QTreeView(splitter);
    tree_->setObjectName(QStringLiteral("TreeView1"));
    tree_->setHeaderHidden(true);
    tree_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // The list's font family: the tree's captions match the rest of the window.
    tree_->setFont(pixelFont(QStringLiteral("Tahoma"), 15));
    tree_->setModel(treeModel_);
    // Long captions scroll rather than being cut short.
    tree_->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    tree_->header()->setStretchLastSection(false);
    tree_->setContextMenuPolicy(Qt::CustomContextMenu);
    // Kept as a plain address: the filter compares it while the tree itself may be being
    // destroyed, when no call on the tree is allowed.
    treeViewport_ = tree_->viewport();
    treeViewport_->installEventFilter(this);
    connect(tree_, &QTreeView::clicked, this,
            [this] { FailureReporter::guard([this] { showSelectedNode(); }); });
}

QWidget* MainWindow::buildFindPanel() {
    // Objects and members are found, not the library and its parts; in a save of the integrated
    // file system every node is an entry.
    const auto searchable = [this](const QModelIndex& index) {
        return catalog_.ifs.has_value() || (index.parent().isValid() && index.parent().parent().isValid());
    };
    return (new TreeFinder(this, tree_, searchable, [this] { showSelectedNode(); }))->panel();
}

QWidget* MainWindow::buildRecordsPanel(QSplitter* splitter) {
    infoBar_ = new InfoBar(splitter, [this] {
        if (options_ != nullptr) {
            options_->showOptions();
        }
    });
    const auto activate = [this](bool heldOnly) {
        FailureReporter::guard([this, heldOnly] { objectPane_->activate(heldOnly); });
    };
    connect(listView_, &QAbstractItemView::doubleClicked, this, [activate] { activate(false); });
    connect(tree_, &QAbstractItemView::doubleClicked, this, [activate] { activate(true); });
    return infoBar_->over(listView_);
}

void MainWindow::followWarnings() {
    infoBar_->follow(opened_, session_->storedCcsidHostPage.has_value(), conversion_->EbcdicCodePage);
}

void MainWindow::buildContentList(QSplitter* splitter) {
    listView_ = new FlatListView(splitter);
    listView_->setObjectName(QStringLiteral("ListView1"));
    listView_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    listView_->setFont(pixelFont(QStringLiteral("Tahoma"), 12));
    listView_->setModel(listModel_);
    listModel_->setListFont(listView_->font());
    listView_->setContextMenuPolicy(Qt::CustomContextMenu);
    listView_->header()->setStretchLastSection(false);
    // Cells of a member listing are decoded from the file when asked for: fitting a column reads
    // the rows in view only, not Qt's default of a thousand rows per column.
    listView_->header()->setResizeContentsPrecision(0);
    // The width the core gives is a floor: a column also fits its caption and the widest value
    // of the rows in view, in the fonts of this desktop. Rows of a background listing arrive
    // after the columns, so the first rows fit the columns again.
    const auto fitColumns = [this] {
        for (int column = 0; column < listModel_->columnCount(); ++column) {
            if (listModel_->sizedToHeader(column)) {
                listView_->header()->setSectionResizeMode(column, QHeaderView::ResizeToContents);
            } else {
                QHeaderView* header = listView_->header();
                const int fitted =
                    std::max(header->sectionSizeHint(column),
                             static_cast<QAbstractItemView*>(listView_)->sizeHintForColumn(column));
                header->setSectionResizeMode(column, QHeaderView::Interactive);
                header->resizeSection(column, std::max(listModel_->columnWidth(column), fitted));
            }
        }
    };
    connect(listModel_, &ContentListModel::columnsReplaced, this, fitColumns);
    connect(listModel_, &QAbstractItemModel::rowsInserted, this, [fitColumns](const QModelIndex&, int first) {
        if (first == 0) {
            fitColumns();
        }
    });
}

void MainWindow::buildStatusBar() {
    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("StatusText"));
    statusBar()->setObjectName(QStringLiteral("StatusBar1"));
    statusBar()->setFixedHeight(kStatusHeight);
    statusBar()->addWidget(status_, 1);
}

// The views and models read the catalog and the content list, which are members of this class:
// they go first, before the window's own teardown destroys its children.
MainWindow::~MainWindow() {
    delete openJob_;
    listing_->cancel();
    delete centralWidget();
    delete listModel_;
    delete treeModel_;
}

void MainWindow::applyTextDecoding() {
    const std::optional<std::int32_t> page = settings_.decodesByStoredCcsid()
                                                 ? std::optional<std::int32_t>(conversion_->EbcdicCodePage)
                                                 : std::nullopt;
    if (page != session_->storedCcsidHostPage) {
        session_->storedCcsidHostPage = page;
        // The member on display is listed again, in the new decoding, when next chosen; the
        // tree's texts follow at once.
        session_->shownMember.stale = true;
        if (!catalog_.ifs && !treeModel_->tree().roots.empty()) {
            treeModel_->retextTree(libraryTree(*session_));
        }
    }
}

void MainWindow::attachForms(AboutDialog* about, OptionsDialog* options, FtpDialog* ftp) {
    about_ = about;
    options_ = options;
    ftp_ = ftp;
    if (options_ != nullptr) {
        // A file named before the code pages were set opens once they are.
        connect(options_, &OptionsDialog::confirmed, this, [this] {
            applyTextDecoding();
            redrawShown();
            const QString path = std::exchange(pendingPath_, QString());
            if (!path.isEmpty()) {
                openFile(path);
            } else if (std::exchange(pendingDialog_, false)) {
                openSaveFile();
            }
        });
        connect(options_, &QDialog::rejected, this, [this] {
            pendingPath_.clear();
            pendingDialog_ = false;
        });
    }
}

QWidget* MainWindow::buildTopPanel() {
    auto* panel = new QWidget(this);
    panel->setObjectName(QStringLiteral("Panel1"));
    panel->setFixedHeight(kTopPanelHeight);
    auto* row = new QHBoxLayout(panel);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);

    row->addWidget(buildToolBar(panel));
    row->addWidget(buildSummaryPanel(panel), 1);
    return panel;
}

QWidget* MainWindow::buildToolBar(QWidget* panel) {
    auto* bar = new QWidget(panel);
    bar->setObjectName(QStringLiteral("ToolBar1"));
    bar->setFixedWidth(kToolbarWidth);
    auto* buttons = new QHBoxLayout(bar);
    buttons->setContentsMargins(2, 2, 2, 2);
    buttons->setSpacing(0);
    const struct {
        QToolButton** button;
        const char* caption;
        const char* hint;
    } rows[] = {
        {&openButton_, "Open", "Open a save file"},
        {&exportButton_, "Export", "Export data of PF member"},
        {&batchButton_, "Batch", "Export PF members  in batch"},
        {&putInButton_, "Put In", "Put modified data into save file"},
        {&printButton_, "Print", "Print"},
        {&helpButton_, "Help", "Help"},
    };
    int number = 1;
    for (const auto& row : rows) {
        *row.button =
            addButton(bar, number++, QString::fromLatin1(row.caption), QString::fromLatin1(row.hint));
        buttons->addWidget(*row.button);
    }
    buttons->addStretch();
    exportButton_->setEnabled(false);
    batchButton_->setEnabled(false);
    putInButton_->setEnabled(false);
    putInButton_->setVisible(false);
    printButton_->setEnabled(false);
    connect(openButton_, &QToolButton::clicked, this,
            [this] { FailureReporter::guard([this] { openSaveFile(); }); });
    connect(exportButton_, &QToolButton::clicked, ifsExport_, &IfsExportAction::exportSelected);
    connect(batchButton_, &QToolButton::clicked, exports_, &ExportActions::exportBatch);
    connect(helpButton_, &QToolButton::clicked, this, [this] {
        if (about_ != nullptr) {
            about_->showAbout();
        }
    });
    return bar;
}

// The links, the rights notice and the two summary labels of the node on display.
QWidget* MainWindow::buildSummaryPanel(QWidget* panel) {
    auto* info = new QWidget(panel);
    info->setObjectName(QStringLiteral("Panel2"));
    summaryPanel_ = info;
    info->installEventFilter(this);
    // A stream file's path keeps its name in view; a summary keeps its start.
    nodeTitle_ = new ElidedLabel(Qt::ElideMiddle, info);
    nodeTitle_->setObjectName(QStringLiteral("Label1"));
    nodeTitle_->setGeometry(kLabelMargin, 45, kLabel1Width, 16);
    nodeSummary_ = new ElidedLabel(Qt::ElideRight, info);
    nodeSummary_->setObjectName(QStringLiteral("Label2"));
    nodeSummary_->setGeometry(kLabel2Left, 44, kLabel2Width, 16);
    for (QLabel* label : {nodeTitle_, nodeSummary_}) {
        label->setFont(pixelFont(QStringLiteral("MS Sans Serif"), 12));
        QPalette palette = label->palette();
        palette.setColor(QPalette::WindowText, Qt::black);
        label->setPalette(palette);
    }
    int left = 8;
    for (auto* link : Credits::addLinks(dialogs_, info)) {
        link->adjustSize();
        link->move(left, 4);
        left += link->width() + 24;
    }
    auto* rights = new QLabel(Credits::rightsNotice(), info);
    rights->adjustSize();
    rights->move(8, 22);
    return info;
}

QToolButton* MainWindow::addButton(QWidget* bar, int number, const QString& caption, const QString& hint) {
    auto* button = new QToolButton(bar);
    button->setObjectName(QStringLiteral("ToolButton%1").arg(number));
    button->setText(caption);
    button->setToolTip(hint);
    button->setIcon(ShellImages::toolbar().value(number - 1));
    button->setIconSize(QSize(42, 35));
    button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    button->setAutoRaise(true);
    button->setMinimumSize(49, 55);
    buttons_ << button;
    return button;
}

QString MainWindow::statusText() const {
    return status_->text();
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == summaryPanel_ && event->type() == QEvent::Resize) {
        fitSummaryLabels();
    }
    if (treeViewport_ != nullptr && watched == treeViewport_) {
        const QEvent::Type type = event->type();
        if (type == QEvent::MouseButtonPress || type == QEvent::MouseButtonRelease ||
            type == QEvent::MouseButtonDblClick) {
            if (static_cast<QMouseEvent*>(event)->button() == Qt::RightButton) {
                return true;
            }
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::refreshTitle() {
    const QString version = QString::fromStdString(VersionText());
    const QString path = QString::fromStdString(catalog_.path);
    setWindowTitle(path.isEmpty() ? version : version + QLatin1Char('[') + path + QLatin1Char(']'));
    status_->setText(version);
}

void MainWindow::showButtonText() {
    // The state before the click is read from the main-menu item; a checkable action has
    // already flipped its own mark when this runs.
    const bool wasChecked =
        sender() == showTextMain_ ? !showTextMain_->isChecked() : showTextMain_->isChecked();
    const bool show = !wasChecked;
    showTextMain_->setChecked(show);
    showTextPopup_->setChecked(show);
    for (QToolButton* button : buttons_) {
        button->setToolButtonStyle(show ? Qt::ToolButtonTextUnderIcon : Qt::ToolButtonIconOnly);
    }
}

void MainWindow::ApplyCodePageCharset(int pcCodePage) {
    charsets_->ApplyCodePageCharset(pcCodePage);
    followCodePages();
}

void MainWindow::followCodePages() {
    const int pcCodePage = DisplayCharset::codePageOf(DisplayCharset::kDefault, conversion_->PcCodePage);
    notifier_->setCodePage(pcCodePage);
    treeModel_->setCodePage(pcCodePage);
    listModel_->setCodePage(charsets_->contentListCodePage());
    listModel_->setListFont(listView_->font());
    nodeSummary_->setText(summaryShown());
    fitSummaryLabels();
}

QString MainWindow::summaryShown() const {
    return summaryUtf8_ ? QString::fromStdString(summaryText_)
                        : decoded(summaryText_, charsets_->descriptionCodePage());
}

// The member and physical-file commands find nothing in a save of the integrated file system.
void MainWindow::followSaveKind() {
    const bool library = !catalog_.ifs.has_value();
    for (QAction* command : libraryCommands_) {
        command->setEnabled(library);
    }
}

void MainWindow::showSelectedNode() {
    const QModelIndex current = tree_->currentIndex();
    keyboardFollower_->shown(current);
    std::optional<NodePosition> node = ExportActions::nodeOf(current);
    if (node) {
        node->ifsPath = treeModel_->ifsPathOf(current);
    }
    showNodeContent(*session_, *this, node);
    const bool paneUtf8 = objectPane_->follow();
    listModel_->setUtf8Texts(session_->listedUtf8Cells || paneUtf8);
    listModel_->refresh();
    fieldsPanel_->follow();
}

void MainWindow::setNodeTitle(const std::string& text) {
    nodeTitle_->setText(
        session_->labelsUtf8
            ? QString::fromStdString(text)
            : decoded(text, DisplayCharset::codePageOf(DisplayCharset::kDefault, conversion_->PcCodePage)));
    fitSummaryLabels();
}

// The labels' places are minimums: each shows its whole text, the second after the first, as
// far as the panel reaches. Where both do not fit, the second keeps up to half the room and the
// first the rest; a text cut short ends in "..." and shows whole as the label's tool tip.
void MainWindow::fitSummaryLabels() {
    const int room = std::max(summaryPanel_->width() - 2 * kLabelMargin - kLabelGap, 0);
    const int titleWanted = std::max(kLabel1Width, nodeTitle_->sizeHint().width());
    const int summaryWanted = nodeSummary_->sizeHint().width();
    const int titleWidth = titleWanted + summaryWanted <= room
                               ? titleWanted
                               : std::min(titleWanted, std::max(room - std::min(summaryWanted, room / 2), 0));
    nodeTitle_->resize(titleWidth, nodeTitle_->height());
    nodeSummary_->move(std::max(kLabel2Left, nodeTitle_->geometry().right() + 1 + kLabelGap),
                       nodeSummary_->y());
    nodeSummary_->resize(std::max(summaryPanel_->width() - kLabelMargin - nodeSummary_->x(), 0),
                         nodeSummary_->height());
    for (ElidedLabel* label : {nodeTitle_, nodeSummary_}) {
        label->setToolTip(label->elided() ? label->text() : QString());
    }
}

void MainWindow::setNodeSummary(const std::string& text) {
    summaryText_ = text;
    summaryUtf8_ = session_->labelsUtf8;
    nodeSummary_->setText(summaryShown());
    fitSummaryLabels();
}

void MainWindow::enableExport(bool enabled) {
    exportButton_->setEnabled(enabled);
}

void MainWindow::enableBatch(bool enabled) {
    batchButton_->setEnabled(enabled);
}

void MainWindow::showVersion() {
    showVersionSummary(list_, catalog_.header);
    listModel_->setUtf8Texts(false);
    listModel_->refresh();
}

}  // namespace quelvane
