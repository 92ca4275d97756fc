#pragma once

#include <QModelIndex>
#include <QObject>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "export/AutomationClient.h"
#include "export/ExportFileDialog.h"
#include "views/NodeContentDisplay.h"
#include "views/ViewSession.h"

class QWidget;

namespace quelvane {

class BatchExportDialog;

// The window's export commands: "Export", "Export a member" and "Pick Out" export the selected
// member through the save dialog; "Batch", "Export PF members in batch" and "Pick Out In batch"
// open the batch dialog, whose "Confirm" runs the batch. The window connects its buttons and
// menu items to the two slots and tells which tree node is selected. The batch dialog is made
// here, hidden, and lives as long as the window.
class ExportActions final : public QObject {
    Q_OBJECT

  public:
    using Selection = std::function<std::optional<NodePosition>()>;
    using AutomationFactory = std::function<std::unique_ptr<AutomationClient>(std::int32_t pcCodePage)>;

    // `pcCodePage` answers the current PC code page, in which the dialogs show and return the
    // core's 8-bit texts; `selection` answers the selected tree node.
    ExportActions(QWidget* window, ViewSession& views, std::function<std::int32_t()> pcCodePage,
                  Selection selection);
    ~ExportActions() override;

    BatchExportDialog& batchDialog() { return *batch_; }
    // Replace the save dialog and the automation carrier (tests).
    void setFileDialog(std::unique_ptr<ExportFileDialog> dialog);
    void setAutomationFactory(AutomationFactory factory);

    // The selected node of a catalog tree, addressed as the catalog is.
    static std::optional<NodePosition> nodeOf(const QModelIndex& current);

  public slots:
    void exportMember();
    void exportBatch();
    // "Confirm". A failure a command raises goes to the program's one report of failures
    // (FailureReporter), never through Qt's frames.
    void runBatch();

  private:
    struct Run;
    Run startRun();
    QString decode(const std::string& text) const;
    std::string encode(const QString& text) const;

    ViewSession& views_;
    std::function<std::int32_t()> pcCodePage_;
    Selection selection_;
    BatchExportDialog* batch_;
    std::unique_ptr<ExportFileDialog> fileDialog_;
    AutomationFactory automation_;
};

}  // namespace quelvane
