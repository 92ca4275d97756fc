#include "shell/SaveSourcesAction.h"

#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>
#include <QThread>
#include <QUrl>

#include <atomic>
#include <filesystem>

#include "savefile/FailureReason.h"
#include "savefile/ProgressReporter.h"
#include "shell/SaveSourcesDialog.h"
#include "shell/UserDialogs.h"
#include "sources/SourceProjectWriter.h"
#include "views/ViewSession.h"

namespace quelvane {

namespace {

constexpr const char* kCaption = "Save sources as project";
constexpr std::size_t kFailuresListed = 10;

}  // namespace

// Figures from the worker, handed to the window's thread through queued calls; the cancel
// button's wish, read by the worker.
class SaveSourcesAction::WorkerProgress final : public ProgressReporter {
  public:
    explicit WorkerProgress(SaveSourcesAction& owner) : owner_(owner) {}

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
    SaveSourcesAction& owner_;
    std::atomic<bool> cancelled_{false};
};

SaveSourcesAction::SaveSourcesAction(QWidget* window, const Catalog& catalog, EbcdicTextConverter& converter,
                                     std::function<std::int32_t()> pcCodePage,
                                     std::function<std::int32_t()> hostPage, UserDialogs& dialogs)
    : QObject(window),
      window_(window),
      catalog_(catalog),
      converter_(converter),
      pcCodePage_(std::move(pcCodePage)),
      hostPage_(std::move(hostPage)),
      dialogs_(dialogs),
      dialog_(new SaveSourcesDialog(window)) {}

SaveSourcesAction::~SaveSourcesAction() {
    if (thread_ != nullptr) {
        reporter_->cancel();
        thread_->wait();
        delete thread_;
    }
}

QMessageBox* SaveSourcesAction::summary() const {
    return summary_;
}

void SaveSourcesAction::saveSources() {
    if (running()) {
        return;
    }
    if (catalog_.parts.empty()) {
        dialogs_.showMessage(window_, kCaption, QStringLiteral("Please open a save file first!"));
        return;
    }
    if (dialog_->folder().isEmpty()) {
        const QFileInfo saveFile(QString::fromStdString(catalog_.path));
        dialog_->setFolder(saveFile.absolutePath() + QLatin1Char('/') + saveFile.completeBaseName() +
                           QStringLiteral("-sources"));
    }
    if (dialog_->exec() != QDialog::Accepted) {
        return;
    }
    start({dialog_->folder(), dialog_->replaceFiles()});
}

void SaveSourcesAction::start(const Request& request) {
    if (running()) {
        return;
    }
    request_ = request;
    report_ = SourceRunReport();
    members_ = 0;
    cancelled_ = false;
    reporter_ = std::make_unique<WorkerProgress>(*this);
    progress_ = new QProgressDialog(
        QStringLiteral("Writing the source members of the save file..."), QStringLiteral("Cancel"), 0,
        static_cast<int>(std::max<std::int64_t>(SourceProjectWriter::memberTotal(catalog_), 1)), window_);
    progress_->setObjectName(QStringLiteral("SaveSourcesProgress"));
    progress_->setWindowTitle(kCaption);
    progress_->setWindowModality(Qt::WindowModal);
    progress_->setAutoReset(false);
    progress_->setAutoClose(false);
    progress_->setMinimumDuration(0);
    connect(progress_, &QProgressDialog::canceled, this, [this] { reporter_->cancel(); });
    progress_->setValue(0);
    progress_->show();

    const std::filesystem::path folder = request.folder.toStdString();
    const SaveSummary summary = SaveSummary::of(catalog_, catalog_.path, pcCodePage_());
    const std::int32_t pcPage = pcCodePage_();
    const std::int32_t hostPage = hostPage_();
    thread_ = QThread::create([this, folder, summary, pcPage, hostPage, replace = request.replace] {
        SourceHistory history(folder, [&](const SaveSummary&, const OutputFolder& root,
                                          const SourceLayout& layout, const SourceProjectOptions& options) {
            SourceProjectWriter writer(catalog_, converter_, pcPage, hostPage);
            if (views_ != nullptr) {
                writer.readThrough(views_->openSource);
            }
            SourceProjectOutcome outcome = writer.write(
                root, [&layout](const std::string& library) { return layout.folderOf(library); }, options,
                *reporter_);
            for (const SourceLibraryOutcome& library : outcome.libraries) {
                members_ += library.members;
            }
            cancelled_ = outcome.cancelled;
            return outcome;
        });
        try {
            report_ = history.writeSaves({summary}, replace, false);
        } catch (const std::exception& failure) {
            report_.failures.push_back(failureReason(failure));
        }
    });
    connect(thread_, &QThread::finished, this, &SaveSourcesAction::finish);
    thread_->start();
}

QString SaveSourcesAction::summaryText() const {
    const QString folder = QDir::toNativeSeparators(request_.folder);
    QString text = cancelled_
                       ? QStringLiteral("Cancelled: %1 source members were written completely to\n%2\n")
                             .arg(members_)
                             .arg(folder)
                       : QStringLiteral("%1 source members written to\n%2\n").arg(members_).arg(folder);
    if (!report_.failures.empty()) {
        text += QStringLiteral("\n%1 not written:\n").arg(report_.failures.size());
        for (std::size_t i = 0; i < report_.failures.size() && i < kFailuresListed; ++i) {
            text += QString::fromStdString(report_.failures[i]) + QLatin1Char('\n');
        }
        if (report_.failures.size() > kFailuresListed) {
            text += QStringLiteral("(the members are named in .quelvane/members.json)\n");
        }
    }
    for (std::size_t i = 0; i < report_.notes.size() && i < kFailuresListed; ++i) {
        text += QLatin1Char('\n') + QString::fromStdString(report_.notes[i]);
    }
    return text;
}

void SaveSourcesAction::finish() {
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
    summary_ =
        new QMessageBox(QMessageBox::Information, kCaption, summaryText(), QMessageBox::NoButton, window_);
    summary_->setObjectName(QStringLiteral("SaveSourcesSummary"));
    QPushButton* open = summary_->addButton(QStringLiteral("Open Folder"), QMessageBox::ActionRole);
    open->setObjectName(QStringLiteral("SaveSourcesOpenFolder"));
    summary_->addButton(QMessageBox::Close);
    const QString folder = request_.folder;
    connect(open, &QPushButton::clicked, this,
            [this, folder] { dialogs_.openUrl(QUrl::fromLocalFile(folder)); });
    summary_->open();
    emit finished();
}

}  // namespace quelvane
