#pragma once

#include <cstdint>

#include "tests/support/SaveFileBuilder.h"

namespace quelvane::test {

// A field whose entry carries the CCSID `ccsid` and no other facts.
inline BuiltField taggedField(const char* name, std::uint16_t typeCode, std::uint16_t length,
                              std::uint16_t ccsid) {
    BuiltFieldFacts facts;
    facts.ccsid = ccsid;
    return {name, typeCode, length, 0, 0, 0, 0, facts};
}

}  // namespace quelvane::test
