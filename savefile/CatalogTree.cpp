#include "savefile/CatalogTree.h"

#include <cstdio>
#include <stdexcept>

#include "savefile/DetailText.h"
#include "savefile/TypeCodes.h"

namespace quelvane {

namespace {

constexpr std::int32_t kMaxMembersShown = 1000;
enum TreeImage {
    kLibraryImage = 0,
    kLibrarySelected = 1,
    kPartImage = 2,
    kPartSelected = 3,
    kObjectImage = 4,
    kObjectSelected = 5,
    kMemberImage = 0
};

std::string joinedLines(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) {
        text += text.empty() ? line : "\n" + line;
    }
    return text;
}

template <typename T>
T& checkedAt(std::vector<T>& items, std::int64_t index) {
    if (index < 0 || index >= static_cast<std::int64_t>(items.size())) {
        throw std::out_of_range("catalog index outside its array");
    }
    return items[static_cast<std::size_t>(index)];
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

CatalogTree buildCatalogTree(Catalog& catalog) {
    CatalogTree tree;
    try {
        const SavedPart& first = checkedAt(catalog.parts, 0);
        CatalogTreeNode& root =
            tree.roots.emplace_back(CatalogTreeNode{"Library(" + first.name + ")",
                                                    kLibraryImage,
                                                    kLibrarySelected,
                                                    {},
                                                    joinedLines(saveDetailLines(catalog.header.details))});
        for (std::size_t i = 0; i < catalog.parts.size(); ++i) {
            SavedLibrary& library = catalog.parts[i].library;
            CatalogTreeNode& partNode = root.children.emplace_back(
                CatalogTreeNode{"Part" + std::to_string(i), kPartImage, kPartSelected, {}, {}});
            for (std::int32_t j = 0; j < library.objectCount; ++j) {
                SavedObject& object = checkedAt(library.objects, j);
                std::string type = objectTypeText(object);
                std::string caption = type == " " ? object.name : object.name + "(" + type + ")";
                CatalogTreeNode& objectNode = partNode.children.emplace_back(CatalogTreeNode{
                    caption, kObjectImage, kObjectSelected, {}, objectDetailText(object.details)});
                if (object.memberCount > kMaxMembersShown) {
                    object.memberCount = 0;
                }
                for (std::int32_t k = 0; k < object.memberCount; ++k) {
                    const SavedMember& member = checkedAt(object.members, k);
                    objectNode.children.push_back(CatalogTreeNode{
                        member.name + " ", kMemberImage, kMemberImage, {}, memberDetailText(member)});
                }
            }
        }
        tree.complete = true;
    } catch (const std::out_of_range&) {
        // Ends the tree quietly where it stopped.
    }
    return tree;
}

}  // namespace quelvane
