#include "views/IfsNodeView.h"

#include <exception>
#include <vector>

#include "conversion/CcsidText.h"
#include "conversion/CodePageRegistry.h"
#include "savefile/DetailText.h"
#include "savefile/IfsStreamReader.h"
#include "savefile/IfsTree.h"

namespace quelvane {

namespace {

constexpr std::int32_t kDefaultPcCodePage = 1252;
constexpr int kNameWidth = 200;
constexpr int kTypeWidth = 60;
constexpr int kSizeWidth = 80;
constexpr int kModifiedWidth = 130;
constexpr int kOwnerWidth = 90;
constexpr int kCcsidWidth = 60;

std::string counted(int count, const char* one, const char* many) {
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

void clearList(ViewSession& session) {
    session.list.clearRows();
    session.list.clearColumns();
    session.shownMember.stale = true;
}

std::int32_t pcCodePageOf(const ViewSession& session) {
    return session.pcCodePage ? session.pcCodePage() : kDefaultPcCodePage;
}

const IfsEntry* entryOf(const IfsCatalog& ifs, const IfsTreeNode& node) {
    return node.entry < 0 ? nullptr : &ifs.entries.at(static_cast<std::size_t>(node.entry));
}

void addEntryRow(ContentList& list, CcsidText& names, const IfsTreeNode& node, const IfsEntry* entry) {
    list.addRow(names.toPcText(node.name));
    if (entry == nullptr) {
        list.appendCell("*DIR");
        return;
    }
    list.appendCell(entry->typeText);
    list.appendCell(entry->kind == IfsEntry::Kind::StreamFile ? std::to_string(entry->size) : "");
    list.appendCell(entry->modified ? entry->modified->text() : "");
    list.appendCell(entry->owner.value_or(""));
    list.appendCell(entry->ccsid ? std::to_string(*entry->ccsid) : "");
}

void showDirectory(ViewSession& session, NodeContentTarget& target, const IfsTreeNode& node,
                   CcsidText& names) {
    const IfsCatalog& ifs = *session.catalog.ifs;
    ContentList& list = session.list;
    int directories = 0;
    int files = 0;
    list.addColumn("Name", kNameWidth, ContentList::Alignment::Left, ContentList::Sizing::Fixed);
    list.addColumn("Type", kTypeWidth, ContentList::Alignment::Left, ContentList::Sizing::Fixed);
    list.addColumn("Size", kSizeWidth, ContentList::Alignment::Right, ContentList::Sizing::Fixed);
    list.addColumn("Modified", kModifiedWidth, ContentList::Alignment::Left, ContentList::Sizing::Fixed);
    list.addColumn("Owner", kOwnerWidth, ContentList::Alignment::Left, ContentList::Sizing::Fixed);
    list.addColumn("CCSID", kCcsidWidth, ContentList::Alignment::Right, ContentList::Sizing::Fixed);
    for (const IfsTreeNode& child : node.children) {
        (child.directory ? directories : files) += 1;
        addEntryRow(list, names, child, entryOf(ifs, child));
    }
    target.setNodeTitle("Directory:  " + names.toPcText(node.path));
    target.setNodeSummary(counted(directories, "directory", "directories") + ", " +
                          counted(files, "file", "files"));
    target.enableExport(true);
}

void showStreamFile(ViewSession& session, NodeContentTarget& target, const IfsEntry& entry, CcsidText& names,
                    const StreamFileLimits& limits) {
    target.setNodeTitle("Stream file:  " + names.toPcText(entry.path));
    target.setNodeSummary(ifsEntryText(entry));
    std::string why;
    std::optional<std::vector<std::uint8_t>> bytes;
    try {
        std::unique_ptr<BlockSource> source = session.openSaveFile();
        bytes = IfsStreamReader(*source).read(entry, why);
    } catch (const std::exception& failure) {
        why = entry.path + ": " + failure.what();
    }
    if (!bytes) {
        session.list.addColumn("", ContentList::kDefaultColumnWidth, ContentList::Alignment::Left,
                               ContentList::Sizing::Header);
        session.list.addRow("This file cannot be shown: " + names.toPcText(why));
        return;
    }
    StreamFileView::show(session.list, session.converter, pcCodePageOf(session), entry.ccsid, *bytes, limits);
    target.enableExport(true);
}

}  // namespace

ViewOutcome showIfsNode(ViewSession& session, NodeContentTarget& target, const std::string& path,
                        const StreamFileLimits& limits) {
    const Catalog& catalog = session.catalog;
    if (!catalog.ifs || path.empty()) {
        session.shownMember.stale = true;
        target.showVersion();
        return ViewOutcome::Shown;
    }
    clearList(session);
    const std::shared_ptr<const IfsTreeNode> root = IfsTree::of(*catalog.ifs);
    const IfsTreeNode* node = IfsTree::find(*root, path);
    if (node == nullptr) {
        return ViewOutcome::Shown;
    }
    CcsidText names(kUtf8Ccsid, pcCodePageOf(session));
    const IfsEntry* entry = entryOf(*catalog.ifs, *node);
    if (node->directory) {
        showDirectory(session, target, *node, names);
    } else if (entry != nullptr && entry->kind == IfsEntry::Kind::StreamFile) {
        showStreamFile(session, target, *entry, names, limits);
    } else if (entry != nullptr) {
        target.setNodeTitle(names.toPcText(entry->path));
        target.setNodeSummary(ifsEntryText(*entry));
    }
    return ViewOutcome::Shown;
}

}  // namespace quelvane
