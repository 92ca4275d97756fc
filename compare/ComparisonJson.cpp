#include "compare/ComparisonJson.h"

#include "extract/JsonWriter.h"

namespace quelvane {

namespace {

void writeChanges(JsonWriter& json, const char* name, const std::vector<ValueChange>& changes) {
    json.key(name);
    json.beginArray();
    for (const ValueChange& change : changes) {
        json.beginObject();
        json.member("what", change.what);
        json.member("before", change.before);
        json.member("after", change.after);
        json.endObject();
    }
    json.endArray();
}

void writeKind(JsonWriter& json, ChangeKind kind, const std::string& node) {
    json.member("change", changeKindName(kind));
    if (!node.empty()) {
        json.member("node", node);
        json.member("in", kind == ChangeKind::Removed ? "before" : "after");
    }
}

void writeLines(JsonWriter& json, const char* name, const LineComparison& lines) {
    json.key(name);
    json.beginObject();
    json.member("added", lines.added);
    json.member("removed", lines.removed);
    json.key("hunks");
    json.beginArray();
    for (const UnifiedDiff::Hunk& hunk : lines.hunks) {
        json.beginObject();
        json.member("header", hunk.header);
        json.key("lines");
        json.beginArray();
        for (const std::string& line : hunk.lines) {
            json.value(line);
        }
        json.endArray();
        json.endObject();
    }
    json.endArray();
    json.endObject();
}

void writeMember(JsonWriter& json, const MemberComparison& member) {
    json.beginObject();
    json.member("name", member.name);
    writeKind(json, member.kind, member.node);
    writeChanges(json, "changes", member.changes);
    json.member("source", member.source);
    json.member("contentDiffers", member.contentDiffers);
    if (!member.unread.empty()) {
        json.member("unread", member.unread);
    }
    if (member.source) {
        writeLines(json, "lines", member.lines);
    } else {
        json.key("records");
        json.beginObject();
        json.member("added", member.recordsAdded);
        json.member("removed", member.recordsRemoved);
        json.member("changed", member.recordsChanged);
        json.key("first");
        json.beginArray();
        for (const RecordComparison& record : member.records) {
            json.beginObject();
            json.member("record", record.recordNumber);
            writeChanges(json, "fields", record.fields);
            json.endObject();
        }
        json.endArray();
        json.endObject();
    }
    json.endObject();
}

void writeObject(JsonWriter& json, const ObjectComparison& object) {
    json.beginObject();
    json.member("library", object.library);
    json.member("name", object.name);
    json.member("type", object.type);
    writeKind(json, object.kind, object.node);
    writeChanges(json, "changes", object.changes);
    json.member("dataDiffers", object.dataDiffers);
    writeChanges(json, "format", object.formatChanges);
    json.key("fields");
    json.beginArray();
    for (const FieldComparison& field : object.fields) {
        json.beginObject();
        json.member("name", field.name);
        writeKind(json, field.kind, "");
        writeChanges(json, "changes", field.changes);
        json.endObject();
    }
    json.endArray();
    writeLines(json, "description", object.description);
    json.key("members");
    json.beginArray();
    for (const MemberComparison& member : object.members) {
        writeMember(json, member);
    }
    json.endArray();
    json.key("unread");
    json.beginArray();
    for (const std::string& unread : object.unread) {
        json.value(unread);
    }
    json.endArray();
    json.endObject();
}

void writeSummary(JsonWriter& json, const SaveComparison& comparison) {
    const ComparisonSummary totals = comparison.summary();
    json.key("summary");
    json.beginObject();
    json.member("text", comparison.summaryLine());
    json.member("objectsChanged", totals.objectsChanged);
    json.member("objectsAdded", totals.objectsAdded);
    json.member("objectsRemoved", totals.objectsRemoved);
    json.member("sourceMembersChanged", totals.sourceMembersChanged);
    json.member("linesAdded", totals.linesAdded);
    json.member("linesRemoved", totals.linesRemoved);
    json.member("entriesChanged", totals.entriesChanged);
    json.member("entriesAdded", totals.entriesAdded);
    json.member("entriesRemoved", totals.entriesRemoved);
    json.endObject();
}

}  // namespace

std::string ComparisonJson::text(const SaveComparison& comparison) {
    JsonWriter json;
    json.beginObject();
    json.member("before", comparison.before);
    json.member("after", comparison.after);
    json.member("same", comparison.same());
    json.member("differentKinds", comparison.differentKinds);
    writeChanges(json, "libraries", comparison.libraries);
    writeSummary(json, comparison);
    writeChanges(json, "save", comparison.saveChanges);
    json.key("objects");
    json.beginArray();
    for (const ObjectComparison& object : comparison.objects) {
        writeObject(json, object);
    }
    json.endArray();
    json.key("entries");
    json.beginArray();
    for (const IfsComparison& entry : comparison.entries) {
        json.beginObject();
        json.member("path", entry.path);
        writeKind(json, entry.kind, "");
        writeChanges(json, "changes", entry.changes);
        json.member("contentDiffers", entry.contentDiffers);
        json.endObject();
    }
    json.endArray();
    json.key("unread");
    json.beginArray();
    for (const std::string& unread : comparison.unread) {
        json.value(unread);
    }
    json.endArray();
    json.endObject();
    return json.text() + "\n";
}

}  // namespace quelvane
