#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace quelvane {

// Rows of a data member held for the database, their values one after the other and their texts
// in one buffer.
struct SqliteRowBatch {
    // A value of a row.
    struct Value {
        enum class Form { null, integer, text };
        Form form = Form::null;
        // The integer, or where the text stands in `text` and its length.
        std::int64_t integer = 0;
        std::size_t length = 0;
    };
    std::vector<Value> values;
    std::string text;
    std::size_t rows = 0;
};

}  // namespace quelvane
