#include <algorithm>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cli/CliCommand.h"
#include "cli/CliSession.h"
#include "cli/NodePath.h"
#include "conversion/PcTextToUtf8.h"
#include "extract/JsonWriter.h"
#include "savefile/CatalogTree.h"
#include "views/MemberRowRange.h"
#include "views/MemoryContentList.h"
#include "views/NodeContentDisplay.h"
#include "views/VersionSummaryView.h"

namespace quelvane::cli {

namespace {

constexpr int kExitViewFailed = 3;
constexpr int kRecordlessImage = 1;
constexpr int kMemberLevel = 3;

// Takes "--rows FIRST:COUNT" out of `arguments`; false, with the reason given, when its value is
// missing or no range.
bool takeRowRange(std::vector<std::string>& arguments, std::optional<MemberRowRange>& rows) {
    auto found = std::find(arguments.begin(), arguments.end(), "--rows");
    if (found == arguments.end()) {
        return true;
    }
    if (found + 1 != arguments.end()) {
        rows = MemberRowRange::parse(*(found + 1));
    }
    if (!rows) {
        std::fprintf(stderr, "quelvane-cli: --rows takes FIRST:COUNT, two whole numbers (\"0:100\")\n");
        return false;
    }
    arguments.erase(found, found + 2);
    return true;
}

// The labels the window would show; the caption and the status bar have no place here.
class PrintedTarget final : public NodeContentTarget {
  public:
    PrintedTarget(ContentList& list, const Catalog& catalog) : list_(list), catalog_(catalog) {}

    void refreshTitle() override {}
    void setNodeTitle(const std::string& text) override { label1 = text; }
    void setNodeSummary(const std::string& text) override { label2 = text; }
    void enableExport(bool) override {}
    void enableBatch(bool) override {}
    void showVersion() override { showVersionSummary(list_, catalog_.header); }

    std::optional<std::string> label1;
    std::optional<std::string> label2;

  private:
    ContentList& list_;
    const Catalog& catalog_;
};

std::vector<std::string> splitPath(const std::string& path) {
    std::vector<std::string> steps;
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find('/', start);
        if (end == std::string::npos) {
            end = path.size();
        }
        if (end > start) {
            steps.push_back(path.substr(start, end - start));
        }
        start = end + 1;
    }
    return steps;
}

bool isIndex(const std::string& step) {
    return !step.empty() && step.size() <= 9 && step.find_first_not_of("0123456789") == std::string::npos;
}

// A child by its index, or by its caption (member captions end in a blank, which may be left
// out, and an object's type may be left out too).
std::optional<std::int32_t> childIndex(const CatalogTreeNode& node, const std::string& step) {
    if (isIndex(step)) {
        std::size_t index = std::stoul(step);
        if (index < node.children.size()) {
            return static_cast<std::int32_t>(index);
        }
        return std::nullopt;
    }
    for (std::size_t i = 0; i < node.children.size(); ++i) {
        std::string_view caption = node.children[i].caption;
        if (caption == step || (caption.ends_with(' ') && caption.substr(0, caption.size() - 1) == step)) {
            return static_cast<std::int32_t>(i);
        }
    }
    // An object may be named without its type: the first one of that name.
    for (std::size_t i = 0; i < node.children.size(); ++i) {
        if (node.children[i].caption.starts_with(step + "(")) {
            return static_cast<std::int32_t>(i);
        }
    }
    return std::nullopt;
}

}  // namespace

std::optional<NodePosition> resolveNode(const CatalogTree& tree, const std::string& path) {
    if (tree.roots.empty()) {
        return std::nullopt;
    }
    std::vector<std::string> steps = splitPath(path);
    if (steps.size() > 3) {
        return std::nullopt;
    }
    std::vector<std::int32_t> positions;
    const CatalogTreeNode* node = &tree.roots.front();
    for (const std::string& step : steps) {
        std::optional<std::int32_t> index = childIndex(*node, step);
        if (!index) {
            return std::nullopt;
        }
        positions.push_back(*index);
        node = &node->children[static_cast<std::size_t>(*index)];
    }
    NodePosition position;
    position.level = static_cast<int>(positions.size());
    auto at = [&](int level) { return level >= 1 ? positions[static_cast<std::size_t>(level - 1)] : 0; };
    position.index = at(position.level);
    position.parentIndex = at(position.level - 1);
    position.grandparentIndex = at(position.level - 2);
    return position;
}

