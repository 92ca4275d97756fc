#pragma once

#include <string>

#include "savefile/IntegrityCheck.h"

namespace quelvane {

// An integrity report as one JSON object: the verdict, the record counts, each run of records
// that is not intact (first, last, offset, fault), the grid's shifts, the segments whose coded
// data does not expand, how reading the catalog ended, and the report's lines as the text shows
// them.
class IntegrityJson {
  public:
    static std::string of(const std::string& path, const IntegrityReport& report);
};

}  // namespace quelvane
