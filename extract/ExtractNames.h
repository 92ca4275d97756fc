#pragma once

#include <map>
#include <set>
#include <string>
#include <utility>

namespace quelvane {

// The names an extraction gives out within one folder (or one database): names from the save
// file made safe for a file system as the batch export makes them, and kept apart when two of
// them come out the same. Names compare without regard to ASCII letter case, as they would on
// the file systems the results are often copied to and as SQLite compares table names.
class ExtractNames {
  public:
    // `name` (UTF-8) as one file-name part: every separator and every character a file system
    // refuses becomes "_", as in the batch export; a name that is empty or only periods ("."
    // and ".." name folders) has each period replaced by "_", or is "_" when empty. Such a part
    // joined to a folder never leaves it.
    static std::string safePart(const std::string& name);

    // `stem` + `extension`, or, when that was given out already, `stem` + "_2" + `extension`,
    // "_3" and so on: the first not given out. The name returned counts as given out.
    std::string unique(const std::string& stem, const std::string& extension = "");

    // Counts `name` as given out without handing it out (reserved names).
    void reserve(const std::string& name);

  private:
    static std::string folded(const std::string& name);

    std::set<std::string> taken_;
    // Per folded stem and extension, the suffix the next search starts from.
    std::map<std::pair<std::string, std::string>, int> nextSuffix_;
};

}  // namespace quelvane
