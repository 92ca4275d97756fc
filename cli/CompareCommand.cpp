#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "cli/CliCommand.h"
#include "cli/CliSession.h"
#include "compare/ComparisonJson.h"
#include "compare/ComparisonText.h"
#include "compare/SaveComparer.h"

namespace quelvane::cli {

namespace {

// Differences found; anything that kept the comparison from being made at all is kExitTrouble.
constexpr int kExitDiffer = 1;
constexpr int kExitTrouble = 2;

struct CompareArguments {
    bool json = false;
    bool withDates = false;
    // Each side's file and its --inner steps; the options every side takes.
    std::vector<std::string> sides[2];
    std::vector<std::string> shared;
};

// Sorts the arguments: --inner NODE goes with the file named before it, the code-page options
// with both. False after a message for arguments that name no two files.
bool takeCompareArguments(const std::vector<std::string>& arguments, CompareArguments& out) {
    int files = 0;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        const bool valued =
            argument == "--inner" || argument == "--ebcdic" || argument == "--pc" || argument == "--ccsid";
        if (argument == "--json") {
            out.json = true;
        } else if (argument == "--with-dates") {
            out.withDates = true;
        } else if (valued && i + 1 >= arguments.size()) {
            std::fprintf(stderr, "quelvane-cli: %s needs a value\n", argument.c_str());
            return false;
        } else if (argument == "--inner") {
            if (files == 0 || files > 2) {
                std::fprintf(stderr, "quelvane-cli: --inner follows the file it reads into\n");
                return false;
            }
            out.sides[files - 1].insert(out.sides[files - 1].end(), {argument, arguments[++i]});
        } else if (valued) {
            out.shared.insert(out.shared.end(), {argument, arguments[++i]});
        } else if (argument.size() > 1 && argument[0] == '-') {
            out.shared.push_back(argument);
        } else if (files < 2) {
            out.sides[files++].push_back(argument);
        } else {
            files = 3;
        }
    }
    if (files != 2) {
        std::fprintf(stderr, "Usage: quelvane-cli %s\n", kCompareUsage);
        return false;
    }
    return true;
}

ComparedSave comparedSave(CliSession& session) {
    ComparedSave save;
    save.catalog = &session.catalog();
    save.stored = [&session] { return session.openSource(); };
    save.converter = &session.conversion();
    save.hostPage = session.conversion().EbcdicCodePage;
    save.pcPage = session.conversion().PcCodePage;
    if (!session.parseReport().complete()) {
        save.incomplete = session.parseReport().text();
    }
    return save;
}

std::string shownName(const std::vector<std::string>& side) {
    std::string name = std::filesystem::path(side.front()).filename().string();
    for (std::size_t i = 2; i < side.size(); i += 2) {
        name += " (" + side[i] + ")";
    }
    return name;
}

}  // namespace

// Compares the save FILE A with the save FILE B. Exit 0 when they hold the same, 1 when they
// differ, 2 when either cannot be read as a save (or the command is used wrongly).
int runCompareCommand(const std::vector<std::string>& arguments) {
    CompareArguments sorted;
    if (!takeCompareArguments(arguments, sorted)) {
        return kExitTrouble;
    }
    CliSession sessions[2];
    for (int i = 0; i < 2; ++i) {
        std::vector<std::string> own = sorted.sides[i];
        own.insert(own.end(), sorted.shared.begin(), sorted.shared.end());
        if (sessions[i].start(own, 1, 1, kCompareUsage) != kExitSuccess) {
            return kExitTrouble;
        }
    }
    SaveComparer comparer(comparedSave(sessions[0]), comparedSave(sessions[1]), {sorted.withDates});
    const SaveComparison comparison = comparer.run(shownName(sorted.sides[0]), shownName(sorted.sides[1]));
    if (sorted.json) {
        const std::string text = ComparisonJson::text(comparison);
        std::fwrite(text.data(), 1, text.size(), stdout);
    } else {
        for (const std::string& line : ComparisonText::lines(comparison)) {
            sessions[1].writeUtf8Line(line);
        }
    }
    for (const std::string& unread : comparison.unread) {
        std::fprintf(stderr, "quelvane-cli: note: %s\n", unread.c_str());
    }
    return comparison.same() ? kExitSuccess : kExitDiffer;
}

}  // namespace quelvane::cli
