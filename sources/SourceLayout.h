#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "savefile/Catalog.h"
#include "savefile/SavedTimestamp.h"

namespace quelvane {

// What a source project needs to know of a save before reading its members: where it is, when
// and where it was made, and the libraries it holds.
struct SaveSummary {
    // As given, and the file name alone (the commit messages name it).
    std::string path;
    std::string fileName;
    std::optional<SavedTimestamp> savedAt;
    std::string system;
    // UTF-8, each once, in catalog order.
    std::vector<std::string> libraries;

    static SaveSummary of(const Catalog& catalog, const std::string& path, std::int32_t pcCodePage);
};

// Where each library goes in a project folder. One library takes the folder itself: the one the
// folder's iproj.json names, else the only library of the saves written; every other library
// has a folder of its own, its name in lower case (SourceNames).
class SourceLayout {
  public:
    SourceLayout(const std::filesystem::path& project, const std::vector<SaveSummary>& saves,
                 const std::vector<std::string>& moreLibraries = {});

    // Below the project folder; "" for the folder itself.
    std::string folderOf(const std::string& library) const;
    // The folders of the libraries that have their own, for the one at the top to keep clear of.
    std::vector<std::string> subfolders() const;
    // Git pathspecs for a library's files: its folder, or for the library at the top,
    // everything but the other libraries' folders.
    std::vector<std::string> pathspec(const std::string& library) const;

    // The saves in the order of their save dates (those of one date in the order given); the
    // saves without a date are left in `undated`.
    static std::vector<SaveSummary> ordered(std::vector<SaveSummary> saves,
                                            std::vector<SaveSummary>& undated);

    // The library iproj.json names in `project`, if any.
    static std::optional<std::string> projectLibrary(const std::filesystem::path& project);

    // Seconds since 1970-01-01 00:00:00 of `time`, read as UTC (a save records no time zone).
    static std::int64_t unixSeconds(const SavedTimestamp& time);

  private:
    std::string top_;
    bool hasTop_ = false;
    std::map<std::string, std::string> folders_;
};

}  // namespace quelvane
