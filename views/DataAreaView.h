#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "savefile/Catalog.h"
#include "views/ViewSession.h"

namespace quelvane {

// A data area's stored value: character (text converted to the PC code page) or decimal (packed,
// as plain text with sign and point). A length of 0 means the area has no space.
struct DataAreaValue {
    bool character = true;
    std::int32_t length = 0;
    std::int32_t decimals = 0;
    std::string text;
};

// The value, or nothing when the stored data cannot be found or is of neither kind. Values longer
// than 5000 characters or digits are cut to 5000.
std::optional<DataAreaValue> readDataAreaValue(const ViewSession& session, const SavedObject& object);

// Shows a data area's stored value under a banner and a ruler of character positions, in rows
// of 100 characters; the list was cleared by the caller.
void showDataAreaValue(ViewSession& session, const SavedObject& object);

}  // namespace quelvane
