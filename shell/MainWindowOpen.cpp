// The main window's open commands: the code pages first, the open off the window's thread, the
// save shown in place of the one on display, a held save in a window of its own.
#include "shell/MainWindow.h"

#include <QFileInfo>
#include <QStatusBar>
#include <QToolButton>
#include <QTreeView>

#include <utility>

#include "conversion/ConversionLayer.h"
#include "savefile/FileBlockSource.h"
#include "savefile/IfsTree.h"
#include "savefile/IntegrityCheck.h"
#include "savefile/VersionText.h"
#include "shell/CatalogTreeModel.h"
#include "shell/ExtractAllAction.h"
#include "shell/ExtractDialog.h"
#include "shell/FieldsPanel.h"
#include "shell/ObjectListDialog.h"
#include "shell/OpenSaveJob.h"
#include "shell/OptionsDialog.h"
#include "shell/RecentFiles.h"
#include "shell/SaveSourcesAction.h"
#include "shell/UserDialogs.h"
#include "views/NodeContentDisplay.h"
#include "views/SaveWarnings.h"
#include "views/StoredCcsidHint.h"

namespace quelvane {

namespace {

// How long the note on stored CCSIDs stays in the status bar.
constexpr int kHintMilliseconds = 15000;
// A window of a held save opens this far right of and below the window it was opened from.
constexpr int kHeldWindowOffset = 32;

}  // namespace

void MainWindow::openSaveFile() {
    if (!openIdle()) {
        return;
    }
    if (!prepareOpen()) {
        // The file dialog follows once Options are confirmed.
        pendingDialog_ = true;
        return;
    }
    const QString path = dialogs_.openFileName(
        this, QStringLiteral("Open"),
        {QStringLiteral("Save Files (*.savf *.sav *.SAVF *.SAV)"), QStringLiteral("*.* (*)")});
    if (!path.isEmpty()) {
        loadSaveFile(path);
    }
}

void MainWindow::openFile(const QString& path) {
    if (!openIdle()) {
        return;
    }
    if (prepareOpen()) {
        loadSaveFile(path);
    } else {
        pendingPath_ = path;
        const std::optional<std::int32_t> suggested = SaveWarnings::suggestedHostPage(path.toStdString());
        if (suggested && options_ != nullptr) {
            options_->suggest(*suggested);
        }
    }
}

MainWindow* MainWindow::openHeldSave(const QString& name, ViewSession::SourceOpener opener) {
    auto* window = new MainWindow(dialogs_, settingsFile_, moduleDirectory_, this);
    window->setAttribute(Qt::WA_DeleteOnClose);
    // Options sets the code pages of the window it works for: the window of a held save has one
    // of its own, so confirming there leaves this window's pages as they are.
    auto* options = new OptionsDialog(
        settingsFile_, window->conversion(), dialogs_,
        [window](int pcCodePage) { window->ApplyCodePageCharset(pcCodePage); }, window);
    window->attachForms(about_, options, ftp_);
    window->move(pos() + QPoint(kHeldWindowOffset, kHeldWindowOffset));
    // The name reads "FILE > LIB/OBJ[ > LIB/OBJ...]": Extract all proposes a folder beside FILE
    // named after the innermost object, not one named after the whole title.
    const QFileInfo outer(name.section(QStringLiteral(" > "), 0, 0));
    window->extractAll().dialog().setFolder(outer.absolutePath() + QLatin1Char('/') +
                                            name.section(QLatin1Char('/'), -1));
    window->show();
    if (window->prepareOpen()) {
        window->loadSaveFile(name, std::move(opener));
    }
    return window;
}

bool MainWindow::prepareOpen() {
    session_->shownMember.resetForOpen();
    const ProgramSettings::CodePages pages = settings_.codePages();
    conversion_->EbcdicCodePage = pages.ebcdic;
    conversion_->PcCodePage = pages.pc;
    if (!pages.configured()) {
        if (options_ != nullptr) {
            options_->showWithoutReading();
        }
        return false;
    }
    ApplyCodePageCharset(conversion_->PcCodePage);
    // Text without a stored CCSID is read in the host page of the pair just read.
    applyTextDecoding();
    return true;
}

bool MainWindow::openIdle() {
    // An extraction reads the catalog an open would replace; its own dialog is in front.
    if (extractAll_->running() || saveSources_->running()) {
        return false;
    }
    if (!openJob_->running()) {
        return true;
    }
    openJob_->raise();
    return false;
}

void MainWindow::loadSaveFile(const QString& path, ViewSession::SourceOpener opener) {
    // A cancelled open leaves the window as it was.
    const QString shownTitle = windowTitle();
    QList<bool> enabled;
    for (int i = 1; i <= 4; ++i) {
        enabled << buttons_[i]->isEnabled();
    }
    setWindowTitle(QString::fromStdString(VersionText()) + QLatin1Char('[') + path + QLatin1Char(']'));
    for (int i = 1; i <= 4; ++i) {
        buttons_[i]->setEnabled(false);
    }

    // The new file is read beside the save on display, with a segment index of its own: a
    // rejected file leaves the tree, the segment index and the file the views read all on the
    // previous file.
    const bool held = static_cast<bool>(opener);
    const std::string file = path.toStdString();
    OpenedSave::StoredOpener stored = [file] { return std::make_unique<FileBlockSource>(file); };
    if (held) {
        stored = [opener = std::move(opener), file] { return opener(file); };
    }
    openJob_->start(
        std::move(stored), file,
        [this, path, held, shownTitle, enabled](OpenedSave::Outcome outcome, OpenedSave& candidate) {
            if (outcome == OpenedSave::Outcome::Cancelled) {
                setWindowTitle(shownTitle);
                for (int i = 1; i <= 4; ++i) {
                    buttons_[i]->setEnabled(enabled[i - 1]);
                }
            } else if (outcome == OpenedSave::Outcome::Opened) {
                showOpened(path, held, candidate);
            }
        });
}

void MainWindow::showOpened(const QString& path, bool held, OpenedSave& candidate) {
    opened_ = std::move(candidate);
    session_->openSource = opened_.sourceOpener();
    if (!held) {
        recentFiles_->add(path);
    }
    CatalogTree tree = catalog_.ifs ? IfsTree::catalogTree(*catalog_.ifs->tree, conversion_->PcCodePage)
                                    : libraryTree(*session_);
    const bool complete = tree.complete;
    treeModel_->setTree(std::move(tree));
    // Nothing of the save shown before stays on display: not its node's labels, not its file's
    // fields.
    setNodeTitle({});
    setNodeSummary({});
    fieldsPanel_->follow();
    if (complete) {
        showVersion();
    }
    if (!session_->storedCcsidHostPage) {
        if (const auto note = StoredCcsidHint::note(catalog_, conversion_->EbcdicCodePage)) {
            statusBar()->showMessage(QString::fromStdString(*note), kHintMilliseconds);
        }
    }
    objectList_->followOpenedSave();
    followWarnings();
}

// After Options: the tree's texts, the node on display and the warnings in the new decoding.
void MainWindow::redrawShown() {
    followWarnings();
    objectList_->followOpenedSave();
    session_->shownMember.stale = true;
    if (tree_->currentIndex().isValid()) {
        showSelectedNode();
    }
}

void MainWindow::checkSaveFile() {
    QString path = QString::fromStdString(catalog_.path);
    if (path.isEmpty()) {
        path = dialogs_.openFileName(
            this, QStringLiteral("Check save file"),
            {QStringLiteral("Save Files (*.savf *.sav *.SAVF *.SAV)"), QStringLiteral("*.* (*)")});
        if (path.isEmpty()) {
            return;
        }
    }
    const std::unique_ptr<BlockSource> source = session_->openSource(path.toStdString());
    IntegrityReport report = IntegrityCheck::examine(*source, conversion_.get());
    if (!catalog_.path.empty()) {
        report.catalog = opened_.report();
    }
    QStringList lines{path};
    for (const std::string& line : report.lines()) {
        lines << QString::fromStdString(line);
    }
    dialogs_.showMessage(this, QStringLiteral("Check save file"), lines.join(QLatin1Char('\n')));
}

}  // namespace quelvane
