#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "compare/UnifiedDiff.h"

namespace quelvane {

// What differs between two saves, every text in UTF-8. "Before" is the first save named, "after"
// the second (the newer, by the order the caller gave); node paths ("0/12", "0/12/3") are
// positions in the tree of the save the thing is in: the after save's, or the before save's for
// what was removed.

// One fact that changed: what it is, its old and its new value.
struct ValueChange {
    std::string what{};
    std::string before{};
    std::string after{};
};

enum class ChangeKind { Added, Removed, Changed };

// A field of a record format, matched by name.
struct FieldComparison {
    ChangeKind kind = ChangeKind::Changed;
    std::string name{};
    std::vector<ValueChange> changes{};
};

// A record whose bytes differ at the same relative record number, field by field.
struct RecordComparison {
    std::int64_t recordNumber = 0;
    std::vector<ValueChange> fields{};
};

// Lines of text compared as a unified diff: a source member's, or what describe reads from an
// object.
struct LineComparison {
    std::int64_t added = 0;
    std::int64_t removed = 0;
    std::vector<UnifiedDiff::Hunk> hunks{};
};

struct MemberComparison {
    ChangeKind kind = ChangeKind::Changed;
    std::string name{};
    std::string node{};
    std::vector<ValueChange> changes{};
    bool source = false;
    // Whether the stored records differ (for a source member: its lines, and its sequence
    // numbers and dates only when they are compared).
    bool contentDiffers = false;
    LineComparison lines{};
    std::int64_t recordsAdded = 0;
    std::int64_t recordsRemoved = 0;
    std::int64_t recordsChanged = 0;
    // The first changed records, up to SaveComparer::kRecordsShown.
    std::vector<RecordComparison> records{};
    // Why the content could not be compared; empty when it was.
    std::string unread{};
};

struct ObjectComparison {
    ChangeKind kind = ChangeKind::Changed;
    std::string library{};
    std::string name{};
    std::string type{};
    std::string node{};
    std::vector<ValueChange> changes{};
    // Whether the digests of the object's stored data differ.
    bool dataDiffers = false;
    // The record format: its level identifier when that changed, and the fields.
    std::vector<ValueChange> formatChanges{};
    std::vector<FieldComparison> fields{};
    // What describe reads from the object, line by line, when its data differs.
    LineComparison description{};
    std::vector<MemberComparison> members{};
    // What could not be read of the object on either side.
    std::vector<std::string> unread{};
};

// An entry of a save of the integrated file system, matched by path.
struct IfsComparison {
    ChangeKind kind = ChangeKind::Changed;
    std::string path{};
    std::vector<ValueChange> changes{};
    bool contentDiffers = false;
};

struct ComparisonSummary {
    std::int64_t objectsChanged = 0;
    std::int64_t objectsAdded = 0;
    std::int64_t objectsRemoved = 0;
    std::int64_t sourceMembersChanged = 0;
    std::int64_t linesAdded = 0;
    std::int64_t linesRemoved = 0;
    std::int64_t entriesChanged = 0;
    std::int64_t entriesAdded = 0;
    std::int64_t entriesRemoved = 0;
};

struct SaveComparison {
    std::string before{};
    std::string after{};
    // One save of the integrated file system and one of a library: nothing else is compared.
    bool differentKinds = false;
    // The libraries saved, when they differ ("QGPL" against "MYLIB").
    std::vector<ValueChange> libraries{};
    std::vector<ValueChange> saveChanges{};
    std::vector<ObjectComparison> objects{};
    std::vector<IfsComparison> entries{};
    // What could not be read of either save as a whole (a catalog cut short).
    std::vector<std::string> unread{};

    bool same() const {
        return !differentKinds && libraries.empty() && saveChanges.empty() && objects.empty() &&
               entries.empty();
    }
    ComparisonSummary summary() const;
    // "12 objects changed, 3 added, 1 removed; 4 source members changed (+130 -52 lines)".
    std::string summaryLine() const;
};

const char* changeKindName(ChangeKind kind);

}  // namespace quelvane
