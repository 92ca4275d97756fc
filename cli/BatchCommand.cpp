#include <cstdio>
#include <exception>
#include <filesystem>

#include "cli/CliCommand.h"
#include "cli/CliExport.h"
#include "export/ExportCommands.h"
#include "savefile/FailureReason.h"

namespace quelvane::cli {

// Every member of one physical file into DIR, as "Confirm" of the batch dialog does; the progress
// texts go to stderr.
int runBatchCommand(const std::vector<std::string>& arguments) {
    CliExport run("--dir", kBatchUsage);
    const int status = run.prepare(arguments);
    if (status != kExitSuccess) {
        return status;
    }
    const std::optional<ObjectRef> file = batchFile(run.session(), run.node());
    if (!file) {
        return kExitUsage;
    }
    std::error_code error;
    const std::filesystem::path directory = std::filesystem::absolute(run.target(), error);
    try {
        std::vector<std::string> renamed;
        const ExportOutcome outcome = exportFileMembers(
            run.session(), *file, run.format(), directory.string(),
            [](const std::string& text, std::int32_t, std::int32_t) {
                std::fprintf(stderr, "%s\n", text.c_str());
            },
            &renamed);
        run.reportFallbacks();
        for (const std::string& line : renamed) {
            std::fprintf(stderr, "quelvane-cli: note: %s\n", line.c_str());
        }
        return outcome == ExportOutcome::Written ? kExitSuccess : kExitExportFailed;
    } catch (const std::exception& failure) {
        std::fprintf(stderr, "quelvane-cli: the batch stopped: %s\n", failureReason(failure).c_str());
        return kExitExportFailed;
    }
}

}  // namespace quelvane::cli
