#include "compare/SaveComparison.h"

namespace quelvane {

namespace {

std::string counted(std::int64_t count, const char* one, const char* many) {
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

}  // namespace

const char* changeKindName(ChangeKind kind) {
    switch (kind) {
        case ChangeKind::Added:
            return "added";
        case ChangeKind::Removed:
            return "removed";
        case ChangeKind::Changed:
            break;
    }
    return "changed";
}

ComparisonSummary SaveComparison::summary() const {
    ComparisonSummary totals;
    for (const ObjectComparison& object : objects) {
        switch (object.kind) {
            case ChangeKind::Added:
                ++totals.objectsAdded;
                break;
            case ChangeKind::Removed:
                ++totals.objectsRemoved;
                break;
            case ChangeKind::Changed:
                ++totals.objectsChanged;
                break;
        }
        for (const MemberComparison& member : object.members) {
            if (member.source && member.kind == ChangeKind::Changed &&
                (member.lines.added > 0 || member.lines.removed > 0)) {
                ++totals.sourceMembersChanged;
                totals.linesAdded += member.lines.added;
                totals.linesRemoved += member.lines.removed;
            }
        }
    }
    for (const IfsComparison& entry : entries) {
        (entry.kind == ChangeKind::Added     ? totals.entriesAdded
         : entry.kind == ChangeKind::Removed ? totals.entriesRemoved
                                             : totals.entriesChanged)++;
    }
    return totals;
}

std::string SaveComparison::summaryLine() const {
    if (differentKinds) {
        return "The saves hold different kinds of thing: one a library, the other the integrated file system";
    }
    if (same()) {
        return "The saves hold the same";
    }
    const ComparisonSummary totals = summary();
    std::string line;
    if (!entries.empty() || objects.empty()) {
        line = counted(totals.entriesChanged, "entry changed", "entries changed") + ", " +
               std::to_string(totals.entriesAdded) + " added, " + std::to_string(totals.entriesRemoved) +
               " removed";
    } else {
        line = counted(totals.objectsChanged, "object changed", "objects changed") + ", " +
               std::to_string(totals.objectsAdded) + " added, " + std::to_string(totals.objectsRemoved) +
               " removed";
        line += "; " +
                counted(totals.sourceMembersChanged, "source member changed", "source members changed") +
                " (+" + std::to_string(totals.linesAdded) + " -" + std::to_string(totals.linesRemoved) +
                " lines)";
    }
    if (!saveChanges.empty()) {
        line += "; the saves' details differ";
    }
    return line;
}

}  // namespace quelvane
