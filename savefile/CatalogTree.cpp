#include "savefile/CatalogTree.h"

#include <algorithm>
#include <cstdio>
#include <stdexcept>

#include "savefile/DetailText.h"
#include "savefile/TypeCodes.h"

namespace quelvane {

namespace {

constexpr std::int32_t kMaxMembersShown = 1000;

std::string joinedLines(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) {
        text += text.empty() ? line : "\n" + line;
    }
    return text;
}

// Item `index`, or out_of_range with what `missing` says of it.
template <typename T, typename Missing>
const T& checkedAt(const std::vector<T>& items, std::int64_t index, const Missing& missing) {
    if (index < 0 || index >= static_cast<std::int64_t>(items.size())) {
        throw std::out_of_range(missing());
    }
    return items[static_cast<std::size_t>(index)];
}

// A type no name is known for keeps its caption as it was; its code leads the details, so that
// it can be looked up.
std::string objectDetailsShown(const SavedObject& object, const std::string& type) {
    std::string details = objectDetailText(object.details);
    if (type != " ") {
        return details;
    }
    std::string code = "type code " + typeCodeText(object.typeCode);
    return details.empty() ? code : code + ", " + details;
}

}  // namespace

std::string objectTypeText(const SavedObject& object) {
    if (object.typeCode == kFileObjectType) {
        return object.attribute;
    }
    for (const ObjectTypeName& known : kObjectTypeNames) {
        if (known.typeCode == object.typeCode) {
            return known.text;
        }
    }
    return " ";
}

std::int32_t shownMemberCount(const SavedObject& object) {
    return object.memberCount > kMaxMembersShown ? 0 : object.memberCount;
}

CatalogTree buildCatalogTree(const Catalog& catalog) {
    CatalogTexts byPair;
    return buildCatalogTree(catalog, byPair);
}

CatalogTree buildCatalogTree(const Catalog& catalog, CatalogTexts& texts) {
    CatalogTree tree;
    tree.utf8 = texts.utf8();
    try {
        const SavedPart& first = checkedAt(catalog.parts, 0, [] { return "the catalog holds no part"; });
        CatalogTreeNode& root = tree.roots.emplace_back(
            CatalogTreeNode{texts.plain("Library(" + first.name + ")"),
                            TreeNodeKind::Library,
                            {},
                            texts.plain(joinedLines(saveDetailLines(catalog.header.details)))});
        for (std::size_t i = 0; i < catalog.parts.size(); ++i) {
            const SavedLibrary& library = catalog.parts[i].library;
            CatalogTreeNode& partNode = root.children.emplace_back(
                CatalogTreeNode{"Part" + std::to_string(i), TreeNodeKind::Part, {}, {}});
            for (std::int32_t j = 0; j < library.objectCount; ++j) {
                const SavedObject& object = checkedAt(library.objects, j, [&] {
                    return "part " + std::to_string(i) + " names " + std::to_string(library.objectCount) +
                           " objects but holds " + std::to_string(library.objects.size());
                });
                std::string type = objectTypeText(object);
                std::string caption = type == " " ? object.name : object.name + "(" + type + ")";
                CatalogTreeNode& objectNode = partNode.children.emplace_back(
                    CatalogTreeNode{texts.plain(caption),
                                    TreeNodeKind::Object,
                                    {},
                                    texts.plain(objectDetailsShown(object, type)),
                                    {},
                                    texts.objectText(object)});
                // A member list cut short shows the members it holds; the rest of the tree
                // does not depend on it.
                std::size_t shown = std::min(static_cast<std::size_t>(std::max(shownMemberCount(object), 0)),
                                             object.members.size());
                for (std::size_t k = 0; k < shown; ++k) {
                    const SavedMember& member = object.members[k];
                    objectNode.children.push_back(CatalogTreeNode{texts.plain(member.name + " "),
                                                                  TreeNodeKind::Member,
                                                                  {},
                                                                  texts.plain(memberDetailText(member)),
                                                                  {},
                                                                  texts.memberText(object, member)});
                }
            }
        }
        tree.complete = true;
    } catch (const std::out_of_range& stop) {
        // The tree ends where it stopped; the reason goes with it.
        tree.stopReason = stop.what();
    }
    return tree;
}

}  // namespace quelvane
