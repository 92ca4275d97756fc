#include <cstdio>

#include "cli/CliCommand.h"
#include "cli/CliSession.h"
#include "savefile/FileBlockSource.h"
#include "savefile/ReadFailure.h"
#include "savefile/SaveFileCheck.h"

namespace quelvane::cli {

namespace {

constexpr int kExitDamaged = 1;

}  // namespace

// The block grid of a save file examined without reading its catalog: the report goes to
// stdout, the verdict is the exit status.
int runCheckCommand(const std::vector<std::string>& arguments) {
    if (arguments.size() != 1 || (arguments[0].size() > 1 && arguments[0][0] == '-')) {
        std::fprintf(stderr, "Usage: quelvane-cli %s\n", kCheckUsage);
        return kExitUsage;
    }
    const std::string& path = arguments[0];
    FileBlockSource source(path);
    if (!openedOrSaid(path, source)) {
        return kExitUsage;
    }
    SaveFileCheckReport report;
    try {
        report = SaveFileCheck::examine(source);
    } catch (const ReadFailure& failure) {
        std::fprintf(stderr, "quelvane-cli: cannot read %s: %s\n", path.c_str(), failure.what());
        return kExitUsage;
    }
    std::printf("%s\n", path.c_str());
    for (const std::string& line : report.lines()) {
        std::printf("%s\n", line.c_str());
    }
    switch (report.verdict) {
        case SaveFileVerdict::Clean:
            return kExitSuccess;
        case SaveFileVerdict::Damaged:
            return kExitDamaged;
        case SaveFileVerdict::NotSaveFile:
        case SaveFileVerdict::HeaderTooOld:
            break;
    }
    return kExitNotSaveFile;
}

}  // namespace quelvane::cli
