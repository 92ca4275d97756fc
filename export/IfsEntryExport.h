#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "savefile/BlockSource.h"
#include "savefile/IfsCatalog.h"

namespace quelvane {

// Writes stream files and directories of a save of the integrated file system byte for byte.
// Names read from the save are hostile input: one that could leave the chosen folder ("..", "/"
// inside a name, NUL) is never written, and says so.
class IfsEntryExport {
  public:
    enum class Kind { None, Directory, Entry };
    // Told after each entry; answers false to stop.
    using Progress = std::function<bool(std::size_t done, std::size_t total)>;

    IfsEntryExport(BlockSource& source, const IfsCatalog& ifs) : source_(source), ifs_(ifs) {}

    // What `path` names: a directory ("/", a directory entry, or a path that entries lie below),
    // one entry, or nothing. A trailing "/" is allowed.
    Kind kindOf(const std::string& path) const;

    // A stream file into the file `target`; a directory and everything below it into the folder
    // `target`. True when everything was written; failures() says what was not.
    bool write(const std::string& path, const std::filesystem::path& target, const Progress& progress = {});

    // Extraction's writer: `entries`, chosen from `ifs`, below `folder` as the root's contents.
    // Answers the paths not written, and adds why to `failures` when given; a source that did
    // not open writes nothing.
    static std::vector<std::string> writeEntries(const std::unique_ptr<BlockSource>& source,
                                                 const IfsCatalog& ifs, const std::vector<IfsEntry>& entries,
                                                 const std::filesystem::path& folder,
                                                 std::vector<std::string>* failures = nullptr);

    // Where the window writes `path` in the chosen `folder`: under its own name, the root as the
    // folder itself; empty when the name cannot be a file name here.
    static std::filesystem::path targetIn(const std::filesystem::path& folder, const std::string& path);

    // One line per entry not written, naming the entry and why.
    const std::vector<std::string>& failures() const { return failures_; }
    // The paths of the entries a directory's write left out.
    const std::vector<std::string>& notWritten() const { return notWritten_; }
    std::size_t filesWritten() const { return filesWritten_; }
    bool cancelled() const { return cancelled_; }

  private:
    bool writeEntry(const IfsEntry& entry, const std::filesystem::path& target);
    bool writeDirectory(const std::string& path, const std::filesystem::path& target,
                        const Progress& progress);

    BlockSource& source_;
    const IfsCatalog& ifs_;
    std::vector<std::string> failures_;
    std::vector<std::string> notWritten_;
    std::size_t filesWritten_ = 0;
    bool cancelled_ = false;
};

}  // namespace quelvane
