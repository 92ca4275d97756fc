#include <cstdio>
#include <vector>

#include "cli/CliCommand.h"
#include "cli/CliExport.h"
#include "cli/CliSession.h"
#include "cli/NodePath.h"
#include "savefile/CatalogTree.h"
#include "savefile/SaveFileWriter.h"

namespace quelvane::cli {

namespace {

// Takes "--format FORMAT" and "-o PATH" out of `arguments`; false when either is malformed.
bool takeFormatAndTarget(std::vector<std::string>& arguments, std::string& target) {
    std::vector<std::string> rest;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        if (arguments[i] == "--format" || arguments[i] == "-o") {
            if (i + 1 == arguments.size()) {
                return false;
            }
            if (arguments[i] == "-o") {
                target = arguments[i + 1];
            }
            ++i;
        } else {
            rest.push_back(arguments[i]);
        }
    }
    arguments = std::move(rest);
    return !target.empty();
}

}  // namespace

// The save held by a save-file object, written as a standalone save file: header, block count
// and sequence numbers as the system writes them.
int runSaveFileExport(const std::vector<std::string>& arguments) {
    constexpr const char* kUsage = "export FILE NODE --format savf -o OUT.savf [--inner NODE]...";
    std::vector<std::string> rest = arguments;
    std::string target;
    if (!takeFormatAndTarget(rest, target)) {
        std::fprintf(stderr, "Usage: quelvane-cli %s\n", kUsage);
        return kExitUsage;
    }
    CliSession session;
    int status = session.start(rest, 2, 2, kUsage);
    if (status != kExitSuccess) {
        return status;
    }
    std::optional<NodePosition> node = resolveNode(buildCatalogTree(session.catalog()), rest[1]);
    if (!node || node->level != 2) {
        std::fprintf(stderr, "quelvane-cli: no object \"%s\" in %s\n", rest[1].c_str(), rest[0].c_str());
        return kExitUsage;
    }
    const NestedSave inner = session.opened().locateHeld({node->parentIndex, node->index});
    if (inner.state != NestedSave::State::Found) {
        std::fprintf(stderr, "quelvane-cli: %s\n", inner.message.c_str());
        return kExitExportFailed;
    }
    std::unique_ptr<BlockSource> source = session.opened().heldOpener(inner)();
    if (const std::string failure = SaveFileWriter::write(*source, target); !failure.empty()) {
        std::fprintf(stderr, "quelvane-cli: %s\n", failure.c_str());
        return kExitExportFailed;
    }
    return kExitSuccess;
}

}  // namespace quelvane::cli
