#pragma once

#include <QMainWindow>

#include <memory>
#include <string>

#include "savefile/Catalog.h"
#include "views/MemoryContentList.h"
#include "views/NodeContentTarget.h"

class QAction;
class QLabel;
class QMenu;
class QToolButton;
class QTreeView;

namespace quelvane {

class CatalogTreeModel;
class CharsetMenus;
class ContentListModel;
class ConversionLayer;
class DialogNotifier;
class ExportActions;
class SettingsFile;
class TForm2;
class TForm4;
class TForm6;
class UserDialogs;
struct ViewSession;

// The main window: catalog tree, content list, toolbar, information panel and status bar. It
// wires the commands to the core and renders what the core produces.
class TForm1 final : public QMainWindow, private NodeContentTarget {
    Q_OBJECT

  public:
    // `moduleDirectory` is where the conversion modules are bound from (the program's folder).
    TForm1(UserDialogs& dialogs, SettingsFile& settings, const std::string& moduleDirectory,
           QWidget* parent = nullptr);
    ~TForm1() override;

    // The windows created after this one at start.
    void attachForms(TForm2* about, TForm4* options, TForm6* ftp);

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
    QString statusText() const;

    // The commands.
    void openSaveFile();
    void ShowLevelClick();
    void showButtonText();
    void ApplyCodePageCharset(int pcCodePage);

    void RefreshTitle() override;

  private:
    void setLabel1(const std::string& text) override;
    void setLabel2(const std::string& text) override;
    void enableExport(bool enabled) override;
    void enableBatch(bool enabled) override;
    void ShowVersion() override;

    void buildMenus();
    QWidget* buildTopPanel();
    QToolButton* addButton(QWidget* bar, int number, const QString& caption, const QString& hint);
    QAction* addAction(QMenu* menu, const QString& caption, const QString& objectName);
    void followCodePages();

    UserDialogs& dialogs_;
    SettingsFile& settings_;
    std::unique_ptr<DialogNotifier> notifier_;
    std::unique_ptr<ConversionLayer> conversion_;
    Catalog catalog_;
    MemoryContentList list_;
    std::unique_ptr<ViewSession> session_;
    ExportActions* exports_ = nullptr;
    std::string label2Text_;

    CatalogTreeModel* treeModel_;
    ContentListModel* listModel_;
    CharsetMenus* charsets_ = nullptr;
    QTreeView* tree_ = nullptr;
    QTreeView* listView_ = nullptr;
    QLabel* label1_ = nullptr;
    QLabel* label2_ = nullptr;
    QLabel* status_ = nullptr;
    QList<QToolButton*> buttons_;
    QAction* showTextMain_ = nullptr;
    QAction* showTextPopup_ = nullptr;
    TForm2* about_ = nullptr;
    TForm4* options_ = nullptr;
    TForm6* ftp_ = nullptr;
};

}  // namespace quelvane
