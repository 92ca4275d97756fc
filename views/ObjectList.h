#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "conversion/PcTextToUtf8.h"
#include "savefile/Catalog.h"
#include "savefile/CatalogTexts.h"

namespace quelvane {

// One object of a save as the object list shows it: what DSPSAVF lists per object. Texts are
// UTF-8; a value the save does not hold is empty.
struct ObjectListRow {
    std::string name;
    std::string type;
    std::string attribute;
    std::string owner;
    std::optional<std::int64_t> size;
    std::optional<SavedTimestamp> created;
    std::string text;
};

// Every object of every part of a save, in catalog order, under the lines that describe the
// save as a whole (file, library, when, where and by which release it was saved); for a save of
// the integrated file system, every entry by its path.
struct ObjectList {
    std::vector<std::string> headerLines;
    std::vector<ObjectListRow> rows;

    // Reads the list out of an opened catalog; the catalog's texts are in the PC code page that
    // `utf8` converts from. Object and part counts are taken no further than the arrays hold.
    static ObjectList of(const Catalog& catalog, PcTextToUtf8& utf8);
    // The same, each object's text as `texts` reads it where they read by stored CCSID.
    static ObjectList of(const Catalog& catalog, PcTextToUtf8& utf8, CatalogTexts& texts);
};

}  // namespace quelvane
