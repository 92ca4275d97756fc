#pragma once

#include <QMainWindow>

#include <memory>
#include <string>

#include "savefile/Catalog.h"
#include "savefile/CatalogTree.h"
#include "settings/ProgramSettings.h"
#include "views/MemoryContentList.h"
#include "views/NodeContentTarget.h"
#include "views/OpenedSave.h"
#include "views/ViewSession.h"

class QAction;
class QLabel;
class QMenu;
class QSplitter;
class QToolButton;
class QTreeView;

namespace quelvane {

class CatalogTreeModel;
class CharsetMenus;
class ContentListModel;
class ConversionLayer;
class DialogNotifier;
class ElidedLabel;
class FlatListView;
class ExportActions;
class ExtractAllAction;
class SaveSourcesAction;
class ObjectListDialog;
class IfsExportAction;
class SettingsFile;
class AboutDialog;
class OptionsDialog;
class RecentFiles;
class TreeKeyboardFollower;
class ListingWorker;
class OpenSaveJob;
class FtpDialog;
class HeldSaveActions;
class InfoBar;
class ObjectPane;
class ShowBytesAction;
class FieldsPanel;
class UserDialogs;

// The main window: catalog tree, content list, toolbar, information panel and status bar. It
// wires the commands to the core and renders what the core produces.
class MainWindow final : public QMainWindow, private NodeContentTarget {
    Q_OBJECT

  public:
    // `moduleDirectory` is where the conversion modules are bound from (the program's folder).
    MainWindow(UserDialogs& dialogs, SettingsFile& settings, const std::string& moduleDirectory,
               QWidget* parent = nullptr);
    ~MainWindow() override;

    // The windows created after this one at start.
    void attachForms(AboutDialog* about, OptionsDialog* options, FtpDialog* ftp);

    ConversionLayer& conversion() { return *conversion_; }
    CharsetMenus& charsets() { return *charsets_; }
    CatalogTreeModel& treeModel() { return *treeModel_; }
    ContentListModel& listModel() { return *listModel_; }
    const Catalog& catalog() const { return catalog_; }
    // What the content views and the exports share: catalog, conversion, messages, list and the
    // member on display.
    ViewSession& session() { return *session_; }
    // The export commands and the batch dialog they open.
    ExportActions& exports() { return *exports_; }
    // File > Extract all...
    ExtractAllAction& extractAll() { return *extractAll_; }
    // File > Save sources as project...
    SaveSourcesAction& saveSources() { return *saveSources_; }
    // Tools > Object list...
    ObjectListDialog& objectList() { return *objectList_; }
    // "Export..." of a directory or stream file of an integrated-file-system save.
    IfsExportAction& ifsExport() { return *ifsExport_; }
    // The fields of the file on display.
    FieldsPanel& fields() { return *fieldsPanel_; }
    // The bar above the content list.
    InfoBar& infoBar() { return *infoBar_; }
    // The open of a save, read off the window's thread.
    OpenSaveJob& openJob() { return *openJob_; }
    QString statusText() const;

    // The commands.
    void openSaveFile();
    // Tools > Check save file: the block grid report of the file on display, else of a chosen one.
    void checkSaveFile();
    // Opens `path` as the open command does after its file dialog (from the command line, a
    // drop or the recent files). When the code pages are not set yet, Options shows and the file
    // opens after it is confirmed.
    void openFile(const QString& path);
    // A window of its own, over this one, showing the save `opener` reads (a save held by a
    // save-file object); `name` stands for the file in its title.
    MainWindow* openHeldSave(const QString& name, ViewSession::SourceOpener opener);
    void showSelectedNode();
    void showButtonText();
    void ApplyCodePageCharset(int pcCodePage);

    void refreshTitle() override;

  protected:
    // Right-button presses on the tree leave its current node alone: the pop-up's commands act
    // on the node the list and labels show.
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // Records, the tree's texts and the labels by stored CCSID or by the pair, as Options say.
    void applyTextDecoding();
    // The tree of the library save on display, its texts decoded as Options say.
    // The summary label's text, decoded as it was given.
    QString summaryShown() const;
    void setNodeTitle(const std::string& text) override;
    void setNodeSummary(const std::string& text) override;
    void enableExport(bool enabled) override;
    void enableBatch(bool enabled) override;
    void showVersion() override;

