#include <cstdio>
#include <string>
#include <vector>

#include "cli/CliCommand.h"
#include "cli/CliSession.h"
#include "savefile/CodedDataCheck.h"
#include "savefile/FileBlockSource.h"
#include "savefile/ReadFailure.h"
#include "savefile/SaveFileCheck.h"

namespace quelvane::cli {

namespace {

constexpr int kExitDamaged = 1;

// A grid in order says nothing of the coded data inside it: a save written with data compression
// is damaged where a segment does not expand. Segment names are read through the conversion
// layer; without it the coded data is not examined, and the check says so.
std::vector<std::string> codedDataFindings(FileBlockSource& source, const SaveFileCheckReport& report) {
    CliSession session;
    if (!session.startConversion()) {
        return {};
    }
    std::vector<std::string> findings;
    for (const std::string& failure : CodedDataCheck::examine(
             source, static_cast<std::int32_t>(report.headerSize), session.conversion())) {
        findings.push_back("Coded data that does not expand: " + failure);
    }
    return findings;
}

}  // namespace

// The block grid of a save file, and the coded data of a compressed one, examined without
// reading its catalog: the report goes to stdout, the verdict is the exit status.
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
    if (report.verdict == SaveFileVerdict::Clean) {
        const std::vector<std::string> coded = codedDataFindings(source, report);
        if (!coded.empty()) {
            std::printf("Damaged:\n");
            for (const std::string& finding : coded) {
                std::printf("  %s\n", finding.c_str());
            }
            const std::string grid = report.lines().front();
            std::printf("  The block grid is in order: %s\n", grid.substr(grid.find(": ") + 2).c_str());
            return kExitDamaged;
        }
    }
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
