#include "compare/SaveComparer.h"

#include <algorithm>
#include <map>
#include <tuple>

#include "compare/DescriptionComparer.h"
#include "compare/FormatComparer.h"
#include "compare/IfsComparer.h"
#include "compare/MemberComparer.h"
#include "compare/StoredDigests.h"
#include "savefile/CatalogTree.h"
#include "savefile/ObjectKinds.h"

namespace quelvane {

namespace {

constexpr std::uint8_t kSavobj = 1;
constexpr std::uint8_t kSav = 0x14;

std::string commandName(std::uint8_t code) {
    return code == kSavobj ? "SAVOBJ" : code == kSav ? "SAV" : "SAVLIB";
}

std::string text(const std::optional<std::string>& value) {
    return value.value_or("");
}
std::string text(const std::optional<SavedTimestamp>& value) {
    return value ? value->text() : "";
}
std::string text(const std::optional<std::int64_t>& value) {
    return value ? std::to_string(*value) : "";
}

void noteChange(std::vector<ValueChange>& changes, const char* what, const std::string& before,
                const std::string& after) {
    if (before != after) {
        changes.push_back({what, before, after});
    }
}

std::int64_t objectCount(const Catalog& catalog) {
    std::int64_t count = 0;
    for (const SavedPart& part : catalog.parts) {
        count += part.library.objectCount;
    }
    return count;
}

std::string libraryNames(const Catalog& catalog) {
    std::string names;
    for (const SavedPart& part : catalog.parts) {
        names += (names.empty() ? "" : ", ") + part.library.name;
    }
    return names;
}

// The objects of a catalog as the tree shows them: within each part's object count.
template <typename Visit>
void eachObject(const Catalog& catalog, Visit visit) {
    for (std::size_t p = 0; p < catalog.parts.size(); ++p) {
        const SavedLibrary& library = catalog.parts[p].library;
        const std::size_t shown =
            std::min(library.objects.size(), static_cast<std::size_t>(std::max(library.objectCount, 0)));
        for (std::size_t j = 0; j < shown; ++j) {
            visit(p, j, library.objects[j]);
        }
    }
}

using ObjectKey = std::tuple<std::string, std::string, std::uint16_t>;

std::string sourceText(const ObjectDetails& details) {
    const std::string file = text(details.sourceFile);
    if (file.empty()) {
        return "";
    }
    const std::string library = text(details.sourceLibrary);
    return (library.empty() ? "" : library + "/") + file + "(" + text(details.sourceMember) + ")";
}

}  // namespace

SaveComparer::SaveComparer(const ComparedSave& before, const ComparedSave& after, Options options)
    : before_(before), after_(after), options_(options) {}

SaveComparison SaveComparer::run(const std::string& beforeName, const std::string& afterName) {
    SaveComparison out;
    out.before = beforeName;
    out.after = afterName;
    for (const auto& [side, name] : {std::pair{&before_, &beforeName}, std::pair{&after_, &afterName}}) {
        if (!side->incomplete().empty()) {
            out.unread.push_back(*name + ": the catalog is incomplete: " + side->incomplete());
        }
    }
    const bool oldIfs = before_.catalog().ifs.has_value();
    const bool newIfs = after_.catalog().ifs.has_value();
    if (oldIfs != newIfs) {
        out.differentKinds = true;
        return out;
    }
    compareSaves(out);
    if (newIfs) {
        IfsComparer::compare(before_, after_, out);
    } else {
        compareObjects(out);
    }
    return out;
}

void SaveComparer::compareSaves(SaveComparison& out) {
    const SaveFileHeader& old = before_.catalog().header;
    const SaveFileHeader& now = after_.catalog().header;
    noteChange(out.libraries, "library", before_.plain(libraryNames(before_.catalog())),
               after_.plain(libraryNames(after_.catalog())));
    std::vector<ValueChange>& changes = out.saveChanges;
    noteChange(changes, "save command", commandName(old.saveCommand), commandName(now.saveCommand));
    noteChange(changes, "saved", text(old.details.savedAt), text(now.details.savedAt));
    noteChange(changes, "system", before_.plain(text(old.details.systemName)),
               after_.plain(text(now.details.systemName)));
    noteChange(changes, "serial number", before_.plain(text(old.details.serialNumber)),
               after_.plain(text(now.details.serialNumber)));
    noteChange(changes, "release", text(old.details.savingRelease), text(now.details.savingRelease));
    noteChange(changes, "target release", text(old.details.targetRelease), text(now.details.targetRelease));
    noteChange(changes, "data", old.dataStorage, now.dataStorage);
    if (!before_.catalog().ifs) {
        noteChange(changes, "objects", std::to_string(objectCount(before_.catalog())),
                   std::to_string(objectCount(after_.catalog())));
    }
}

void SaveComparer::compareObjects(SaveComparison& out) {
    // Two saves of different libraries match their objects part by part.
    const bool sameLibraries = out.libraries.empty();
    const auto keyOf = [sameLibraries](const Catalog& catalog, std::size_t part, const SavedObject& object) {
        return ObjectKey{sameLibraries ? catalog.parts[part].library.name : std::to_string(part), object.name,
                         object.typeCode};
    };
    std::map<ObjectKey, std::pair<std::size_t, std::size_t>> oldObjects;
    eachObject(before_.catalog(), [&](std::size_t p, std::size_t j, const SavedObject& object) {
        oldObjects.emplace(keyOf(before_.catalog(), p, object), std::pair{p, j});
    });
    std::map<ObjectKey, bool> matched;
    std::int64_t total = 0;
    eachObject(after_.catalog(), [&total](std::size_t, std::size_t, const SavedObject&) { ++total; });
    std::int64_t done = 0;
    eachObject(after_.catalog(), [&](std::size_t p, std::size_t j, const SavedObject& object) {
        if (options_.progress != nullptr) {
            options_.progress->progress(done++, total);
        }
        const ObjectKey key = keyOf(after_.catalog(), p, object);
        const std::string node = std::to_string(p) + "/" + std::to_string(j);
        const std::string library = after_.plain(after_.catalog().parts[p].library.name);
        const auto found = oldObjects.find(key);
        if (found == oldObjects.end()) {
            out.objects.push_back({ChangeKind::Added, library, after_.plain(object.name),
                                   after_.plain(objectTypeText(object)), node});
            return;
        }
        matched[key] = true;
        const auto [op, oj] = found->second;
        const std::string oldNode = std::to_string(op) + "/" + std::to_string(oj);
        if (auto compared = compareObject(before_.catalog().parts[op].library.objects[oj], object, library,
                                          {oldNode, node})) {
            out.objects.push_back(std::move(*compared));
        }
    });
    eachObject(before_.catalog(), [&](std::size_t p, std::size_t j, const SavedObject& object) {
        if (!matched.contains(keyOf(before_.catalog(), p, object))) {
            out.objects.push_back({ChangeKind::Removed,
                                   before_.plain(before_.catalog().parts[p].library.name),
                                   before_.plain(object.name), before_.plain(objectTypeText(object)),
                                   std::to_string(p) + "/" + std::to_string(j)});
        }
    });
    if (options_.progress != nullptr) {
        options_.progress->progress(total, total);
    }
}

std::optional<ObjectComparison> SaveComparer::compareObject(const SavedObject& oldObject,
                                                            const SavedObject& newObject,
                                                            const std::string& library,
                                                            const NodePair& nodes) {
    ObjectComparison out{ChangeKind::Changed, library, after_.plain(newObject.name),
                         after_.plain(objectTypeText(newObject)), nodes.after};
    const ObjectDetails& old = oldObject.details;
    const ObjectDetails& now = newObject.details;
    noteChange(out.changes, "attribute", before_.plain(oldObject.attribute),
               after_.plain(newObject.attribute));
    noteChange(out.changes, "owner", before_.plain(text(old.owner)), after_.plain(text(now.owner)));
    noteChange(out.changes, "text", before_.objectText(oldObject), after_.objectText(newObject));
    noteChange(out.changes, "size", text(old.size), text(now.size));
    noteChange(out.changes, "created", text(old.created), text(now.created));
    noteChange(out.changes, "creator", before_.plain(text(old.creator)), after_.plain(text(now.creator)));
    noteChange(out.changes, "release", text(old.release), text(now.release));
    noteChange(out.changes, "source file", before_.plain(sourceText(old)), after_.plain(sourceText(now)));
    noteChange(out.changes, "source changed", text(old.sourceChanged), text(now.sourceChanged));

    const StoredDigests::Digest oldData = StoredDigests::object(before_, oldObject);
    const StoredDigests::Digest newData = StoredDigests::object(after_, newObject);
    out.dataDiffers = !(oldData == newData);
    for (const auto& [digest, which] : {std::pair{&oldData, "before"}, std::pair{&newData, "after"}}) {
        if (out.dataDiffers && !digest->read()) {
            out.unread.push_back(std::string(which) + ": " + digest->unread);
        }
    }
    if (out.dataDiffers) {
        DescriptionComparer::compare(before_, oldObject, after_, newObject, out);
    }
    if (newObject.typeCode == kFileObjectType) {
        FormatComparer::compare(before_, oldObject, after_, newObject, out);
    }
    if (isPhysicalFile(newObject) && isPhysicalFile(oldObject)) {
        compareMembers(oldObject, newObject, nodes, out);
    }
    if (out.changes.empty() && !out.dataDiffers && out.formatChanges.empty() && out.fields.empty() &&
        out.members.empty()) {
        return std::nullopt;
    }
    return out;
}

void SaveComparer::compareMembers(const SavedObject& oldObject, const SavedObject& newObject,
                                  const NodePair& nodes, ObjectComparison& out) {
    const auto shown = [](const SavedObject& object) {
        return std::min(object.members.size(),
                        static_cast<std::size_t>(std::max(shownMemberCount(object), 0)));
    };
    std::map<std::string, std::size_t> oldMembers;
    for (std::size_t k = 0; k < shown(oldObject); ++k) {
        oldMembers.emplace(oldObject.members[k].name, k);
    }
    MemberComparer members(before_, after_, options_.withDates);
    std::map<std::string, bool> matched;
    for (std::size_t k = 0; k < shown(newObject); ++k) {
        const SavedMember& member = newObject.members[k];
        const std::string memberNode = nodes.after + "/" + std::to_string(k);
        const auto found = oldMembers.find(member.name);
        if (found == oldMembers.end()) {
            out.members.push_back({ChangeKind::Added, after_.plain(member.name), memberNode});
            continue;
        }
        matched[member.name] = true;
        if (auto compared =
                members.compare(oldObject, oldObject.members[found->second], newObject, member, memberNode)) {
            out.members.push_back(std::move(*compared));
        }
    }
    for (std::size_t k = 0; k < shown(oldObject); ++k) {
        const SavedMember& member = oldObject.members[k];
        if (!matched.contains(member.name)) {
            out.members.push_back(
                {ChangeKind::Removed, before_.plain(member.name), nodes.before + "/" + std::to_string(k)});
        }
    }
}

}  // namespace quelvane
