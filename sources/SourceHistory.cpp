#include "sources/SourceHistory.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <stdexcept>

#include "savefile/FailureReason.h"
#include "sources/SourceManifest.h"

namespace quelvane {

namespace {

// Paths given to one git command: far below any limit on the length of a command line.
constexpr std::size_t kPathsPerCommand = 500;
constexpr const char* kBeforeReorder = "refs/quelvane/before-reorder";
constexpr const char* kSubjectJoint = " saved on ";
constexpr const char* kUnknownSystem = "an unnamed system";

std::string literal(const std::string& path) {
    return ":(literal)" + path;
}

// NUL-separated output of git, in pieces.
std::vector<std::string> nulSeparated(const std::string& text) {
    std::vector<std::string> items;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\0', start);
        if (end == std::string::npos) {
            end = text.size();
        }
        items.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return items;
}

// The files of a project that are not members: the JSON files beside them.
bool isMemberFile(const std::string& path) {
    const std::string name = path.substr(path.rfind('/') == std::string::npos ? 0 : path.rfind('/') + 1);
    const std::string folder = std::string(SourceManifest::kFolderName) + "/";
    return name != SourceManifest::kIbmiJsonName && name != SourceManifest::kProjectName &&
           !path.starts_with(folder) && path.find("/" + folder) == std::string::npos;
}

std::string folderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

std::string nameOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The files of `tracked` an earlier save wrote: those of a folder with a .ibmi.json, and the
// JSON files of a library. Whatever else a person keeps in the repository stays.
std::set<std::string> ownFiles(const std::set<std::string>& tracked) {
    std::set<std::string> sourceFolders;
    for (const std::string& path : tracked) {
        if (nameOf(path) == SourceManifest::kIbmiJsonName && !folderOf(path).empty()) {
            sourceFolders.insert(folderOf(path));
        }
    }
    const std::string manifest =
        std::string(SourceManifest::kFolderName) + "/" + SourceManifest::kMembersName;
    std::set<std::string> own;
    for (const std::string& path : tracked) {
        if (sourceFolders.contains(folderOf(path)) || path == manifest || path.ends_with("/" + manifest) ||
            nameOf(path) == SourceManifest::kProjectName) {
            own.insert(path);
        }
    }
    return own;
}

std::string dateOf(std::int64_t seconds) {
    return std::to_string(seconds) + " +0000";
}

std::map<std::string, std::string> commitDates(const std::string& author, const std::string& committer) {
    return {{"GIT_AUTHOR_DATE", author}, {"GIT_COMMITTER_DATE", committer}};
}

bool insideGitWorkTree(std::filesystem::path folder) {
    std::error_code error;
    folder = std::filesystem::absolute(folder, error);
    for (std::filesystem::path at = folder; !at.empty(); at = at.parent_path()) {
        if (std::filesystem::exists(at / ".git", error)) {
            return true;
        }
        if (at == at.parent_path()) {
            break;
        }
    }
    return false;
}

// "Members added (2):" and the paths, for a commit message.
void listChanges(std::string& message, const char* caption, const std::vector<std::string>& paths) {
    if (paths.empty()) {
        return;
    }
    message += std::string("\n") + caption + " (" + std::to_string(paths.size()) + "):\n";
    for (const std::string& path : paths) {
        message += "  " + path + "\n";
    }
}

}  // namespace

struct SourceHistory::OldCommit {
    std::string hash;
    std::string authorDate;
    std::string committerDate;
    std::int64_t seconds = 0;
    std::string message;
    std::vector<std::string> libraries;
};

struct SourceHistory::Step {
    const SaveSummary* save = nullptr;
    const OldCommit* old = nullptr;
    std::int64_t seconds = 0;
};

SourceHistory::SourceHistory(std::filesystem::path project, SaveWriter writer)
    : project_(std::move(project)), writer_(std::move(writer)) {}

std::string SourceHistory::subject(const SaveSummary& save) {
    std::string libraries;
    for (const std::string& library : save.libraries) {
        libraries += (libraries.empty() ? "" : ", ") + library;
    }
    return libraries + kSubjectJoint + (save.system.empty() ? kUnknownSystem : save.system) + " at " +
           (save.savedAt ? save.savedAt->text() : std::string("an unknown date")) + " from " + save.fileName;
}

void SourceHistory::takeOutcome(const SourceProjectOutcome& outcome, const std::string& fileName) {
    for (const std::string& failure : outcome.failures) {
        report_.failures.push_back(fileName + ": " + failure);
    }
    for (const std::string& note : outcome.notes) {
        report_.notes.push_back(fileName + ": " + note);
    }
}

void SourceHistory::removeFile(const std::string& relative) {
    const std::filesystem::path path(relative);
    std::string why;
    const OutputFolder folder = root_.below(OutputFolder::namesOf(path.parent_path()), false, why);
    if (!folder.isOpen() || ::unlinkat(folder.descriptor(), path.filename().c_str(), 0) != 0) {
        report_.failures.push_back(relative + ": not removed: " + (why.empty() ? std::strerror(errno) : why));
    }
}

SourceRunReport SourceHistory::writeSaves(const std::vector<SaveSummary>& saves, bool force,
                                          bool withLineDates) {
    report_ = SourceRunReport();
    std::string why;
    root_ = OutputFolder::open(project_, true, why);
    if (!root_.isOpen()) {
        report_.failures.push_back(why);
        report_.refused = true;
        return report_;
    }
    std::vector<SaveSummary> undated;
    std::vector<SaveSummary> inOrder = SourceLayout::ordered(saves, undated);
    inOrder.insert(inOrder.end(), undated.begin(), undated.end());
    const SourceLayout layout(project_, inOrder);
    SourceProjectOptions options;
    options.replaceExisting = force || insideGitWorkTree(project_);
    options.withLineDates = withLineDates;
    options.reservedAtRoot = layout.subfolders();
    std::set<std::string> written;
    std::map<std::string, std::set<std::string>> filesOf;
    for (const SaveSummary& save : inOrder) {
        options.writtenBefore = &written;
        const SourceProjectOutcome outcome = writer_(save, root_, layout, options);
        takeOutcome(outcome, save.fileName);
        for (const SourceLibraryOutcome& library : outcome.libraries) {
            std::set<std::string> now(library.files.begin(), library.files.end());
            now.insert(library.kept.begin(), library.kept.end());
            for (const std::string& earlier : filesOf[library.library]) {
                if (!now.contains(earlier)) {
                    removeFile(earlier);
                }
            }
            written.insert(library.files.begin(), library.files.end());
            filesOf[library.library] = std::move(now);
        }
    }
    return report_;
}

std::set<std::string> SourceHistory::tracked(const std::vector<std::string>& pathspec) {
    std::vector<std::string> command = {"ls-files", "-z", "--"};
    command.insert(command.end(), pathspec.begin(), pathspec.end());
    const std::vector<std::string> paths = nulSeparated(git_->require(command));
    return std::set<std::string>(paths.begin(), paths.end());
}

void SourceHistory::inChunks(const std::vector<std::string>& command, const std::vector<std::string>& paths) {
    for (std::size_t start = 0; start < paths.size(); start += kPathsPerCommand) {
        std::vector<std::string> arguments = command;
        arguments.push_back("--");
        const std::size_t end = std::min(paths.size(), start + kPathsPerCommand);
        for (std::size_t i = start; i < end; ++i) {
            arguments.push_back(literal(paths[i]));
        }
        git_->require(arguments);
    }
}

void SourceHistory::commitSave(const SaveSummary& save, const SourceLayout& layout, bool withLineDates) {
    std::set<std::string> before;
    for (const std::string& library : save.libraries) {
        const std::set<std::string> files = ownFiles(tracked(layout.pathspec(library)));
        before.insert(files.begin(), files.end());
    }
    SourceProjectOptions options;
    options.replaceExisting = true;
    options.withLineDates = withLineDates;
    options.reservedAtRoot = layout.subfolders();
    const SourceProjectOutcome outcome = writer_(save, root_, layout, options);
    takeOutcome(outcome, save.fileName);
    std::vector<std::string> written;
    for (const SourceLibraryOutcome& library : outcome.libraries) {
        written.insert(written.end(), library.files.begin(), library.files.end());
        for (const std::string& kept : library.kept) {
            before.erase(kept);
        }
    }
    for (const std::string& path : written) {
        before.erase(path);
    }
    inChunks({"rm", "-q", "-f", "--ignore-unmatch"}, std::vector<std::string>(before.begin(), before.end()));
    inChunks({"add", "-f"}, written);
    const std::string date = dateOf(SourceLayout::unixSeconds(*save.savedAt));
    commitStaged(subject(save), commitDates(date, date), save.fileName);
}

void SourceHistory::commitStaged(const std::string& subjectLine,
                                 const std::map<std::string, std::string>& dates,
                                 const std::string& fileName) {
    const std::vector<std::string> status =
        nulSeparated(git_->require({"diff", "--cached", "--name-status", "--no-renames", "-z"}));
    if (status.empty()) {
        report_.notes.push_back(fileName + ": nothing changed since the last commit; no commit made");
        return;
    }
    std::vector<std::string> added;
    std::vector<std::string> removed;
    std::vector<std::string> changed;
    for (std::size_t i = 0; i + 1 < status.size(); i += 2) {
        const std::string& path = status[i + 1];
        if (isMemberFile(path)) {
            (status[i] == "A" ? added : status[i] == "D" ? removed : changed).push_back(path);
        }
    }
    std::string message = subjectLine + "\n";
    listChanges(message, "Members added", added);
    listChanges(message, "Members removed", removed);
    listChanges(message, "Members changed", changed);
    if (added.empty() && removed.empty() && changed.empty()) {
        message += "\nNo member changed; only what is recorded about them.\n";
    }
    git_->require({"commit", "-q", "--no-verify", "-m", message}, dates);
    const std::string line = git_->require({"log", "-1", "--format=%h %s"});
    report_.commits.push_back(line.substr(0, line.find('\n')));
}

SourceRunReport SourceHistory::commitSaves(const std::vector<SaveSummary>& saves, bool reorder,
                                           bool withLineDates, const std::string& gitProgram) {
    report_ = SourceRunReport();
    std::string why;
    root_ = OutputFolder::open(project_, true, why);
    if (!root_.isOpen()) {
        report_.failures.push_back(why);
        report_.refused = true;
        return report_;
    }
    git_ = std::make_unique<GitCommand>(project_, gitProgram);
    std::vector<SaveSummary> undated;
    const std::vector<SaveSummary> inOrder = SourceLayout::ordered(saves, undated);
    for (const SaveSummary& save : undated) {
        report_.failures.push_back(save.fileName +
                                   ": the save records no date, so its place in the history is unknown; not "
                                   "committed");
    }
    try {
        std::error_code error;
        if (!std::filesystem::exists(project_ / ".git", error)) {
            git_->require({"init", "-q", "--initial-branch=main"});
        }
        const std::vector<OldCommit> old = oldCommits();
        std::vector<std::string> oldLibraries;
        for (const OldCommit& commit : old) {
            oldLibraries.insert(oldLibraries.end(), commit.libraries.begin(), commit.libraries.end());
        }
        const SourceLayout layout(project_, inOrder, oldLibraries);
        const std::int64_t last = old.empty() ? INT64_MIN : old.back().seconds;
        const auto older = std::find_if(inOrder.begin(), inOrder.end(), [last](const SaveSummary& save) {
            return SourceLayout::unixSeconds(*save.savedAt) < last;
        });
        if (older != inOrder.end() && !reorder) {
            report_.refused = true;
            report_.failures.insert(report_.failures.begin(),
                                    older->fileName + " was saved at " + older->savedAt->text() +
                                        ", before the repository's last commit; nothing was written "
                                        "(--reorder rebuilds the history with it in its place)");
            return report_;
        }
        if (older != inOrder.end()) {
            rebuild(inOrder, old, layout, withLineDates);
        } else {
            for (const SaveSummary& save : inOrder) {
                commitSave(save, layout, withLineDates);
            }
        }
    } catch (const std::exception& failure) {
        report_.failures.push_back(failureReason(failure));
    }
    return report_;
}

// The commits of the current branch, oldest first, each with the libraries its first line names.
std::vector<SourceHistory::OldCommit> SourceHistory::oldCommits() {
    if (!git_->run({"rev-parse", "-q", "--verify", "HEAD"}).ok()) {
        return {};
    }
    std::vector<OldCommit> commits;
    const std::string hashes = git_->require({"rev-list", "--first-parent", "--reverse", "HEAD"});
    std::size_t start = 0;
    while (start < hashes.size()) {
        const std::size_t end = hashes.find('\n', start);
        OldCommit commit;
        commit.hash = hashes.substr(start, end - start);
        start = end == std::string::npos ? hashes.size() : end + 1;
        const std::vector<std::string> fields = nulSeparated(
            git_->require({"log", "-1", "--date=raw", "--format=%ad%x00%cd%x00%at%x00%B", commit.hash}));
        if (fields.size() < 4) {
            throw std::runtime_error("git log gave no date for commit " + commit.hash);
        }
        commit.authorDate = fields[0];
        commit.committerDate = fields[1];
        commit.seconds = std::stoll(fields[2]);
        commit.message = fields[3];
        const std::size_t joint = commit.message.find(kSubjectJoint);
        std::string names = commit.message.substr(0, std::min(joint, commit.message.find('\n')));
        for (std::size_t from = 0; joint != std::string::npos && from <= names.size();) {
            const std::size_t comma = std::min(names.find(", ", from), names.size());
            commit.libraries.push_back(names.substr(from, comma - from));
            from = comma + 2;
        }
        commits.push_back(std::move(commit));
    }
    return commits;
}

// Each earlier commit is made again with its message and dates, its libraries' files as it had
// them; each new save is committed in its place.
void SourceHistory::rebuild(const std::vector<SaveSummary>& saves, const std::vector<OldCommit>& old,
                            const SourceLayout& layout, bool withLineDates) {
    std::vector<Step> steps;
    for (const OldCommit& commit : old) {
        if (commit.libraries.empty()) {
            throw std::runtime_error("commit " + commit.hash.substr(0, 12) +
                                     " was not made from a save, so --reorder cannot place it; nothing was "
                                     "changed");
        }
        steps.push_back({nullptr, &commit, commit.seconds});
    }
    for (const SaveSummary& save : saves) {
        steps.push_back({&save, nullptr, SourceLayout::unixSeconds(*save.savedAt)});
    }
    std::stable_sort(steps.begin(), steps.end(),
                     [](const Step& a, const Step& b) { return a.seconds < b.seconds; });
    git_->require({"update-ref", kBeforeReorder, "HEAD"});
    git_->require({"update-ref", "-d", "HEAD"});
    git_->require({"rm", "-r", "-q", "-f", "--ignore-unmatch", "--", "."});
    report_.notes.push_back(std::string("history rebuilt; the former one is kept as ") + kBeforeReorder);
    for (const Step& step : steps) {
        if (step.save != nullptr) {
            commitSave(*step.save, layout, withLineDates);
        } else {
            replay(*step.old, layout);
        }
    }
}

void SourceHistory::replay(const OldCommit& commit, const SourceLayout& layout) {
    for (const std::string& library : commit.libraries) {
        const std::vector<std::string> spec = layout.pathspec(library);
        std::vector<std::string> remove = {"rm", "-r", "-q", "-f", "--ignore-unmatch", "--"};
        remove.insert(remove.end(), spec.begin(), spec.end());
        git_->require(remove);
        std::vector<std::string> checkout = {"checkout", commit.hash, "--"};
        checkout.insert(checkout.end(), spec.begin(), spec.end());
        git_->require(checkout);
    }
    const std::string subjectLine = commit.message.substr(0, commit.message.find('\n'));
    git_->require({"commit", "-q", "--no-verify", "--allow-empty", "-m", commit.message},
                  commitDates(commit.authorDate, commit.committerDate));
    const std::string line = git_->require({"log", "-1", "--format=%h %s"});
    report_.commits.push_back(line.substr(0, line.find('\n')));
}

}  // namespace quelvane
