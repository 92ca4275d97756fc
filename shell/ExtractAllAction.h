#pragma once

#include <QObject>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>

#include "conversion/EbcdicTextConverter.h"
#include "extract/ExtractOutcome.h"
#include "savefile/Catalog.h"
#include "shell/FolderJob.h"

class QMessageBox;
class QProgressDialog;
class QWidget;

namespace quelvane {

class ExtractDialog;
class SaveFileExtractor;
class UserDialogs;
struct ViewSession;

// File > Extract all...: asks for a folder, extracts the open save file there on a worker thread
// behind a progress dialog that can cancel it, and ends with a summary that can open the folder.
// The progress dialog is window-modal, so the catalog and the conversion stay untouched while the
// worker reads them.
class ExtractAllAction final : public QObject {
    Q_OBJECT

  public:
    struct Request {
        QString folder;
        bool database = false;
    };

    ExtractAllAction(QWidget* window, const Catalog& catalog, EbcdicTextConverter& converter,
                     std::function<std::int32_t()> pcCodePage, UserDialogs& dialogs);
    ~ExtractAllAction() override;

    // The command: the dialog, then the extraction.
    void extractAll();
    // Starts extracting into the requested folder; the database, when asked for, is written there
    // as <save file name>.db.
    void start(const Request& request);

    // The window's views, whose way of reading the save on display the extraction shares.
    void readThrough(const ViewSession& views) { views_ = &views; }

    bool running() const { return job_->running(); }
    ExtractDialog& dialog() { return *dialog_; }
    QProgressDialog* progressDialog() const { return job_->progressDialog(); }
    QMessageBox* summary() const { return job_->summary(); }
    const ExtractOutcome& outcome() const { return outcome_; }

  signals:
    void finished();

  private:
    QString summaryText() const;

    QWidget* window_;
    const Catalog& catalog_;
    const ViewSession* views_ = nullptr;
    EbcdicTextConverter& converter_;
    std::function<std::int32_t()> pcCodePage_;
    UserDialogs& dialogs_;
    ExtractDialog* dialog_;
    std::unique_ptr<SaveFileExtractor> extractor_;
    Request request_;
    ExtractOutcome outcome_;
    QString databaseError_;
    // Last: destroyed first, it waits for a running extraction while what it writes is there.
    std::unique_ptr<FolderJob> job_;
};

}  // namespace quelvane
