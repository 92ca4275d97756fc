#include <cstdio>
#include <memory>
#include <vector>

#include "cli/CliCommand.h"
#include "cli/CliExport.h"
#include "cli/CliSession.h"
#include "export/IfsEntryExport.h"

namespace quelvane::cli {

namespace {

constexpr const char* kUsage = "export FILE PATH --format stmf -o OUT [--inner NODE]...";

}  // namespace

// A stream file of a save of the integrated file system, byte for byte, into the file OUT; or a
// directory with everything below it into the folder OUT. Names that could leave the folder
// ("..", "/" inside a name, NUL) are never written.
int runStreamFileExport(const std::vector<std::string>& arguments) {
    std::vector<std::string> rest;
    std::string out;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        if ((arguments[i] == "--format" || arguments[i] == "-o") && i + 1 < arguments.size()) {
            if (arguments[i] == "-o") {
                out = arguments[i + 1];
            }
            ++i;
        } else {
            rest.push_back(arguments[i]);
        }
    }
    CliSession session;
    int status = out.empty() ? kExitUsage : session.start(rest, 2, 2, kUsage);
    if (out.empty()) {
        std::fprintf(stderr, "Usage: quelvane-cli %s\n", kUsage);
    }
    if (status != kExitSuccess) {
        return status;
    }
    if (!session.catalog().ifs) {
        std::fprintf(stderr, "quelvane-cli: %s is not a save of the integrated file system\n",
                     rest[0].c_str());
        return kExitUsage;
    }
    std::unique_ptr<BlockSource> source = session.openExpandedSource();
    IfsEntryExport exporter(*source, *session.catalog().ifs);
    if (exporter.kindOf(rest[1]) == IfsEntryExport::Kind::None) {
        std::fprintf(stderr, "quelvane-cli: no entry \"%s\" in %s\n", rest[1].c_str(), rest[0].c_str());
        return kExitUsage;
    }
    // A file named with -o may replace one of that name; a folder's contents never replace what
    // is there already.
    exporter.setReplaceExisting(exporter.kindOf(rest[1]) == IfsEntryExport::Kind::Entry);
    bool complete = exporter.write(rest[1], out);
    for (const std::string& problem : session.catalog().ifs->problems) {
        std::fprintf(stderr, "quelvane-cli: the directory of the integrated file system: %s\n",
                     problem.c_str());
        complete = false;
    }
    for (const std::string& failure : exporter.failures()) {
        std::fprintf(stderr, "quelvane-cli: %s\n", failure.c_str());
    }
    for (const std::string& renamed : exporter.renamed()) {
        std::fprintf(stderr, "quelvane-cli: note: %s\n", renamed.c_str());
    }
    for (const std::string& replaced : exporter.replaced()) {
        std::fprintf(stderr, "quelvane-cli: note: %s replaced\n", replaced.c_str());
    }
    return complete ? kExitSuccess : kExitExportFailed;
}

}  // namespace quelvane::cli
