#include "shell/SaveSourcesAction.h"

#include <QDir>
#include <QFileInfo>

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
      dialog_(new SaveSourcesDialog(window)),
      job_(std::make_unique<FolderJob>(
          window, dialogs,
          FolderJob::Names{QString::fromLatin1(kCaption),
                           QStringLiteral("Writing the source members of the save file..."),
                           QStringLiteral("SaveSourcesProgress"), QStringLiteral("SaveSourcesSummary"),
                           QStringLiteral("SaveSourcesOpenFolder")})) {
    connect(job_.get(), &FolderJob::finished, this, &SaveSourcesAction::finished);
}

SaveSourcesAction::~SaveSourcesAction() = default;

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
    const std::filesystem::path folder = request.folder.toStdString();
    const SaveSummary summary = SaveSummary::of(catalog_, catalog_.path, pcCodePage_());
    const std::int32_t pcPage = pcCodePage_();
    const std::int32_t hostPage = hostPage_();
    auto work = [this, folder, summary, pcPage, hostPage,
                 replace = request.replace](ProgressReporter& progress) {
        SourceHistory history(folder, [&](const SaveSummary&, const OutputFolder& root,
                                          const SourceLayout& layout, const SourceProjectOptions& options) {
            SourceProjectWriter writer(catalog_, converter_, pcPage, hostPage);
            if (views_ != nullptr) {
                writer.readThrough(views_->openSource);
            }
            SourceProjectOutcome outcome = writer.write(
                root, [&layout](const std::string& library) { return layout.folderOf(library); }, options,
                progress);
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
    };
    job_->start(SourceProjectWriter::memberTotal(catalog_), request.folder, std::move(work),
                [this] { return summaryText(); });
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

}  // namespace quelvane
