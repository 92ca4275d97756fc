#pragma once

#include <string_view>

#include "views/FieldDecoder.h"

namespace quelvane {

// A field's value as it loads into a database column: its text (UTF-8) and the kind of value.
struct LoadedValue {
    std::string_view text;
    LoadedKind kind = LoadedKind::Text;
};

}  // namespace quelvane
