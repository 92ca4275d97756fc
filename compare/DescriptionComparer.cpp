#include "compare/DescriptionComparer.h"

#include <exception>
#include <optional>

#include "describe/ObjectDescriber.h"
#include "savefile/FailureReason.h"
#include "savefile/TypeCodes.h"
#include "views/DataAreaView.h"
#include "views/MemoryContentList.h"
#include "views/ObjectDescriptionView.h"
#include "views/ViewSession.h"

namespace quelvane {

namespace {

// Describe's lines of the object, in UTF-8; nothing, with `unread` set, when its data is damaged.
std::optional<std::vector<std::string>> describedLines(ComparedSide& side, const SavedObject& object,
                                                       std::vector<std::string>& unread, const char* which) {
    std::unique_ptr<BlockSource> source = side.open();
    const ObjectDescription description =
        ObjectDescriber::describe(*source, side.catalog(), object, side.converter());
    if (description.dataMissing) {
        return std::vector<std::string>();
    }
    if (!description.failure.empty()) {
        unread.push_back(std::string(which) + ": " + description.failure);
        return std::nullopt;
    }
    std::vector<std::string> lines;
    for (const std::string& line : descriptionLines(description, object.name)) {
        lines.push_back(side.plain(line));
    }
    return lines;
}

std::string dataAreaValue(ComparedSide& side, const SavedObject& object) {
    MemoryContentList list;
    SilentNotifier notifier;
    ViewSession session(side.catalog(), side.converter(), notifier, list);
    session.openSource = [&side](const std::string&) { return side.openStored(); };
    const std::optional<DataAreaValue> value = readDataAreaValue(session, object);
    return value ? side.plain(value->text) : "";
}

}  // namespace

void DescriptionComparer::compare(ComparedSide& before, const SavedObject& oldObject, ComparedSide& after,
                                  const SavedObject& newObject, ObjectComparison& out) {
    try {
        if (newObject.typeCode == kDataAreaObjectType) {
            const std::string old = dataAreaValue(before, oldObject);
            const std::string now = dataAreaValue(after, newObject);
            if (old != now) {
                out.changes.push_back({"value", old, now});
            }
            return;
        }
        if (!ObjectDescriber::describes(newObject.typeCode, newObject.attribute) ||
            !ObjectDescriber::describes(oldObject.typeCode, oldObject.attribute)) {
            return;
        }
        const auto old = describedLines(before, oldObject, out.unread, "before");
        const auto now = describedLines(after, newObject, out.unread, "after");
        if (old && now) {
            const UnifiedDiff diff(*old, *now);
            out.description = {diff.added(), diff.removed(), diff.hunks()};
        }
    } catch (const std::exception& failure) {
        out.unread.push_back("the description: " + failureReason(failure));
    }
}

}  // namespace quelvane
