#include "shell/ExtractAllAction.h"

#include <QDir>
#include <QFileInfo>

#include <filesystem>

#include "export/IfsEntryExport.h"
#include "extract/ParallelMemberRuns.h"
#include "extract/SaveFileExtractor.h"
#include "extract/SqliteWriter.h"
#include "savefile/FailureReason.h"
#include "savefile/ProgressReporter.h"
#include "shell/ExtractDialog.h"
#include "shell/FolderJob.h"
#include "shell/UserDialogs.h"

namespace quelvane {

namespace {

constexpr const char* kCaption = "Extract all";
constexpr int kFailuresListed = 10;

}  // namespace

ExtractAllAction::ExtractAllAction(QWidget* window, const Catalog& catalog, EbcdicTextConverter& converter,
                                   std::function<std::int32_t()> pcCodePage, UserDialogs& dialogs)
    : QObject(window),
      window_(window),
      catalog_(catalog),
      converter_(converter),
      pcCodePage_(std::move(pcCodePage)),
      dialogs_(dialogs),
      dialog_(new ExtractDialog(window)),
      job_(std::make_unique<FolderJob>(
          window, dialogs,
          FolderJob::Names{QString::fromLatin1(kCaption),
                           QStringLiteral("Extracting the members of the save file..."),
                           QStringLiteral("ExtractProgress"), QStringLiteral("ExtractSummary"),
                           QStringLiteral("ExtractOpenFolder")})) {
    connect(job_.get(), &FolderJob::finished, this, &ExtractAllAction::finished);
}

ExtractAllAction::~ExtractAllAction() = default;

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
    extractor_ = std::make_unique<SaveFileExtractor>(catalog_, converter_, pcCodePage_());
    // As quelvane-cli extract: the members on every thread the machine runs at once.
    extractor_->setJobs(ParallelMemberRuns::hardwareWorkers());
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

    const std::filesystem::path folder = request.folder.toStdString();
    const std::string name = std::filesystem::path(catalog_.path).filename().string();
    const std::filesystem::path database =
        request.database ? folder / (std::filesystem::path(catalog_.path).stem().string() + ".db")
                         : std::filesystem::path();
    auto work = [this, folder, name, database](ProgressReporter& progress) {
        SqliteWriter writer;
        try {
            if (!database.empty()) {
                writer.open(database);
            }
            outcome_ = extractor_->run(folder, writer.isOpen() ? &writer : nullptr, name, progress);
            if (outcome_.cancelled) {
                writer.discard();
            } else {
                writer.commit();
            }
        } catch (const std::exception& failure) {
            databaseError_ = QString::fromStdString(failureReason(failure));
        }
    };
    job_->start(SaveFileExtractor::memberTotal(catalog_), request.folder, std::move(work),
                [this] { return summaryText(); });
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

}  // namespace quelvane
