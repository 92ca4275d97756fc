#include <unistd.h>

#include <chrono>
#include <cstddef>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "cli/CliCommand.h"
#include "cli/CliSession.h"
#include "export/IfsEntryExport.h"
#include "extract/ExtractNames.h"
#include "extract/ParallelMemberRuns.h"
#include "extract/SaveFileExtractor.h"
#include "extract/SqliteWriter.h"
#include "savefile/ProgressReporter.h"

namespace quelvane::cli {

namespace {

constexpr int kExitSomeNotExtracted = 3;
constexpr double kMegabyte = 1024.0 * 1024.0;
constexpr auto kProgressInterval = std::chrono::milliseconds(200);

struct ExtractOptions {
    std::filesystem::path to;
    std::filesystem::path sqlite;
    bool quiet = false;
    // The members written at once; 0 until given: the machine's threads.
    std::size_t jobs = 0;
    std::vector<std::string> rest;
};

constexpr std::size_t kMostJobs = 256;

// A count of jobs from 1 to kMostJobs, digits only; 0 for anything else.
std::size_t jobCount(const std::string& text) {
    if (text.empty() || text.size() > 3 || text.find_first_not_of("0123456789") != std::string::npos) {
        return 0;
    }
    const std::size_t count = std::stoul(text);
    return count <= kMostJobs ? count : 0;
}

// Takes --to DIR, --sqlite DB, --jobs N and --quiet out of the arguments; the code-page options
// and the files are left for the session. False after a message for a malformed option.
bool takeExtractOptions(const std::vector<std::string>& arguments, ExtractOptions& options) {
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument == "--quiet") {
            options.quiet = true;
        } else if (argument == "--to" || argument == "--sqlite") {
            if (i + 1 >= arguments.size() || arguments[i + 1].empty()) {
                std::fprintf(stderr, "quelvane-cli: %s needs a path\n", argument.c_str());
                return false;
            }
            (argument == "--to" ? options.to : options.sqlite) = arguments[++i];
        } else if (argument == "--jobs") {
            options.jobs = i + 1 < arguments.size() ? jobCount(arguments[i + 1]) : 0;
            if (options.jobs == 0) {
                std::fprintf(stderr, "quelvane-cli: --jobs needs a count from 1 to %zu\n", kMostJobs);
                return false;
            }
            ++i;
        } else {
            options.rest.push_back(argument);
        }
    }
    return true;
}

// Members done of members total, bytes written and time taken, rewritten in place on a terminal.
class TerminalProgress final : public ProgressReporter {
  public:
    TerminalProgress(const std::string& file, const SaveFileExtractor& extractor, bool shown)
        : file_(file), extractor_(extractor), shown_(shown), start_(std::chrono::steady_clock::now()) {}
    ~TerminalProgress() override {
        if (printed_) {
            std::fputc('\n', stderr);
        }
    }

    void progress(std::int64_t done, std::int64_t total) override {
        const auto now = std::chrono::steady_clock::now();
        if (!shown_ || (printed_ && done < total && now - last_ < kProgressInterval)) {
            return;
        }
        last_ = now;
        printed_ = true;
        const double seconds = std::chrono::duration<double>(now - start_).count();
        std::fprintf(stderr, "\r%s: %lld of %lld members, %.1f MB, %.1f s ", file_.c_str(),
                     static_cast<long long>(done), static_cast<long long>(total),
                     static_cast<double>(extractor_.bytesWritten()) / kMegabyte, seconds);
        std::fflush(stderr);
    }
    bool cancelled() const override { return false; }

  private:
    std::string file_;
    const SaveFileExtractor& extractor_;
    bool shown_;
    bool printed_ = false;
    std::chrono::steady_clock::time_point start_;
    std::chrono::steady_clock::time_point last_;
};

// Extracts one opened save file into `folder`; returns the exit status it contributes.
int extractOne(CliSession& session, const std::string& path, const std::filesystem::path& folder,
               SqliteWriter* database, bool showProgress, std::size_t jobs) {
    SaveFileExtractor extractor(session.catalog(), session.conversion(), session.conversion().PcCodePage);
    extractor.setJobs(jobs);
    if (session.byStoredCcsid(true)) {
        extractor.decodeByStoredCcsid(session.conversion().EbcdicCodePage);
    }
    extractor.setStreamFileWriter(
        [&session](const std::vector<IfsEntry>& entries, const std::filesystem::path& to) {
            return IfsEntryExport::writeEntries(session.openExpandedSource(), *session.catalog().ifs, entries,
                                                to);
        });
    extractor.readThrough(session.sourceOpener());
    if (!session.parseReport().complete()) {
        extractor.setIncomplete(session.parseReport().text());
    }
    const std::string name = std::filesystem::path(path).filename().string();
    TerminalProgress progress(name, extractor, showProgress);
    const ExtractOutcome outcome = extractor.run(folder, database, name, progress);
    for (const std::string& failure : outcome.failures) {
        std::fprintf(stderr, "quelvane-cli: %s: not extracted: %s\n", path.c_str(), failure.c_str());
    }
    for (const std::string& failure : outcome.objectFailures) {
        std::fprintf(stderr, "quelvane-cli: %s: note: %s\n", path.c_str(), failure.c_str());
    }
    for (const std::string& note : outcome.notes) {
        std::fprintf(stderr, "quelvane-cli: %s: note: %s\n", path.c_str(), note.c_str());
    }
    return outcome.failures.empty() ? kExitSuccess : kExitSomeNotExtracted;
}

// The worst of two statuses: a file that cannot be read, then one that is not a save file, then
// members that could not be extracted.
int worse(int a, int b) {
    for (int status : {kExitUsage, kExitNotSaveFile, kExitSomeNotExtracted}) {
        if (a == status || b == status) {
            return status;
        }
    }
    return kExitSuccess;
}

}  // namespace

int runExtractCommand(const std::vector<std::string>& arguments) {
    ExtractOptions options;
    CliSession session;
    if (!takeExtractOptions(arguments, options) || !session.takeOptions(options.rest)) {
        return kExitUsage;
    }
    if (options.rest.empty() || options.to.empty()) {
        std::fprintf(stderr, "Usage: quelvane-cli %s\n", kExtractUsage);
        return kExitUsage;
    }
    if (!session.startConversion()) {
        return kExitUsage;
    }
    SqliteWriter database;
    try {
        if (!options.sqlite.empty()) {
            database.open(options.sqlite);
        }
    } catch (const std::exception& failure) {
        std::fprintf(stderr, "quelvane-cli: %s\n", failure.what());
        return kExitUsage;
    }
    const bool showProgress = !options.quiet && ::isatty(STDERR_FILENO) != 0;
    const bool several = options.rest.size() > 1;
    ExtractNames folders;
    int status = kExitSuccess;
    for (const std::string& path : options.rest) {
        const int opened = session.openSaveFile(path);
        if (opened != kExitSuccess) {
            status = worse(status, opened);
            continue;
        }
        const std::filesystem::path folder =
            several
                ? options.to /
                      folders.unique(ExtractNames::safePart(std::filesystem::path(path).filename().string()))
                : options.to;
        status = worse(
            status, extractOne(session, path, folder, database.isOpen() ? &database : nullptr, showProgress,
                               options.jobs > 0 ? options.jobs : ParallelMemberRuns::hardwareWorkers()));
    }
    try {
        database.commit();
    } catch (const std::exception& failure) {
        std::fprintf(stderr, "quelvane-cli: %s\n", failure.what());
        status = worse(status, kExitSomeNotExtracted);
    }
    return status;
}

}  // namespace quelvane::cli
