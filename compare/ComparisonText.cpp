#include "compare/ComparisonText.h"

namespace quelvane {

namespace {

// Where the thing is: its node in the after save, or in the before save for what was removed.
std::string where(ChangeKind kind, const std::string& node) {
    return "  [" + std::string(kind == ChangeKind::Removed ? "before " : "") + node + "]";
}

std::string shown(const std::string& value) {
    return value.empty() ? "(none)" : "\"" + value + "\"";
}

void changeLines(const std::vector<ValueChange>& changes, const std::string& indent,
                 std::vector<std::string>& out) {
    for (const ValueChange& change : changes) {
        out.push_back(indent + change.what + ": " + shown(change.before) + " -> " + shown(change.after));
    }
}

void diffLines(const LineComparison& lines, const std::string& indent, std::vector<std::string>& out) {
    for (const UnifiedDiff::Hunk& hunk : lines.hunks) {
        out.push_back(indent + hunk.header);
        for (const std::string& line : hunk.lines) {
            out.push_back(indent + line);
        }
    }
}

std::string lineCounts(const LineComparison& lines) {
    return "+" + std::to_string(lines.added) + " -" + std::to_string(lines.removed) + " lines";
}

void addMemberLines(const MemberComparison& member, std::vector<std::string>& out) {
    std::string head =
        "  member " + member.name + " " + changeKindName(member.kind) + where(member.kind, member.node);
    if (member.source && member.contentDiffers && member.unread.empty()) {
        head += " (" + lineCounts(member.lines) + ")";
    }
    out.push_back(head);
    changeLines(member.changes, "    ", out);
    if (!member.unread.empty()) {
        out.push_back("    content could not be compared: " + member.unread);
        return;
    }
    if (member.source) {
        diffLines(member.lines, "    ", out);
        return;
    }
    if (member.contentDiffers) {
        out.push_back("    records: " + std::to_string(member.recordsAdded) + " added, " +
                      std::to_string(member.recordsRemoved) + " removed, " +
                      std::to_string(member.recordsChanged) + " changed");
    }
    for (const RecordComparison& record : member.records) {
        out.push_back("    record " + std::to_string(record.recordNumber) + ":");
        changeLines(record.fields, "      ", out);
    }
}

void addObjectLines(const ObjectComparison& object, bool withMembers, std::vector<std::string>& out) {
    out.push_back(object.library + "/" + object.name + "(" + object.type + ") " +
                  changeKindName(object.kind) + where(object.kind, object.node));
    changeLines(object.changes, "  ", out);
    if (object.dataDiffers) {
        out.push_back("  data differs");
    }
    changeLines(object.formatChanges, "  ", out);
    for (const FieldComparison& field : object.fields) {
        out.push_back("  field " + field.name + " " + changeKindName(field.kind));
        changeLines(field.changes, "    ", out);
    }
    if (object.description.added > 0 || object.description.removed > 0) {
        out.push_back("  description (" + lineCounts(object.description) + ")");
        diffLines(object.description, "    ", out);
    }
    for (std::size_t i = 0; withMembers && i < object.members.size(); ++i) {
        addMemberLines(object.members[i], out);
    }
    for (const std::string& unread : object.unread) {
        out.push_back("  not read: " + unread);
    }
}

}  // namespace

std::vector<std::string> ComparisonText::lines(const SaveComparison& comparison) {
    std::vector<std::string> out;
    for (const ValueChange& library : comparison.libraries) {
        out.push_back("The saves are of different libraries: " + library.before + " and " + library.after);
    }
    out.push_back(comparison.summaryLine());
    for (const std::string& unread : comparison.unread) {
        out.push_back("Not read: " + unread);
    }
    if (comparison.differentKinds) {
        return out;
    }
    if (!comparison.saveChanges.empty()) {
        out.push_back("Save");
        changeLines(comparison.saveChanges, "  ", out);
    }
    for (const ObjectComparison& object : comparison.objects) {
        addObjectLines(object, true, out);
    }
    for (const IfsComparison& entry : comparison.entries) {
        const std::vector<std::string> lines = entryLines(entry);
        out.insert(out.end(), lines.begin(), lines.end());
    }
    return out;
}

std::vector<std::string> ComparisonText::objectLines(const ObjectComparison& object, bool withMembers) {
    std::vector<std::string> out;
    addObjectLines(object, withMembers, out);
    return out;
}

std::vector<std::string> ComparisonText::memberLines(const MemberComparison& member) {
    std::vector<std::string> out;
    addMemberLines(member, out);
    return out;
}

std::vector<std::string> ComparisonText::entryLines(const IfsComparison& entry) {
    std::vector<std::string> out{entry.path + " " + changeKindName(entry.kind)};
    changeLines(entry.changes, "  ", out);
    if (entry.contentDiffers) {
        out.push_back("  content differs");
    }
    return out;
}

}  // namespace quelvane
