#include "views/ObjectList.h"

#include <algorithm>
#include <filesystem>

#include "savefile/CatalogTree.h"
#include "savefile/DetailText.h"

namespace quelvane {

namespace {

std::size_t countOf(std::size_t held, std::int32_t stated) {
    return std::min(held, static_cast<std::size_t>(std::max(stated, 0)));
}

// The names of the saved libraries, each once, in part order: a library saved in several parts
// names each part.
std::vector<std::string> libraryNames(const Catalog& catalog, PcTextToUtf8& utf8) {
    std::vector<std::string> names;
    for (const SavedPart& part : catalog.parts) {
        std::string name = utf8.toUtf8(part.library.name);
        if (!name.empty() && std::find(names.begin(), names.end(), name) == names.end()) {
            names.push_back(std::move(name));
        }
    }
    return names;
}

std::vector<std::string> headerLinesOf(const Catalog& catalog, PcTextToUtf8& utf8) {
    std::vector<std::string> lines;
    const std::string file = std::filesystem::path(catalog.path).filename().string();
    // The file's name is this machine's, UTF-8 already; the names read from the save are not.
    if (!file.empty()) {
        lines.push_back("Save file " + file);
    }
    const std::vector<std::string> libraries = libraryNames(catalog, utf8);
    if (!libraries.empty()) {
        std::string line = libraries.size() == 1 ? "Library " : "Libraries ";
        for (std::size_t i = 0; i < libraries.size(); ++i) {
            line += (i == 0 ? "" : ", ") + libraries[i];
        }
        lines.push_back(line);
    }
    for (const std::string& line : saveDetailLines(catalog.header.details)) {
        lines.push_back(utf8.toUtf8(line));
    }
    return lines;
}

ObjectListRow rowOf(const SavedObject& object, PcTextToUtf8& utf8, CatalogTexts* texts) {
    ObjectListRow row;
    row.name = utf8.toUtf8(object.name);
    // A type without a known text is shown by its code, which is what a reader can look up.
    const std::string type = objectTypeText(object);
    row.type =
        type.find_first_not_of(' ') == std::string::npos ? typeCodeText(object.typeCode) : utf8.toUtf8(type);
    row.attribute = utf8.toUtf8(object.attribute);
    row.owner = object.details.owner ? utf8.toUtf8(*object.details.owner) : std::string();
    row.size = object.details.size;
    row.created = object.details.created;
    row.text = texts != nullptr && texts->utf8() ? texts->objectText(object) : utf8.toUtf8(object.text);
    return row;
}

// An entry of an integrated-file-system save lists by its path; the save holds no creation time
// for it, and why it cannot be read stands in the text column.
ObjectListRow rowOf(const IfsEntry& entry, PcTextToUtf8& utf8) {
    ObjectListRow row;
    row.name = entry.path;
    row.type = utf8.toUtf8(entry.typeText);
    row.owner = entry.owner ? utf8.toUtf8(*entry.owner) : std::string();
    if (entry.kind == IfsEntry::Kind::StreamFile) {
        row.size = static_cast<std::int64_t>(entry.size);
    }
    row.text = entry.problem;
    return row;
}

}  // namespace

ObjectList ObjectList::of(const Catalog& catalog, PcTextToUtf8& utf8) {
    CatalogTexts byThePair;
    return of(catalog, utf8, byThePair);
}

ObjectList ObjectList::of(const Catalog& catalog, PcTextToUtf8& utf8, CatalogTexts& texts) {
    ObjectList list;
    list.headerLines = headerLinesOf(catalog, utf8);
    for (const SavedPart& part : catalog.parts) {
        const std::vector<SavedObject>& objects = part.library.objects;
        for (std::size_t i = 0; i < countOf(objects.size(), part.library.objectCount); ++i) {
            list.rows.push_back(rowOf(objects[i], utf8, &texts));
        }
    }
    if (catalog.ifs) {
        // The save's releases are among the save details already.
        list.headerLines.insert(list.headerLines.begin() + (catalog.path.empty() ? 0 : 1),
                                "Integrated file system save");
        for (const IfsEntry& entry : catalog.ifs->entries) {
            list.rows.push_back(rowOf(entry, utf8));
        }
    }
    return list;
}

}  // namespace quelvane
