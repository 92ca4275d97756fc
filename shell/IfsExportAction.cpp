#include "shell/IfsExportAction.h"

#include <QAction>
#include <QCoreApplication>
#include <QFileDialog>
#include <QMenu>
#include <QMessageBox>
#include <QProgressDialog>

#include <algorithm>
#include <filesystem>
#include <optional>
#include <vector>

#include "export/IfsEntryExport.h"
#include "export/pickbatch/FailureReporter.h"
#include "savefile/IfsPath.h"
#include "shell/UserDialogs.h"
#include "views/ViewSession.h"

namespace quelvane {

namespace {

constexpr const char* kCaption = "Export";
constexpr std::size_t kFailuresListed = 10;

QString pathText(const std::filesystem::path& path) {
    return QString::fromStdString(path.string());
}

QString summaryOf(const IfsEntryExport& exporter, const std::filesystem::path& target) {
    QString text = exporter.cancelled() ? QStringLiteral("Stopped. ") : QString();
    text +=
        QStringLiteral("%1 stream files written to %2.").arg(exporter.filesWritten()).arg(pathText(target));
    const auto& failures = exporter.failures();
    if (!failures.empty()) {
        text += QStringLiteral("\n\n%1 entries were not written:").arg(failures.size());
        for (std::size_t i = 0; i < std::min(failures.size(), kFailuresListed); ++i) {
            text += QLatin1Char('\n') + QString::fromStdString(failures[i]);
        }
        if (failures.size() > kFailuresListed) {
            text += QStringLiteral("\n...");
        }
    }
    const auto& renamed = exporter.renamed();
    for (std::size_t i = 0; i < std::min(renamed.size(), kFailuresListed); ++i) {
        text += QLatin1Char('\n') + QString::fromStdString(renamed[i]);
    }
    return text;
}

// A place that cannot be examined counts as taken: asking once too often loses nothing.
bool occupied(const std::filesystem::path& place) {
    std::error_code error;
    return std::filesystem::symlink_status(place, error).type() != std::filesystem::file_type::not_found;
}

// What the export of `path` into `target` would write over: the stream file's own place, or
// the places of the entries below a directory that something already occupies. Names that could
// leave the folder are left out; the export never writes them.
std::vector<std::filesystem::path> placesTaken(const IfsCatalog& ifs, const std::string& path,
                                               const std::filesystem::path& target,
                                               IfsEntryExport::Kind kind) {
    if (kind == IfsEntryExport::Kind::Entry) {
        return occupied(target) ? std::vector<std::filesystem::path>{target}
                                : std::vector<std::filesystem::path>{};
    }
    const std::vector<std::string> top = safeIfsComponents(path).value_or(std::vector<std::string>{});
    std::vector<std::filesystem::path> taken;
    for (const IfsEntry& entry : ifs.entries) {
        const std::optional<std::vector<std::string>> names = safeIfsComponents(entry.path);
        if (entry.kind == IfsEntry::Kind::Directory || !names || names->size() <= top.size() ||
            !std::equal(top.begin(), top.end(), names->begin())) {
            continue;
        }
        std::filesystem::path place = target;
        for (auto name = names->begin() + static_cast<std::ptrdiff_t>(top.size()); name != names->end();
             ++name) {
            place /= *name;
        }
        if (occupied(place)) {
            taken.push_back(place);
        }
    }
    return taken;
}

QString replaceQuestion(const std::vector<std::filesystem::path>& taken) {
    if (taken.size() == 1) {
        return QStringLiteral("%1 already exists.\n\nReplace it?").arg(pathText(taken.front()));
    }
    QString text = QStringLiteral("%1 files already exist and would be replaced:").arg(taken.size());
    for (std::size_t i = 0; i < std::min(taken.size(), kFailuresListed); ++i) {
        text += QLatin1Char('\n') + pathText(taken[i]);
    }
    if (taken.size() > kFailuresListed) {
        text += QStringLiteral("\n...");
    }
    return text + QStringLiteral("\n\nReplace them?");
}

bool askYesNo(QWidget* parent, const QString& text) {
    return QMessageBox::question(parent, QString::fromLatin1(kCaption), text,
                                 QMessageBox::Yes | QMessageBox::No, QMessageBox::No) == QMessageBox::Yes;
}

}  // namespace

IfsExportAction::IfsExportAction(QWidget* window, ViewSession& views, UserDialogs& dialogs,
                                 Selection selection, std::function<void()> libraryExport)
    : QObject(window),
      window_(window),
      views_(views),
      dialogs_(dialogs),
      selection_(std::move(selection)),
      libraryExport_(std::move(libraryExport)),
      chooseFolder_([](QWidget* parent, const QString& caption) {
          return QFileDialog::getExistingDirectory(parent, caption, QCoreApplication::applicationDirPath());
      }),
      askReplace_(askYesNo) {}

void IfsExportAction::addTo(QMenu* popup) {
    QAction* action = popup->addAction(QStringLiteral("Export..."));
    action->setObjectName(QStringLiteral("ExportIfs1"));
    action->setVisible(false);
    connect(action, &QAction::triggered, this, &IfsExportAction::exportSelected);
    connect(popup, &QMenu::aboutToShow, action,
            [this, action] { action->setVisible(views_.catalog.ifs.has_value()); });
}

void IfsExportAction::exportSelected() {
    if (!views_.catalog.ifs) {
        libraryExport_();
        return;
    }
    FailureReporter::guard([this] {
        const std::string path = selection_();
        if (path.empty()) {
            dialogs_.showMessage(window_, kCaption,
                                 QStringLiteral("Please select a directory or a stream file first!"));
            return;
        }
        exportPath(path);
    });
}

void IfsExportAction::exportPath(const std::string& path) {
    const QString folder =
        chooseFolder_(window_, QStringLiteral("Export %1 to the folder").arg(QString::fromStdString(path)));
    if (folder.isEmpty()) {
        return;
    }
    const std::filesystem::path target = IfsEntryExport::targetIn(folder.toStdString(), path);
    std::unique_ptr<BlockSource> source = views_.openSaveFile();
    IfsEntryExport exporter(*source, *views_.catalog.ifs);
    const IfsEntryExport::Kind kind = exporter.kindOf(path);
    if (target.empty() || kind == IfsEntryExport::Kind::None) {
        dialogs_.showMessage(window_, kCaption,
                             QStringLiteral("%1 cannot be exported.").arg(QString::fromStdString(path)));
        return;
    }
    const std::vector<std::filesystem::path> taken = placesTaken(*views_.catalog.ifs, path, target, kind);
    if (!taken.empty()) {
        if (!askReplace_(window_, replaceQuestion(taken))) {
            return;
        }
        exporter.setReplaceExisting(true);
    }
    QProgressDialog progress(QStringLiteral("Exporting %1...").arg(QString::fromStdString(path)),
                             QStringLiteral("Cancel"), 0,
                             static_cast<int>(views_.catalog.ifs->entries.size()), window_);
    progress.setObjectName(QStringLiteral("IfsExportProgress"));
    progress.setWindowTitle(kCaption);
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(500);
    exporter.write(path, target, [&progress](std::size_t done, std::size_t total) {
        progress.setMaximum(static_cast<int>(total));
        progress.setValue(static_cast<int>(done));
        return !progress.wasCanceled();
    });
    progress.reset();
    dialogs_.showMessage(window_, kCaption, summaryOf(exporter, target));
}

}  // namespace quelvane
