#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "savefile/IfsCatalog.h"
#include "savefile/IfsStreamReader.h"

namespace quelvane::cli {

// Writes the entries of `entries` below the directory `wanted` (whose names are `top`; "/" and
// none for the whole save) into the folder `out`, byte for byte: directories as folders, stream
// files as files. Answers the paths of the entries not written, after saying why on stderr;
// names that could leave the folder are never written.
std::vector<std::string> exportIfsFolder(IfsStreamReader& reader, const std::vector<IfsEntry>& entries,
                                         const std::string& wanted, const std::vector<std::string>& top,
                                         const std::filesystem::path& out);

}  // namespace quelvane::cli
