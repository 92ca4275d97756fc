#include "cli/CliCommand.h"
#include "cli/CliExport.h"
#include "export/ExportCommands.h"

namespace quelvane::cli {

namespace {

// The save dialog answered by the command line: the -o path and the --format file type.
class ArgumentFileDialog final : public ExportFileDialog {
  public:
    ArgumentFileDialog(std::string path, int filterIndex)
        : path_(std::move(path)), filterIndex_(filterIndex) {}

    bool execute(std::string& fileName, int& filterIndex) override {
        fileName = path_;
        filterIndex = filterIndex_;
        return true;
    }
    void setFileName(const std::string&) override {}

  private:
    std::string path_;
    int filterIndex_;
};

}  // namespace

// One member into a text file, a Word document or an Excel workbook, as "Export" does: the
// extension of PATH is replaced by the format's.
int runExportCommand(const std::vector<std::string>& arguments) {
    CliExport run("-o", kExportUsage);
    const int status = run.prepare(arguments);
    if (status != kExitSuccess) {
        return status;
    }
    ArgumentFileDialog dialog(run.target(), run.filterIndex());
    const std::optional<ExportOutcome> outcome = exportMemberCommand(run.session(), run.node(), dialog);
    if (!outcome) {
        return kExitUsage;
    }
    return *outcome == ExportOutcome::Written ? kExitSuccess : kExitExportFailed;
}

}  // namespace quelvane::cli
