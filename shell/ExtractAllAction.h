#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>

#include "conversion/EbcdicTextConverter.h"
#include "extract/ExtractOutcome.h"
#include "savefile/Catalog.h"

class QMessageBox;
class QProgressDialog;
class QThread;
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

    bool running() const { return thread_ != nullptr; }
    ExtractDialog& dialog() { return *dialog_; }
    QProgressDialog* progressDialog() const;
    QMessageBox* summary() const;
    const ExtractOutcome& outcome() const { return outcome_; }

  signals:
    void finished();

  private:
    class WorkerProgress;

    void finish();
    QString summaryText() const;

    QWidget* window_;
    const Catalog& catalog_;
    const ViewSession* views_ = nullptr;
    EbcdicTextConverter& converter_;
    std::function<std::int32_t()> pcCodePage_;
    UserDialogs& dialogs_;
    ExtractDialog* dialog_;
    QPointer<QProgressDialog> progress_;
    QPointer<QMessageBox> summary_;
    QThread* thread_ = nullptr;
    std::unique_ptr<WorkerProgress> reporter_;
    std::unique_ptr<SaveFileExtractor> extractor_;
    Request request_;
    ExtractOutcome outcome_;
    QString databaseError_;
};

}  // namespace quelvane
