#include <cstdio>
#include <memory>

#include "cli/CliCommand.h"
#include "cli/CliSession.h"
#include "conversion/PcTextToUtf8.h"
#include "extract/CatalogJson.h"
#include "savefile/CatalogTexts.h"
#include "savefile/CatalogTree.h"
#include "savefile/DetailText.h"
#include "savefile/VersionSummary.h"

namespace quelvane::cli {

namespace {

// Object lines carry the object's details and member lines the member's record count and dates
// after a tab, so the caption itself stays exactly as the tree shows it. The catalog record is
// found by the node's position, as the views do. A tree by stored CCSID is UTF-8, and puts each
// object's and member's text, read in its CCSID, in a column of its own after the caption.
void printTree(CliSession& session, const CatalogTree& tree, CatalogTexts& texts) {
    const auto& parts = session.catalog().parts;
    const auto write = [&](const std::string& line) {
        tree.utf8 ? session.writeUtf8Line(line) : session.writeLine(line);
    };
    const auto textColumn = [&](const CatalogTreeNode& node) { return tree.utf8 ? "\t" + node.text : ""; };
    for (const CatalogTreeNode& root : tree.roots) {
        write(root.caption);
        for (std::size_t i = 0; i < root.children.size(); ++i) {
            const CatalogTreeNode& part = root.children[i];
            write("  " + part.caption);
            for (std::size_t j = 0; j < part.children.size(); ++j) {
                const CatalogTreeNode& object = part.children[j];
                const SavedObject& saved = parts.at(i).library.objects.at(j);
                std::string details = texts.plain(objectDetailText(saved.details));
                write("    " + object.caption + textColumn(object) + (details.empty() ? "" : "\t" + details));
                for (std::size_t k = 0; k < object.children.size(); ++k) {
                    const SavedMember& member = saved.members.at(k);
                    std::string dates = texts.plain(memberDetailText(member));
                    write("      " + object.children[k].caption + textColumn(object.children[k]) + "\t" +
                          std::to_string(member.recordCount) + " records" +
                          (dates.empty() ? "" : ", " + dates));
                }
            }
        }
    }
}

// A save of the integrated file system: its releases, then one line per entry, path first.
void printIfsTree(CliSession& session, const IfsCatalog& ifs) {
    std::string releases = "Integrated file system save";
    if (ifs.release) {
        releases += ", release " + *ifs.release;
    }
    if (ifs.targetRelease) {
        releases += ", target release " + *ifs.targetRelease;
    }
    session.writeUtf8Line(releases);
    for (const IfsEntry& entry : ifs.entries) {
        std::string path = entry.kind == IfsEntry::Kind::Directory ? entry.path + "/" : entry.path;
        session.writeUtf8Line(path + "\t" + ifsEntryText(entry));
    }
    for (const std::string& problem : ifs.problems) {
        std::fprintf(stderr, "quelvane-cli: %s\n", problem.c_str());
    }
}

}  // namespace

// The machine and save-command lines, then the catalog tree, as the open command shows them;
// the program's version history is left to --version. With --json, the catalog as JSON.
int runTreeCommand(const std::vector<std::string>& arguments) {
    CliSession session;
    std::vector<std::string> rest = arguments;
    const bool json = std::erase(rest, "--json") > 0;
    int status = session.start(
        rest, 1, 1,
        "tree FILE [--json] [--inner NODE]... [--ebcdic CP] [--pc CP] [--ccsid stored|pair] [--raw]");
    if (status != kExitSuccess) {
        return status;
    }
    // By the pair, as the window shows the tree, unless --ccsid stored; --json by stored CCSID
    // unless --ccsid pair.
    const bool byCcsid = session.byStoredCcsid(json);
    std::unique_ptr<CatalogTexts> texts =
        byCcsid ? std::make_unique<CatalogTexts>(session.catalog(), session.conversion().EbcdicCodePage,
                                                 session.conversion().PcCodePage)
                : std::make_unique<CatalogTexts>();
    CatalogTree tree = buildCatalogTree(session.catalog(), *texts);
    if (json) {
        PcTextToUtf8 utf8(session.conversion().PcCodePage);
        const std::string text = CatalogJson::text(session.catalog(), utf8, nullptr,
                                                   session.conversion().EbcdicCodePage, texts.get());
        std::fwrite(text.data(), 1, text.size(), stdout);
        return kExitSuccess;
    }
    // A tree that could not be finished leaves the summary unshown, as in the window.
    if (tree.complete) {
        for (const std::string& line : saveHeaderLines(session.catalog().header)) {
            session.writeLine(line);
        }
    }
    const ParseReport& report = session.parseReport();
    if (session.catalog().ifs) {
        // The problems of the directory tree are entries not listed, or listed wrongly: the tree
        // is incomplete as when the catalog stops short.
        const IfsCatalog& ifs = *session.catalog().ifs;
        printIfsTree(session, ifs);
        if (!report.complete()) {
            std::fprintf(stderr, "quelvane-cli: the catalog is incomplete: %s\n", report.text().c_str());
        } else if (!ifs.problems.empty()) {
            std::fprintf(stderr, "quelvane-cli: the directory tree is incomplete: see the problems above\n");
        }
        return report.complete() && ifs.problems.empty() ? kExitSuccess : kExitIncomplete;
    }
    printTree(session, tree, *texts);
    if (!report.complete() || !tree.complete) {
        const std::string why = !report.complete() ? report.text()
                                : tree.stopReason.empty()
                                    ? "the tree could not be finished"
                                    : "the tree could not be finished: " + tree.stopReason;
        std::fprintf(stderr, "quelvane-cli: the catalog is incomplete: %s\n", why.c_str());
        return kExitIncomplete;
    }
    return kExitSuccess;
}

}  // namespace quelvane::cli
