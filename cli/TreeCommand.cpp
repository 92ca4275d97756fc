#include <cstdio>

#include "cli/CliCommand.h"
#include "cli/CliSession.h"
#include "savefile/CatalogTree.h"
#include "savefile/VersionSummary.h"

namespace quelvane::cli {

namespace {

// Member lines carry the member's record count after a tab, so the caption itself stays exactly
// as the tree shows it. The catalog record is found by the node's position, as the views do.
void printTree(CliSession& session, const CatalogTree& tree) {
    const auto& parts = session.catalog().parts;
    for (const CatalogTreeNode& root : tree.roots) {
        session.writeLine(root.caption);
        for (std::size_t i = 0; i < root.children.size(); ++i) {
            const CatalogTreeNode& part = root.children[i];
            session.writeLine("  " + part.caption);
            for (std::size_t j = 0; j < part.children.size(); ++j) {
                const CatalogTreeNode& object = part.children[j];
                session.writeLine("    " + object.caption);
                const auto& members = parts.at(i).library.objects.at(j).members;
                for (std::size_t k = 0; k < object.children.size(); ++k) {
                    session.writeLine("      " + object.children[k].caption + "\t" +
                                      std::to_string(members.at(k).recordCount) + " records");
                }
            }
        }
    }
}

}  // namespace

// The save summary, then the catalog tree, as the open command shows them.
int runTreeCommand(const std::vector<std::string>& arguments) {
    CliSession session;
    std::vector<std::string> rest = arguments;
    int status = session.start(rest, 1, 1, "tree FILE [--ebcdic CP] [--pc CP] [--raw]");
    if (status != kExitSuccess) {
        return status;
    }
    CatalogTree tree = buildCatalogTree(session.catalog());
    // A tree that could not be finished leaves the summary unshown, as in the window.
    if (tree.complete) {
        for (const std::string& line : saveSummaryLines(session.catalog().header)) {
            session.writeLine(line);
        }
    }
    printTree(session, tree);
    const ParseReport& report = session.parseReport();
    if (!report.complete() || !tree.complete) {
        const std::string why = report.complete() ? "the tree could not be finished" : report.text();
        std::fprintf(stderr, "quelvane-cli: the catalog is incomplete: %s\n", why.c_str());
        return kExitIncomplete;
    }
    return kExitSuccess;
}

}  // namespace quelvane::cli
