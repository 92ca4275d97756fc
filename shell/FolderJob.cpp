#include "shell/FolderJob.h"

#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>
#include <QThread>
#include <QUrl>

#include <algorithm>
#include <atomic>

#include "shell/UserDialogs.h"

namespace quelvane {

// Figures from the worker, handed to the window's thread through queued calls; the cancel
// button's wish, read by the worker.
class FolderJob::WorkerProgress final : public ProgressReporter {
  public:
    explicit WorkerProgress(FolderJob& owner) : owner_(owner) {}

    void progress(std::int64_t done, std::int64_t total) override {
        QMetaObject::invokeMethod(
            &owner_,
            [this, done, total] {
                if (owner_.progress_ != nullptr) {
                    owner_.progress_->setMaximum(static_cast<int>(std::max<std::int64_t>(total, 1)));
                    owner_.progress_->setValue(static_cast<int>(std::min(done, total)));
                }
            },
            Qt::QueuedConnection);
    }
    bool cancelled() const override { return cancelled_.load(); }
    void cancel() { cancelled_ = true; }

  private:
    FolderJob& owner_;
    std::atomic<bool> cancelled_{false};
};

FolderJob::FolderJob(QWidget* window, UserDialogs& dialogs, Names names)
    : window_(window), dialogs_(dialogs), names_(std::move(names)) {}

FolderJob::~FolderJob() {
    if (thread_ != nullptr) {
        reporter_->cancel();
        thread_->wait();
        delete thread_;
    }
}

QProgressDialog* FolderJob::progressDialog() const {
    return progress_;
}

QMessageBox* FolderJob::summary() const {
    return summary_;
}

void FolderJob::start(std::int64_t total, const QString& folder, std::function<void(ProgressReporter&)> work,
                      std::function<QString()> summaryText) {
    if (running()) {
        return;
    }
    folder_ = folder;
    summaryText_ = std::move(summaryText);
    reporter_ = std::make_unique<WorkerProgress>(*this);
    progress_ = new QProgressDialog(names_.label, QStringLiteral("Cancel"), 0,
                                    static_cast<int>(std::max<std::int64_t>(total, 1)), window_);
    progress_->setObjectName(names_.progress);
    progress_->setWindowTitle(names_.caption);
    progress_->setWindowModality(Qt::WindowModal);
    progress_->setAutoReset(false);
    progress_->setAutoClose(false);
    progress_->setMinimumDuration(0);
    connect(progress_, &QProgressDialog::canceled, this, [this] { reporter_->cancel(); });
    progress_->setValue(0);
    progress_->show();

    thread_ = QThread::create([work = std::move(work), reporter = reporter_.get()] { work(*reporter); });
    connect(thread_, &QThread::finished, this, &FolderJob::finish);
    thread_->start();
}

void FolderJob::finish() {
    thread_->wait();
    delete thread_;
    thread_ = nullptr;
    if (progress_ != nullptr) {
        progress_->close();
        progress_->deleteLater();
        progress_ = nullptr;
    }
    if (summary_ != nullptr) {
        summary_->deleteLater();
    }
    summary_ = new QMessageBox(QMessageBox::Information, names_.caption, summaryText_(),
                               QMessageBox::NoButton, window_);
    summary_->setObjectName(names_.summary);
    QPushButton* open = summary_->addButton(QStringLiteral("Open Folder"), QMessageBox::ActionRole);
    open->setObjectName(names_.openFolder);
    summary_->addButton(QMessageBox::Close);
    const QString folder = folder_;
    connect(open, &QPushButton::clicked, this,
            [this, folder] { dialogs_.openUrl(QUrl::fromLocalFile(folder)); });
    summary_->open();
    emit finished();
}

}  // namespace quelvane
