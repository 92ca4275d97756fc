#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "cli/CliCommand.h"
#include "cli/CliSession.h"
#include "savefile/ProgressReporter.h"
#include "sources/SourceHistory.h"
#include "sources/SourceProjectWriter.h"

namespace quelvane::cli {

namespace {

constexpr int kExitSomeNotWritten = 3;

struct SourcesOptions {
    std::filesystem::path to;
    bool git = false;
    bool reorder = false;
    bool force = false;
    bool withLineDates = false;
    std::vector<std::string> rest;
};

// Takes the options of this command out of the arguments; the code-page options, --inner and
// the files are left for the session. False after a message for a malformed option.
bool takeSourcesOptions(const std::vector<std::string>& arguments, SourcesOptions& options) {
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument == "--to") {
            if (i + 1 >= arguments.size() || arguments[i + 1].empty()) {
                std::fprintf(stderr, "quelvane-cli: --to needs a path\n");
                return false;
            }
            options.to = arguments[++i];
        } else if (argument == "--git") {
            options.git = true;
        } else if (argument == "--reorder") {
            options.reorder = true;
        } else if (argument == "--force") {
            options.force = true;
        } else if (argument == "--with-line-dates") {
            options.withLineDates = true;
        } else {
            options.rest.push_back(argument);
        }
    }
    return true;
}

// Opens each save for its date, system and libraries; only the catalog of the last one stays
// (`open` names it), so that a single save is not read twice.
int summarize(CliSession& session, const std::vector<std::string>& paths, std::vector<SaveSummary>& saves,
              std::string& open) {
    int status = kExitSuccess;
    for (const std::string& path : paths) {
        open.clear();
        const int opened = session.openSaveFile(path);
        if (opened != kExitSuccess) {
            status = status == kExitSuccess ? opened : status;
            continue;
        }
        open = path;
        saves.push_back(SaveSummary::of(session.catalog(), path, session.conversion().PcCodePage));
    }
    return status;
}

SourceProjectOutcome writeSave(CliSession& session, std::string& open, const SaveSummary& save,
                               const OutputFolder& root, const SourceLayout& layout,
                               const SourceProjectOptions& options) {
    if (open != save.path) {
        open.clear();
        if (session.openSaveFile(save.path) != kExitSuccess) {
            SourceProjectOutcome outcome;
            outcome.failures.push_back("could not be opened again");
            return outcome;
        }
        open = save.path;
    }
    SourceProjectWriter writer(session.catalog(), session.conversion(), session.conversion().PcCodePage,
                               session.conversion().EbcdicCodePage);
    writer.readThrough(session.sourceOpener());
    NoProgress progress;
    SourceProjectOutcome outcome = writer.write(
        root, [&layout](const std::string& library) { return layout.folderOf(library); }, options, progress);
    if (!session.parseReport().complete()) {
        outcome.failures.insert(outcome.failures.begin(),
                                "the catalog is incomplete: " + session.parseReport().text());
    }
    return outcome;
}

}  // namespace

int runSourcesCommand(const std::vector<std::string>& arguments) {
    SourcesOptions options;
    CliSession session;
    if (!takeSourcesOptions(arguments, options) || !session.takeOptions(options.rest)) {
        return kExitUsage;
    }
    if (options.rest.empty() || options.to.empty() || (options.reorder && !options.git)) {
        std::fprintf(stderr, "Usage: quelvane-cli %s\n", kSourcesUsage);
        return kExitUsage;
    }
    if (!session.startConversion()) {
        return kExitUsage;
    }
    std::vector<SaveSummary> saves;
    std::string open;
    int status = summarize(session, options.rest, saves, open);
    SourceHistory history(options.to,
                          [&session, &open](const SaveSummary& save, const OutputFolder& root,
                                            const SourceLayout& layout, const SourceProjectOptions& o) {
                              return writeSave(session, open, save, root, layout, o);
                          });
    const SourceRunReport report = options.git
                                       ? history.commitSaves(saves, options.reorder, options.withLineDates)
                                       : history.writeSaves(saves, options.force, options.withLineDates);
    for (const std::string& failure : report.failures) {
        std::fprintf(stderr, "quelvane-cli: sources: %s\n", failure.c_str());
    }
    for (const std::string& note : report.notes) {
        std::fprintf(stderr, "quelvane-cli: sources: note: %s\n", note.c_str());
    }
    for (const std::string& commit : report.commits) {
        std::printf("commit %s\n", commit.c_str());
    }
    if (report.refused) {
        return kExitUsage;
    }
    return status != kExitSuccess ? status : report.failures.empty() ? kExitSuccess : kExitSomeNotWritten;
}

}  // namespace quelvane::cli
