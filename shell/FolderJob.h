#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>

#include "savefile/ProgressReporter.h"

class QMessageBox;
class QProgressDialog;
class QThread;
class QWidget;

namespace quelvane {

class UserDialogs;

// A job that writes into a folder (Extract all, Save sources as project): it runs on a worker
// thread behind a window-modal progress dialog whose Cancel the job reads, and ends in a summary
// with "Open Folder". The objects' names let tests and the window find them. It has no QObject
// parent: the action that owns it destroys it first, so a running job is cancelled and waited for
// while what its work writes into is still there.
class FolderJob final : public QObject {
    Q_OBJECT

  public:
    struct Names {
        QString caption;
        QString label;
        QString progress;
        QString summary;
        QString openFolder;
    };

    FolderJob(QWidget* window, UserDialogs& dialogs, Names names);
    // A job still running is cancelled and waited for.
    ~FolderJob() override;

    // Runs `work` on a worker thread with progress over `total` steps, then shows `summaryText()`
    // (called on the window's thread) with "Open Folder" on `folder`.
    void start(std::int64_t total, const QString& folder, std::function<void(ProgressReporter&)> work,
               std::function<QString()> summaryText);

    bool running() const { return thread_ != nullptr; }
    QProgressDialog* progressDialog() const;
    QMessageBox* summary() const;

  signals:
    void finished();

  private:
    class WorkerProgress;

    void finish();

    QWidget* window_;
    UserDialogs& dialogs_;
    Names names_;
    QPointer<QProgressDialog> progress_;
    QPointer<QMessageBox> summary_;
    QThread* thread_ = nullptr;
    std::unique_ptr<WorkerProgress> reporter_;
    QString folder_;
    std::function<QString()> summaryText_;
};

}  // namespace quelvane