namespace {

// `utf8Cells`: the rows' cells are UTF-8 already (a listing by stored CCSID).
void printList(CliSession& session, const MemoryContentList& list, bool utf8Cells) {
    if (list.columnCount() > 0) {
        std::string captions;
        for (int c = 0; c < list.columnCount(); ++c) {
            captions += (c == 0 ? "" : "\t") + list.column(c).caption;
        }
        session.writeLine(captions);
    }
    std::string line;
    for (std::int64_t r = 0; r < list.rowCount(); ++r) {
        line.clear();
        if (list.rowImage(r) == kRecordlessImage) {
            line += "-\t";
        }
        line += list.rowCaption(r);
        for (int c = 0; c < list.cellCount(r); ++c) {
            line += '\t';
            line += list.cellText(r, c);
        }
        if (utf8Cells) {
            session.writeUnicodeLine(line);
        } else {
            session.writeLine(line);
        }
    }
}

// The labels and the content list as one JSON object, written row by row: a member's listing can
// be long. Record slots without a record are marked "recordless".
void printJson(std::int32_t pcCodePage, const PrintedTarget& target, const MemoryContentList& list,
               bool utf8Cells, bool utf8Labels) {
    PcTextToUtf8 utf8(pcCodePage);
    std::string out = "{\n";
    for (const auto& [name, label] :
         {std::pair{"title", &target.label1}, std::pair{"summary", &target.label2}}) {
        if (*label) {
            out += "  " + JsonWriter::quoted(name) + ": " +
                   JsonWriter::quoted(utf8Labels ? **label : utf8.toUtf8(**label)) + ",\n";
        }
    }
    out += "  \"columns\": [";
    for (int c = 0; c < list.columnCount(); ++c) {
        out += (c == 0 ? "" : ", ") + JsonWriter::quoted(utf8.toUtf8(list.column(c).caption));
    }
    out += "],\n  \"rows\": [";
    for (std::int64_t r = 0; r < list.rowCount(); ++r) {
        out += r == 0 ? "\n    {\"caption\": " : ",\n    {\"caption\": ";
        const std::string caption(list.rowCaption(r));
        out += JsonWriter::quoted(utf8Cells ? caption : utf8.toUtf8(caption));
        if (list.rowImage(r) == kRecordlessImage) {
            out += ", \"recordless\": true";
        }
        out += ", \"cells\": [";
        for (int c = 0; c < list.cellCount(r); ++c) {
            const std::string cell(list.cellText(r, c));
            out += (c == 0 ? "" : ", ") + JsonWriter::quoted(utf8Cells ? cell : utf8.toUtf8(cell));
        }
        out += "]}";
        std::fwrite(out.data(), 1, out.size(), stdout);
        out.clear();
    }
    out += list.rowCount() == 0 ? "]\n}\n" : "\n  ]\n}\n";
    std::fwrite(out.data(), 1, out.size(), stdout);
}

}  // namespace

// What the window shows for one node of the tree: the two labels, then the content list; with
// --json, the same as JSON. Records and the labels' texts read by the pair, as the window shows
// them, unless --ccsid stored; with --json by their stored CCSIDs unless --ccsid pair. The fallbacks a
// listing by CCSID used go to stderr.
int runShowCommand(const std::vector<std::string>& arguments) {
    CliSession session;
    std::vector<std::string> rest = arguments;
    const bool json = std::erase(rest, "--json") > 0;
    std::optional<MemberRowRange> rows;
    if (!takeRowRange(rest, rows)) {
        return kExitUsage;
    }
    int status = session.start(rest, 1, 2,
                               "show FILE NODE [--json] [--rows FIRST:COUNT] [--ebcdic CP] [--pc CP] "
                               "[--ccsid stored|pair] [--raw]");
    if (status != kExitSuccess) {
        return status;
    }
    CatalogTree tree = buildCatalogTree(session.catalog());
    std::string path = rest.size() == 2 ? rest[1] : "";
    std::optional<NodePosition> node = resolveNode(tree, path);
    if (!node) {
        std::fprintf(stderr, "quelvane-cli: no node \"%s\" in %s\n", path.c_str(), rest.front().c_str());
        return kExitUsage;
    }
    if (rows && (session.catalog().ifs || node->level != kMemberLevel)) {
        std::fprintf(stderr, "quelvane-cli: --rows lists a member's records; \"%s\" is no member\n",
                     path.c_str());
        return kExitUsage;
    }
    MemoryContentList list;
    ViewSession views(session.catalog(), session.conversion(), session.notifier(), list);
    if (rows) {
        views.listMember = [range = *rows](ViewSession& s, NodeContentTarget& t, MemberRef ref) {
            return showMemberRowRange(s, t, ref, range);
        };
    }
    views.openSource = session.sourceOpener();
    views.pcCodePage = [&session] { return session.conversion().PcCodePage; };
    if (session.byStoredCcsid(json)) {
        views.storedCcsidHostPage = session.conversion().EbcdicCodePage;
    }
    PrintedTarget target(list, session.catalog());
    ViewOutcome outcome = showNodeContent(views, target, node);
    for (const std::string& note : views.ccsidFallbackNotes) {
        std::fprintf(stderr, "quelvane-cli: field %s\n", note.c_str());
    }
    if (json) {
        printJson(session.conversion().PcCodePage, target, list, views.listedUtf8Cells, views.labelsUtf8);
        return outcome == ViewOutcome::Failed ? kExitViewFailed : kExitSuccess;
    }
    for (const auto& label : {target.label1, target.label2}) {
        if (label) {
            views.labelsUtf8 ? session.writeUtf8Line(*label) : session.writeLine(*label);
        }
    }
    printList(session, list, views.listedUtf8Cells);
    return outcome == ViewOutcome::Failed ? kExitViewFailed : kExitSuccess;
}

}  // namespace quelvane::cli
