#include <cstdio>

#include "cli/CliCommand.h"
#include "cli/CliExport.h"
#include "export/ExportCommands.h"
#include "export/ExportFileNames.h"

namespace quelvane::cli {

// One member into a text file, a Word document or an Excel workbook, as "Export" does: the
// extension of PATH is replaced by the format's.
int runExportCommand(const std::vector<std::string>& arguments) {
    for (std::size_t i = 0; i + 1 < arguments.size(); ++i) {
        if (arguments[i] == "--format" && arguments[i + 1] == "savf") {
            return runSaveFileExport(arguments);
        }
        if (arguments[i] == "--format" && arguments[i + 1] == "stmf") {
            return runStreamFileExport(arguments);
        }
    }
    CliExport run("-o", kExportUsage);
    const int status = run.prepare(arguments);
    if (status != kExitSuccess) {
        return status;
    }
    const std::optional<MemberRef> member = exportableMember(run.session(), run.node());
    if (!member) {
        return kExitUsage;
    }
    const std::string path =
        ExportFileNames::replaceExtension(run.target(), ExportFileNames::extensionOf(run.format()));
    const ExportOutcome outcome = exportMember(run.session(), *member, run.format(), path);
    run.reportFallbacks();
    if (!run.session().views.failureCause.empty()) {
        std::fprintf(stderr, "quelvane-cli: %s\n", run.session().views.failureCause.c_str());
    }
    return outcome == ExportOutcome::Written ? kExitSuccess : kExitExportFailed;
}

}  // namespace quelvane::cli
