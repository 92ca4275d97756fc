#pragma once

#include <string>
#include <vector>

namespace quelvane::cli {

// Exit statuses of every command.
constexpr int kExitSuccess = 0;
constexpr int kExitUsage = 1;  // wrong usage, or a file that cannot be opened
constexpr int kExitNotSaveFile = 2;
// The tree command's catalog stopped short of the whole file (the reason goes to stderr).
constexpr int kExitIncomplete = 3;

// One subcommand: `run` gets the arguments after the command name.
struct CliCommand {
    const char* name;
    const char* usage;
    int (*run)(const std::vector<std::string>& arguments);
};

int runTreeCommand(const std::vector<std::string>& arguments);
int runShowCommand(const std::vector<std::string>& arguments);
int runExportCommand(const std::vector<std::string>& arguments);
int runBatchCommand(const std::vector<std::string>& arguments);
int runCheckCommand(const std::vector<std::string>& arguments);
int runExtractCommand(const std::vector<std::string>& arguments);
int runObjectsCommand(const std::vector<std::string>& arguments);
int runDescribeCommand(const std::vector<std::string>& arguments);
int runCompareCommand(const std::vector<std::string>& arguments);
int runSourcesCommand(const std::vector<std::string>& arguments);
// The export command for a held save file (--format savf).
int runSaveFileExport(const std::vector<std::string>& arguments);
// The export command for integrated-file-system entries (--format stmf).
int runStreamFileExport(const std::vector<std::string>& arguments);

inline constexpr const char* kExportUsage =
    "export FILE NODE --format txt|doc|xls|savf|stmf [--splitter] -o PATH [--inner NODE]... [--ebcdic CP] "
    "[--pc CP] [--ccsid stored|pair] [--encoding pc|utf-8]";
inline constexpr const char* kCheckUsage = "check FILE [--json]";
inline constexpr const char* kDescribeUsage =
    "describe FILE NODE [--json | --bytes [--from OFFSET] [--count BYTES]] [--inner NODE]... [--ebcdic CP] "
    "[--pc "
    "CP] [--raw]";
inline constexpr const char* kObjectsUsage = "objects FILE [--inner NODE]... [--ebcdic CP] [--pc CP]";
inline constexpr const char* kExtractUsage =
    "extract FILE... --to DIR [--sqlite DB] [--jobs N] [--ebcdic CP] [--pc CP] [--ccsid stored|pair] "
    "[--quiet]";
inline constexpr const char* kCompareUsage =
    "compare FILE [--inner NODE]... FILE [--inner NODE]... [--json] [--with-dates] [--ebcdic CP] [--pc CP]";
inline constexpr const char* kSourcesUsage =
    "sources FILE... --to DIR [--git [--reorder]] [--force] [--with-line-dates] [--inner NODE]... [--ebcdic "
    "CP] "
    "[--pc CP]";
inline constexpr const char* kBatchUsage =
    "batch FILE NODE --format txt|doc|xls [--splitter] --dir DIR [--ebcdic CP] [--pc CP] [--ccsid "
    "stored|pair] [--encoding pc|utf-8]";

}  // namespace quelvane::cli