    void createCommands();
    void buildTree(QSplitter* splitter);
    void buildContentList(QSplitter* splitter);
    // The find box over the tree, and the info bar over the content list.
    QWidget* buildFindPanel();
    QWidget* buildRecordsPanel(QSplitter* splitter);
    // The info bar's lines for the save on display, decoded as Options say.
    void followWarnings();
    void redrawShown();
    void buildStatusBar();
    void buildMenus();
    void buildFileMenu();
    void buildViewMenu();
    void buildPhysicalFileMenu();
    void buildToolsMenu();
    void buildHelpMenu();
    void buildTreePopup();
    void buildListPopup();
    void connectButtonTextItems();
    QWidget* buildTopPanel();
    QWidget* buildToolBar(QWidget* panel);
    QWidget* buildSummaryPanel(QWidget* panel);
    QToolButton* addButton(QWidget* bar, int number, const QString& caption, const QString& hint);
    QAction* addAction(QMenu* menu, const QString& caption, const QString& objectName);
    void followCodePages();
    void followSaveKind();
    bool prepareOpen();
    void fitSummaryLabels();
    // `opener` reads the save; unset, the file `path` on disk.
    void loadSaveFile(const QString& path, ViewSession::SourceOpener opener = {});
    // The save read by loadSaveFile in place of the one on display.
    void showOpened(const QString& path, bool held, OpenedSave& candidate);
    // False while an open runs (its dialog is brought forward) or an extraction does.
    bool openIdle();

    UserDialogs& dialogs_;
    ProgramSettings settings_;
    // The sections of the window's own: recent files and geometry.
    SettingsFile& settingsFile_;
    std::string moduleDirectory_;
    std::unique_ptr<DialogNotifier> notifier_;
    std::unique_ptr<ConversionLayer> conversion_;
    // The save on display; its catalog stays in place while a new file is opened beside it.
    OpenedSave opened_;
    Catalog& catalog_ = opened_.catalog();
    MemoryContentList list_;
    std::unique_ptr<ViewSession> session_;
    ExportActions* exports_ = nullptr;
    ExtractAllAction* extractAll_ = nullptr;
    SaveSourcesAction* saveSources_ = nullptr;
    ObjectListDialog* objectList_ = nullptr;
    HeldSaveActions* heldSaves_ = nullptr;
    ShowBytesAction* showBytes_ = nullptr;
    FieldsPanel* fieldsPanel_ = nullptr;
    ObjectPane* objectPane_ = nullptr;
    InfoBar* infoBar_ = nullptr;
    IfsExportAction* ifsExport_ = nullptr;
    // The summary of the node on display as the core gave it, decoded again when the
    // description's character set changes.
    std::string summaryText_;
    // Whether it is UTF-8 (read by stored CCSID), which no character set decodes again.
    bool summaryUtf8_ = false;

    CatalogTreeModel* treeModel_;
    ContentListModel* listModel_;
    CharsetMenus* charsets_ = nullptr;
    RecentFiles* recentFiles_ = nullptr;
    TreeKeyboardFollower* keyboardFollower_ = nullptr;
    ListingWorker* listing_ = nullptr;
    OpenSaveJob* openJob_ = nullptr;
    QTreeView* tree_ = nullptr;
    QObject* treeViewport_ = nullptr;
    FlatListView* listView_ = nullptr;
    QWidget* summaryPanel_ = nullptr;
    // The top panel's two labels ("Label1", "Label2"): what the node is, and its details.
    ElidedLabel* nodeTitle_ = nullptr;
    ElidedLabel* nodeSummary_ = nullptr;
    QLabel* status_ = nullptr;
    // The toolbar's buttons ("ToolButton1" to "ToolButton6") in order, and by role.
    QList<QToolButton*> buttons_;
    QToolButton* openButton_ = nullptr;
    QToolButton* exportButton_ = nullptr;
    QToolButton* batchButton_ = nullptr;
    QToolButton* putInButton_ = nullptr;
    QToolButton* printButton_ = nullptr;
    QToolButton* helpButton_ = nullptr;
    // Commands on members and physical files, which a save of the integrated file system has not.
    QList<QAction*> libraryCommands_;
    QAction* showTextMain_ = nullptr;
    QAction* showTextPopup_ = nullptr;
    AboutDialog* about_ = nullptr;
    OptionsDialog* options_ = nullptr;
    FtpDialog* ftp_ = nullptr;
    // The file to open once Options is confirmed.
    QString pendingPath_;
    // Whether the file dialog is to follow once Options is confirmed (Open before any pair).
    bool pendingDialog_ = false;
};

}  // namespace quelvane
