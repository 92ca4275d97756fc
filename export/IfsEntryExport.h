#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "savefile/BlockSource.h"
#include "savefile/IfsCatalog.h"
#include "savefile/OutputFolder.h"

namespace quelvane {

// Writes stream files and directories of a save of the integrated file system byte for byte.
// Names read from the save are hostile input: one that could leave the chosen folder ("..", "/"
// inside a name, NUL) is never written, and says so. Below the chosen folder nothing is opened
// through a link, each stream file appears under its name only once whole, two entries of the
// same path get distinct names ("a.gif", "a_2.gif"), and a file already there is replaced only
// when the caller allows it.
class IfsEntryExport {
  public:
    enum class Kind { None, Directory, Entry };
    // Told after each entry; answers false to stop.
    using Progress = std::function<bool(std::size_t done, std::size_t total)>;

    // What extraction's writer did with the entries it was given, in their order.
    struct Written {
        // The file or folder written for each entry, relative to the folder and '/'-separated;
        // empty for an entry not written.
        std::vector<std::string> files;
        // One line per entry not written, naming the entry and why, and per entry written under
        // another name than its own.
        std::vector<std::string> failures;
        std::vector<std::string> renamed;
        // The files of an earlier run that were replaced, relative to the folder.
        std::vector<std::string> replaced;
    };

    IfsEntryExport(BlockSource& source, const IfsCatalog& ifs) : source_(source), ifs_(ifs) {}

    // Whether existing regular files in the target may be replaced; by default they are left as
    // they are and reported. Links are never written through either way.
    void setReplaceExisting(bool replace) { replaceExisting_ = replace; }

    // What `path` names: a directory ("/", a directory entry, or a path that entries lie below),
    // one entry, or nothing. A trailing "/" is allowed.
    Kind kindOf(const std::string& path) const;

    // A stream file into the file `target`; a directory and everything below it into the folder
    // `target`. True when everything was written; failures() says what was not.
    bool write(const std::string& path, const std::filesystem::path& target, const Progress& progress = {});

    // Extraction's writer: `entries`, chosen from `ifs`, below `folder` as the root's contents;
    // existing regular files are replaced (and listed). A source that did not open writes
    // nothing.
    static Written writeEntries(const std::unique_ptr<BlockSource>& source, const IfsCatalog& ifs,
                                const std::vector<IfsEntry>& entries, const std::filesystem::path& folder);

    // Where the window writes `path` in the chosen `folder`: under its own name, the root as the
    // folder itself; empty when the name cannot be a file name here.
    static std::filesystem::path targetIn(const std::filesystem::path& folder, const std::string& path);

    // One line per entry not written, naming the entry and why.
    const std::vector<std::string>& failures() const { return failures_; }
    // The paths of the entries a directory's write left out.
    const std::vector<std::string>& notWritten() const { return notWritten_; }
    // Per entry of the catalog, what a directory's write wrote for it (see Written::files).
    const std::vector<std::string>& writtenFiles() const { return writtenFiles_; }
    // "PATH: written as FILE" for every entry whose name was taken by an earlier one.
    const std::vector<std::string>& renamed() const { return renamed_; }
    // The existing files that were replaced.
    const std::vector<std::string>& replaced() const { return replaced_; }
    std::size_t filesWritten() const { return filesWritten_; }
    bool cancelled() const { return cancelled_; }

  private:
    bool writeDirectory(const std::string& path, const std::filesystem::path& target,
                        const Progress& progress);
    bool writeBelow(const OutputFolder& root, std::size_t index, const std::vector<std::string>& names);
    bool writeStreamFile(const IfsEntry& entry, const OutputFolder& folder, const std::string& name);
    std::string freeName(const std::string& folder, const std::string& name);
    void failure(const IfsEntry& entry, const std::string& why);

    BlockSource& source_;
    const IfsCatalog& ifs_;
    bool replaceExisting_ = false;
    std::vector<std::string> failures_;
    std::vector<std::string> notWritten_;
    std::vector<std::string> writtenFiles_;
    std::vector<std::string> renamed_;
    std::vector<std::string> replaced_;
    // The names given out in this run, per folder relative to the target.
    std::map<std::string, std::set<std::string>> taken_;
    std::size_t filesWritten_ = 0;
    bool cancelled_ = false;
};

}  // namespace quelvane
