#include "shell/ExtractAllAction.h"

#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>
#include <QThread>
#include <QUrl>

#include <atomic>
#include <filesystem>

#include "export/IfsEntryExport.h"
#include "extract/SaveFileExtractor.h"
#include "extract/SqliteWriter.h"
#include "savefile/FailureReason.h"
#include "savefile/ProgressReporter.h"
#include "shell/ExtractDialog.h"
#include "shell/UserDialogs.h"

namespace quelvane {

namespace {

constexpr const char* kCaption = "Extract all";
constexpr int kFailuresListed = 10;

}  // namespace

// Figures from the worker, handed to the window's thread through queued calls; the cancel
// button's wish, read by the worker.
class ExtractAllAction::WorkerProgress final : public ProgressReporter {
  public:
    explicit WorkerProgress(ExtractAllAction& owner) : owner_(owner) {}

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
    ExtractAllAction& owner_;
    std::atomic<bool> cancelled_{false};
};

ExtractAllAction::ExtractAllAction(QWidget* window, const Catalog& catalog, EbcdicTextConverter& converter,
                                   std::function<std::int32_t()> pcCodePage, UserDialogs& dialogs)
    : QObject(window),
      window_(window),
      catalog_(catalog),
      converter_(converter),
      pcCodePage_(std::move(pcCodePage)),
      dialogs_(dialogs),
      dialog_(new ExtractDialog(window)) {}

ExtractAllAction::~ExtractAllAction() {
    if (thread_ != nullptr) {
        reporter_->cancel();
        thread_->wait();
        delete thread_;
    }
}

QProgressDialog* ExtractAllAction::progressDialog() const {
    return progress_;
}

QMessageBox* ExtractAllAction::summary() const {
    return summary_;
}

void ExtractAllAction::extractAll() {
    if (running()) {
        return;
    }
    if (catalog_.parts.empty()) {
        dialogs_.showMessage(window_, kCaption, QStringLiteral("Please open a save file first!"));
        return;
    }
    if (dialog_->folder().isEmpty()) {
        const QFileInfo saveFile(QString::fromStdString(catalog_.path));
        dialog_->setFolder(saveFile.absolutePath() + QLatin1Char('/') + saveFile.completeBaseName());
    }
    if (dialog_->exec() != QDialog::Accepted) {
        return;
    }
    start({dialog_->folder(), dialog_->writeDatabase()});
}

void ExtractAllAction::start(const Request& request) {
    if (running()) {
        return;
    }
    request_ = request;
    outcome_ = ExtractOutcome();
    databaseError_.clear();
    reporter_ = std::make_unique<WorkerProgress>(*this);
    extractor_ = std::make_unique<SaveFileExtractor>(catalog_, converter_, pcCodePage_());
    if (views_ != nullptr) {
        // As the window decodes text: by the CCSIDs stored in the save when Options say so.
        if (views_->storedCcsidHostPage) {
            extractor_->decodeByStoredCcsid(*views_->storedCcsidHostPage);
        }
        extractor_->readThrough(views_->openSource);
        const ViewSession* views = views_;
        extractor_->setStreamFileWriter(
            [views](const std::vector<IfsEntry>& entries, const std::filesystem::path& to) {
                return IfsEntryExport::writeEntries(views->openSaveFile(), *views->catalog.ifs, entries, to);
            });
    }

    progress_ = new QProgressDialog(
        QStringLiteral("Extracting the members of the save file..."), QStringLiteral("Cancel"), 0,
        static_cast<int>(std::max<std::int64_t>(SaveFileExtractor::memberTotal(catalog_), 1)), window_);
    progress_->setObjectName(QStringLiteral("ExtractProgress"));
    progress_->setWindowTitle(kCaption);
    progress_->setWindowModality(Qt::WindowModal);
    progress_->setAutoReset(false);
    progress_->setAutoClose(false);
    progress_->setMinimumDuration(0);
    connect(progress_, &QProgressDialog::canceled, this, [this] { reporter_->cancel(); });
    progress_->setValue(0);
    progress_->show();

    const std::filesystem::path folder = request.folder.toStdString();
    const std::string name = std::filesystem::path(catalog_.path).filename().string();
    const std::filesystem::path database =
        request.database ? folder / (std::filesystem::path(catalog_.path).stem().string() + ".db")
                         : std::filesystem::path();
    thread_ = QThread::create([this, folder, name, database] {
        SqliteWriter writer;
        try {
            if (!database.empty()) {
                writer.open(database);
            }
            outcome_ = extractor_->run(folder, writer.isOpen() ? &writer : nullptr, name, *reporter_);
            if (outcome_.cancelled) {
                writer.discard();
            } else {
                writer.commit();
            }
        } catch (const std::exception& failure) {
            databaseError_ = QString::fromStdString(failureReason(failure));
        }
    });
    connect(thread_, &QThread::finished, this, &ExtractAllAction::finish);
    thread_->start();
}

QString ExtractAllAction::summaryText() const {
    QString text;
    if (outcome_.cancelled) {
        text = QStringLiteral("Extraction cancelled: %1 members were written completely to\n%2\n")
                   .arg(outcome_.membersWritten)
                   .arg(QDir::toNativeSeparators(request_.folder));
    } else {
        text = QStringLiteral("%1 members written to\n%2\n")
                   .arg(outcome_.membersWritten)
                   .arg(QDir::toNativeSeparators(request_.folder));
    }
    if (!databaseError_.isEmpty()) {
        text += QStringLiteral("\n") + databaseError_ + QLatin1Char('\n');
    }
    if (!outcome_.failures.empty()) {
        text += QStringLiteral("\n%1 could not be extracted:\n").arg(outcome_.failures.size());
        for (std::size_t i = 0; i < outcome_.failures.size() && i < kFailuresListed; ++i) {
            text += QString::fromStdString(outcome_.failures[i]) + QLatin1Char('\n');
        }
        if (outcome_.failures.size() > kFailuresListed) {
            text += QStringLiteral("(the others are listed in catalog.json)\n");
        }
    }
    if (!outcome_.objectFailures.empty()) {
        text += QStringLiteral("\n%1 CL programs or data areas could not be read (see catalog.json).\n")
                    .arg(outcome_.objectFailures.size());
    }
    for (std::size_t i = 0; i < outcome_.notes.size() && i < kFailuresListed; ++i) {
        text += QLatin1Char('\n') + QString::fromStdString(outcome_.notes[i]);
    }
    return text;
}

void ExtractAllAction::finish() {
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
    summary_->setObjectName(QStringLiteral("ExtractSummary"));
    QPushButton* open = summary_->addButton(QStringLiteral("Open Folder"), QMessageBox::ActionRole);
    open->setObjectName(QStringLiteral("ExtractOpenFolder"));
    summary_->addButton(QMessageBox::Close);
    const QString folder = request_.folder;
    connect(open, &QPushButton::clicked, this,
            [this, folder] { dialogs_.openUrl(QUrl::fromLocalFile(folder)); });
    summary_->open();
    emit finished();
}

}  // namespace quelvane
