#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "cli/CliCommand.h"
#include "cli/CliSession.h"
#include "extract/IntegrityJson.h"
#include "savefile/FileBlockSource.h"
#include "savefile/IntegrityCheck.h"
#include "savefile/ReadFailure.h"
#include "views/OpenedSave.h"

namespace quelvane::cli {

namespace {

constexpr int kExitDamaged = 1;

// A save whose records are intact is read as the other commands read it, to say whether its
// catalog can be read whole; what the parse has to say on the way is left to those commands.
ParseReport readCatalog(const std::string& path, EbcdicTextConverter& converter) {
    SilentNotifier quiet;
    OpenedSave opened;
    opened.open([path] { return std::make_unique<FileBlockSource>(path); }, path, converter, quiet);
    return opened.report();
}

int exitStatus(IntegrityReport::Verdict verdict) {
    switch (verdict) {
        case IntegrityReport::Verdict::Intact:
            return kExitSuccess;
        case IntegrityReport::Verdict::CatalogUnread:
            return kExitIncomplete;
        case IntegrityReport::Verdict::Damaged:
            return kExitDamaged;
        case IntegrityReport::Verdict::NotSaveFile:
            break;
    }
    return kExitNotSaveFile;
}

}  // namespace

// Every record of a save file checked in one pass, the coded data of a compressed one expanded,
// and the catalog read where the records are intact: the report goes to stdout (text, or one JSON
// object with --json), the verdict is the exit status. Segment names and the catalog are read
// through the conversion layer; without it they are not examined, and the check says no more.
int runCheckCommand(const std::vector<std::string>& arguments) {
    std::vector<std::string> operands;
    bool json = false;
    for (const std::string& argument : arguments) {
        if (argument == "--json") {
            json = true;
        } else {
            operands.push_back(argument);
        }
    }
    if (operands.size() != 1 || (operands[0].size() > 1 && operands[0][0] == '-')) {
        std::fprintf(stderr, "Usage: quelvane-cli %s\n", kCheckUsage);
        return kExitUsage;
    }
    const std::string& path = operands[0];
    FileBlockSource source(path);
    if (!openedOrSaid(path, source)) {
        return kExitUsage;
    }
    CliSession session;
    const bool conversion = session.startConversion();
    IntegrityReport report;
    try {
        report = IntegrityCheck::examine(source, conversion ? &session.conversion() : nullptr);
        if (conversion && report.verdict() == IntegrityReport::Verdict::Intact) {
            report.catalog = readCatalog(path, session.conversion());
        }
    } catch (const ReadFailure& failure) {
        std::fprintf(stderr, "quelvane-cli: cannot read %s: %s\n", path.c_str(), failure.what());
        return kExitUsage;
    }
    if (json) {
        std::printf("%s\n", IntegrityJson::of(path, report).c_str());
    } else {
        std::printf("%s\n", path.c_str());
        for (const std::string& line : report.lines()) {
            std::printf("%s\n", line.c_str());
        }
    }
    return exitStatus(report.verdict());
}

}  // namespace quelvane::cli
