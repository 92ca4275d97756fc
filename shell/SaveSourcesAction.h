#pragma once

#include <QObject>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>

#include "conversion/EbcdicTextConverter.h"
#include "savefile/Catalog.h"
#include "shell/FolderJob.h"
#include "sources/SourceHistory.h"

class QMessageBox;
class QWidget;

namespace quelvane {

class SaveSourcesDialog;
class UserDialogs;
struct ViewSession;

// File > Save sources as project...: asks for a folder and writes the source members of the open
// save file there as the editing and build tools for IBM i keep source (SourceProjectWriter), on a
// worker thread behind a window-modal progress dialog that can cancel it, as Extract all does.
class SaveSourcesAction final : public QObject {
    Q_OBJECT

  public:
    struct Request {
        QString folder;
        bool replace = false;
    };

    // `hostPage` reads the text of fields without a usable CCSID.
    SaveSourcesAction(QWidget* window, const Catalog& catalog, EbcdicTextConverter& converter,
                      std::function<std::int32_t()> pcCodePage, std::function<std::int32_t()> hostPage,
                      UserDialogs& dialogs);
    ~SaveSourcesAction() override;

    // The command: the dialog, then the writing.
    void saveSources();
    void start(const Request& request);

    // The window's views, whose way of reading the save on display the writing shares.
    void readThrough(const ViewSession& views) { views_ = &views; }

    bool running() const { return job_->running(); }
    SaveSourcesDialog& dialog() { return *dialog_; }
    QMessageBox* summary() const { return job_->summary(); }
    const SourceRunReport& report() const { return report_; }

  signals:
    void finished();

  private:
    QString summaryText() const;

    QWidget* window_;
    const Catalog& catalog_;
    const ViewSession* views_ = nullptr;
    EbcdicTextConverter& converter_;
    std::function<std::int32_t()> pcCodePage_;
    std::function<std::int32_t()> hostPage_;
    UserDialogs& dialogs_;
    SaveSourcesDialog* dialog_;
    Request request_;
    SourceRunReport report_;
    std::int64_t members_ = 0;
    bool cancelled_ = false;
    // Last: destroyed first, it waits for a running job while what it writes is there.
    std::unique_ptr<FolderJob> job_;
};

}  // namespace quelvane
