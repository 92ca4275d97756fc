#include "compare/IfsComparer.h"

#include <map>

#include "compare/StoredDigests.h"

namespace quelvane {

namespace {

void noteChange(std::vector<ValueChange>& changes, const char* what, const std::string& before,
                const std::string& after) {
    if (before != after) {
        changes.push_back({what, before, after});
    }
}

std::string timeText(const std::optional<SavedTimestamp>& time) {
    return time ? time->text() : "";
}

StoredDigests::Digest contentDigest(ComparedSide& side, const IfsEntry& entry) {
    if (entry.kind != IfsEntry::Kind::StreamFile || entry.dataBlock < 0) {
        return {};
    }
    return StoredDigests::segment(side, entry.dataBlock, entry.dataLength);
}

}  // namespace

void IfsComparer::compare(ComparedSide& before, ComparedSide& after, SaveComparison& out) {
    const IfsCatalog& oldIfs = *before.catalog().ifs;
    const IfsCatalog& newIfs = *after.catalog().ifs;
    noteChange(out.saveChanges, "release", oldIfs.release.value_or(""), newIfs.release.value_or(""));
    noteChange(out.saveChanges, "target release", oldIfs.targetRelease.value_or(""),
               newIfs.targetRelease.value_or(""));
    std::map<std::string, const IfsEntry*> oldEntries;
    for (const IfsEntry& entry : oldIfs.entries) {
        oldEntries.emplace(entry.path, &entry);
    }
    std::map<std::string, bool> matched;
    for (const IfsEntry& entry : newIfs.entries) {
        const auto found = oldEntries.find(entry.path);
        if (found == oldEntries.end()) {
            out.entries.push_back({ChangeKind::Added, entry.path, {}, false});
            continue;
        }
        if (!matched.emplace(entry.path, true).second) {
            continue;
        }
        const IfsEntry& old = *found->second;
        IfsComparison compared{ChangeKind::Changed, entry.path, {}, false};
        noteChange(compared.changes, "type", old.typeText, entry.typeText);
        noteChange(compared.changes, "size", std::to_string(old.size), std::to_string(entry.size));
        noteChange(compared.changes, "modified", timeText(old.modified), timeText(entry.modified));
        noteChange(compared.changes, "owner", old.owner.value_or(""), entry.owner.value_or(""));
        compared.contentDiffers = !(contentDigest(before, old) == contentDigest(after, entry));
        if (!compared.changes.empty() || compared.contentDiffers) {
            out.entries.push_back(std::move(compared));
        }
    }
    for (const IfsEntry& entry : oldIfs.entries) {
        if (!matched.contains(entry.path)) {
            out.entries.push_back({ChangeKind::Removed, entry.path, {}, false});
        }
    }
}

}  // namespace quelvane
