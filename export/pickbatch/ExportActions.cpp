#include "export/pickbatch/ExportActions.h"

#include <QCoreApplication>

#include "conversion/PcPageWideText.h"
#include "conversion/UnknownPcPage.h"
#include "export/DeferredAutomationClient.h"
#include "export/ExportCommands.h"
#include "export/InProcessAutomationClient.h"
#include "export/pickbatch/BatchExportDialog.h"
#include "export/pickbatch/FailureReporter.h"
#include "export/pickbatch/QtExportFileDialog.h"

namespace quelvane {

// One command's export session over a fresh automation carrier for the current code page.
struct ExportActions::Run {
    std::unique_ptr<AutomationClient> automation;
    std::unique_ptr<ExportSession> session;
};

ExportActions::ExportActions(QWidget* window, ViewSession& views, std::function<std::int32_t()> pcCodePage,
                             Selection selection)
    : QObject(window),
      views_(views),
      pcCodePage_(std::move(pcCodePage)),
      selection_(std::move(selection)),
      batch_(new BatchExportDialog(window)),
      automation_([](std::int32_t page) { return std::make_unique<InProcessAutomationClient>(page); }) {
    auto decoder = [this](const std::string& text) { return decode(text); };
    auto encoder = [this](const QString& text) { return encode(text); };
    fileDialog_ = std::make_unique<QtExportFileDialog>(window);
    batch_->setTextCodec(decoder, encoder);
    // The window never changes the current folder; the program's folder is handed over instead.
    batch_->setStartFolder(QCoreApplication::applicationDirPath());
    connect(batch_, &BatchExportDialog::confirmed, this, &ExportActions::runBatch);
}

// The batch dialog shows the catalog's texts in the PC code page, as the automation servers
// read them; its directory box holds a file-system string.
QString ExportActions::decode(const std::string& text) const {
    try {
        PcPageWideText codec(pcCodePage_());
        return QString::fromStdU16String(codec.decode(text));
    } catch (const UnknownPcPage&) {
        return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
    }
}

std::string ExportActions::encode(const QString& text) const {
    try {
        PcPageWideText codec(pcCodePage_());
        return codec.encode(text.toStdU16String());
    } catch (const UnknownPcPage&) {
        return text.toLatin1().toStdString();
    }
}

ExportActions::~ExportActions() = default;

void ExportActions::setFileDialog(std::unique_ptr<ExportFileDialog> dialog) {
    fileDialog_ = std::move(dialog);
}

void ExportActions::setAutomationFactory(AutomationFactory factory) {
    automation_ = std::move(factory);
}

std::optional<NodePosition> ExportActions::nodeOf(const QModelIndex& current) {
    if (!current.isValid()) {
        return std::nullopt;
    }
    NodePosition position;
    position.index = current.row();
    for (QModelIndex up = current.parent(); up.isValid(); up = up.parent()) {
        ++position.level;
    }
    if (current.parent().isValid()) {
        position.parentIndex = current.parent().row();
        if (current.parent().parent().isValid()) {
            position.grandparentIndex = current.parent().parent().row();
        }
    }
    return position;
}

ExportActions::Run ExportActions::startRun() {
    Run run;
    const std::int32_t page = pcCodePage_();
    run.automation = std::make_unique<DeferredAutomationClient>([this, page] { return automation_(page); });
    run.session = std::make_unique<ExportSession>(views_, *run.automation, page);
    run.session->splitterOption = batch_->splitterOption();
    run.session->programDirectory = QCoreApplication::applicationDirPath().toStdString();
    run.session->processEvents = [] { QCoreApplication::processEvents(); };
    return run;
}

void ExportActions::exportMember() {
    FailureReporter::guard([this] {
        Run run = startRun();
        exportMemberCommand(*run.session, selection_(), *fileDialog_);
    });
}

void ExportActions::exportBatch() {
    FailureReporter::guard([this] {
        Run run = startRun();
        exportBatchCommand(*run.session, selection_(), *batch_);
    });
}

void ExportActions::runBatch() {
    FailureReporter::guard([this] {
        Run run = startRun();
        if (batch_->utf8Option()) {
            run.session->textEncoding = ExportTextEncoding::Utf8;
        }
        runBatchExport(*run.session, *batch_);
    });
}

}  // namespace quelvane
