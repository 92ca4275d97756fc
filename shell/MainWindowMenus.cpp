// The main window's menus and pop-up menus: which items each holds and what each item does.
#include "shell/MainWindow.h"

#include <QMenu>
#include <QMenuBar>
#include <QToolButton>
#include <QTreeView>

#include "export/pickbatch/ExportActions.h"
#include "export/pickbatch/FailureReporter.h"
#include "shell/CharsetMenus.h"
#include "shell/CompareAction.h"
#include "shell/ExtractAllAction.h"
#include "shell/FlatListView.h"
#include "shell/FtpDialog.h"
#include "shell/HeldSaveActions.h"
#include "shell/IfsExportAction.h"
#include "shell/ObjectListDialog.h"
#include "shell/OptionsDialog.h"
#include "shell/RecentFiles.h"
#include "shell/SaveSourcesAction.h"
#include "shell/ShowBytesAction.h"

namespace quelvane {

QAction* MainWindow::addAction(QMenu* menu, const QString& caption, const QString& objectName) {
    QAction* action = menu->addAction(caption);
    action->setObjectName(objectName);
    return action;
}

void MainWindow::buildMenus() {
    buildFileMenu();
    buildViewMenu();
    buildPhysicalFileMenu();
    buildToolsMenu();
    buildHelpMenu();
    buildTreePopup();
    buildListPopup();
    connectButtonTextItems();
}

void MainWindow::buildFileMenu() {
    QMenu* file = menuBar()->addMenu(QStringLiteral("File"));
    connect(addAction(file, QStringLiteral("Open"), QStringLiteral("Open1")), &QAction::triggered, this,
            [this] { FailureReporter::guard([this] { openSaveFile(); }); });
    // The extraction reads the catalog an open still running would replace.
    connect(addAction(file, QStringLiteral("Extract all..."), QStringLiteral("ExtractAll1")),
            &QAction::triggered, this, [this] {
                if (openIdle()) {
                    extractAll_->extractAll();
                }
            });
    auto* compare = new CompareAction(*this, dialogs_);
    connect(addAction(file, QStringLiteral("Compare with..."), QStringLiteral("CompareWith1")),
            &QAction::triggered, compare, [this, compare] {
                if (openIdle()) {
                    compare->compareWith();
                }
            });
    connect(addAction(file, QStringLiteral("Save sources as project..."), QStringLiteral("SaveSources1")),
            &QAction::triggered, this, [this] {
                if (openIdle()) {
                    saveSources_->saveSources();
                }
            });
    connect(addAction(file, QStringLiteral("Exit"), QStringLiteral("Exit1")), &QAction::triggered, this,
            &QWidget::close);
    recentFiles_ = new RecentFiles(
        settingsFile_, dialogs_, file, [this](const QString& path) { openFile(path); }, this);
}

void MainWindow::buildViewMenu() {
    QMenu* view = menuBar()->addMenu(QStringLiteral("View"));
    showTextMain_ = addAction(view, QStringLiteral("Show Button Text "), QStringLiteral("ShowButtonText1"));
    view->addMenu(charsets_->buildMenu(CharsetMenus::kMainMenu, view));
    connect(addAction(view, QStringLiteral("Font"), QStringLiteral("Font1")), &QAction::triggered, charsets_,
            &CharsetMenus::chooseFont);
}

void MainWindow::buildPhysicalFileMenu() {
    QMenu* physical = menuBar()->addMenu(QStringLiteral("Physical File"));
    libraryCommands_ << physical->menuAction();
    connect(addAction(physical, QStringLiteral("Export a member"), QStringLiteral("ExportAMember1")),
            &QAction::triggered, exports_, &ExportActions::exportMember);
    connect(
        addAction(physical, QStringLiteral("Export PF members in batch"), QStringLiteral("ExportInBatch1")),
        &QAction::triggered, exports_, &ExportActions::exportBatch);
}

void MainWindow::buildToolsMenu() {
    QMenu* tools = menuBar()->addMenu(QStringLiteral("Tools"));
    connect(addAction(tools, QStringLiteral("Options"), QStringLiteral("Options1")), &QAction::triggered,
            this, [this] {
                if (options_ != nullptr) {
                    options_->showOptions();
                }
            });
    connect(addAction(tools, QStringLiteral("Check save file"), QStringLiteral("CheckSaveFile1")),
            &QAction::triggered, this, &MainWindow::checkSaveFile);
    QAction* objectList = addAction(tools, QStringLiteral("Object list..."), QStringLiteral("ObjectList1"));
    connect(objectList, &QAction::triggered, objectList_, &ObjectListDialog::showList);
    libraryCommands_ << objectList;
    QAction* ftp = addAction(tools, QStringLiteral("FTP"), QStringLiteral("FTP1"));
    ftp->setVisible(false);
    connect(ftp, &QAction::triggered, this, [this] {
        if (ftp_ != nullptr) {
            ftp_->show();
        }
    });
    heldSaves_->addTo(tools);
}

void MainWindow::buildHelpMenu() {
    QMenu* help = menuBar()->addMenu(QStringLiteral("Help"));
    connect(addAction(help, QStringLiteral("About"), QStringLiteral("About1")), &QAction::triggered,
            helpButton_, &QToolButton::click);
}

void MainWindow::buildTreePopup() {
    auto* treePopup = new QMenu(this);
    treePopup->setObjectName(QStringLiteral("PopupMenu1"));
    QAction* pickOut = addAction(treePopup, QStringLiteral("Pick Out"), QStringLiteral("PickOut1"));
    connect(pickOut, &QAction::triggered, exports_, &ExportActions::exportMember);
    QAction* pickOutInBatch =
        addAction(treePopup, QStringLiteral("Pick Out In batch"), QStringLiteral("PickOutInBatch1"));
    connect(pickOutInBatch, &QAction::triggered, exports_, &ExportActions::exportBatch);
    QAction* goRrn = addAction(treePopup, QStringLiteral("Go RRN"), QStringLiteral("GoRRN1"));
    libraryCommands_ << pickOut << pickOutInBatch << goRrn;
    showBytes_->addTo(treePopup);
    heldSaves_->addTo(treePopup);
    ifsExport_->addTo(treePopup);
    connect(tree_, &QWidget::customContextMenuRequested, treePopup,
            [this, treePopup](const QPoint& at) { treePopup->popup(tree_->viewport()->mapToGlobal(at)); });
}

void MainWindow::buildListPopup() {
    auto* listPopup = new QMenu(this);
    listPopup->setObjectName(QStringLiteral("PopupMenu2"));
    showTextPopup_ =
        addAction(listPopup, QStringLiteral("Show Button Text"), QStringLiteral("ShowButtonText2"));
    listPopup->addMenu(charsets_->buildMenu(CharsetMenus::kPopupMenu, listPopup));
    connect(addAction(listPopup, QStringLiteral("Font"), QStringLiteral("Font2")), &QAction::triggered,
            charsets_, &CharsetMenus::chooseFont);
    connect(listView_, &QWidget::customContextMenuRequested, listPopup, [this, listPopup](const QPoint& at) {
        listPopup->popup(listView_->viewport()->mapToGlobal(at));
    });
}

void MainWindow::connectButtonTextItems() {
    for (QAction* action : {showTextMain_, showTextPopup_}) {
        action->setCheckable(true);
        action->setChecked(true);
        connect(action, &QAction::triggered, this, &MainWindow::showButtonText);
    }
}

}  // namespace quelvane
