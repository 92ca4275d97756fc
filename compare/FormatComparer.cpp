#include "compare/FormatComparer.h"

#include <algorithm>
#include <string>

#include "views/FileFacts.h"

namespace quelvane {

namespace {

void noteChange(std::vector<ValueChange>& changes, const std::string& what, const std::string& before,
                const std::string& after) {
    if (before != after) {
        changes.push_back({what, before, after});
    }
}

std::vector<ValueChange> fieldFactChanges(const FileFacts::Field& before, const FileFacts::Field& after) {
    std::vector<ValueChange> changes;
    noteChange(changes, "type", std::string(1, before.type), std::string(1, after.type));
    noteChange(changes, "length", std::to_string(before.length), std::to_string(after.length));
    noteChange(changes, "digits", std::to_string(before.digits), std::to_string(after.digits));
    noteChange(changes, "decimals", std::to_string(before.decimals), std::to_string(after.decimals));
    noteChange(changes, "CCSID", std::to_string(before.ccsid), std::to_string(after.ccsid));
    noteChange(changes, "text", before.text, after.text);
    return changes;
}

// A field that is new: its facts, each with no old value.
std::vector<ValueChange> addedFieldFacts(const FileFacts::Field& field) {
    std::vector<ValueChange> facts = {
        {"type", "", std::string(1, field.type)},     {"length", "", std::to_string(field.length)},
        {"digits", "", std::to_string(field.digits)}, {"decimals", "", std::to_string(field.decimals)},
        {"CCSID", "", std::to_string(field.ccsid)},   {"text", "", field.text}};
    std::erase_if(facts, [](const ValueChange& fact) { return fact.after.empty() || fact.after == "0"; });
    return facts;
}

const FileFacts::Field* fieldNamed(const std::vector<FileFacts::Field>& fields, const std::string& name) {
    const auto found = std::find_if(fields.begin(), fields.end(),
                                    [&](const FileFacts::Field& field) { return field.name == name; });
    return found == fields.end() ? nullptr : &*found;
}

void compareFields(const FileFacts::Format& before, const FileFacts::Format& after, ObjectComparison& out) {
    for (const FileFacts::Field& field : after.fields) {
        const FileFacts::Field* old = fieldNamed(before.fields, field.name);
        if (old == nullptr) {
            out.fields.push_back({ChangeKind::Added, field.name, addedFieldFacts(field)});
            continue;
        }
        std::vector<ValueChange> changes = fieldFactChanges(*old, field);
        if (!changes.empty()) {
            out.fields.push_back({ChangeKind::Changed, field.name, std::move(changes)});
        }
    }
    for (const FileFacts::Field& field : before.fields) {
        if (fieldNamed(after.fields, field.name) == nullptr) {
            out.fields.push_back({ChangeKind::Removed, field.name, {}});
        }
    }
}

}  // namespace

void FormatComparer::compare(ComparedSide& before, const SavedObject& oldFile, ComparedSide& after,
                             const SavedObject& newFile, ObjectComparison& out) {
    if (!oldFile.description.read || !newFile.description.read) {
        return;
    }
    const FileFacts oldFacts = FileFacts::of(oldFile, before.utf8(), before.storedTexts());
    const FileFacts newFacts = FileFacts::of(newFile, after.utf8(), after.storedTexts());
    const std::size_t shared = std::min(oldFacts.formats.size(), newFacts.formats.size());
    for (std::size_t i = 0; i < shared; ++i) {
        const FileFacts::Format& old = oldFacts.formats[i];
        const FileFacts::Format& now = newFacts.formats[i];
        const std::string of = shared > 1 ? " of format " + now.name : "";
        noteChange(out.formatChanges, "record format" + of, old.name, now.name);
        noteChange(out.formatChanges, "record length" + of, std::to_string(old.recordLength),
                   std::to_string(now.recordLength));
        if (old.levelId != now.levelId) {
            out.formatChanges.push_back({"level identifier" + of, old.levelId, now.levelId});
            compareFields(old, now, out);
        }
    }
}

}  // namespace quelvane
