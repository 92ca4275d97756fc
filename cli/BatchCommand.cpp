#include <cstdio>
#include <exception>
#include <filesystem>

#include "cli/CliCommand.h"
#include "cli/CliExport.h"
#include "export/ExportCommands.h"

namespace quelvane::cli {

namespace {

// The batch dialog answered by the command line: --dir for the directory box, --format for the
// file type; the progress text goes to stderr.
class ArgumentBatchDialog final : public BatchExportTarget {
  public:
    ArgumentBatchDialog(std::string directory, int fileType)
        : directory_(std::move(directory)), fileType_(fileType) {}

    void fill(const Contents& contents) override { contents_ = contents; }
    void showDialog() override {}
    void closeDialog() override {}
    std::string partIndexText() const override { return contents_.partIndex; }
    std::string objectIndexText() const override { return contents_.objectIndex; }
    std::string directory() const override { return directory_; }
    int fileType() const override { return fileType_; }
    void setStatusText(const std::string& text) override { std::fprintf(stderr, "%s\n", text.c_str()); }

  private:
    Contents contents_;
    std::string directory_;
    int fileType_;
};

}  // namespace

// Every member of one physical file into DIR, as "Confirm" of the batch dialog does.
int runBatchCommand(const std::vector<std::string>& arguments) {
    CliExport run("--dir", kBatchUsage);
    const int status = run.prepare(arguments);
    if (status != kExitSuccess) {
        return status;
    }
    std::error_code error;
    const std::filesystem::path directory = std::filesystem::absolute(run.target(), error);
    ArgumentBatchDialog dialog(directory.string(), run.filterIndex() - 1);
    if (!exportBatchCommand(run.session(), run.node(), dialog)) {
        return kExitUsage;
    }
    try {
        return runBatchExport(run.session(), dialog) == ExportOutcome::Written ? kExitSuccess
                                                                               : kExitExportFailed;
    } catch (const std::exception& failure) {
        std::fprintf(stderr, "quelvane-cli: the batch stopped: %s\n", failure.what());
        return kExitExportFailed;
    }
}

}  // namespace quelvane::cli
