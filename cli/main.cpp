#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "cli/CliCommand.h"
#include "savefile/FailureReason.h"
#include "savefile/VersionText.h"

namespace {

using quelvane::cli::CliCommand;

// Every subcommand, each in its own source file.
const CliCommand kCommands[] = {
    {"tree", "tree FILE [--json] [--inner NODE]... [--ebcdic CP] [--pc CP] [--ccsid stored|pair] [--raw]",
     quelvane::cli::runTreeCommand},
    {"show",
     "show FILE NODE [--json] [--rows FIRST:COUNT] [--inner NODE]... [--ebcdic CP] [--pc CP] [--ccsid "
     "stored|pair] [--raw]",
     quelvane::cli::runShowCommand},
    {"export", quelvane::cli::kExportUsage, quelvane::cli::runExportCommand},
    {"batch", quelvane::cli::kBatchUsage, quelvane::cli::runBatchCommand},
    {"objects", quelvane::cli::kObjectsUsage, quelvane::cli::runObjectsCommand},
    {"describe", quelvane::cli::kDescribeUsage, quelvane::cli::runDescribeCommand},
    {"check", quelvane::cli::kCheckUsage, quelvane::cli::runCheckCommand},
    {"extract", quelvane::cli::kExtractUsage, quelvane::cli::runExtractCommand},
    {"compare", quelvane::cli::kCompareUsage, quelvane::cli::runCompareCommand},
    {"sources", quelvane::cli::kSourcesUsage, quelvane::cli::runSourcesCommand},
};

void printHelp(std::FILE* out) {
    std::fprintf(out, "Usage: quelvane-cli COMMAND [ARGUMENTS]\n       quelvane-cli --help | --version\n\n");
    std::fprintf(out, "Commands:\n");
    for (const CliCommand& command : kCommands) {
        std::fprintf(out, "  quelvane-cli %s\n", command.usage);
    }
    std::fprintf(out,
                 "\nCode pages: --ebcdic and --pc, else the settings file beside the program\n"
                 "(section \"EBCDIC To ASCII\", keys EBCDIC and ASCII), else 37 and 1252.\n"
                 "Text is written as UTF-8; --raw writes it in the PC code page unchanged;\n"
                 "--json prints the catalog or the content list as JSON (always UTF-8).\n"
                 "--ccsid stored reads record fields in the CCSIDs the save stores for them,\n"
                 "straight to UTF-8 (65535, 0 and unknown CCSIDs in the EBCDIC page, binary 65535\n"
                 "fields as hex); --ccsid pair reads them through the code-page pair. extract and\n"
                 "show --json read by stored CCSID unless told pair, show, export and batch by the\n"
                 "pair; exports by stored CCSID are written in the PC page, a character it lacks\n"
                 "as its substitution character, and so is show --raw's text.\n"
                 "--inner NODE reads the save held by save-file object NODE (\"0/SAVF1\") in place\n"
                 "of the file's own; repeated, it descends further.\n"
                 "Exit status: 0 success, 1 wrong usage or unreadable file, 2 not a save file,\n"
                 "3 a view or an export that reported a failure, or members not extracted.\n"
                 "extract writes CSV (UTF-8, CRLF), source files (UTF-8, LF), catalog.json and,\n"
                 "with --sqlite, a database; several files go to DIR/<save file name>/.\n"
                 "sources writes each source member as DIR/<file>/<member>.<type> (UTF-8, LF), with\n"
                 ".ibmi.json, iproj.json and .quelvane/members.json; --git makes one commit per save.\n"
                 "check: 0 every record intact, 1 damaged, 2 not a save file (or one too old to\n"
                 "read), 3 every record intact but the catalog not read whole.\n"
                 "compare: 0 the saves hold the same, 1 they differ, 2 either cannot be read; each\n"
                 "--inner applies to the file named before it.\n");
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> arguments(argv + 1, argv + argc);
    if (arguments.empty()) {
        printHelp(stderr);
        return quelvane::cli::kExitUsage;
    }
    const std::string& first = arguments.front();
    if (first == "--help" || first == "-h") {
        printHelp(stdout);
        return quelvane::cli::kExitSuccess;
    }
    if (first == "--version") {
        std::printf("%s\n", quelvane::VersionText().c_str());
        return quelvane::cli::kExitSuccess;
    }
    for (const CliCommand& command : kCommands) {
        if (first == command.name) {
            // Each command reports the failures of its own steps; this is the last guard, so that
            // a failure none of them expected still ends with its reason and a status.
            try {
                return command.run(std::vector<std::string>(arguments.begin() + 1, arguments.end()));
            } catch (const std::exception& failure) {
                std::fprintf(stderr, "quelvane-cli: %s stopped: %s\n", command.name,
                             quelvane::failureReason(failure).c_str());
                return quelvane::cli::kExitIncomplete;
            }
        }
    }
    std::fprintf(stderr, "quelvane-cli: unknown command \"%s\"\n", first.c_str());
    printHelp(stderr);
    return quelvane::cli::kExitUsage;
}
