#include "savefile/CatalogTree.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <stdexcept>

namespace quelvane {

namespace {

constexpr std::int32_t kMaxMembersShown = 1000;
constexpr int kFileTypeCode = 0x1901;

enum TreeImage {
    kLibraryImage = 0,
    kLibrarySelected = 1,
    kPartImage = 2,
    kPartSelected = 3,
    kObjectImage = 4,
    kObjectSelected = 5,
    kMemberImage = 0
};

struct TypeText {
    int typeCode;
    const char* text;
};

constexpr std::array<TypeText, 18> kTypeTexts = {{
    {0x0201, "PGM"},
    {0x0202, "SQLPKG"},
    {0x0203, "SRVPGM"},
    {0x0301, "MODULE"},
    {0x0401, "LIB"},
    {0x0701, "JRNRCV"},
    {0x0901, "JRN"},
    {0x0A01, "DTAQ"},
    {0x0E01, "JOBQ"},
    {0x0E02, "OUTQ"},
    {0x0E03, "MSGF"},
    {0x1902, "MSGQ"},
    {0x1903, "JOBD"},
    {0x1905, "CMD"},
    {0x190A, "DTAARA"},
    {0x1915, "PNLGRP"},
    {0x1916, "MENU"},
    {0x1934, "USRSPC"},
}};

template <typename T>
T& checkedAt(std::vector<T>& items, std::int64_t index) {
    if (index < 0 || index >= static_cast<std::int64_t>(items.size())) {
        throw std::out_of_range("catalog index outside its array");
    }
    return items[static_cast<std::size_t>(index)];
}

}  // namespace

std::string objectTypeText(const SavedObject& object) {
    int type = typeValue(object.typeCode);
    if (type == kFileTypeCode) {
        return object.attribute;
    }
    for (const TypeText& known : kTypeTexts) {
        if (known.typeCode == type) {
            return known.text;
        }
    }
    return " ";
}

CatalogTree buildCatalogTree(Catalog& catalog) {
    CatalogTree tree;
    try {
        const SavedPart& first = checkedAt(catalog.parts, 0);
        CatalogTreeNode& root = tree.roots.emplace_back(
            CatalogTreeNode{"Library(" + first.name + ")", kLibraryImage, kLibrarySelected, {}});
        for (std::size_t i = 0; i < catalog.parts.size(); ++i) {
            SavedLibrary& library = catalog.parts[i].library;
            CatalogTreeNode& partNode = root.children.emplace_back(
                CatalogTreeNode{"Part" + std::to_string(i), kPartImage, kPartSelected, {}});
            for (std::int32_t j = 0; j < library.objectCount; ++j) {
                SavedObject& object = checkedAt(library.objects, j);
                std::string type = objectTypeText(object);
                std::string caption = type == " " ? object.name : object.name + "(" + type + ")";
                CatalogTreeNode& objectNode = partNode.children.emplace_back(
                    CatalogTreeNode{caption, kObjectImage, kObjectSelected, {}});
                if (object.memberCount > kMaxMembersShown) {
                    object.memberCount = 0;
                }
                // A member list cut short shows the members it holds; the rest of the tree
                // does not depend on it.
                std::size_t shown = std::min(static_cast<std::size_t>(std::max(object.memberCount, 0)),
                                             object.members.size());
                for (std::size_t k = 0; k < shown; ++k) {
                    const SavedMember& member = object.members[k];
                    objectNode.children.push_back(
                        CatalogTreeNode{member.name + " ", kMemberImage, kMemberImage, {}});
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
