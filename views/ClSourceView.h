#pragma once

#include <optional>
#include <string>
#include <vector>

#include "savefile/Catalog.h"
#include "views/ViewSession.h"

namespace quelvane {

// The source a CL program carries: none when it was compiled without source retrieval allowed.
struct ClSource {
    bool retrievable = false;
    std::vector<std::string> lines;  // converted, in the PC code page
};

// The program's stored source statements. Nothing when its stored data cannot be found or its
// pointer block names no place in the file.
std::optional<ClSource> readClSource(const ViewSession& session, const SavedObject& object);

// Lists the source statements a CL program carries when it was compiled with source retrieval
// allowed, below a three-line banner; the list was cleared by the caller.
void showClSource(ViewSession& session, const SavedObject& object);

}  // namespace quelvane
