#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "savefile/OutputFolder.h"
#include "sources/GitCommand.h"
#include "sources/SourceLayout.h"
#include "sources/SourceProjectWriter.h"

namespace quelvane {

struct SourceRunReport {
    // Members and files not written, saves not taken; any makes the run incomplete.
    std::vector<std::string> failures;
    std::vector<std::string> notes;
    // One line per commit made: its short hash and first line.
    std::vector<std::string> commits;
    // Nothing was written: the reason is the first failure.
    bool refused = false;
};

// Writes a series of saves into one project folder in the order of their save dates: each save
// leaves the folder as its libraries were when it was made (members a later save lacks are
// removed). With git, the folder is a repository and each save one commit, dated when the save
// was made.
class SourceHistory {
  public:
    // Opens one save and writes it (SourceProjectWriter) below `root` by `layout`.
    using SaveWriter =
        std::function<SourceProjectOutcome(const SaveSummary& save, const OutputFolder& root,
                                           const SourceLayout& layout, const SourceProjectOptions& options)>;

    SourceHistory(std::filesystem::path project, SaveWriter writer);

    // Into a plain folder. A file already there is replaced only with `force` or in a git
    // repository's work tree.
    SourceRunReport writeSaves(const std::vector<SaveSummary>& saves, bool force, bool withLineDates);

    // Into a git repository, created where there is none. A save older than the repository's
    // last commit is refused, and the whole run with it, unless `reorder`: then the history is
    // made again with the new saves in their places, the former one kept under
    // refs/quelvane/before-reorder.
    SourceRunReport commitSaves(const std::vector<SaveSummary>& saves, bool reorder, bool withLineDates,
                                const std::string& gitProgram = "git");

    // The first line of a commit of `save`: "LIBRARY saved on SYSTEM at DATE from FILE".
    static std::string subject(const SaveSummary& save);

  private:
    struct OldCommit;
    struct Step;

    void commitSave(const SaveSummary& save, const SourceLayout& layout, bool withLineDates);
    void commitStaged(const std::string& subjectLine, const std::map<std::string, std::string>& dates,
                      const std::string& fileName);
    std::vector<OldCommit> oldCommits();
    void rebuild(const std::vector<SaveSummary>& saves, const std::vector<OldCommit>& old,
                 const SourceLayout& layout, bool withLineDates);
    void replay(const OldCommit& commit, const SourceLayout& layout);
    std::set<std::string> tracked(const std::vector<std::string>& pathspec);
    // Runs `git COMMAND -- PATHS` over `paths`, a bounded number at a time.
    void inChunks(const std::vector<std::string>& command, const std::vector<std::string>& paths);
    // Removes `relative` below the project folder without following a link.
    void removeFile(const std::string& relative);
    void takeOutcome(const SourceProjectOutcome& outcome, const std::string& fileName);

    std::filesystem::path project_;
    SaveWriter writer_;
    OutputFolder root_;
    std::unique_ptr<GitCommand> git_;
    SourceRunReport report_;
};

}  // namespace quelvane
